// skyvane print: its arguments, and the one-page PDF it writes.
#include "app/print_command.h"

#include <gtest/gtest.h>

#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QString>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <sstream>
#include <string>

namespace skyvane::app {
namespace {

namespace fs = std::filesystem;

TEST(PrintArguments, DefaultsAreSixHundredDotsAndAPdfNamedAfterTheChart)
{
    std::string error;
    const auto r = ParsePrintArguments({"geocentric"}, error);
    ASSERT_TRUE(r) << error;
    EXPECT_EQ(r->chart.chart, ChartKind::kGeocentric);
    EXPECT_EQ(r->dotsPerInch, 600);
    EXPECT_EQ(r->output, "geocentric.pdf");
    EXPECT_FALSE(r->chart.data.fileGiven);
    EXPECT_EQ(r->chart.zoom, 210);
    EXPECT_EQ(r->chart.place.source, InstantSource::kNow);
    EXPECT_TRUE(r->placeName.empty());
}

TEST(PrintArguments, PlaceTimeAndPreferencesAreReadAsSkyvaneRenderReadsThem)
{
    std::string error;
    const auto r = ParsePrintArguments(
        {"horizontal", "--date", "2026-12-07", "--time", "22:00", "--tz", "1", "--lon", "-8.5",
         "--lat", "47.32", "--ew", "0", "--dpi", "1200", "-o", "page.pdf", "--place", "Aarau",
         "--zoom", "120", "--data", "other.bin"},
        error);
    ASSERT_TRUE(r) << error;
    EXPECT_EQ(r->chart.place.source, InstantSource::kLocalDate);
    EXPECT_EQ(r->chart.place.year, 2026);
    EXPECT_EQ(r->chart.place.hour, 22);
    EXPECT_DOUBLE_EQ(r->chart.place.longitude, -8.5);
    EXPECT_DOUBLE_EQ(r->chart.place.latitude, 47.32);
    EXPECT_EQ(r->chart.preferences.eastWestSign, render::kEastLeftWestRight);
    EXPECT_EQ(r->chart.zoom, 120);
    EXPECT_EQ(r->chart.data.file, "other.bin");
    EXPECT_EQ(r->dotsPerInch, 1200);
    EXPECT_EQ(r->output, "page.pdf");
    EXPECT_EQ(r->placeName, "Aarau");
}

TEST(PrintArguments, BadValuesAndWindowOptionsAreRefused)
{
    const std::vector<std::vector<std::string>> bad = {
        {},
        {"intro"},
        {"sideways"},
        {"horizontal", "--dpi", "0"},
        {"horizontal", "--dpi", "-600"},
        {"horizontal", "--dpi", "100000"},
        {"horizontal", "--dpi", "600x"},
        {"horizontal", "--dpi"},
        {"horizontal", "-o", ""},
        {"horizontal", "--size", "800x600"},
        {"horizontal", "--select-star", "3"},
        {"horizontal", "--help-overlay"},
        {"horizontal", "--night"},
        {"horizontal", "--zoom", "5000"},
        {"horizontal", "--lat", "north"},
    };
    for (const auto& args : bad) {
        std::string error;
        EXPECT_FALSE(ParsePrintArguments(args, error)) << (args.empty() ? "" : args.back());
        EXPECT_FALSE(error.empty());
    }
    // Night mode is a screen's: the page says so rather than ignoring it.
    std::string error;
    EXPECT_FALSE(ParsePrintArguments({"geocentric", "--night", "--dpi", "300"}, error));
    EXPECT_NE(error.find("--night"), std::string::npos) << error;
    EXPECT_NE(error.find("printed page"), std::string::npos) << error;
}

class PrintCommandTest : public ::testing::Test {
protected:
    PrintCommandTest()
        : folder_(fs::temp_directory_path() /
                  ("skyvane-print-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                   "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name()))
    {
        fs::create_directories(folder_);
    }
    ~PrintCommandTest() override
    {
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
    }

    int Run(std::vector<std::string> args)
    {
        args.insert(args.end(), {"--data", SKYVANE_DATAS_BIN, "--date", "2026-12-07", "--time",
                                 "22:00", "--tz", "1", "--lon", "-8.5", "--lat", "47.32"});
        out_.str({});
        err_.str({});
        return RunPrintCommand(args, out_, err_);
    }

