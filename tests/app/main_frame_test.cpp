// The main window: its caption, its menu bar with every text and command id
// in order, no tool or status bar, the restored size, and the About box.
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <QToolBar>

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "app/main_frame.h"
#include "platform/profile_store.h"

#include <chrono>

namespace skyvane::app {
namespace {

std::chrono::system_clock::time_point FixedNow()
{
    using namespace std::chrono;
    return sys_days{2026y / 12 / 8} + 6h;
}

TEST(MainFrameTest, MenuBarCarriesEveryTextAndCommandIdInOrder)
{
    CMainFrame frame(FixedNow);
    using Items = std::vector<std::pair<std::string, int>>;
    const std::vector<std::pair<std::string, Items>> expected = {
        {"&File",
         {{"Save Chart &As...", 57603},
          {"Print Pre&view", 57609},
          {"&Print", 57607},
          {"E&xit Program", 57665}}},
        {"&Config", {{"&Preferences", 32785}, {"Update datafile", 32787}}},
        {"&View",
         {{"Heliocentric", 32771}, {"Geocentric", 32773}, {"Horizontal", 32772},
          {"Intro Screen", 32786}, {"", 0}, {"Night Mode", 32791}}},
        {"&Location", {{"&Edit", 32774}}},
        {"&Time", {{"&Enter", 32775}}},
        {"&Search", {{"&Constellation", 32782}, {"&Object...", 32790}}},
        {"&Manual", {{"Go to the online &Manual", 32783}}},
        {"&Website", {{"&Go to software website", 32784}}},
        {"&Donate", {{"Support Software", 32789}}},
        {"&About", {{"&About Starwick ...", 57664}}},
    };
    std::vector<std::pair<std::string, Items>> found;
    for (QAction* menuAction : frame.menuBar()->actions()) {
        Items items;
        for (QAction* item : menuAction->menu()->actions())
            items.emplace_back(item->text().toStdString(), item->data().toInt());
        found.emplace_back(menuAction->text().toStdString(), items);
    }
    EXPECT_EQ(found, expected);
}

// The search is reachable from the keyboard: Alt+S opens its menu, and
// Ctrl+F (the platform's Find key) runs Search > Object... directly.
TEST(MainFrameTest, SearchMenuAndObjectSearchFromTheKeyboard)
{
    CMainFrame frame(FixedNow);
    frame.show();
    QApplication::setActiveWindow(&frame);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&frame));
    QAction* object = frame.CommandAction(32790);
    ASSERT_NE(object, nullptr);
    EXPECT_EQ(object->shortcut(), QKeySequence(QKeySequence::Find));
    int triggered = 0;
    QObject::connect(object, &QAction::triggered, [&] { ++triggered; });
    QTest::keyClick(&frame.View(), Qt::Key_F, Qt::ControlModifier);
    EXPECT_EQ(triggered, 1);

    QMenu* search = nullptr;
    for (QAction* menuAction : frame.menuBar()->actions())
        if (menuAction->text() == "&Search") search = menuAction->menu();
    ASSERT_NE(search, nullptr);
    QTest::keyClick(&frame.View(), Qt::Key_S, Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return search->isVisible(); }, 2000));
    search->close();
}

TEST(MainFrameTest, FixedCaptionNoBarsAndTheRestoredSize)
{
    CMainFrame frame(FixedNow);
    EXPECT_EQ(frame.windowTitle(), "Vemox Starwick V 1.41");
    EXPECT_TRUE(frame.findChildren<QToolBar*>().isEmpty());
    EXPECT_EQ(frame.findChild<QStatusBar*>(), nullptr);
    EXPECT_EQ(frame.centralWidget(), &frame.View());
    const Qt::WindowFlags flags = frame.windowFlags();
    EXPECT_TRUE(flags.testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_TRUE(flags.testFlag(Qt::WindowMaximizeButtonHint));

    // Shown restored, the outer window (the platform's frame included) is
    // the restored size at the corner; the client area lies inside it.
    frame.show();
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return frame.frameGeometry() == QRect(0, 0, 1024, 750); }, 2000))
        << frame.frameGeometry().x() << "," << frame.frameGeometry().y() << " "
        << frame.frameGeometry().width() << "x" << frame.frameGeometry().height();
    EXPECT_TRUE(frame.frameGeometry().contains(frame.geometry()));
    // A restored window dragged to another size goes back to its own.
    frame.resize(800, 600);
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return frame.frameGeometry().size() == QSize(1024, 750); }, 2000));
    // Maximised, it takes the whole screen and keeps it.
    frame.showMaximized();
    QTest::qWait(400);
    EXPECT_TRUE(frame.isMaximized());
    EXPECT_NE(frame.size(), QSize(1024, 750));
    // Restored again, back in the corner with its frame.
    frame.showNormal();
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return frame.frameGeometry() == QRect(0, 0, 1024, 750); }, 2000));
    frame.setWindowTitle(frame.windowTitle());
    EXPECT_EQ(frame.windowTitle(), "Vemox Starwick V 1.41");
}

TEST(MainFrameTest, RestoredWindowKeepsItsFrameOnTheScreen)
{
    // A window manager's title bar of 20 pixels and one-pixel borders: the
    // client area sits inside the 1024 x 750 outer window at the corner.
    EXPECT_EQ(RestoredClientGeometry(QMargins(1, 20, 1, 1)), QRect(1, 20, 1022, 729));
    EXPECT_EQ(RestoredClientGeometry(QMargins()), QRect(0, 0, 1024, 750));
}

TEST(MainFrameTest, AboutCommandShowsTheAboutBoxModally)
{
    CMainFrame frame(FixedNow);
    QStringList lines;
    QTimer::singleShot(0, [&] {
        auto* about = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(about, nullptr);
        for (auto* label : about->findChildren<QLabel*>()) lines << label->text();
        about->accept();
    });
    frame.CommandAction(kCommandAbout)->trigger();
    ASSERT_EQ(lines.size(), 4);
    EXPECT_EQ(lines[0], "Vemox Starwick V 1.41");
}

TEST(MainFrameTest, PrintPreviewOpensModallyOverTheWindow)
{
    CMainFrame frame(FixedNow);
    bool previewed = false;
    QTimer::singleShot(0, [&] {
        auto* preview = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(preview, nullptr);
        previewed = preview->inherits("QPrintPreviewDialog");
        preview->reject();
    });
    frame.CommandAction(kCommandPrintPreview)->trigger();
    EXPECT_TRUE(previewed);
}

}  // namespace
}  // namespace skyvane::app
