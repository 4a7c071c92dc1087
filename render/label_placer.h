// One placement step for every label the charts and pages draw: a label is
// placed only where it stays inside its frame and covers no label (or
// reserved mark) placed before it, so crowded skies and small pages never
// show one name over another.
#pragma once

#include <initializer_list>
#include <span>
#include <vector>

#include "skydata/int_rect.h"

namespace skyvane::render {

class LabelPlacer {
public:
    using Rect = skydata::IntRect;

    // Labels must stay inside `frame` (right and bottom exclusive).
    explicit LabelPlacer(Rect frame);

    // Marks an area no later label may cover (a symbol, a table, a legend)
    // without checking it against what is already there.
    void Reserve(const Rect& area);

    // True when `box` lies inside the frame and covers nothing placed or
    // reserved so far.
    [[nodiscard]] bool Fits(const Rect& box) const;

    // Tries the candidate boxes in order (the preferred side of a symbol
    // first) and keeps the first that fits. Returns its index, or -1 when
    // none fits and the label is to be left out.
    int Place(std::span<const Rect> candidates);
    int Place(std::initializer_list<Rect> candidates)
    {
        return Place(std::span<const Rect>(candidates.begin(), candidates.size()));
    }

    [[nodiscard]] const std::vector<Rect>& Placed() const { return taken_; }
    [[nodiscard]] const Rect& Frame() const { return frame_; }

private:
    Rect frame_;
    std::vector<Rect> taken_;
};

// The usual candidates around a symbol of half size `radius` at (x, y) for
// a label `width` by `height`: right, left, above, below, then the corners
// (above right, above left, below right, below left).
std::vector<LabelPlacer::Rect> LabelCandidatesAround(int x, int y, int radius, int width, int height);

}  // namespace skyvane::render