    static std::string Read(const fs::path& file)
    {
        std::ifstream in(file, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    // Page objects of the file: "/Type /Page" but not "/Type /Pages".
    static int PageCount(const std::string& pdf)
    {
        static const std::regex kPage(R"(/Type\s*/Page(?![s\w]))");
        return static_cast<int>(std::distance(
            std::sregex_iterator(pdf.begin(), pdf.end(), kPage), std::sregex_iterator()));
    }

    // Width and height of the first page's media box, in points.
    static std::pair<double, double> MediaBox(const std::string& pdf)
    {
        static const std::regex kBox(
            R"(/MediaBox\s*\[\s*([-\d.]+)\s+([-\d.]+)\s+([-\d.]+)\s+([-\d.]+)\s*\])");
        std::smatch m;
        if (!std::regex_search(pdf, m, kBox)) {
            return {0, 0};
        }
        return {std::stod(m[3]) - std::stod(m[1]), std::stod(m[4]) - std::stod(m[2])};
    }

    fs::path folder_;
    std::ostringstream out_;
    std::ostringstream err_;
};

TEST_F(PrintCommandTest, WritesAOnePagePdfForEveryChart)
{
    struct Case {
        const char* chart;
        bool landscape;
    };
    for (const Case c : {Case{"horizontal", false}, Case{"geocentric", true},
                         Case{"heliocentric", false}}) {
        const fs::path file = folder_ / (std::string(c.chart) + ".pdf");
        ASSERT_EQ(Run({c.chart, "--dpi", "150", "-o", file.string()}), 0) << err_.str();
        EXPECT_NE(out_.str().find(file.string()), std::string::npos);
        const std::string pdf = Read(file);
        ASSERT_GT(pdf.size(), 1000u);
        EXPECT_EQ(pdf.rfind("%PDF-", 0), 0u);
        EXPECT_NE(pdf.find("%%EOF", pdf.size() - 32), std::string::npos);
        EXPECT_EQ(PageCount(pdf), 1) << c.chart;
        // A4: 595 x 842 points, turned for the geocentric chart.
        const auto [width, height] = MediaBox(pdf);
        EXPECT_NEAR(c.landscape ? height : width, 595.3, 1.0) << c.chart;
        EXPECT_NEAR(c.landscape ? width : height, 841.9, 1.0) << c.chart;
    }
}

TEST_F(PrintCommandTest, DefaultResolutionPageIsReadByPdfinfoWhenItIsInstalled)
{
    const fs::path file = folder_ / "page.pdf";
    ASSERT_EQ(Run({"horizontal", "-o", file.string()}), 0) << err_.str();
    EXPECT_NE(out_.str().find("600 dpi"), std::string::npos);
    const std::string pdf = Read(file);
    EXPECT_EQ(PageCount(pdf), 1);
    const QString pdfinfo = QStandardPaths::findExecutable(QStringLiteral("pdfinfo"));
    if (pdfinfo.isEmpty()) {
        GTEST_SKIP() << "pdfinfo is not installed; the file was checked by hand above";
    }
    QProcess process;
    process.start(pdfinfo, {QString::fromStdString(file.string())});
    ASSERT_TRUE(process.waitForFinished(30000));
    const QString info = QString::fromUtf8(process.readAllStandardOutput());
    EXPECT_EQ(process.exitCode(), 0);
    EXPECT_TRUE(info.contains(QRegularExpression(QStringLiteral("Pages:\\s+1\\n"))))
        << info.toStdString();
}

TEST_F(PrintCommandTest, AnUnwritableFileFailsWithAMessage)
{
    const fs::path file = folder_ / "no-such-folder" / "page.pdf";
    EXPECT_EQ(Run({"heliocentric", "--dpi", "150", "-o", file.string()}), 1);
    EXPECT_NE(err_.str().find("cannot write"), std::string::npos) << err_.str();
    EXPECT_FALSE(fs::exists(file));
}

TEST_F(PrintCommandTest, BadArgumentsFailBeforeAnythingIsWritten)
{
    EXPECT_EQ(Run({"horizontal", "--dpi", "0", "-o", (folder_ / "x.pdf").string()}), 2);
    EXPECT_NE(err_.str().find("--dpi"), std::string::npos);
    EXPECT_FALSE(fs::exists(folder_ / "x.pdf"));
}

TEST(PrintCommandHelp, HelpListsTheOptions)
{
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(RunPrintCommand({"--help"}, out, err), 0);
    EXPECT_NE(out.str().find("--dpi"), std::string::npos);
    EXPECT_NE(out.str().find("horizontal|geocentric|heliocentric"), std::string::npos);
}

}  // namespace
}  // namespace skyvane::app
