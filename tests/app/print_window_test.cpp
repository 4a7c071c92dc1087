// File › Print Preview prints what the window shows: the whole sky as the
// page of the whole sky, a chart zoomed in as the finder page that
// `skyvane print --center --fov` makes of the same centre and field, with
// the Milky Way when the preference is on. Both pages go to PDF and are
// compared as poppler's pdftoppm draws them.
#include <QDir>
#include <QImage>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "app/main_frame.h"
#include "app/preferences.h"
#include "app/print_command.h"
#include "modal_dialog.h"
#include "zurich_evening_view.h"

namespace skyvane::app {
namespace {

constexpr int kDotsPerInch = 100;

// The first page of a PDF as pixels.
QImage Rasterised(const QString& pdf)
{
    const QString base = pdf + QStringLiteral("-page");
    QProcess pdftoppm;
    pdftoppm.start(QStringLiteral("pdftoppm"),
                   {QStringLiteral("-r"), QString::number(kDotsPerInch), QStringLiteral("-png"),
                    QStringLiteral("-singlefile"), pdf, base});
    EXPECT_TRUE(pdftoppm.waitForFinished(60000)) << pdf.toStdString();
    EXPECT_EQ(pdftoppm.exitCode(), 0) << pdftoppm.readAllStandardError().toStdString();
    return QImage(base + QStringLiteral(".png"));
}

// The user of the Zurich evening in the main window, with the Milky Way
// switched on in the preferences.
class PrintFromWindowTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder_.isValid());
        StoreZurichEveningSettings();
        platform::WriteProfileInt(kPreferencesSection, "MILKYWAY", 1);
        server_ = std::make_unique<online::reporttest::ReportTestServer>(
            online::reporttest::Answer("<html>Version:0141 Country=*CH Campain=*000</html>"));
        environment_.PointAt(server_->HostSetting());
        frame_ = std::make_unique<CMainFrame>(WinterEvening);
        frame_->show();
        StartZurichEvening(frame_->View());
        ASSERT_EQ(frame_->View().Preferences().showMilkyWay, 1);
    }
    void TearDown() override
    {
        using namespace std::chrono_literals;
        frame_.reset();
        platform::LiveWorkerCount::WaitUntilNone(10s);
        platform::SetUrlOpener({});
        platform::WriteProfileInt(kPreferencesSection, "MILKYWAY", 0);
    }

    // File › Print Preview, and Print from the preview onto an A4 PDF.
    QImage PreviewPrinted(const QString& name)
    {
        const QString file = folder_.filePath(name + QStringLiteral(".pdf"));
        const int opened = RunWithDialog(
            [&] { frame_->CommandAction(kCommandPrintPreview)->trigger(); },
            [&](QDialog* dialog) {
                auto* preview = qobject_cast<QPrintPreviewDialog*>(dialog);
                ASSERT_NE(preview, nullptr);
                // The orientation is the window's; paper, resolution and
                // file are this test's.
                QPrinter* printer = preview->printer();
                printer->setOutputFormat(QPrinter::PdfFormat);
                printer->setOutputFileName(file);
                printer->setResolution(kDotsPerInch);
                printer->setPageSize(QPageSize(QPageSize::A4));
                auto* pages = preview->findChild<QPrintPreviewWidget*>();
                ASSERT_NE(pages, nullptr);
                pages->print();
                dialog->reject();
            },
            500);
        EXPECT_EQ(opened, 1);
        return Rasterised(file);
    }

    // skyvane print for the same place, time and preferences.
    QImage CommandPrinted(const QString& name, std::vector<std::string> args)
    {
        const QString file = folder_.filePath(name + QStringLiteral(".pdf"));
        args.insert(args.end(),
                    {"--data", SKYVANE_DATAS_BIN, "--date", "2026-12-07", "--time", "22:00",
                     "--tz", "1", "--lon", "-8.5", "--lat", "47.32", "--place", "Zurich",
                     "--milky-way", "--dpi", std::to_string(kDotsPerInch), "-o",
                     file.toStdString()});
        std::ostringstream out, err;
        EXPECT_EQ(RunPrintCommand(args, out, err), 0) << err.str();
        return Rasterised(file);
    }

    QTemporaryDir folder_;
    online::reporttest::ReportTestEnvironment environment_;
    std::unique_ptr<online::reporttest::ReportTestServer> server_;
    std::unique_ptr<CMainFrame> frame_;
};

TEST_F(PrintFromWindowTest, AZoomedChartPrintsTheFinderPageOfItsCentreAndField)
{
    struct Case {
        const char* name;
        int viewMode;
        render::ViewAim aim;
        std::vector<std::string> command;  // the same view, from the command line
        const char* page;                  // which page both should be
    };
    // Centres the window keeps exactly as the command reads them: the
    // window counts azimuth from the south, the command from the north.
    const Case cases[] = {
        {"horizontal", kViewHorizontal, render::ViewAim::WholeSky(), {"horizontal"}, "dome"},
        {"horizontal-zoomed", kViewHorizontal, render::ViewAim::At({180, 62.5}, 12),
         {"horizontal", "--center", "0,62.5", "--fov", "12"}, "dome finder"},
        {"geocentric", kViewGeocentric, render::ViewAim::WholeSky(), {"geocentric"}, "map"},
        {"geocentric-zoomed", kViewGeocentric, render::ViewAim::At({3.25, 52.5}, 8),
         {"geocentric", "--center", "3.25,52.5", "--fov", "8"}, "map finder"},
        // Wider than the map's whole height: the window shows the whole
        // sky, and so does the page.
        {"geocentric-wide", kViewGeocentric, render::ViewAim::At({3.25, 52.5}, 120),
         {"geocentric", "--center", "3.25,52.5", "--fov", "120"}, "map"},
    };
    std::map<std::string, QImage> window, command;
    for (const Case& c : cases) {
        frame_->View().OnCommand(c.viewMode == kViewHorizontal ? kCommandHorizontal
                                                               : kCommandGeocentric);
        frame_->View().SetChartAim(c.viewMode, c.aim);
        window[c.name] = PreviewPrinted(QString::fromLatin1(c.name));
        command[c.name] = CommandPrinted(QStringLiteral("command-") + c.name, c.command);
        ASSERT_FALSE(window[c.name].isNull()) << c.name;
        ASSERT_FALSE(command[c.name].isNull()) << c.name;
    }
    // Each window page is the command's page of the same view, and no
    // other page of that chart.
    for (const Case& a : cases) {
        for (const Case& b : cases) {
            if (a.viewMode != b.viewMode) continue;
            EXPECT_EQ(window[a.name] == command[b.name], std::string(a.page) == b.page)
                << "window " << a.name << ", command " << b.name;
        }
    }
    // A finder page is portrait, the geocentric map's whole sky landscape.
    EXPECT_LT(window["geocentric-zoomed"].width(), window["geocentric-zoomed"].height());
    EXPECT_GT(window["geocentric"].width(), window["geocentric"].height());
}

}  // namespace
}  // namespace skyvane::app
