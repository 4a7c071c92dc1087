// The sky window as a user finds it on a winter evening in Zurich: past
// the intro, on the horizontal chart, with its hosts on this machine. The
// window tests that select, find and zoom start from here.
#pragma once

#include <QTest>

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string_view>

#include "app/preferences.h"
#include "app/sky_view.h"
#include "online/usage_record.h"
#include "places/locations.h"
#include "platform/profile_store.h"
#include "platform/url_opener.h"
#include "platform/worker_thread.h"
#include "skydata/sky_data.h"
#include "../earlier_run.h"
#include "../online/report_test_server.h"

namespace skyvane::app {

// 2026-12-07 22:00 in Zurich (zone +1).
inline std::chrono::system_clock::time_point WinterEvening()
{
    using namespace std::chrono_literals;
    return std::chrono::sys_days{std::chrono::year{2026} / 12 / 7} + 21h;
}

// The settings of that user: a record of earlier starts, the Swiss
// locations, no data file update due, and the first run's preferences.
inline void StoreZurichEveningSettings()
{
    platform::SetUrlOpener([](const std::string&) { return true; });
    StoreEarlierRunRecord();
    WriteFirstRunPreferences();
}

// Zurich, 2026-12-07 at `hour` o'clock local time in `view`, computed as
// the window computes after a key.
inline void ShowZurichAt(CSkyvaneView& view, int hour)
{
    engine::SkyState& sky = view.MutableSky();
    sky.longitude = -8.5;
    sky.latitude = 47.32;
    sky.timeZone = 1;
    sky.dst = 0;
    sky.locationName = "Zurich";
    sky.year = 2026;
    sky.month = 12;
    sky.day = 7;
    sky.hour = hour;
    sky.minute = 0;
    sky.second = 0;
    // Enter stops following the clock; a step forth and back computes
    // the sky of the instant entered.
    QTest::keyClick(&view, Qt::Key_Return);
    QTest::keyClick(&view, Qt::Key_Right);
    QTest::keyClick(&view, Qt::Key_Left);
    ASSERT_EQ(view.Sky().shownHour, hour);
    ASSERT_EQ(view.Sky().shownMinute, 0);
}

// A shown `view` taken past its start-up and the intro to the horizontal
// chart of 22:00.
inline void StartZurichEvening(CSkyvaneView& view)
{
    view.OnInitialUpdate();
    view.OnTimer(kStartupTimer);
    for (int tick = 0; tick < 4; ++tick) view.OnTimer(kIntroTimer);
    view.OnCommand(kCommandHorizontal);
    ASSERT_GT(skydata::CurrentSkyData()->catalogue->starCount, 0);
    ShowZurichAt(view, 22);
}

class ZurichEveningViewTest : public testing::Test {
protected:
    void SetUp() override
    {
        StoreZurichEveningSettings();
        server_ = std::make_unique<online::reporttest::ReportTestServer>(
            online::reporttest::Answer("<html>Version:0141 Country=*CH Campain=*000</html>"));
        environment_.PointAt(server_->HostSetting());
        view_ = std::make_unique<CSkyvaneView>(nullptr, WinterEvening);
        view_->resize(1024, 700);
        view_->show();
        StartZurichEvening(*view_);
    }
    void TearDown() override
    {
        using namespace std::chrono_literals;
        view_.reset();
        platform::LiveWorkerCount::WaitUntilNone(10s);
        platform::SetUrlOpener({});
    }

    void AtZurich(int hour) { ShowZurichAt(*view_, hour); }

    int StarRow(std::string_view designation) const
    {
        const auto& c = *skydata::CurrentSkyData()->catalogue;
        for (int i = 0; i < c.starCount; ++i)
            if (c.stars[static_cast<std::size_t>(i)].designation == designation) return i;
        return -1;
    }

    online::reporttest::ReportTestEnvironment environment_;
    std::unique_ptr<online::reporttest::ReportTestServer> server_;
    std::unique_ptr<CSkyvaneView> view_;
};

}  // namespace skyvane::app
