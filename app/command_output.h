// Where a command's picture, page or text goes: a file, or standard output
// for "-". Every failed write is reported, so a script never goes on with
// a file that is not there or is cut short.
#pragma once

#include <QJsonObject>
#include <QJsonValue>

#include <iosfwd>
#include <string>
#include <string_view>

namespace skyvane::app {

inline constexpr char kStandardOutput[] = "-";

// Writes `bytes` to the file `path`, or to `out` when `path` is "-".
// Returns an empty string on success, else one line saying what failed:
// "page.pdf: No space left on device".
std::string WriteOutput(const std::string& path, std::string_view bytes, std::ostream& out);

// Flushes `out`; an empty string when everything written to it arrived,
// else why not.
std::string FlushOutput(std::ostream& out);

// The commands' JSON goes through one writer, Qt's: escaping, numbers
// (the shortest text that reads back as the same double) and layout are
// the same for every command. One object, indented, with a final newline.
std::string JsonDocumentText(const QJsonObject& document);

// A number, or null where there is none (NaN, infinity).
QJsonValue JsonNumber(double x);
// UTF-8 text as a JSON string, or null when it is empty.
QJsonValue JsonString(std::string_view utf8);
QJsonValue JsonStringOrNull(std::string_view utf8);

}  // namespace skyvane::app
