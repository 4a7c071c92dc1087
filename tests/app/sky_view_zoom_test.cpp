// Zoom and pan in the sky window: the wheel about the pointer, dragging,
// double clicks, the keypad and Home, searches that centre and zoom, and
// picking on a zoomed chart; each chart keeps its own view as time runs.
#include <QApplication>
#include <QMouseEvent>
#include <QTest>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <memory>

#include "app/preferences.h"
#include "app/sky_view.h"
#include "online/usage_record.h"
#include "places/locations.h"
#include "platform/profile_store.h"
#include "platform/url_opener.h"
#include "platform/worker_thread.h"
#include "skydata/sky_data.h"
#include "../online/report_test_server.h"
#include "zurich_evening_view.h"

namespace skyvane::app {
namespace {

using namespace std::chrono_literals;

class SkyViewZoomTest : public ZurichEveningViewTest {};


// The sky at a window point, as the chart on screen maps it.
render::SkyPoint SkyAt(const CSkyvaneView& view, QPointF p)
{
    const auto chart = view.ChartViewOnScreen();
    EXPECT_TRUE(chart.has_value());
    const auto sky = chart->SkyAt(p.x(), p.y());
    EXPECT_TRUE(sky.has_value());
    return sky.value_or(render::SkyPoint{});
}

// Where the chart on screen draws a sky point.
QPointF ScreenOf(const CSkyvaneView& view, render::SkyPoint sky)
{
    const render::ScreenPoint p = view.ChartViewOnScreen()->ToScreen(sky);
    return {p.x, p.y};
}

void ExpectNear(QPointF a, QPointF b)
{
    EXPECT_NEAR(a.x(), b.x(), 1e-6);
    EXPECT_NEAR(a.y(), b.y(), 1e-6);
}

void Wheel(QWidget& widget, QPointF at, int delta)
{
    QWheelEvent event(at, widget.mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(&widget, &event);
}

void Drag(QWidget& widget, QPoint from, QPoint to)
{
    QTest::mousePress(&widget, Qt::LeftButton, {}, from);
    for (int step = 1; step <= 4; ++step) {
        const QPointF at = from + (to - from) * step / 4.0;
        QMouseEvent move(QEvent::MouseMove, at, widget.mapToGlobal(at), Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&widget, &move);
    }
    QTest::mouseRelease(&widget, Qt::LeftButton, {}, to);
}

TEST_F(SkyViewZoomTest, TheWheelZoomsAboutThePointerOnBothSkyCharts)
{
    for (const int command : {kCommandHorizontal, kCommandGeocentric}) {
        view_->OnCommand(command);
        const int mode = view_->ViewMode();
        const QPointF pointer(300, 250);
        const render::SkyPoint under = SkyAt(*view_, pointer);
        Wheel(*view_, pointer, 120);
        const render::ViewAim aim = view_->ChartAim(mode);
        ASSERT_FALSE(aim.wholeSky);
        ExpectNear(ScreenOf(*view_, under), pointer);
        // Three more notches in, and the pointer still holds its star.
        Wheel(*view_, pointer, 360);
        ExpectNear(ScreenOf(*view_, under), pointer);
        EXPECT_NEAR(view_->ChartViewOnScreen()->Zoom(),
                    std::pow(1.25, 4), 0.02);
        // Out again past the whole sky: the chart as it always is.
        Wheel(*view_, pointer, -120 * 8);
        EXPECT_TRUE(view_->ChartAim(mode).wholeSky);
    }
    // The other chart's view is its own.
    Wheel(*view_, QPointF(300, 250), 240);
    EXPECT_FALSE(view_->ChartAim(kViewGeocentric).wholeSky);
    EXPECT_TRUE(view_->ChartAim(kViewHorizontal).wholeSky);
}

TEST_F(SkyViewZoomTest, KeypadZoomsTheSkyChartsHomeGivesTheWholeSkyHeliocentricKeepsItsScale)
{
    QTest::keyClick(view_.get(), Qt::Key_Plus, Qt::KeypadModifier);
    EXPECT_NEAR(view_->ChartAim(kViewHorizontal).fieldDegrees,
                view_->ChartViewOnScreen()->FieldDegrees(), 1e-9);
    const double field = view_->ChartViewOnScreen()->FieldDegrees();
    EXPECT_LT(field, 180);
    QTest::keyClick(view_.get(), Qt::Key_Plus, Qt::KeypadModifier);
    EXPECT_NEAR(view_->ChartViewOnScreen()->FieldDegrees(), field / 1.25, 1e-6);
    QTest::keyClick(view_.get(), Qt::Key_Minus, Qt::KeypadModifier);
    EXPECT_NEAR(view_->ChartViewOnScreen()->FieldDegrees(), field, 1e-6);
    EXPECT_EQ(view_->Navigation().heliocentricZoom, 210);
    QTest::keyClick(view_.get(), Qt::Key_Home);
    EXPECT_TRUE(view_->ChartAim(kViewHorizontal).wholeSky);

    view_->OnCommand(kCommandHeliocentric);
    QTest::keyClick(view_.get(), Qt::Key_Plus, Qt::KeypadModifier);
    EXPECT_EQ(view_->Navigation().heliocentricZoom, 231);
    EXPECT_TRUE(view_->ChartAim(kViewHorizontal).wholeSky);
    EXPECT_FALSE(view_->ChartViewOnScreen().has_value());
}

TEST_F(SkyViewZoomTest, DraggingMovesTheSkyWithThePointerAndDoubleClickCentres)
{
    view_->SetChartAim(kViewHorizontal, render::ViewAim::At({30, 50}, 20));
    const QPoint from(400, 300);
    const QPoint to(460, 380);
    const render::SkyPoint grabbed = SkyAt(*view_, from);
    Drag(*view_, from, to);
    ExpectNear(ScreenOf(*view_, grabbed), to);
    EXPECT_NEAR(view_->ChartViewOnScreen()->FieldDegrees(), 20, 1e-9);

    // A double click on empty sky brings that sky to the middle.
    view_->grab();  // a frame, so the click rectangles are this view's
    QPoint empty(200, 200);
    const auto& rects = view_->ClickRects();
    const auto hit = [&](QPoint p) {
        for (const auto& r : rects.stars)
            if (p.x() >= r.left && p.x() < r.right && p.y() >= r.top && p.y() < r.bottom)
                return true;
        for (const auto& r : rects.deepSky)
            if (p.x() >= r.left && p.x() < r.right && p.y() >= r.top && p.y() < r.bottom)
                return true;
        return false;
    };
    while (hit(empty)) empty += QPoint(7, 3);
    const render::SkyPoint there = SkyAt(*view_, empty);
    QTest::mouseDClick(view_.get(), Qt::LeftButton, {}, empty);
    const render::ScreenPoint middle = view_->ChartViewOnScreen()->CentreOnScreen();
    ExpectNear(ScreenOf(*view_, there), QPointF(middle.x, middle.y));
}

TEST_F(SkyViewZoomTest, SearchCentresThenZoomsToAFinderFieldAndTheCentreStaysAsTimeRuns)
{
    const int rigel = StarRow("19 Bet Ori");
    ASSERT_GE(rigel, 0);
    EXPECT_TRUE(view_->FindObject("Rigel").found);
    render::ViewAim aim = view_->ChartAim(kViewHorizontal);
    ASSERT_FALSE(aim.wholeSky);
    const render::ScreenPoint middle = view_->ChartViewOnScreen()->CentreOnScreen();
    view_->grab();
    const skydata::IntRect box = view_->ClickRects().stars[static_cast<std::size_t>(rigel)];
    EXPECT_EQ((box.left + box.right) / 2, static_cast<int>(middle.x));
    EXPECT_EQ((box.top + box.bottom) / 2, static_cast<int>(middle.y));
    const double firstField = aim.fieldDegrees;

    view_->FindObject("Rigel");
    EXPECT_NEAR(view_->ChartAim(kViewHorizontal).fieldDegrees, render::kFinderFieldDegrees, 1e-9);
    EXPECT_GT(firstField, render::kFinderFieldDegrees);

    // Picking works on the zoomed chart: a click on Rigel's dot selects it.
    const render::ViewAim onRigel = view_->ChartAim(kViewHorizontal);
    view_->FindObject("Betelgeuse");
    EXPECT_NE(view_->Selection().selectedStar, rigel);
    view_->SetChartAim(kViewHorizontal, onRigel);
    view_->grab();
    const skydata::IntRect rigelBox = view_->ClickRects().stars[static_cast<std::size_t>(rigel)];
    QTest::mouseClick(view_.get(), Qt::LeftButton, {},
                      QPoint((rigelBox.left + rigelBox.right) / 2, (rigelBox.top + rigelBox.bottom) / 2));
    // (Rigel's companion shares its dot, and the later row wins a shared
    // click, as everywhere.)
    const int picked = view_->Selection().selectedStar;
    ASSERT_GE(picked, 0);
    const auto& stars = skydata::CurrentSkyData()->catalogue->stars;
    EXPECT_NEAR(stars[static_cast<std::size_t>(picked)].ra, stars[static_cast<std::size_t>(rigel)].ra, 1e-3);
    EXPECT_NEAR(stars[static_cast<std::size_t>(picked)].dec, stars[static_cast<std::size_t>(rigel)].dec, 1e-2);

    // Time runs: the horizontal chart keeps its azimuth and altitude.
    aim = view_->ChartAim(kViewHorizontal);
    QTest::keyClick(view_.get(), Qt::Key_Right);
    EXPECT_EQ(view_->ChartAim(kViewHorizontal).centre.longitude, aim.centre.longitude);
    EXPECT_EQ(view_->ChartAim(kViewHorizontal).centre.latitude, aim.centre.latitude);

    // Below the horizon at 22:00: the view stays where it is.
    view_->FindObject("Antares");
    EXPECT_EQ(view_->ChartAim(kViewHorizontal).centre.longitude, aim.centre.longitude);

    // The geocentric chart centres on right ascension and declination,
    // past its band too.
    view_->OnCommand(kCommandGeocentric);
    view_->FindObject("Polaris");
    const render::ViewAim polaris = view_->ChartAim(kViewGeocentric);
    ASSERT_FALSE(polaris.wholeSky);
    EXPECT_GT(polaris.centre.latitude, 89);
}

}  // namespace
}  // namespace skyvane::app
