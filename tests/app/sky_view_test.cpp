// The sky window as the user meets it: start-up on a first and a later run,
// the start-count pages, the data file check, the intro screen's rules, the
// commands and dialogs, keys through real key events, timers and close.
// The vendor host is a scripted server on 127.0.0.1; pages are recorded.
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QMessageBox>
#include <QProgressDialog>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/constellation_dialog.h"
#include "app/preferences.h"
#include "app/sky_view.h"
#include "online/data_file_update.h"
#include "online/usage_record.h"
#include "places/locations.h"
#include "platform/profile_store.h"
#include "platform/url_opener.h"
#include "platform/worker_thread.h"
#include "render/horizontal_chart.h"
#include "skydata/sky_data.h"
#include "../online/report_test_server.h"
#include "modal_dialog.h"
#include "../scoped_time_zone.h"

namespace skyvane::app {
namespace {

using namespace std::chrono_literals;
using online::reporttest::Answer;
using online::reporttest::NoAnswer;
using online::reporttest::ReportTestEnvironment;
using online::reporttest::ReportTestServer;
using online::reporttest::SlowAnswer;
using platform::GetProfileInt;
using platform::GetProfileString;
using platform::WriteProfileInt;
using platform::WriteProfileString;

constexpr char kNoUpdate[] = "<html>Version:0141 Country=*CH Campain=*000</html>";
constexpr char kUpdate[] = "<html>Version:0142 Country=*CH Campain=*000</html>";

// 2026-12-07 22:00 in Thousand Oaks (zone -8), the first stored place.
std::chrono::system_clock::time_point FixedNow()
{
    return std::chrono::sys_days{std::chrono::year{2026} / 12 / 8} + 6h;
}

// Requests for one path among those the server has seen.
std::vector<std::string> RequestsFor(const ReportTestServer& server, const std::string& path)
{
    std::vector<std::string> found;
    for (const std::string& request : server.Requests())
        if (request.find(" " + path) != std::string::npos) found.push_back(request);
    return found;
}


class SkyViewTest : public testing::Test {
protected:
    void SetUp() override
    {
        platform::SetUrlOpener([this](const std::string& url) {
            opened_.push_back(url);
            return true;
        });
    }
    void TearDown() override
    {
        view_.reset();
        // Workers of this test finish before the next one changes the host.
        platform::LiveWorkerCount::WaitUntilNone(10s);
        platform::SetUrlOpener({});
    }

    // A user who has run the program `starts` times before: a stored usage
    // record, the locations saved and the next data file check far ahead.
    void StoreEarlierRuns(int starts, const std::string& nextDownload = "2099-01-01 00:00:00")
    {
        online::UsageRecord record;
        record.installId = "abcdef";
        record.build = online::kBuildNumber;
        record.starts = starts;
        online::EncodeUsageRecord(record);
        WriteProfileString("Installed", "Data", record.text);
        engine::LocationTable table;
        places::FillDefaultLocations(table, "US");
        places::SaveLocations(table);
        WriteProfileString("Installed", "NBFD", nextDownload);
        // The campaign the server's answers carry (none), so the version
        // check keeps the next data file time.
        WriteProfileInt("Installed", "ABID", 100);
        WriteFirstRunPreferences();
    }

    void StartView(const std::string& answer = kNoUpdate)
    {
        server_ = std::make_unique<ReportTestServer>(Answer(answer));
        environment_.PointAt(server_->HostSetting());
        view_ = std::make_unique<CSkyvaneView>(nullptr, FixedNow);
        view_->resize(1024, 700);
        view_->show();
        view_->OnInitialUpdate();
        view_->OnTimer(kStartupTimer);
    }

    void FinishIntro()
    {
        for (int tick = 0; tick < 4; ++tick) view_->OnTimer(kIntroTimer);
    }

    void ShowChart(int command)
    {
        FinishIntro();
        view_->OnCommand(command);
    }

    // A chart with no timer left that redraws by itself, for tests that
    // count redraws on a slow machine: a key leaves the intro (whose timer
    // goes on after a chart command), and the chart command stops the
    // clock that the key started.
    void ShowChartWithoutRedrawingTimers(int command)
    {
        FinishIntro();
        QTest::keyClick(view_.get(), Qt::Key_Space);
        view_->OnCommand(command);
        ASSERT_FALSE(view_->TimerRunning(kIntroTimer));
        ASSERT_FALSE(view_->TimerRunning(kClockTimer));
    }

    std::string HomePage() const { return "http://" + server_->HostSetting() + "/"; }

