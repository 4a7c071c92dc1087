#include "skydata/constellations.h"

namespace skyvane::skydata {
namespace {

constexpr std::size_t kAbbreviationLength = 3;
// Name rows read "And Andromeda": abbreviation, one separator, full name.
constexpr std::size_t kFullNameStart = kAbbreviationLength + 1;

std::string_view Abbreviation(std::string_view nameRow) { return nameRow.substr(0, kAbbreviationLength); }

}  // namespace

std::string_view StarConstellation(const StarRecord& star)
{
    const std::string_view designation = star.designation;
    if (designation.size() < kAbbreviationLength) return {};
    return designation.substr(designation.size() - kAbbreviationLength);
}

std::string ConstellationFullName(const SkyCatalogue& catalogue, std::string_view abbreviation)
{
    std::string fullName;
    if (abbreviation.size() != kAbbreviationLength) return fullName;
    for (int i = 0; i < catalogue.constellationNameCount; ++i) {
        const std::string_view row = catalogue.constellationNames[i];
        if (Abbreviation(row) != abbreviation) continue;
        fullName = row.size() > kFullNameStart ? row.substr(kFullNameStart) : std::string_view{};
    }
    return fullName;
}

ConstellationChoice ChooseConstellationStar(const SkyCatalogue& catalogue, int listIndex)
{
    ConstellationChoice choice;
    if (listIndex < 0 || listIndex >= kConstellationNameCapacity) return choice;
    // A list row without a name has no abbreviation and matches no star.
    const std::string_view abbreviation = Abbreviation(catalogue.constellationNames[listIndex]);
    if (abbreviation.size() != kAbbreviationLength) return choice;

    // "Alp" marks the constellation's alpha star, whatever else the
    // designation holds around it.
    constexpr std::string_view kAlphaMark = "Alp";
    for (int i = 0; i < catalogue.starCount; ++i) {
        const StarRecord& star = catalogue.stars[i];
        if (StarConstellation(star) != abbreviation) continue;
        choice.selectedStar = i;
        if (star.designation.find(kAlphaMark) != std::string::npos) break;
    }
    choice.redraw = choice.selectedStar > 0;
    return choice;
}

}  // namespace skyvane::skydata
