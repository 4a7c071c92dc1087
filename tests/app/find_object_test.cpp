// Search › Object in the sky window: finding selects as a click selects,
// a body's table row is framed, the dialog completes names and says when the
// chart on screen does not show the object; File › Save Chart As writes what
// the window shows.
#include <QAbstractItemView>
#include <QApplication>
#include <QCompleter>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <memory>
#include <optional>

#include "app/main_frame.h"
#include "app/preferences.h"
#include "app/sky_view.h"
#include "engine/body.h"
#include "online/usage_record.h"
#include "places/locations.h"
#include "platform/profile_store.h"
#include "platform/url_opener.h"
#include "platform/worker_thread.h"
#include "skydata/sky_data.h"
#include "../online/report_test_server.h"
#include "modal_dialog.h"

namespace skyvane::app {
namespace {

using namespace std::chrono_literals;

// 2026-12-07 22:00 in Zurich (zone +1).
std::chrono::system_clock::time_point WinterEvening()
{
    return std::chrono::sys_days{std::chrono::year{2026} / 12 / 7} + 21h;
}


class FindObjectTest : public testing::Test {
protected:
    void SetUp() override
    {
        platform::SetUrlOpener([](const std::string&) { return true; });
        online::UsageRecord record;
        record.installId = "abcdef";
        record.build = online::kBuildNumber;
        record.starts = 10;
        online::EncodeUsageRecord(record);
        platform::WriteProfileString("Installed", "Data", record.text);
        engine::LocationTable table;
        places::FillDefaultLocations(table, "CH");
        places::SaveLocations(table);
        platform::WriteProfileString("Installed", "NBFD", "2099-01-01 00:00:00");
        platform::WriteProfileInt("Installed", "ABID", 100);
        WriteFirstRunPreferences();

        server_ = std::make_unique<online::reporttest::ReportTestServer>(
            online::reporttest::Answer("<html>Version:0141 Country=*CH Campain=*000</html>"));
        environment_.PointAt(server_->HostSetting());
        view_ = std::make_unique<CSkyvaneView>(nullptr, WinterEvening);
        view_->resize(1024, 700);
        view_->show();
        view_->OnInitialUpdate();
        view_->OnTimer(kStartupTimer);
        for (int tick = 0; tick < 4; ++tick) view_->OnTimer(kIntroTimer);
        view_->OnCommand(kCommandHorizontal);
        ASSERT_GT(skydata::CurrentSkyData()->catalogue->starCount, 0);
        AtZurich(22);
    }
    void TearDown() override
    {
        view_.reset();
        platform::LiveWorkerCount::WaitUntilNone(10s);
        platform::SetUrlOpener({});
    }

    // Zurich, 2026-12-07 at `hour` o'clock local time, computed as the
    // window computes after a key.
    void AtZurich(int hour)
    {
        engine::SkyState& sky = view_->MutableSky();
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
        QTest::keyClick(view_.get(), Qt::Key_Return);
        QTest::keyClick(view_.get(), Qt::Key_Right);
        QTest::keyClick(view_.get(), Qt::Key_Left);
        ASSERT_EQ(view_->Sky().shownHour, hour);
        ASSERT_EQ(view_->Sky().shownMinute, 0);
    }

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

TEST_F(FindObjectTest, FindingAStarSelectsItExactlyAsAClickOnIt)
{
    const int sirius = StarRow("9 Alp CMa");
    ASSERT_GT(sirius, 0);
    view_->grab();
    const skydata::IntRect r = view_->ClickRects().stars[static_cast<std::size_t>(sirius)];
    ASSERT_GT(r.right, r.left) << "Sirius is up at 22:00";
    QTest::mouseClick(view_.get(), Qt::LeftButton, {},
                      QPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2));
    ASSERT_EQ(view_->Selection().selectedStar, sirius);
    const render::ObjectSelection clicked = view_->Selection();
    const QImage clickedPicture = view_->grab().toImage();
    const skydata::IntRect clickedLink = view_->ObjectLinkRect();

