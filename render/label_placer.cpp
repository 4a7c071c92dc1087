#include "render/label_placer.h"

namespace skyvane::render {
namespace {

bool Overlap(const LabelPlacer::Rect& a, const LabelPlacer::Rect& b)
{
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

bool Inside(const LabelPlacer::Rect& box, const LabelPlacer::Rect& frame)
{
    return box.left >= frame.left && box.top >= frame.top && box.right <= frame.right &&
           box.bottom <= frame.bottom && box.left <= box.right && box.top <= box.bottom;
}

}  // namespace

LabelPlacer::LabelPlacer(Rect frame) : frame_(frame) {}

void LabelPlacer::Reserve(const Rect& area)
{
    taken_.push_back(area);
}

bool LabelPlacer::Fits(const Rect& box) const
{
    if (!Inside(box, frame_))
        return false;
    for (const Rect& other : taken_) {
        if (Overlap(box, other))
            return false;
    }
    return true;
}

int LabelPlacer::Place(std::span<const Rect> candidates)
{
    for (std::size_t i = 0; i < candidates.size(); ++i) {
        if (Fits(candidates[i])) {
            taken_.push_back(candidates[i]);
            return static_cast<int>(i);
        }
    }
    return -1;
}

std::vector<LabelPlacer::Rect> LabelCandidatesAround(int x, int y, int radius, int width, int height)
{
    const int gap = radius + 2;
    return {
        {x + gap, y - height / 2, x + gap + width, y - height / 2 + height},
        {x - gap - width, y - height / 2, x - gap, y - height / 2 + height},
        {x - width / 2, y - gap - height, x - width / 2 + width, y - gap},
        {x - width / 2, y + gap, x - width / 2 + width, y + gap + height},
        // By a frame's edge or between close neighbours the sides above can
        // all be taken while a corner is still free.
        {x + gap, y - gap - height, x + gap + width, y - gap},
        {x - gap - width, y - gap - height, x - gap, y - gap},
        {x + gap, y + gap, x + gap + width, y + gap + height},
        {x - gap - width, y + gap, x - gap, y + gap + height},
    };
}

}  // namespace skyvane::render
