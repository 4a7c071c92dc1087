// libFuzzer target: everything that reads the untrusted data files. The
// container reader gets the raw bytes; the two text readers get both the
// texts the container yields and the raw bytes as text, so damaged records
// reach them even when the container is rejected. The deep-sky reader gets
// the raw bytes and, so that mutations get past its checksum to the
// records, the same bytes with the checksum made right.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include <zlib.h>

#include "skydata/catalogue.h"
#include "skydata/constellations.h"
#include "skydata/data_file.h"
#include "skydata/deep_sky.h"
#include "skydata/deep_sky_format.h"
#include "skydata/layout_script.h"

namespace {

using namespace skyvane::skydata;

// The tables are far too large for the stack, and making them anew for
// every input (ten thousand rows of texts) would cost more than reading
// the input: one catalogue, put back as new before each read. The reader
// fills rows in order and counts each one, so the counted rows are all
// it has touched.
SkyCatalogue& EmptyCatalogue()
{
    static const auto catalogue = std::make_unique<SkyCatalogue>();
    SkyCatalogue& c = *catalogue;
    for (int i = 0; i < c.starCount; ++i) c.stars[static_cast<std::size_t>(i)] = {};
    for (int i = 0; i < c.constellationNameCount; ++i)
        c.constellationNames[static_cast<std::size_t>(i)] = {};
    for (int i = 0; i < c.figureCount; ++i) c.figures[static_cast<std::size_t>(i)] = {};
    for (int i = 0; i < c.deepSkyCount; ++i) c.deepSky[static_cast<std::size_t>(i)] = {};
    c.starCount = c.constellationNameCount = c.figureCount = c.deepSkyCount = 0;
    c.pagePrefix.clear();
    c.pageSuffix.clear();
    c.loaded = false;
    return c;
}

void ReadTexts(std::string_view layout, std::string_view catalogueText)
{
    std::string introPictureName;
    ParseLayoutScript(layout, 1, introPictureName);
    SkyCatalogue* const catalogue = &EmptyCatalogue();
    ParseCatalogue(catalogueText, *catalogue);
    // The lookups that walk the tables the reader filled.
    ConstellationFullName(*catalogue, "And");
    ChooseConstellationStar(*catalogue, 0);
    ChooseConstellationStar(*catalogue, 87);
}

void ReadDeepSkyFile(std::span<const unsigned char> bytes)
{
    std::string why;
    const auto deep = ReadDeepSky(bytes, why);
    if (!deep) return;
    // The lookups and queries over what the reader accepted.
    std::vector<std::uint32_t> found;
    deep->starCells.Query({10, 20, 5}, 12, found);
    deep->objectCells.Query({0, 90, 180}, 99, found);
    for (const char* name : {"ngc7000", "ic434a", "hip1"})
        if (const auto d = ParseCatalogueDesignation(name)) deep->FindDesignation(*d);
    deep->StarByHip(1);
    deep->HrOfHip(32349);
}

void ReadDeepSkyResealed(const std::uint8_t* data, std::size_t size)
{
    namespace fmt = deepsky_format;
    if (size < fmt::kHeaderBytes) return;
    std::vector<unsigned char> copy(data, data + size);
    const uLong crc = crc32(crc32(0L, Z_NULL, 0), copy.data() + fmt::kHeaderBytes,
                            static_cast<uInt>(size - fmt::kHeaderBytes));
    for (int k = 0; k < 4; ++k) copy[20 + k] = static_cast<unsigned char>(crc >> (8 * k));
    const auto payload = static_cast<std::uint32_t>(size - fmt::kHeaderBytes);
    for (int k = 0; k < 4; ++k) copy[16 + k] = static_cast<unsigned char>(payload >> (8 * k));
    ReadDeepSkyFile(copy);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const auto decoded = DecodeDataFile({data, size});
    if (decoded)
        ReadTexts(decoded->layoutText, decoded->catalogueText);
    const std::string_view raw(reinterpret_cast<const char*>(data), size);
    ReadTexts(raw, raw);
    ReadDeepSkyFile({data, size});
    ReadDeepSkyResealed(data, size);
    return 0;
}