    ReportTestEnvironment environment_;
    std::unique_ptr<ReportTestServer> server_;
    std::unique_ptr<CSkyvaneView> view_;
    std::vector<std::string> opened_;
};

TEST_F(SkyViewTest, StartsOnTheIntroWithItsInitialValues)
{
    StartView();
    EXPECT_EQ(view_->ViewMode(), kViewIntro);
    EXPECT_EQ(view_->IntroDone(), 0);
    const ChartNavigation& nav = view_->Navigation();
    EXPECT_EQ(nav.heliocentricZoom, 210);
    EXPECT_EQ(nav.heliocentricStepHours, 72.0);
    EXPECT_EQ(nav.geocentricSpeedSeconds, 3600.0);
    EXPECT_EQ(nav.realTime, 1);
    EXPECT_EQ(view_->Selection(), render::ObjectSelection{});
    EXPECT_TRUE(view_->TimerRunning(kIntroTimer));
    EXPECT_FALSE(view_->TimerRunning(kStartupTimer));
    EXPECT_TRUE(view_->TimerRunning(kUsageSecondsTimer));
    EXPECT_TRUE(view_->TimerRunning(kUsageSaveTimer));
    // The first computation does not fold back, but the instant is now's,
    // in the first place of the list the server's country (CH) chose.
    EXPECT_EQ(view_->Sky().locationName, "Berlin, Deutschland ");
    EXPECT_EQ(view_->Sky().shownYear, 2026);
    EXPECT_EQ(view_->Sky().shownDay, 8);
    EXPECT_EQ(view_->Sky().shownHour, 7);  // 06:00 UTC at +1
}

// "Show the intro screen at start" off: the chart shown last opens as soon
// as the start-up work is done, following the clock; on (the default, and
// a store without the preference) the intro shows as before.
TEST_F(SkyViewTest, WithoutTheIntroTheLastChartOpensAtOnce)
{
    StoreEarlierRuns(10);
    StartView();
    EXPECT_EQ(view_->ViewMode(), kViewIntro);
    FinishIntro();
    ShowChart(kCommandGeocentric);
    EXPECT_EQ(GetProfileInt("Preferences", "LASTCHART"), kViewGeocentric);
    view_.reset();

    PreferenceValues values = ReadPreferenceValues();
    values.noIntro = 1;
    WritePreferenceValues(values);
    StartView();
    EXPECT_EQ(view_->ViewMode(), kViewGeocentric);
    EXPECT_EQ(view_->IntroDone(), 1);
    EXPECT_FALSE(view_->TimerRunning(kIntroTimer));
    EXPECT_TRUE(view_->TimerRunning(kClockTimer));
    EXPECT_EQ(view_->Navigation().realTime, 1);
    EXPECT_EQ(view_->Sky().shownYear, 2026);
    view_.reset();

    // A stored chart that is none of the three opens the horizontal one.
    WriteProfileInt("Preferences", "LASTCHART", 7);
    StartView();
    EXPECT_EQ(view_->ViewMode(), kViewHorizontal);
}

TEST_F(SkyViewTest, FirstRunWritesDefaultsAndRunsOnWhatTheStoreHolds)
{
    StartView();
    EXPECT_EQ(GetProfileInt("Location", "datasaved"), 1);
    EXPECT_EQ(GetProfileInt("Preferences", "CHECK"), 1);
    EXPECT_EQ(GetProfileInt("Preferences", "EW"), 1);

    // The country came with the version check's answer.
    engine::LocationTable expected;
    places::FillDefaultLocations(expected, "CH");
    for (int slot = 0; slot < engine::kLocationsInUse; ++slot) {
        const auto& got = view_->Sky().locations.entries[slot];
        const auto& want = expected.entries[slot];
        EXPECT_EQ(got.name, want.name) << slot;
        EXPECT_NEAR(got.longitude, want.longitude, 5e-5) << slot;
        EXPECT_NEAR(got.latitude, want.latitude, 5e-5) << slot;
        EXPECT_EQ(got.timeZone, want.timeZone) << slot;
        EXPECT_EQ(got.dst, want.dst) << slot;
    }
    EXPECT_EQ(view_->Sky().locationName, expected.entries[0].name);
    EXPECT_EQ(view_->Preferences(), render::DisplayPreferences{});

    // A new record counted this start; a first run always fetches the data file.
    EXPECT_EQ(view_->Usage().starts, 1);
    EXPECT_EQ(view_->Usage().build, online::kBuildNumber);
    EXPECT_EQ(view_->Usage().installId.size(), 6u);
    EXPECT_TRUE(server_->WaitForRequests(2, 5s));
    EXPECT_EQ(RequestsFor(*server_, "/versioncheck/versioncheck.php").size(), 1u);
    EXPECT_FALSE(RequestsFor(*server_, "/system/datafile/").empty());
    EXPECT_TRUE(opened_.empty());
}

TEST_F(SkyViewTest, StartCountsOpenTheHomePageWithTheirReportCode)
{
    struct Case {
        int start;
        const char* answer;
        int code;  // 0: nothing opened
    };
    for (const Case c : {Case{4, kNoUpdate, 990}, Case{4, kUpdate, 990},
                         Case{20, kNoUpdate, 992}, Case{40, kNoUpdate, 992},
                         Case{7, kUpdate, 991}, Case{14, kUpdate, 991}, Case{7, kNoUpdate, 0},
                         Case{20, kUpdate, 0}, Case{5, kNoUpdate, 0},
                         // A damaged record that counts to 0 is no twentieth start.
                         Case{0, kNoUpdate, 0}}) {
        SCOPED_TRACE(testing::Message() << "start " << c.start << " " << c.answer);
        view_.reset();  // its close work belongs to the store it ran on
        platform::LiveWorkerCount::WaitUntilNone(10s);
        ReportTestEnvironment fresh;
        opened_.clear();
        StoreEarlierRuns(c.start - 1);
        StartView(c.answer);
        EXPECT_EQ(view_->Usage().starts, c.start);
        if (c.code == 0) {
            EXPECT_TRUE(opened_.empty());
            continue;
        }
        ASSERT_EQ(opened_, std::vector<std::string>{HomePage()});
        ASSERT_TRUE(server_->WaitForRequests(2, 5s));
        const auto reports = RequestsFor(*server_, "/versioncheck/clickcount.php");
        ASSERT_EQ(reports.size(), 1u);
        EXPECT_EQ(online::reporttest::HeaderValue(reports[0], "Referer"),
                  "abcdef" + std::to_string(c.code) + "0");
    }
}

TEST_F(SkyViewTest, DataFileCheckRunsUnlessANineteenCharacterTimeLiesAhead)
{
    struct Case {
        const char* nextDownload;
        bool downloads;
    };
    for (const Case c : {Case{"2099-01-01 00:00:00", false}, Case{"2020-01-01 00:00:00", true},
                         Case{"2099-01-01 00:00:0", true}, Case{"2099-01-01 00:00:000", true},
                         Case{"", true}}) {
        SCOPED_TRACE(c.nextDownload);
        view_.reset();
        platform::LiveWorkerCount::WaitUntilNone(10s);
        ReportTestEnvironment fresh;
        StoreEarlierRuns(10, c.nextDownload);
        StartView();
        if (c.downloads) {
            for (int wait = 0; wait < 100 && RequestsFor(*server_, "/system/datafile/").empty();
                 ++wait)
                QTest::qWait(20);
            EXPECT_FALSE(RequestsFor(*server_, "/system/datafile/").empty());
        } else {
            platform::LiveWorkerCount::WaitUntilNone(5s);
            EXPECT_TRUE(RequestsFor(*server_, "/system/datafile/").empty());
        }
    }
}

TEST_F(SkyViewTest, TheIntroRefusesChartsForTwoSecondsThenAKeyShowsTheHorizontalChartOfNow)
{
    StoreEarlierRuns(10);
    StartView();
    for (int tick = 0; tick < 3; ++tick) {
        view_->OnTimer(kIntroTimer);
        view_->OnCommand(kCommandGeocentric);
        QTest::keyClick(view_.get(), Qt::Key_Space);
        EXPECT_EQ(view_->ViewMode(), kViewIntro) << tick;
    }
    view_->OnTimer(kIntroTimer);
    EXPECT_EQ(view_->IntroDone(), 1);

    // Menu keys do not count as a key press.
    QTest::keyClick(view_.get(), Qt::Key_Alt);
    QTest::keyClick(view_.get(), Qt::Key_F, Qt::AltModifier);
    EXPECT_EQ(view_->ViewMode(), kViewIntro);

    view_->MutableSky().year = 1900;
    QTest::keyClick(view_.get(), Qt::Key_Space);
    EXPECT_EQ(view_->ViewMode(), kViewHorizontal);
    EXPECT_FALSE(view_->TimerRunning(kIntroTimer));
    EXPECT_TRUE(view_->TimerRunning(kClockTimer));
    EXPECT_EQ(view_->Sky().realTime, 1);
    EXPECT_EQ(view_->Sky().year, 2026);
    EXPECT_EQ(view_->Sky().locationName, "Thousand Oaks, CA, USA");

    // Back to the intro: it counts again but stays done.
    view_->OnCommand(kCommandIntroScreen);
    EXPECT_EQ(view_->ViewMode(), kViewIntro);
    EXPECT_EQ(view_->IntroTicks(), 0);
    EXPECT_EQ(view_->IntroDone(), 1);
    EXPECT_FALSE(view_->TimerRunning(kClockTimer));
    view_->OnCommand(kCommandHeliocentric);
    EXPECT_EQ(view_->ViewMode(), kViewHeliocentric);
}

TEST_F(SkyViewTest, ChartCommandsStopTheClockAndEveryAnimation)
{
    StoreEarlierRuns(10);
    StartView();
    ShowChart(kCommandHorizontal);
    QTest::keyClick(view_.get(), Qt::Key_N);
    EXPECT_TRUE(view_->TimerRunning(kClockTimer));
    QTest::keyClick(view_.get(), Qt::Key_F, Qt::AltModifier);  // the File menu
    EXPECT_FALSE(view_->TimerRunning(kHorizonAnimationTimer));
    QTest::keyClick(view_.get(), Qt::Key_F);
    EXPECT_TRUE(view_->TimerRunning(kHorizonAnimationTimer));
    EXPECT_FALSE(view_->TimerRunning(kClockTimer));
    view_->OnCommand(kCommandGeocentric);
    EXPECT_FALSE(view_->TimerRunning(kHorizonAnimationTimer));
    // The flag stays until the next key in that chart.
    EXPECT_EQ(view_->Navigation().horizontalAnimating, 1);
}

// Without a browser the web commands say so in a message that does not
// stop the chart; with one they say nothing.
TEST_F(SkyViewTest, AWebCommandWithoutABrowserSaysSo)
{
    StoreEarlierRuns(10);
    StartView();
    FinishIntro();
    view_->OnCommand(kCommandManual);
    EXPECT_EQ(view_->findChild<QMessageBox*>("noBrowser"), nullptr);
    platform::SetUrlOpener([](const std::string&) { return false; });
    for (int command : {kCommandManual, kCommandWebsite, kCommandDonate}) {
        view_->OnCommand(command);
        auto* box = view_->findChild<QMessageBox*>("noBrowser");
        ASSERT_NE(box, nullptr) << command;
        EXPECT_TRUE(box->isVisible());
        EXPECT_NE(box->windowModality(), Qt::ApplicationModal);
        EXPECT_TRUE(box->text().contains("no web browser")) << box->text().toStdString();
        EXPECT_TRUE(box->text().contains("http://" + QString::fromStdString(server_->HostSetting())))
            << box->text().toStdString();
        box->close();
        QTest::qWait(0);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

TEST_F(SkyViewTest, DialogCommandsAreRefusedOnTheIntroAndTheWebCommandsAreNot)
{
    StoreEarlierRuns(10);
    StartView();
    FinishIntro();
    for (int command : {kCommandEditLocation, kCommandEnterTime, kCommandSearchConstellation,
                        kCommandPreferences}) {
        EXPECT_EQ(RunWithDialog([&] { view_->OnCommand(command); },
                                [](QDialog* d) { d->reject(); }),
                  0)
            << command;
    }
    view_->OnCommand(kCommandManual);
    view_->OnCommand(kCommandWebsite);
    view_->OnCommand(kCommandDonate);
    EXPECT_EQ(opened_, (std::vector<std::string>{"http://" + server_->HostSetting() + "/manual.php",
                                                 HomePage(),
                                                 "http://" + server_->HostSetting() + "/donate.php"}));
    ASSERT_TRUE(server_->WaitForRequests(4, 5s));
    std::vector<std::string> referers;
    for (const auto& r : RequestsFor(*server_, "/versioncheck/clickcount.php"))
        referers.push_back(online::reporttest::HeaderValue(r, "Referer"));
    EXPECT_EQ(referers, (std::vector<std::string>{"abcdef9940", "abcdef9950", "abcdef9980"}));

    view_->OnCommand(kCommandHorizontal);
    for (int command : {kCommandEditLocation, kCommandEnterTime, kCommandSearchConstellation,
                        kCommandPreferences}) {
        EXPECT_EQ(RunWithDialog([&] { view_->OnCommand(command); },
                                [](QDialog* d) { d->reject(); }),
                  1)
            << command;
    }
}

TEST_F(SkyViewTest, KeysStepInTheUnitCycleAndCarryThirtyFirstJanuaryIntoMarch)
{
    StoreEarlierRuns(10);
    StartView();
    ShowChart(kCommandHorizontal);
    engine::SkyState& sky = view_->MutableSky();
    sky.year = 2027;
    sky.month = 1;
    sky.day = 31;
    view_->MutableNavigation().timeControl = kTimeControlUnitCycle;
    view_->MutableNavigation().realTime = 0;
    QTest::keyClick(view_.get(), Qt::Key_Up);
    QTest::keyClick(view_.get(), Qt::Key_Up);
    EXPECT_EQ(view_->Navigation().stepUnit, kStepUnitMonth);
    const int redraws = view_->RedrawRequests();
    QTest::keyClick(view_.get(), Qt::Key_Right);
    EXPECT_EQ(view_->Sky().month, 3);
    EXPECT_EQ(view_->Sky().day, 3);
    EXPECT_EQ(view_->Sky().year, 2027);
    EXPECT_GT(view_->RedrawRequests(), redraws);
}

TEST_F(SkyViewTest, DigitAndKeypadKeysThroughKeyEvents)
{
    StoreEarlierRuns(10);
    StartView();
    ShowChart(kCommandHorizontal);
    engine::LocationTable table;
    places::FillDefaultLocations(table, "US");

    QTest::keyClick(view_.get(), Qt::Key_2);
    EXPECT_EQ(view_->CurrentLocation(), 2);
    EXPECT_EQ(view_->Sky().locationName, table.entries[2].name);
    QTest::keyClick(view_.get(), Qt::Key_4, Qt::KeypadModifier);
    EXPECT_EQ(view_->CurrentLocation(), 4);
    QTest::keyClick(view_.get(), Qt::Key_7);
    EXPECT_EQ(view_->CurrentLocation(), 4);
    EXPECT_EQ(view_->Sky().locationName, table.entries[4].name);

    // Time stopped: nothing else will redraw, so F1 must.
    QTest::keyClick(view_.get(), Qt::Key_Return);
    int redraws = view_->RedrawRequests();
    QTest::keyClick(view_.get(), Qt::Key_F1);
    EXPECT_TRUE(view_->Selection().helpOverlay);
    EXPECT_GT(view_->RedrawRequests(), redraws);
    redraws = view_->RedrawRequests();
    QTest::keyClick(view_.get(), Qt::Key_F1);
    EXPECT_FALSE(view_->Selection().helpOverlay);
    EXPECT_GT(view_->RedrawRequests(), redraws);

    view_->OnCommand(kCommandHeliocentric);
    QTest::keyClick(view_.get(), Qt::Key_Plus);  // the main keyboard's plus
    EXPECT_EQ(view_->Navigation().heliocentricZoom, 210);
    QTest::keyClick(view_.get(), Qt::Key_Plus, Qt::KeypadModifier);
    EXPECT_EQ(view_->Navigation().heliocentricZoom, 231);
    // 231 / 1.1 is just below 210 in doubles, and the quotient is truncated.
    QTest::keyClick(view_.get(), Qt::Key_Minus, Qt::KeypadModifier);
    EXPECT_EQ(view_->Navigation().heliocentricZoom, 209);
}

TEST_F(SkyViewTest, TimeDialogTakesTheInstantBackAndStopsFollowingTheClock)
{
    StoreEarlierRuns(10);
    StartView();
    ShowChart(kCommandHorizontal);
    QTest::keyClick(view_.get(), Qt::Key_N);
    EXPECT_EQ(RunWithDialog([&] { view_->OnCommand(kCommandEnterTime); },
                            [](QDialog* d) {
                                auto* year = d->findChild<QLineEdit*>("1019");
                                ASSERT_NE(year, nullptr);
                                d->findChild<QRadioButton*>("1028")->click();
                                year->setText("-3167");
                                d->accept();
                            }),
              1);
    EXPECT_EQ(view_->Sky().year, -3167);
    EXPECT_EQ(view_->Navigation().realTime, 0);
    EXPECT_FALSE(view_->TimerRunning(kClockTimer));
    // A digit key now keeps the entered instant instead of jumping to now.
    QTest::keyClick(view_.get(), Qt::Key_1);
    EXPECT_EQ(view_->Sky().year, -3167);
}

// The instant of the window as "year-month-day hour:minute:second".
std::string InstantText(const engine::SkyState& sky)
{
    return std::to_string(sky.year) + "-" + std::to_string(sky.month) + "-" +
           std::to_string(sky.day) + " " + std::to_string(sky.hour) + ":" +
           std::to_string(sky.minute) + ":" + std::to_string(static_cast<int>(sky.second));
}

TEST_F(SkyViewTest, NowIsTheClocksInstantInTheCivilTimeOfThePlaceShown)
{
    // A computer set to UTC, as servers and many containers are: its own
    // wall time must not be read as the place's.
    const ScopedTimeZone zone("UTC0");

    StoreEarlierRuns(10);
    StartView();
    // Before any key: the first computation is already the place's now.
    EXPECT_EQ(InstantText(view_->Sky()), "2026-12-7 22:0:0");
    for (int tick = 0; tick < 4; ++tick) view_->OnTimer(kIntroTimer);
    QTest::keyClick(view_.get(), Qt::Key_Space);  // the first key is N
    EXPECT_EQ(InstantText(view_->Sky()), "2026-12-7 22:0:0");
    EXPECT_EQ(view_->Sky().shownHour, 22);
    EXPECT_LT(view_->Sky().altitude[engine::kSun], 0);  // night in California

    // Zurich (+1) and Sydney (+10): the clock's instant in their zones.
    QTest::keyClick(view_.get(), Qt::Key_2);
    EXPECT_EQ(InstantText(view_->Sky()), "2026-12-8 7:0:0");
    QTest::keyClick(view_.get(), Qt::Key_3);
    EXPECT_EQ(InstantText(view_->Sky()), "2026-12-8 16:0:0");
    view_->OnTimer(kClockTimer);
    EXPECT_EQ(InstantText(view_->Sky()), "2026-12-8 16:0:0");
    EXPECT_GT(view_->Sky().altitude[engine::kSun], 0);  // afternoon in Sydney

    // "Set Current Time" in the time dialog shows the same now.
    QTest::keyClick(view_.get(), Qt::Key_0);
    EXPECT_EQ(RunWithDialog([&] { view_->OnCommand(kCommandEnterTime); },
                            [](QDialog* d) {
                                d->findChild<QPushButton*>("1026")->click();
                                d->accept();
                            }),
              1);
    EXPECT_EQ(InstantText(view_->Sky()), "2026-12-7 22:0:0");
}

TEST_F(SkyViewTest, AnAnimationStopsOnTheLastInstantOfTheRange)
{
    StoreEarlierRuns(10);
    StartView();
    ShowChart(kCommandGeocentric);
    engine::SkyState& sky = view_->MutableSky();
    sky.year = 9999;
    sky.month = 12;
    sky.day = 31;
    sky.hour = 21;
    sky.minute = 0;
    sky.second = 0;
    QTest::keyClick(view_.get(), Qt::Key_F);
    ASSERT_TRUE(view_->TimerRunning(kGeoAnimationTimer));
    int ticks = 0;
    while (view_->TimerRunning(kGeoAnimationTimer) && ticks < 10) {
        view_->OnTimer(kGeoAnimationTimer);
        ++ticks;
    }
    EXPECT_EQ(ticks, 3);  // 22:00, 23:00, then the last second
    EXPECT_EQ(view_->Navigation().geocentricAnimating, 0);
    EXPECT_EQ(InstantText(view_->Sky()), "9999-12-31 23:59:59");
}

TEST_F(SkyViewTest, PreferencesDialogShowsTheFirstRunOptionsAndResetsTheStepUnit)
{
    StoreEarlierRuns(10);
    StartView();
    ShowChart(kCommandGeocentric);
    view_->MutableNavigation().stepUnit = kStepUnitYear;
    std::vector<std::string> checked;
    RunWithDialog([&] { view_->OnCommand(kCommandPreferences); },
                  [&](QDialog* d) {
                      for (auto* button : d->findChildren<QAbstractButton*>())
                          if (button->isCheckable() && button->isChecked())
                              checked.push_back(button->objectName().toStdString());
                      d->findChild<QPushButton*>("1")->click();
                  });
    std::sort(checked.begin(), checked.end());
    EXPECT_EQ(checked, (std::vector<std::string>{"1039", "1040", "1043", "1046", "1048", "1049",
                                                 "1052", "1054"}));
    EXPECT_EQ(view_->Navigation().stepUnit, kStepUnitDay);
}

TEST_F(SkyViewTest, ConstellationSearchSelectsTheAlphaStarOrLeavesRowZero)
{
    StoreEarlierRuns(10);
    StartView();
    ShowChartWithoutRedrawingTimers(kCommandHorizontal);
    const auto& catalogue = *skydata::CurrentSkyData()->catalogue;
    ASSERT_GT(catalogue.starCount, 0) << "the test folder holds our data file";

    int redraws = view_->RedrawRequests();
    std::vector<QString> rows;
    RunWithDialog([&] { view_->OnSearchConstellation(); },
                  [&](QDialog* d) {
                      auto* list = d->findChild<QListWidget*>("1032");
                      for (int i = 0; i < list->count(); ++i) rows.push_back(list->item(i)->text());
                      EXPECT_EQ(list->currentRow(), 0);
                      EXPECT_EQ(d->windowTitle(), "Constellations");
                      EXPECT_EQ(d->findChild<QPushButton*>("1")->text(), "Show Constellation");
                      EXPECT_FALSE(d->findChild<QPushButton*>("2")->isVisible());
                      QTest::keyClick(d, Qt::Key_Escape);
                  });
    ASSERT_EQ(rows.size(), 88u);
    EXPECT_EQ(rows[0].toStdString(), catalogue.constellationNames[0].substr(4));
    EXPECT_EQ(view_->Selection().selectedStar, 0);
    EXPECT_EQ(view_->RedrawRequests(), redraws);

    // Orion's row, picked from the list.
    int orion = -1;
    for (int i = 0; i < 88; ++i)
        if (catalogue.constellationNames[i].starts_with("Ori ")) orion = i;
    ASSERT_GE(orion, 0);
    RunWithDialog([&] { view_->OnSearchConstellation(); },
                  [&](QDialog* d) {
                      d->findChild<QListWidget*>("1032")->setCurrentRow(orion);
                      d->findChild<QPushButton*>("1")->click();
                  });
    const auto& star = catalogue.stars[view_->Selection().selectedStar];
    EXPECT_TRUE(star.designation.ends_with("Ori")) << star.designation;
    EXPECT_NE(star.designation.find("Alp"), std::string::npos) << star.designation;
    EXPECT_GT(view_->RedrawRequests(), redraws);
}

TEST_F(SkyViewTest, ConstellationSearchWithoutADataFileSelectsRowZeroWithoutARedraw)
{
    StoreEarlierRuns(10);
    StartView();
    ShowChartWithoutRedrawingTimers(kCommandGeocentric);
    const auto loaded = skydata::CurrentSkyData();
    auto empty = std::make_shared<skydata::SkyData>();
    empty->catalogue = std::make_shared<skydata::SkyCatalogue>();
    skydata::PublishSkyData(empty);

    const int redraws = view_->RedrawRequests();
    int rows = 0;
    RunWithDialog([&] { view_->OnSearchConstellation(); },
                  [&](QDialog* d) {
                      auto* list = d->findChild<QListWidget*>("1032");
                      rows = list->count();
                      list->setCurrentRow(30);
                      d->accept();
                  });
    skydata::PublishSkyData(loaded);
    EXPECT_EQ(rows, 88);
    EXPECT_EQ(view_->Selection().selectedStar, 0);
    EXPECT_EQ(view_->RedrawRequests(), redraws);
}

TEST_F(SkyViewTest, ClicksSelectWhatTheChartDrewAndTheLinkOpensItsPage)
{
    StoreEarlierRuns(10);
    StartView();
    ShowChart(kCommandHorizontal);
    // Zurich on a winter night: the sky is full of stars.
    QTest::keyClick(view_.get(), Qt::Key_1);
    engine::SkyState& sky = view_->MutableSky();
    sky.hour = 22;
    QTest::keyClick(view_.get(), Qt::Key_Return);
    view_->grab();

    const auto& rects = view_->ClickRects().stars;
    const auto& catalogue = *skydata::CurrentSkyData()->catalogue;
    int star = -1;
    for (int row = catalogue.starCount - 1; row > 0 && star < 0; --row)
        if (rects[row].right > rects[row].left && catalogue.stars[row].hasInfoPage) star = row;
    ASSERT_GT(star, 0) << "no star with a page was drawn";
    const QPoint centre((rects[star].left + rects[star].right) / 2,
                        (rects[star].top + rects[star].bottom) / 2);
    QTest::mouseClick(view_.get(), Qt::LeftButton, {}, centre);
    EXPECT_GE(view_->Selection().selectedStar, star);
    EXPECT_EQ(view_->Selection().selectedDeepSky, -1);
    EXPECT_TRUE(opened_.empty());

    view_->grab();
    const skydata::IntRect link = view_->ObjectLinkRect();
    ASSERT_GT(link.right, link.left);
    QTest::mouseClick(view_.get(), Qt::LeftButton, {},
                      QPoint((link.left + link.right) / 2, (link.top + link.bottom) / 2));
    ASSERT_EQ(opened_.size(), 1u);
    EXPECT_TRUE(opened_[0].starts_with(catalogue.pagePrefix)) << opened_[0];
    ASSERT_TRUE(server_->WaitForRequests(2, 5s));
    const auto reports = RequestsFor(*server_, "/versioncheck/clickcount.php");
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(online::reporttest::HeaderValue(reports[0], "Referer"), "abcdef9970");

    // A double click on the link opens the page once, not once per click:
    // the window sees a press and a release, then the double click in
    // place of the second press.
    view_->grab();
    const QPoint onLink((link.left + link.right) / 2, (link.top + link.bottom) / 2);
    QTest::mouseClick(view_.get(), Qt::LeftButton, {}, onLink);
    QTest::mouseDClick(view_.get(), Qt::LeftButton, {}, onLink);
    EXPECT_EQ(opened_.size(), 2u);

    // Nothing is picked on the intro screen.
    view_->OnCommand(kCommandIntroScreen);
    const render::ObjectSelection before = view_->Selection();
    QTest::mouseClick(view_.get(), Qt::LeftButton, {}, centre);
    EXPECT_EQ(view_->Selection(), before);
}

// The window paints its chart straight into the window system's back
// buffer; the picture is the one the chart draws on its own surface, at 1x
// and on a high-density screen.
TEST_F(SkyViewTest, TheWindowShowsTheChartPixelForPixel)
{
    StoreEarlierRuns(10);
    StartView();
    ShowChart(kCommandHorizontal);
    QTest::keyClick(view_.get(), Qt::Key_1);
    view_->MutableSky().hour = 22;
    QTest::keyClick(view_.get(), Qt::Key_Return);
    for (const int ratio : {1, 2}) {
        SCOPED_TRACE(ratio);
        const QSize size = view_->size() * ratio;
        QImage shown(size, QImage::Format_RGB32);
        shown.setDevicePixelRatio(ratio);
        shown.fill(Qt::red);
        view_->render(&shown, QPoint(), QRegion(), QWidget::RenderFlags());

        QImage drawn(size, QImage::Format_RGB32);
        drawn.setDevicePixelRatio(ratio);
        skydata::CatalogueClickRects clicks;
        skydata::IntRect link{};
        {
            QPainter painter(&drawn);
            painter.setBackground(QColor(0, 0, 0));
            const auto& nav = view_->Navigation();
            render::DrawHorizontalChart(painter, render::OutputKind::Window, view_->Sky(),
                                        view_->height(), view_->width(), nav.heliocentricZoom,
                                        link, nav.timeControl, nav.stepUnit,
                                        *skydata::CurrentSkyData()->catalogue, clicks,
                                        view_->Preferences(), view_->Selection());
        }
        int differing = 0;
        for (int y = 0; y < size.height(); ++y)
            for (int x = 0; x < size.width(); ++x)
                if (shown.pixel(x, y) != drawn.pixel(x, y)) ++differing;
        EXPECT_EQ(differing, 0);
    }
}

TEST_F(SkyViewTest, PrintingLaysTheChartOnScreenOnOnePageInItsOrientation)
{
    StoreEarlierRuns(10);
    StartView();
    const std::string pdf = environment_.Folder() + "/page.pdf";
    auto printPage = [&] {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QString::fromStdString(pdf));
        printer.setResolution(150);
        printer.setPageOrientation(QPageLayout::Landscape);
        view_->OnPreparePrinting(printer);
        const QPageLayout::Orientation orientation = printer.pageLayout().orientation();
        EXPECT_EQ(printer.fromPage(), 1);
        EXPECT_EQ(printer.toPage(), 1);
        QPainter painter(&printer);
        view_->OnPrint(painter, printer);
        painter.end();
        return orientation;
    };
    // The intro leaves the orientation alone.
    EXPECT_EQ(printPage(), QPageLayout::Landscape);
    ShowChart(kCommandGeocentric);
    EXPECT_EQ(printPage(), QPageLayout::Landscape);
    view_->OnCommand(kCommandHeliocentric);
    EXPECT_EQ(printPage(), QPageLayout::Portrait);
    view_->OnCommand(kCommandHorizontal);
    view_->grab();
    const auto before = view_->ClickRects();
    EXPECT_EQ(printPage(), QPageLayout::Portrait);
    EXPECT_GT(std::filesystem::file_size(pdf), 10000u);
    EXPECT_TRUE(view_->ClickRects().stars == before.stars);
}

TEST_F(SkyViewTest, UsageSecondsCountPerChartAndAreSavedOnTheirTimerAndAtClose)
{
    StoreEarlierRuns(3);  // this is the fourth start
    StartView();
    view_->OnTimer(kUsageSecondsTimer);  // intro: not counted
    ShowChart(kCommandGeocentric);
    view_->OnTimer(kUsageSecondsTimer);
    view_->OnTimer(kUsageSecondsTimer);
    view_->OnCommand(kCommandHorizontal);
    view_->OnTimer(kUsageSecondsTimer);
    EXPECT_EQ(view_->Usage().geoSeconds, 2);
    EXPECT_EQ(view_->Usage().horizonSeconds, 1);
    EXPECT_EQ(view_->Usage().helioSeconds, 0);

    view_->OnTimer(kUsageSaveTimer);
    online::UsageRecord stored;
    online::DecodeUsageRecord(GetProfileString("Installed", "Data"), stored);
    EXPECT_EQ(stored.starts, 4);

    // The fourth start checks the version again when the window closes.
    const std::size_t checks = RequestsFor(*server_, "/versioncheck/versioncheck.php").size();
    view_->OnDestroy();
    EXPECT_EQ(RequestsFor(*server_, "/versioncheck/versioncheck.php").size(), checks + 1);
}

// Config > Update datafile shows that it works and then what came of it:
// here an answer that is no data file, named in the message.
TEST_F(SkyViewTest, UpdateDatafileShowsProgressAndItsOutcome)
{
    StoreEarlierRuns(10);
    StartView();
    server_ = std::make_unique<ReportTestServer>(SlowAnswer(300ms, "short"));
    environment_.PointAt(server_->HostSetting());
    view_->OnCommand(kCommandUpdateDataFile);
    auto* progress = view_->findChild<QProgressDialog*>("updateProgress");
    ASSERT_NE(progress, nullptr);
    EXPECT_TRUE(progress->isVisible());
    EXPECT_TRUE(progress->labelText().contains(QString::fromStdString(server_->HostSetting())));
    QMessageBox* outcome = nullptr;
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return (outcome = view_->findChild<QMessageBox*>("updateOutcome")) != nullptr; },
        15000));
    ASSERT_NE(outcome, nullptr);
    EXPECT_TRUE(outcome->text().startsWith("The sky data file was not updated: "))
        << outcome->text().toStdString();
    EXPECT_GT(outcome->text().size(), 40);
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return view_->findChild<QProgressDialog*>("updateProgress") == nullptr; }, 2000));
    outcome->close();
}

