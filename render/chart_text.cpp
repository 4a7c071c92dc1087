#include "render/chart_text.h"

#include "places/windows1252.h"
#include "render/chart_fonts.h"

namespace skyvane::render {

void TextOutWindows1252(DrawContext& dc, int x, int y, std::string_view text)
{
    TextOutString(dc, x, y, places::FromWindows1252(text));
}

}  // namespace skyvane::render
