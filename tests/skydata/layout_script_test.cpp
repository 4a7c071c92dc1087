// Reading the layout script: the intro picture choice and the click report.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "skydata/layout_script.h"

namespace skyvane::skydata {
namespace {

struct IntroCase {
    std::string name;
    std::string script;
    std::string before;
    std::string after;
};

class IntroPictureTest : public ::testing::TestWithParam<IntroCase> {};

TEST_P(IntroPictureTest, ChoosesTheIntroPicture)
{
    std::string introPictureName = GetParam().before;
    ParseLayoutScript(GetParam().script, kLayoutModeFileLoad, introPictureName);
    EXPECT_EQ(introPictureName, GetParam().after);
}

INSTANTIATE_TEST_SUITE_P(
    Records, IntroPictureTest,
    ::testing::Values(
        IntroCase{"FromFile", "INTROPICT|F|P|0|0|intro.bmp|1|Skyvane|;\r\n", "", "intro.bmp"},
        IntroCase{"OtherSourceClears", "INTROPICT|R|P|0|0|intro.bmp|1|Skyvane|;\r\n", "old.gif", ""},
        IntroCase{"SourceIsCaseSensitive", "INTROPICT|f|P|0|0|intro.bmp|;\r\n", "old.gif", ""},
        IntroCase{"EmptySourceClears", "INTROPICT||P|0|0|intro.bmp|;\r\n", "old.gif", ""},
        IntroCase{"MissingNameField", "INTROPICT|F|P|0|0|intro.bmp;\r\n", "old.gif", ""},
        IntroCase{"NameKeptAsWritten", "INTROPICT|F|P|0|0| my pic.gif|;\r\n", "", " my pic.gif"},
        IntroCase{"LastRecordWins",
                  "INTROPICT|F|P|0|0|a.bmp|;\r\nINTROPICT|F|P|0|0|b.gif|;\r\n", "", "b.gif"},
        IntroCase{"WithoutRecordKeepsTheName",
                  "GROUP|1|;\r\nDSTXT|x|2|text|FW_BOLD|t|1|2|t|;\r\nBANNER|x|F|IDB_MANUAL|3|http://x/|;\r\n"
                  "BOXID|1|2|a|b|c|d|;\r\nintropict|F|P|0|0|x.bmp|;\r\n",
                  "old.gif", "old.gif"},
        IntroCase{"EmptyScriptKeepsTheName", "", "old.gif", "old.gif"},
        IntroCase{"OtherKindsAround",
                  "GROUP|1|;\r\nINTROPICT|F|P|10|20|intro.gif|0|Skyvane|;\r\nBOXID|1|2|a|b|c|d|;\r\n", "",
                  "intro.gif"}),
    [](const auto& info) { return info.param.name; });

class ClickReportTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetClickReportSender([this](int count) { reports.push_back(count); });
    }
    void TearDown() override { SetClickReportSender(nullptr); }
    std::vector<int> reports;
};

TEST_F(ClickReportTest, AfterDownloadSendsOneReportOfOne)
{
    std::string introPictureName = "intro.bmp";
    ParseLayoutScript("", kLayoutModeAfterDownload, introPictureName);
    EXPECT_EQ(reports, std::vector<int>{1});
    EXPECT_EQ(introPictureName, "intro.bmp");
}

TEST_F(ClickReportTest, FileLoadSendsNone)
{
    std::string introPictureName;
    ParseLayoutScript("INTROPICT|F|P|0|0|intro.bmp|;\r\n", kLayoutModeFileLoad, introPictureName);
    EXPECT_TRUE(reports.empty());
}

}  // namespace
}  // namespace skyvane::skydata