// The outcome names what went wrong as a user says it, whatever failed:
// never the socket layer's own text ("Connect Fehler #111").
TEST_F(SkyViewTest, UpdateDatafileSaysInWordsWhyItFailed)
{
    StoreEarlierRuns(10);
    StartView();
    struct Case {
        const char* what;
        std::function<std::unique_ptr<ReportTestServer>()> host;  // null: nothing listens
        std::string expected;  // after the host's address
    };
    const std::vector<Case> cases = {
        {"refused", [] { return nullptr; }, ": connection refused"},
        {"hung up", [] { return std::make_unique<ReportTestServer>(NoAnswer()); },
         " closed the connection"},
        {"too short", [] { return std::make_unique<ReportTestServer>(Answer("short")); },
         " has only 5 bytes"},
    };
    for (const Case& c : cases) {
        server_ = c.host();
        std::string host;
        if (server_) {
            host = server_->HostSetting();
        } else {
            // A port that was just free and that nothing listens on now.
            host = ReportTestServer(NoAnswer()).HostSetting();
        }
        environment_.PointAt(host);
        view_->OnCommand(kCommandUpdateDataFile);
        QMessageBox* outcome = nullptr;
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return (outcome = view_->findChild<QMessageBox*>("updateOutcome")) != nullptr; },
            15000))
            << c.what;
        const std::string text = outcome->text().toStdString();
        EXPECT_NE(text.find(host + c.expected), std::string::npos) << c.what << ": " << text;
        EXPECT_EQ(text.find("Fehler"), std::string::npos) << c.what << ": " << text;
        outcome->close();
        QTest::qWait(0);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

TEST_F(SkyViewTest, ClosingDuringADownloadLeavesTheWorkerToFinishAlone)
{
    StoreEarlierRuns(10);
    StartView();
    server_ = std::make_unique<ReportTestServer>(SlowAnswer(300ms, "short"));
    environment_.PointAt(server_->HostSetting());
    view_->OnCommand(kCommandUpdateDataFile);
    view_.reset();
    EXPECT_TRUE(platform::LiveWorkerCount::WaitUntilNone(15s));
    EXPECT_FALSE(RequestsFor(*server_, "/system/datafile/").empty());
}

}  // namespace
}  // namespace skyvane::app
