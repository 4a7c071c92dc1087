// The INDI protocol's XML stream, read with bounds. An INDI server sends a
// sequence of top-level elements with no enclosing document; each one is a
// message (defNumberVector, setSwitchVector, message, delProperty, ...)
// whose children are the vector's members. The server is untrusted: a
// message longer than kMaxMessageChars, nested deeper than kMaxDepth, with
// more than kMaxItems members or kMaxAttributes attributes on an element,
// or with malformed XML ends the stream with a one-line reason.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringDecoder>
#include <QXmlStreamReader>

#include <optional>
#include <utility>
#include <vector>

namespace skyvane::telescope {

// One member of a vector: <oneNumber name="RA">12.5</oneNumber>.
struct IndiItem {
    QString tag;
    QString name;
    QString text;
};

// One top-level element with the attributes the client uses and its
// members, in order.
struct IndiMessage {
    QString tag;
    std::vector<std::pair<QString, QString>> attributes;
    std::vector<IndiItem> items;

    // The attribute's value, or an empty string.
    QString Attribute(QStringView name) const;
    // The text of the member called `name`, or nothing.
    std::optional<QString> Item(QStringView name) const;
};

class IndiXmlReader {
public:
    // Characters from the end of one message to the end of the next,
    // whitespace between messages included. Real servers send a few
    // kilobytes at most (BLOBs are never asked for).
    static constexpr qint64 kMaxMessageChars = 256 * 1024;
    // The message itself is depth 1, its members depth 2; a little more is
    // tolerated and skipped.
    static constexpr int kMaxDepth = 4;
    static constexpr std::size_t kMaxItems = 2048;
    static constexpr qsizetype kMaxAttributes = 32;

    IndiXmlReader();

    // Takes the next bytes of the stream and returns the messages they
    // complete. After a failure returns nothing and takes nothing more.
    std::vector<IndiMessage> Feed(QByteArrayView bytes);

    bool Failed() const { return !error_.isEmpty(); }
    // Why the stream was refused, one line.
    const QString& Error() const { return error_; }
    // Characters held for the message not yet complete.
    qint64 PendingChars() const { return fedChars_ - messageEnd_; }

private:
    void Fail(const QString& why);

    QStringDecoder decoder_{QStringDecoder::Utf8};
    QXmlStreamReader xml_;
    qint64 fedChars_ = 0;
    qint64 messageEnd_ = 0;
    bool rootSeen_ = false;
    int depth_ = 0;
    IndiMessage current_;
    QString error_;
};

// An INDI number: decimal, or sexagesimal ("12:30:15.5", "-5 30"). Nothing
// for anything else, infinities and NaN included.
std::optional<double> ParseIndiNumber(QStringView text);

}  // namespace skyvane::telescope
