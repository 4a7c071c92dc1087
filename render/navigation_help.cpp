#include "render/navigation_help.h"

#include "render/chart_text.h"

#include <QPoint>
#include <QRgb>

#include <iterator>

#include "render/chart_fonts.h"

namespace skyvane::render {

namespace {

constexpr int kCornerCut = 3;

// Where the label or the arrow sits inside a cap.
constexpr int kLabelDx = 7;
constexpr int kLabelDy = 6;
constexpr int kShaftInset = 7;
constexpr int kVerticalShaftBottomInset = 6;
constexpr int kHeadDepth = 4;  // how far the head lines run back along the shaft
constexpr int kHeadSpread = 4;

constexpr QRgb kHeadingColor = qRgb(255, 255, 255);
constexpr QRgb kKeyColor = qRgb(255, 0, 0);
constexpr QRgb kLabelColor = qRgb(128, 128, 128);

constexpr int kHeadingDx = 20;
constexpr int kHeadingDy = 60;
constexpr int kGeocentricHeadingDy = 59;
constexpr const char* kHeading = "Navigation Keys";

// Chart types as a bit set, for tables that say which charts show a row.
constexpr unsigned kHelio = 1u << kNavigationHelpHeliocentric;
constexpr unsigned kHorizontal = 1u << kNavigationHelpHorizontal;
constexpr unsigned kGeocentric = 1u << kNavigationHelpGeocentric;
constexpr unsigned kAllCharts = kHelio | kHorizontal | kGeocentric;

struct KeyCapRow {
    const char* label;
    int dx;
    int dy;
    int width;
    int height;
    int kind;
    unsigned charts;
};

constexpr KeyCapRow kKeyCaps[] = {
    {"B", 20, 80, 22, 26, kKeyCapLabel, kAllCharts},
    {"F", 150, 80, 22, 26, kKeyCapLabel, kAllCharts},
    {"N", 20, 115, 22, 26, kKeyCapLabel, kAllCharts},
    {"Enter", 150, 115, 47, 26, kKeyCapLabel, kAllCharts},
    {"", 157, 180, 30, 26, kKeyCapRightArrow, kAllCharts},
    {"", 89, 180, 30, 26, kKeyCapLeftArrow, kAllCharts},
    {"", 123, 150, 30, 26, kKeyCapUpArrow, kAllCharts},
    {"", 123, 180, 30, 26, kKeyCapDownArrow, kAllCharts},
    // Zoom keys of the solar system view; "+" stands twice as tall, like
    // the plus key of a numeric keypad.
    {"-", 300, 135, 22, 26, kKeyCapLabel, kHelio},
    {"+", 300, 165, 22, 40, kKeyCapLabel, kHelio},
};

struct KeyLabelRow {
    const char* text;
    int dx;
    int dy;
    unsigned charts;
};

constexpr KeyLabelRow kKeyLabels[] = {
    {"Back in Time", 47, 90, kAllCharts},
    {"Forward in Time", 177, 90, kAllCharts},
    {"Now Animation", 47, 125, kAllCharts},
    {"Step back", 20, 190, kAllCharts},
    {"Step foward", 191, 190, kAllCharts},
    {"Faster", 159, 155, kAllCharts},
    {"Slower", 115, 207, kAllCharts},
    {"Stop", 202, 125, kHelio},
    {"Farther", 285, 117, kHelio},
    {"Closer", 290, 206, kHelio},
    {"Stop Animation", 202, 125, kHorizontal | kGeocentric},
};

constexpr int kModeUnitCycle = 1;
constexpr int kModeFixedYear = 2;
constexpr const char* kUnitStepTexts[] = {
    ": 1 Day per Step",
    ": Sideral Day per Step",
    ": 1 Month per Step",
    ": 1 Year per Step",
};
constexpr const char* kFixedYearStepText = ": Fix 1 Year per Step";

}  // namespace

std::string NavigationStepText(int timeControlMode, int stepUnit)
{
    if (timeControlMode == kModeFixedYear) return kFixedYearStepText;
    if (timeControlMode == kModeUnitCycle && stepUnit >= 0 &&
        stepUnit < static_cast<int>(std::size(kUnitStepTexts))) {
        return kUnitStepTexts[stepUnit];
    }
    return {};
}

void DrawKeyCap(DrawContext& dc, int x, int y, int height, int width, int kind,
                const QString& label)
{
    const int w = width;
    const int h = height;
    const int c = kCornerCut;
    const QPoint outline[] = {
        {x + c, y},     {x + w - c, y},     {x + w, y + c}, {x + w, y + h - c},
        {x + w - c, y + h}, {x + c, y + h}, {x, y + h - c}, {x, y + c},
        {x + c, y},
    };
    dc.Polyline(outline, static_cast<int>(std::size(outline)));

    const int midX = x + w / 2;
    const int midY = y + h / 2;
    const int left = x + kShaftInset;
    const int right = x + w - kShaftInset;
    const int top = y + kShaftInset;
    const int bottom = y + h - kVerticalShaftBottomInset;
    switch (kind) {
    case kKeyCapLabel:
        TextOutString(dc, x + kLabelDx, y + kLabelDy, label);
        break;
    case kKeyCapRightArrow:
        dc.Line(left, midY, right, midY);
        dc.Line(right, midY, right - kHeadDepth, midY - kHeadSpread);
        dc.Line(right, midY, right - kHeadDepth, midY + kHeadSpread);
        break;
    case kKeyCapLeftArrow:
        dc.Line(left, midY, right, midY);
        dc.Line(left, midY, left + kHeadDepth, midY - kHeadSpread);
        dc.Line(left, midY, left + kHeadDepth, midY + kHeadSpread);
        break;
    case kKeyCapUpArrow:
        dc.Line(midX, top, midX, bottom);
        dc.Line(midX, top, midX + kHeadSpread, top + kHeadDepth);
        dc.Line(midX, top, midX - kHeadSpread, top + kHeadDepth);
        break;
    case kKeyCapDownArrow:
        dc.Line(midX, top, midX, bottom);
        dc.Line(midX, bottom, midX + kHeadSpread, bottom - kHeadDepth);
        dc.Line(midX, bottom, midX - kHeadSpread, bottom - kHeadDepth);
        break;
    default:
        break;
    }
}

void DrawNavigationHelp(DrawContext& dc, int type, int a, int b, int timeControlMode,
                        int stepUnit, int rightEdge)
{
    if (type != kNavigationHelpHeliocentric && type != kNavigationHelpHorizontal &&
        type != kNavigationHelpGeocentric) {
        return;
    }
    const unsigned chart = 1u << type;

    dc.SetTextColor(kHeadingColor);
    const int headingDy = type == kNavigationHelpGeocentric ? kGeocentricHeadingDy : kHeadingDy;
    TextOutString(dc, a + kHeadingDx, b + headingDy,
                  QString::fromLatin1(kHeading) +
                      QString::fromStdString(NavigationStepText(timeControlMode, stepUnit)));

    dc.SetTextColor(kKeyColor);
    for (const KeyCapRow& key : kKeyCaps) {
        if ((key.charts & chart) == 0) continue;
        DrawKeyCap(dc, a + key.dx, b + key.dy, key.height, key.width, key.kind,
                   QString::fromLatin1(key.label));
    }

    dc.SetTextColor(kLabelColor);
    constexpr int kEdgeGap = 2;
    for (const KeyLabelRow& label : kKeyLabels) {
        if ((label.charts & chart) == 0) continue;
        const int x = a + label.dx;
        TextOutFitted(dc, x, b + label.dy, QString::fromLatin1(label.text),
                      rightEdge > 0 ? rightEdge - kEdgeGap - x : 0);
    }
}

}  // namespace skyvane::render
