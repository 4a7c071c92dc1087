#include "telescope/indi_xml_reader.h"

#include <cmath>

namespace skyvane::telescope {
namespace {

// The stream has no document element, so the reader is handed one of ours
// first; every top-level element of the server then reads as its child.
constexpr char kStreamRoot[] = "<indi>";

}  // namespace

QString IndiMessage::Attribute(QStringView name) const
{
    for (const auto& [key, value] : attributes)
        if (key == name) return value;
    return {};
}

std::optional<QString> IndiMessage::Item(QStringView name) const
{
    for (const IndiItem& item : items)
        if (item.name == name) return item.text;
    return std::nullopt;
}

IndiXmlReader::IndiXmlReader()
{
    xml_.setNamespaceProcessing(false);
    const QString root = QString::fromLatin1(kStreamRoot);
    xml_.addData(root);
    fedChars_ = root.size();
    // The root's own characters count as already read.
    messageEnd_ = fedChars_;
}

void IndiXmlReader::Fail(const QString& why)
{
    if (error_.isEmpty()) error_ = why;
    current_ = IndiMessage{};
    xml_.clear();
}

std::vector<IndiMessage> IndiXmlReader::Feed(QByteArrayView bytes)
{
    std::vector<IndiMessage> complete;
    if (Failed() || bytes.isEmpty()) return complete;
    const QString text = decoder_.decode(bytes);
    fedChars_ += text.size();
    xml_.addData(text);

    while (!Failed()) {
        const QXmlStreamReader::TokenType token = xml_.readNext();
        if (token == QXmlStreamReader::Invalid) {
            if (xml_.error() != QXmlStreamReader::PrematureEndOfDocumentError)
                Fail("malformed XML: " + xml_.errorString());
            break;
        }
        switch (token) {
        case QXmlStreamReader::StartElement: {
            if (!rootSeen_) {
                rootSeen_ = true;
                break;
            }
            if (++depth_ > kMaxDepth) {
                Fail(QString("elements nested deeper than %1").arg(kMaxDepth));
                break;
            }
            const QXmlStreamAttributes attributes = xml_.attributes();
            if (attributes.size() > kMaxAttributes) {
                Fail(QString("an element with more than %1 attributes").arg(kMaxAttributes));
                break;
            }
            if (depth_ == 1) {
                current_ = IndiMessage{};
                current_.tag = xml_.name().toString();
                for (const QXmlStreamAttribute& a : attributes)
                    current_.attributes.emplace_back(a.name().toString(), a.value().toString());
            } else if (depth_ == 2) {
                if (current_.items.size() >= kMaxItems) {
                    Fail(QString("a message with more than %1 members").arg(kMaxItems));
                    break;
                }
                current_.items.push_back(
                    {xml_.name().toString(), attributes.value("name").toString(), {}});
            }
            break;
        }
        case QXmlStreamReader::Characters:
            // Only a member's own text counts; deeper text is skipped.
            if (depth_ == 2 && !current_.items.empty()) current_.items.back().text += xml_.text();
            break;
        case QXmlStreamReader::EndElement:
            if (depth_ == 0) {
                Fail("the stream's end inside the stream");
                break;
            }
            if (depth_ == 1) {
                for (IndiItem& item : current_.items) item.text = item.text.trimmed();
                complete.push_back(std::move(current_));
                current_ = IndiMessage{};
                messageEnd_ = xml_.characterOffset();
            }
            --depth_;
            break;
        case QXmlStreamReader::DTD:
            // No entity declarations: nothing can expand behind our bounds.
            Fail("a document type declaration");
            break;
        default:
            break;
        }
    }
    // Whatever is left waits for the rest of its message; a message that
    // never ends stops here instead of growing without bound.
    if (!Failed() && PendingChars() > kMaxMessageChars)
        Fail(QString("a message longer than %1 characters").arg(kMaxMessageChars));
    if (Failed()) complete.clear();
    return complete;
}

std::optional<double> ParseIndiNumber(QStringView text)
{
    const QStringView trimmed = text.trimmed();
    if (trimmed.isEmpty()) return std::nullopt;
    double value = 0;
    if (!trimmed.contains(u':') && !trimmed.contains(u' ')) {
        bool ok = false;
        value = trimmed.toDouble(&ok);
        if (!ok) return std::nullopt;
    } else {
        // Degrees (or hours), minutes, seconds; the sign is the first part's.
        const QList<QStringView> parts = trimmed.split(u':');
        QList<QStringView> fields;
        for (QStringView part : parts)
            for (QStringView field : part.split(u' ', Qt::SkipEmptyParts)) fields.push_back(field);
        if (fields.isEmpty() || fields.size() > 3) return std::nullopt;
        const bool negative = fields.front().startsWith(u'-');
        double scale = 1;
        for (QStringView field : fields) {
            bool ok = false;
            const double part = field.toDouble(&ok);
            if (!ok || (scale < 1 && (part < 0 || field.startsWith(u'-')))) return std::nullopt;
            value += std::fabs(part) * scale;
            scale /= 60;
        }
        if (negative) value = -value;
    }
    if (!std::isfinite(value)) return std::nullopt;
    return value;
}

}  // namespace skyvane::telescope
