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

void ReadTexts(std::string_view layout, std::string_view catalogueText)
{
    std::string introPictureName;
    ParseLayoutScript(layout, 1, introPictureName);
    // The tables are far too large for the stack.
    const auto catalogue = std::make_unique<SkyCatalogue>();
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
