#include "skydata/catalogue.h"

#include <string>
#include <unordered_map>
#include <vector>

#include "skydata/number_reading.h"
#include "skydata/records.h"

namespace skyvane::skydata {
namespace {

// A record may carry up to 25 fields; surplus separators are ignored.
constexpr std::size_t kCatalogueFieldSlots = 25;

using Fields = std::vector<std::string_view>;

StarRecord ReadStar(const Fields& f)
{
    StarRecord star;
    star.dec = ReadDouble(f[2]);
    star.ra = ReadDouble(f[3]);
    star.sao = ReadInt(f[4]);
    star.magnitude = ReadDouble(f[5]);
    star.spectrum = f[6];
    star.properName = f[7];
    star.designation = f[8];
    star.infoPageId = ReadInt(f[9]);
    star.hasInfoPage = ReadInt(f[10]);
    return star;
}

DeepSkyObject ReadDeepSkyObject(const Fields& f)
{
    DeepSkyObject object;
    object.dec = ReadDouble(f[2]);
    object.ra = ReadDouble(f[3]);
    object.ngc = f[4];
    object.name = f[5];
    object.magnitude = ReadDouble(f[6]);
    object.dimension = f[7];
    object.distance = ReadDouble(f[8]);
    object.infoPageId = ReadInt(f[9]);
    object.hasInfoPage = ReadInt(f[10]);
    return object;
}

class CatalogueReader {
public:
    explicit CatalogueReader(SkyCatalogue& catalogue) : catalogue_(catalogue) {}

    void Read(std::string_view text)
    {
        for (std::string_view record : SplitRecords(text)) {
            const Fields fields = SplitFields(record, kCatalogueFieldSlots);
            const std::string_view kind = fields[0];
            if (kind == "ID")
                ReadAddressPattern(fields);
            else if (kind == "S")
                AppendStar(fields);
            else if (kind == "M")
                AppendDeepSkyObject(fields);
            else if (kind == "C")
                AppendName(fields);
            else if (kind == "L")
                AppendFigure(fields);
        }
    }

private:
    void ReadAddressPattern(const Fields& f)
    {
        catalogue_.pagePrefix = f[1];
        catalogue_.pageSuffix = f[2];
    }

    void AppendStar(const Fields& f)
    {
        if (catalogue_.starCount >= kStarCapacity) return;
        const int row = catalogue_.starCount++;
        catalogue_.stars[row] = ReadStar(f);
        // Figures use the first star with a number; later duplicates keep it.
        firstRowBySao_.emplace(catalogue_.stars[row].sao, row);
    }

    void AppendDeepSkyObject(const Fields& f)
    {
        if (catalogue_.deepSkyCount >= kDeepSkyCapacity) return;
        catalogue_.deepSky[catalogue_.deepSkyCount++] = ReadDeepSkyObject(f);
    }

    void AppendName(const Fields& f)
    {
        if (catalogue_.constellationNameCount >= kConstellationNameCapacity) return;
        catalogue_.constellationNames[catalogue_.constellationNameCount++] = f[2];
    }

    // Positions whose number is not positive, or names a star not read
    // (yet), stay 0 and so break the polyline there.
    void AppendFigure(const Fields& f)
    {
        if (catalogue_.figureCount >= kFigureCapacity) return;
        constexpr std::size_t kFirstSaoField = 2;
        ConstellationFigure figure;
        for (int k = 0; k < kFigureLength; ++k) {
            const std::int32_t sao = ReadInt(f[kFirstSaoField + k]);
            if (sao <= 0) continue;
            const auto found = firstRowBySao_.find(sao);
            if (found != firstRowBySao_.end()) figure.stars[k] = found->second;
        }
        catalogue_.figures[catalogue_.figureCount++] = figure;
    }

    SkyCatalogue& catalogue_;
    std::unordered_map<std::int32_t, int> firstRowBySao_;
};

}  // namespace

void ParseCatalogue(std::string_view text, SkyCatalogue& catalogue)
{
    if (catalogue.loaded) return;
    catalogue.loaded = true;
    catalogue.starCount = 0;
    catalogue.constellationNameCount = 0;
    catalogue.deepSkyCount = 0;
    // The figure count is left alone: a catalogue is only ever read once,
    // so it is still 0 here.
    CatalogueReader(catalogue).Read(text);
}

}  // namespace skyvane::skydata
