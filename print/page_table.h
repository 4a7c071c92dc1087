// The tables under the printed maps, laid out by the widths their texts
// really take. A column starts where the page's layout puts it, or further
// right when the widest text of the column before (heading or cell) would
// come closer than a space to it: a printer's resolution changes how wide
// a font draws, and columns must never run together ("12.2"+ 02°").
#pragma once

#include <QRgb>

#include <functional>
#include <span>
#include <string>
#include <vector>

#include "print/page_metrics.h"
#include "render/draw_context.h"

namespace skyvane::print {

struct TableColumn {
    double headerX;      // screen pixels right of the table's left edge
    double cellX;        // the same for the column's cells
    const char* header;  // "" when the heading before spans this column too
};

class PageTable {
public:
    explicit PageTable(std::span<const TableColumn> columns);

    // One row: its colour and a text (Windows-1252) per column.
    void AddRow(QRgb color, std::vector<std::string> cells);

    // Where each column's heading and cells start, in device pixels, in the
    // current font of `dc`.
    struct Starts {
        int header;
        int cells;
    };
    [[nodiscard]] std::vector<Starts> Layout(render::DrawContext& dc, const PageGeometry& page,
                                             int left) const;

    // The headings in black on `headerY`, then row n on rowY(n), in the
    // current font.
    void Draw(render::DrawContext& dc, const PageGeometry& page, int left, int headerY,
              const std::function<int(int)>& rowY) const;

private:
    struct Row {
        QRgb color;
        std::vector<std::string> cells;
    };
    std::vector<TableColumn> columns_;
    std::vector<Row> rows_;
};

}  // namespace skyvane::print
