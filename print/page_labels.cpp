#include "print/page_labels.h"

#include <vector>

#include "places/windows1252.h"
#include "print/page_parts.h"

namespace skyvane::print {

MapLabels::MapLabels(render::DrawContext& dc, skydata::IntRect frame) : dc_(dc), placer_(frame) {}

void MapLabels::ReserveDisc(int x, int y, int radius)
{
    placer_.Reserve({x - radius, y - radius, x + radius + 1, y + radius + 1});
}

void MapLabels::ReserveText(int x, int y, const QString& text)
{
    const QSize size = dc_.TextExtent(text);
    placer_.Reserve({x, y, x + size.width(), y + size.height()});
}

bool MapLabels::PlaceName(int x, int y, int radius, int preferredX, int preferredY, QRgb color,
                          std::string_view name)
{
    const QSize size = dc_.TextExtent(places::FromWindows1252(name));
    std::vector<skydata::IntRect> candidates{
        {preferredX, preferredY, preferredX + size.width(), preferredY + size.height()}};
    // A little air between the disc and the name.
    const int gap = radius / 2 + 1;
    for (const skydata::IntRect& around :
         render::LabelCandidatesAround(x, y, radius + gap, size.width(), size.height()))
        candidates.push_back(around);
    const int chosen = placer_.Place(candidates);
    if (chosen < 0) return false;
    const skydata::IntRect& box = candidates[static_cast<std::size_t>(chosen)];
    PageText(dc_, box.left, box.top, color, name);
    return true;
}

}  // namespace skyvane::print
