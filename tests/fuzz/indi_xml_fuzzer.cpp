// libFuzzer target: the reader of an INDI server's XML stream. The first
// byte of an input chooses how the rest is cut into the pieces a socket
// would deliver; whatever arrives, the reader either yields messages within
// its bounds or refuses the stream, and holds no more than its bound.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "telescope/indi_xml_reader.h"

namespace {

using skyvane::telescope::IndiMessage;
using skyvane::telescope::IndiXmlReader;

void Check(bool condition)
{
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0) return 0;
    const std::size_t piece = 1 + data[0] % 64;
    IndiXmlReader reader;
    for (std::size_t at = 1; at < size && !reader.Failed(); at += piece) {
        const std::size_t n = std::min(piece, size - at);
        const std::vector<IndiMessage> messages =
            reader.Feed(QByteArrayView(reinterpret_cast<const char*>(data + at),
                                       static_cast<qsizetype>(n)));
        Check(!reader.Failed() || messages.empty());
        for (const IndiMessage& message : messages) {
            Check(!message.tag.isEmpty());
            Check(message.items.size() <= IndiXmlReader::kMaxItems);
            Check(message.attributes.size() <=
                  static_cast<std::size_t>(IndiXmlReader::kMaxAttributes));
        }
        Check(reader.PendingChars() <= IndiXmlReader::kMaxMessageChars || reader.Failed());
    }
    return 0;
}