    // Something else first, then the star by name.
    EXPECT_TRUE(view_->FindObject("Jupiter").found);
    const FindOutcome outcome = view_->FindObject("alf CMa");
    EXPECT_TRUE(outcome.found);
    EXPECT_EQ(view_->Selection(), clicked);
    EXPECT_TRUE(view_->grab().toImage() == clickedPicture);
    EXPECT_EQ(view_->ObjectLinkRect(), clickedLink);
    EXPECT_TRUE(outcome.report.startsWith("Sirius  9 Alp CMa")) << outcome.report.toStdString();
    EXPECT_TRUE(outcome.note.isEmpty()) << outcome.note.toStdString();
}

TEST_F(FindObjectTest, FindingAMessierObjectSelectsItAndABodyFramesItsRow)
{
    EXPECT_TRUE(view_->FindObject("M 31").found);
    EXPECT_EQ(view_->Selection().selectedDeepSky, 30);
    EXPECT_EQ(view_->Selection().selectedStar, -1);

    const QImage before = view_->grab().toImage();
    const FindOutcome jupiter = view_->FindObject("Jupiter");
    EXPECT_TRUE(jupiter.found);
    EXPECT_EQ(view_->Selection().highlightedBody, engine::kJupiter);
    EXPECT_EQ(view_->Selection().selectedDeepSky, -1);
    // The frame is red, and it is drawn in the table on the right only.
    const QImage after = view_->grab().toImage();
    int changed = 0;
    for (int y = 0; y < after.height(); ++y)
        for (int x = 0; x < after.width(); ++x)
            if (after.pixel(x, y) != before.pixel(x, y) && x >= view_->width() - 300) {
                ++changed;
                if (qRed(after.pixel(x, y)) != 255 && changed < 5)
                    ADD_FAILURE() << "not the frame's colour at " << x << "," << y;
            }
    EXPECT_GT(changed, 100);

    // A click on a star ends the frame, as it ends any other selection.
    view_->grab();
    const auto& rects = view_->ClickRects().stars;
    const int sirius = StarRow("9 Alp CMa");
    const skydata::IntRect r = rects[static_cast<std::size_t>(sirius)];
    QTest::mouseClick(view_.get(), Qt::LeftButton, {},
                      QPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2));
    EXPECT_EQ(view_->Selection().highlightedBody, -1);
}

TEST_F(FindObjectTest, SaysInOneLineWhenTheChartDoesNotShowTheObject)
{
    // At 19:00 Sirius is still below the horizon; the geocentric chart has it.
    AtZurich(19);
    const FindOutcome below = view_->FindObject("Sirius");
    EXPECT_TRUE(below.found);
    EXPECT_TRUE(below.note.startsWith("Sirius is below the horizon now, it rises at "))
        << below.note.toStdString();
    EXPECT_FALSE(below.note.contains('\n'));
    EXPECT_TRUE(below.offerGeocentric);
    // The Sun is framed in the table though below the horizon.
    const FindOutcome sun = view_->FindObject("Sun");
    EXPECT_EQ(view_->Selection().highlightedBody, engine::kSun);
    EXPECT_TRUE(sun.note.startsWith("Sun is below the horizon now")) << sun.note.toStdString();
    EXPECT_TRUE(sun.offerGeocentric);
    // Canopus never rises at Zurich and lies beyond the geocentric band.
    const FindOutcome canopus = view_->FindObject("Canopus");
    EXPECT_EQ(canopus.note.toStdString(), "Canopus is below the horizon now, it does not rise today.");
    EXPECT_FALSE(canopus.offerGeocentric);
    // On the geocentric chart the bodies always are; Messier objects never.
    view_->OnCommand(kCommandGeocentric);
    EXPECT_TRUE(view_->FindObject("Sun").note.isEmpty());
    EXPECT_TRUE(view_->FindObject("Sirius").note.isEmpty());
    const FindOutcome m42 = view_->FindObject("M42");
    EXPECT_FALSE(m42.note.isEmpty());
    EXPECT_FALSE(m42.offerGeocentric);
    // An unknown name selects nothing and suggests.
    const render::ObjectSelection selection = view_->Selection();
    const FindOutcome unknown = view_->FindObject("Sirus");
    EXPECT_FALSE(unknown.found);
    EXPECT_TRUE(unknown.report.contains("Sirius")) << unknown.report.toStdString();
    EXPECT_EQ(view_->Selection(), selection);
}

TEST_F(FindObjectTest, TheDialogCompletesNamesAndOffersTheGeocentricChart)
{
    AtZurich(19);
    QString report;
    QString note;
    QStringList completions;
    // Not modal: the chart keeps working while the dialog is open.
    view_->OnCommand(kCommandSearchObject);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    CFindDialog* d = view_->FindDialog();
    ASSERT_NE(d, nullptr);
    EXPECT_TRUE(d->isVisible());
    auto* edit = d->findChild<QLineEdit*>("name");
    QTest::keyClicks(edit, "alf CM");
    QCompleter* completer = d->findChild<QCompleter*>();
    QAbstractItemModel* model = completer->model();
    for (int i = 0; i < model->rowCount(); ++i)
        completions << model->index(i, 0).data(kCompletionNameRole).toString();
    EXPECT_TRUE(completer->popup()->isVisible());
    // Choosing the completion finds it.
    const int row = static_cast<int>(completions.indexOf("alf CMa"));
    ASSERT_GE(row, 0);
    completer->popup()->setCurrentIndex(model->index(row, 0));
    QTest::keyClick(completer->popup(), Qt::Key_Return);
    report = d->findChild<QLabel*>("report")->text();
    note = d->findChild<QLabel*>("note")->text();
    auto* geocentric = d->findChild<QPushButton*>("geocentric");
    EXPECT_TRUE(geocentric->isVisible());
    geocentric->click();
    EXPECT_FALSE(d->findChild<QLabel*>("note")->isVisible());
    // Asked for again while open, the same dialog comes forward.
    view_->OnCommand(kCommandSearchObject);
    EXPECT_EQ(view_->FindDialog(), d);
    d->findChild<QPushButton*>("close")->click();
    EXPECT_FALSE(d->isVisible());

    EXPECT_TRUE(completions.contains("alf CMa")) << completions.join(", ").toStdString();
    EXPECT_TRUE(completions.contains("alf CMi"));
    EXPECT_TRUE(report.startsWith("Sirius")) << report.toStdString();
    EXPECT_TRUE(note.startsWith("Sirius is below the horizon")) << note.toStdString();
    EXPECT_EQ(view_->ViewMode(), kViewGeocentric);
    EXPECT_EQ(view_->Selection().selectedStar, StarRow("9 Alp CMa"));

    // Closed, it is gone; refused on the intro screen, as the other dialogs are.
    EXPECT_TRUE(QTest::qWaitFor([&] { return view_->FindDialog() == nullptr; }, 1000));
    view_->OnCommand(kCommandIntroScreen);
    view_->OnCommand(kCommandSearchObject);
    EXPECT_EQ(view_->FindDialog(), nullptr);
}

TEST(FindDialogPositionTest, BesideTheChartOrInTheCornerAwayFromTheObject)
{
    const QRect chart(0, 20, 1000, 700);  // left 0 .. right 999, top 20 .. bottom 719
    const QSize dialog(300, 200);
    const QRect narrowScreen(0, 0, 1000, 740);
    const struct {
        QRect screen;
        std::optional<QPoint> object;
        QPoint expected;
    } cases[] = {
        {QRect(0, 0, 1920, 1080), QPoint(100, 100), QPoint(1007, 20)},  // room on the right
        {narrowScreen, std::nullopt, QPoint(8, 511)},                   // lower left
        {narrowScreen, QPoint(50, 700), QPoint(691, 28)},               // lower left: upper right
        {narrowScreen, QPoint(900, 60), QPoint(8, 511)},                // upper right: lower left
        {narrowScreen, QPoint(900, 700), QPoint(8, 28)},                // lower right: upper left
        {narrowScreen, QPoint(20, 40), QPoint(691, 511)},               // upper left: lower right
    };
    for (const auto& c : cases) {
        const QPoint at = FindDialogPosition(chart, c.screen, dialog, c.object);
        EXPECT_EQ(at, c.expected) << at.x() << "," << at.y();
        if (c.object) {
            EXPECT_FALSE(QRect(at, dialog).contains(*c.object));
        }
    }
}

// The dialog never covers what it found: it moves to the corner of the
// chart away from the object, or beside the chart where the screen has room.
TEST_F(FindObjectTest, TheDialogDoesNotCoverWhatItFound)
{
    AtZurich(22);
    view_->OnCommand(kCommandSearchObject);
    CFindDialog* d = view_->FindDialog();
    ASSERT_NE(d, nullptr);
    for (const char* name : {"Betelgeuse", "Capella", "Aldebaran", "Vega", "Polaris", "M 42"}) {
        SCOPED_TRACE(name);
        d->NameEdit()->setText(name);
        d->FindName();
        const render::ObjectSelection& s = view_->Selection();
        const auto& clicks = view_->ClickRects();
        const skydata::IntRect r = s.selectedStar >= 0
                                       ? clicks.stars[static_cast<std::size_t>(s.selectedStar)]
                                       : clicks.deepSky[static_cast<std::size_t>(s.selectedDeepSky)];
        const QPoint object = view_->mapToGlobal(QPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2));
        EXPECT_FALSE(d->frameGeometry().contains(object))
            << d->frameGeometry().x() << "," << d->frameGeometry().y() << " object at "
            << object.x() << "," << object.y();
    }
    d->close();
}

