// libFuzzer target: everything that reads the untrusted data file. The
// container reader gets the raw bytes; the two text readers get both the
// texts the container yields and the raw bytes as text, so damaged records
// reach them even when the container is rejected.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "skydata/catalogue.h"
#include "skydata/constellations.h"
#include "skydata/data_file.h"
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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const auto decoded = DecodeDataFile({data, size});
    if (decoded)
        ReadTexts(decoded->layoutText, decoded->catalogueText);
    const std::string_view raw(reinterpret_cast<const char*>(data), size);
    ReadTexts(raw, raw);
    return 0;
}
