#include "print/page_table.h"

#include <algorithm>
#include <climits>

#include "places/windows1252.h"
#include "print/page_parts.h"

namespace skyvane::print {

PageTable::PageTable(std::span<const TableColumn> columns) : columns_(columns.begin(), columns.end())
{
}

void PageTable::AddRow(QRgb color, std::vector<std::string> cells)
{
    cells.resize(columns_.size());
    rows_.push_back({color, std::move(cells)});
}

std::vector<PageTable::Starts> PageTable::Layout(render::DrawContext& dc, const PageGeometry& page,
                                                 int left) const
{
    const int gap = std::max(1, dc.TextExtent(QStringLiteral(" ")).width());
    std::vector<Starts> starts;
    starts.reserve(columns_.size());
    // How far every column from here on is pushed right, and where the
    // headings and the cells so far end.
    int shift = 0;
    int headerEnd = INT_MIN / 2;
    int cellsEnd = INT_MIN / 2;
    for (std::size_t c = 0; c < columns_.size(); ++c) {
        const TableColumn& column = columns_[c];
        const bool hasHeader = column.header[0] != '\0';
        int header = left + Scaled(page, column.headerX) + shift;
        int cells = left + Scaled(page, column.cellX) + shift;
        int push = std::max(0, cellsEnd + gap - cells);
        if (hasHeader) push = std::max(push, headerEnd + gap - header);
        shift += push;
        header += push;
        cells += push;
        if (hasHeader)
            headerEnd = header + dc.TextExtent(places::FromWindows1252(column.header)).width();
        int widest = 0;
        for (const Row& row : rows_)
            widest = std::max(widest, dc.TextExtent(places::FromWindows1252(row.cells[c])).width());
        cellsEnd = cells + widest;
        starts.push_back({header, cells});
    }
    return starts;
}

void PageTable::Draw(render::DrawContext& dc, const PageGeometry& page, int left, int headerY,
                     const std::function<int(int)>& rowY) const
{
    const std::vector<Starts> starts = Layout(dc, page, left);
    for (std::size_t c = 0; c < columns_.size(); ++c)
        if (columns_[c].header[0] != '\0')
            PageText(dc, starts[c].header, headerY, kPageBlack, columns_[c].header);
    for (std::size_t r = 0; r < rows_.size(); ++r)
        for (std::size_t c = 0; c < columns_.size(); ++c)
            PageText(dc, starts[c].cells, rowY(static_cast<int>(r)), rows_[r].color,
                     rows_[r].cells[c]);
}

}  // namespace skyvane::print