TEST_F(FindObjectTest, TheSavedPictureIsTheWindowsDrawing)
{
    ASSERT_TRUE(QTest::qWaitForWindowExposed(view_.get()));
    view_->FindObject("Betelgeuse");
    view_->repaint();
    QTest::qWait(50);
    // What the window system holds of the window.
    const QImage shown = view_->screen()->grabWindow(view_->winId()).toImage();
    ASSERT_FALSE(shown.isNull());

    QTemporaryDir folder;
    const QString png = folder.filePath("chart.png");
    ASSERT_TRUE(view_->SaveChartImage(png));
    QImage saved(png);
    ASSERT_FALSE(saved.isNull());
    EXPECT_EQ(saved.size(), view_->size() * view_->devicePixelRatio());
    EXPECT_TRUE(saved.convertToFormat(QImage::Format_RGB32) ==
                shown.convertToFormat(QImage::Format_RGB32));

    // JPEG by extension: the same picture within the format's losses.
    const QString jpeg = folder.filePath("chart.JPEG");
    ASSERT_TRUE(view_->SaveChartImage(jpeg));
    EXPECT_EQ(QImageReader(jpeg).format(), "jpeg");
    const QImage lossy = QImage(jpeg).convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(lossy.size(), saved.size());
    double error = 0;
    for (int y = 0; y < lossy.height(); ++y)
        for (int x = 0; x < lossy.width(); ++x)
            error += std::abs(qGray(lossy.pixel(x, y)) - qGray(saved.pixel(x, y)));
    EXPECT_LT(error / (lossy.width() * lossy.height()), 3.0);

    // Nothing is left behind when the picture cannot be written, and the
    // reason is the system's.
    QString why;
    EXPECT_FALSE(view_->SaveChartImage(folder.filePath("missing/chart.png"), {}, &why));
    EXPECT_TRUE(why.contains("No such file or directory", Qt::CaseInsensitive)) << why.toStdString();
    why.clear();
    EXPECT_FALSE(view_->SaveChartImage(folder.filePath("chart.gif"), {}, &why));
    EXPECT_FALSE(why.isEmpty());
    EXPECT_FALSE(QFileInfo::exists(folder.filePath("chart.gif")));
}

