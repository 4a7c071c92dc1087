#include "app/command_output.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ostream>

#include <QJsonDocument>
#include <QString>

namespace skyvane::app {

std::string WriteOutput(const std::string& path, std::string_view bytes, std::ostream& out)
{
    if (path == kStandardOutput) {
        // Output longer than the stream's buffer is written (and may fail)
        // here already: keep the reason for the message.
        errno = 0;
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        const int failure = errno;
        const std::string flushed = FlushOutput(out);
        if (!flushed.empty() && failure != 0)
            return std::string("standard output: ") + std::strerror(failure);
        return flushed;
    }
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr)
        return path + ": " + std::strerror(errno);
    int failure = 0;
    if (std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size() ||
        std::fflush(file) != 0)
        failure = errno;
    // A full disk may show only when the file is closed.
    if (std::fclose(file) != 0 && failure == 0)
        failure = errno;
    if (failure != 0)
        return path + ": " + std::strerror(failure);
    return {};
}

std::string FlushOutput(std::ostream& out)
{
    errno = 0;
    out.flush();
    if (out)
        return {};
    const int failure = errno;
    return std::string("standard output: ") +
           (failure != 0 ? std::strerror(failure) : "write error");
}

std::string JsonDocumentText(const QJsonObject& document)
{
    return QJsonDocument(document).toJson(QJsonDocument::Indented).toStdString();
}

QJsonValue JsonNumber(double x)
{
    return std::isfinite(x) ? QJsonValue(x) : QJsonValue(QJsonValue::Null);
}

QJsonValue JsonString(std::string_view utf8)
{
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

QJsonValue JsonStringOrNull(std::string_view utf8)
{
    return utf8.empty() ? QJsonValue(QJsonValue::Null) : JsonString(utf8);
}

}  // namespace skyvane::app
