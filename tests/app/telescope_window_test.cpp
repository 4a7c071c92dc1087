// The Telescope menu against the real indiserver and telescope simulator:
// Connect lists the server's mounts and connects the one chosen, Goto
// Selected (Ctrl+G) sends the selected star, and the reticle travels across
// the chart as the mount reports.
#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>

#include "app/main_frame.h"
#include "app/preferences.h"
#include "online/usage_record.h"
#include "places/locations.h"
#include "platform/profile_store.h"
#include "platform/url_opener.h"
#include "platform/worker_thread.h"
#include "render/telescope_reticle.h"
#include "skydata/sky_data.h"
#include "../earlier_run.h"
#include "../telescope/indi_server.h"
#include "modal_dialog.h"

namespace skyvane::app {
namespace {

using namespace std::chrono_literals;

// The reticle's pixels on a picture of the window: how many, and their
// centre.
struct Blob {
    int count = 0;
    double x = 0;
    double y = 0;
};

Blob ReticleOn(const QImage& picture)
{
    Blob blob;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            if ((picture.pixel(x, y) & 0xffffff) == (render::kTelescopeReticle & 0xffffff)) {
                ++blob.count;
                blob.x += x;
                blob.y += y;
            }
    if (blob.count > 0) {
        blob.x /= blob.count;
        blob.y /= blob.count;
    }
    return blob;
}

TEST(TelescopeWindow, ConnectThenGotoSelectedMovesTheReticleToTheStar)
{
    telescope::testing::IndiServer server({"indi_simulator_telescope"});
    ASSERT_TRUE(server.Started()) << server.Log().toStdString();

    platform::SetUrlOpener([](const std::string&) { return true; });
    StoreEarlierRunRecord();
    WriteFirstRunPreferences();
    // Stars in daylight too: the test runs at any hour, and a first run's
    // chart hides them once the Sun is less than 12 degrees down.
    platform::WriteProfileInt("Preferences", "STARSVISIBLE", 1);

    {
        CMainFrame frame;
        frame.resize(1024, 750);
        frame.show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&frame));
        CSkyvaneView& view = frame.View();
        view.OnInitialUpdate();
        view.OnTimer(kStartupTimer);
        for (int tick = 0; tick < 4; ++tick) view.OnTimer(kIntroTimer);
        view.OnCommand(kCommandHorizontal);
        // Latitude 60 north, where Vega never sets: it is up whenever the
        // test runs.
        view.MutableSky().latitude = 60;
        view.MutableSky().longitude = -10;
        QTest::keyClick(&view, Qt::Key_N);
        ASSERT_GT(skydata::CurrentSkyData()->catalogue->starCount, 0);

        // Connect: list the server's mounts, take the simulator.
        QAction* connectAction = frame.findChild<QAction*>("telescopeConnect");
        ASSERT_NE(connectAction, nullptr);
        const int dialogs = RunWithDialog([&] { connectAction->trigger(); }, [&](QDialog* dialog) {
            dialog->findChild<QLineEdit*>("telescopeHost")->setText("127.0.0.1");
            dialog->findChild<QSpinBox*>("telescopePort")->setValue(server.Port());
            QTest::mouseClick(dialog->findChild<QPushButton*>("telescopeList"), Qt::LeftButton);
            auto* devices = dialog->findChild<QComboBox*>("telescopeDevice");
            EXPECT_TRUE(QTest::qWaitFor([&] { return devices->count() > 0; }, 6000));
            EXPECT_EQ(devices->currentText(), telescope::testing::kSimulator);
            QTest::mouseClick(dialog->findChild<QPushButton*>("1"), Qt::LeftButton);
        });
        ASSERT_EQ(dialogs, 1);
        EXPECT_EQ(platform::GetProfileInt(kTelescopeSection, "Port"), server.Port());
        telescope::Mount& mount = frame.Telescope().Mount();
        ASSERT_TRUE(QTest::qWaitFor([&] { return view.Selection().telescope.has_value(); },
                                    12000))
            << frame.Telescope().StatusText().toStdString();
        EXPECT_NE(frame.Telescope().StatusText().indexOf("connected"), -1);

        // Vega selected as Search › Object selects it; Ctrl+G sends it.
        ASSERT_TRUE(view.FindObject("Vega").found);
        view.grab();
        const int vega = view.Selection().selectedStar;
        const skydata::IntRect r = view.ClickRects().stars[static_cast<std::size_t>(vega)];
        ASSERT_GT(r.right, r.left) << "Vega is drawn";
        const Blob start = ReticleOn(view.grab().toImage());
        // Through the window system, as a key press arrives, so the menu's
        // shortcut sees it.
        QAction* gotoAction = frame.findChild<QAction*>("telescopeGoto");
        ASSERT_TRUE(gotoAction->isEnabled());
        EXPECT_EQ(gotoAction->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_G));
        // The window active again after the dialog, as a user's click makes it.
        frame.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&frame));
        view.setFocus();
        QTest::keyClick(frame.windowHandle(), Qt::Key_G, Qt::ControlModifier);
        ASSERT_TRUE(QTest::qWaitFor([&] { return mount.State() == telescope::MountState::kSlewing; },
                                    5000))
            << frame.Telescope().StatusText().toStdString();
        EXPECT_NE(frame.Telescope().StatusText().indexOf("slewing to Vega"), -1)
            << frame.Telescope().StatusText().toStdString();
        // Escape is the abort key only while the mount moves.
        EXPECT_TRUE(frame.findChild<QAction*>("telescopeAbortKey")->isEnabled());

        // While it slews the reticle is seen at several places on the way.
        int placesSeen = 0;
        Blob last = start;
        while (mount.State() == telescope::MountState::kSlewing) {
            QTest::qWait(500);
            const Blob now = ReticleOn(view.grab().toImage());
            if (now.count > 0 && std::hypot(now.x - last.x, now.y - last.y) > 2) ++placesSeen;
            if (now.count > 0) last = now;
            ASSERT_LT(placesSeen, 1000);
        }
        EXPECT_GE(placesSeen, 2);
        EXPECT_EQ(mount.State(), telescope::MountState::kTracking);
        EXPECT_FALSE(frame.findChild<QAction*>("telescopeAbortKey")->isEnabled());
        // It ends on Vega's star: the reticle's centre within Vega's mark.
        const Blob end = ReticleOn(view.grab().toImage());
        ASSERT_GT(end.count, 20);
        EXPECT_NEAR(end.x, (r.left + r.right) / 2.0, 3);
        EXPECT_NEAR(end.y, (r.top + r.bottom) / 2.0, 3);

        // View › Follow Telescope centres the chart on the reticle, zoomed
        // or not.
        frame.findChild<QAction*>("telescopeFollow")->setChecked(true);
        const std::optional<render::ChartView> followed = view.ChartViewOnScreen();
        ASSERT_TRUE(followed.has_value());
        EXPECT_FALSE(followed->WholeSky());
        const Blob centred = ReticleOn(view.grab().toImage());
        EXPECT_NEAR(centred.x, followed->CentreOnScreen().x, 2);
        EXPECT_NEAR(centred.y, followed->CentreOnScreen().y, 2);

        // The server gone: the reticle leaves and the status says why.
        server.Kill();
        ASSERT_TRUE(QTest::qWaitFor([&] { return !view.Selection().telescope.has_value(); }, 3000));
        EXPECT_NE(frame.Telescope().StatusText().indexOf("closed the connection"), -1);
        view.OnDestroy();
    }
    platform::LiveWorkerCount::WaitUntilNone(10s);
    platform::SetUrlOpener({});
}

}  // namespace
}  // namespace skyvane::app