// The file dialog: the chosen filter gives the format and the extension of
// a name without a picture extension, and the dialog opens where the last
// chart went (the first time in the user's folders, not the data folder).
TEST(SaveChartAsTest, TheFilterGivesNameAndFormatAndTheLastFolderIsKept)
{
    platform::WriteProfileString("Charts", "SaveFolder", "");
    CMainFrame frame(WinterEvening);
    frame.resize(800, 600);
    QTemporaryDir folder;
    const struct {
        const char* filter;
        const char* typed;
        const char* written;
        const char* format;
    } cases[] = {
        {"JPEG image (*.jpg *.jpeg)", "sky", "sky.jpg", "jpeg"},
        {"PNG image (*.png)", "chart.txt", "chart.txt.png", "png"},
        {"JPEG image (*.jpg *.jpeg)", "night.png", "night.png", "png"},
    };
    QString firstFolder;
    QStringList openedIn;
    for (const auto& c : cases) {
        const int opened = RunWithDialog(
            [&] { frame.CommandAction(kCommandSaveChartAs)->trigger(); },
            [&](QDialog* d) {
                auto* files = qobject_cast<QFileDialog*>(d);
                ASSERT_NE(files, nullptr);
                openedIn << files->directory().absolutePath();
                files->selectNameFilter(c.filter);
                emit files->filterSelected(c.filter);
                files->selectFile(folder.filePath(c.typed));
                d->accept();  // QFileDialog's own accept
            });
        EXPECT_EQ(opened, 1) << c.typed;
        EXPECT_EQ(QImageReader(folder.filePath(c.written)).format(), c.format) << c.typed;
    }
    EXPECT_FALSE(QFileInfo::exists(folder.filePath("chart.txt")));
    ASSERT_EQ(openedIn.size(), 3);
    EXPECT_NE(openedIn[0], QDir::currentPath());
    EXPECT_EQ(openedIn[1], QDir(folder.path()).absolutePath());
    EXPECT_EQ(openedIn[2], QDir(folder.path()).absolutePath());
}

}  // namespace
}  // namespace skyvane::app
