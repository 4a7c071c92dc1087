#include "platform/url_opener.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace skyvane::platform {
namespace {

class UrlOpenerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetUrlOpener([this](const std::string& url) {
            opened_.push_back(url);
            return answer_;
        });
    }
    void TearDown() override { SetUrlOpener([](const std::string&) { return false; }); }

    std::vector<std::string> opened_;
    bool answer_ = true;
};

TEST_F(UrlOpenerTest, WebAddressesAreHandedOnUnchanged)
{
    const std::vector<std::string> addresses{
        "http://skyvane.invalid/objects/M31.html",
        "https://skyvane.invalid/manual.php",
        "HTTP://skyvane.invalid/donate.php",
        "http://127.0.0.1:8080/locations/LOC_ALLCOUNTRIES.php",
        "http://skyvane.invalid/versioncheck/versioncheck.php?x=1#top",
    };
    for (const std::string& address : addresses) EXPECT_TRUE(OpenUrl(address)) << address;
    EXPECT_EQ(opened_, addresses);
}

TEST_F(UrlOpenerTest, EverythingElseIsRefusedWithoutReachingTheOpener)
{
    for (const std::string address : {
             "", "file:///etc/passwd", "/usr/bin/xterm", "C:\\Windows\\System32\\calc.exe",
             "ftp://skyvane.invalid/datas.bin", "javascript:alert(1)", "mailto:someone@skyvane.invalid",
             "http:skyvane.invalid/page", "http:/skyvane.invalid/page", "https:///etc/passwd",
             "skyvane.invalid/manual.php", " http://skyvane.invalid/", "smb://server/share"}) {
        EXPECT_FALSE(IsOpenableUrl(address)) << address;
        EXPECT_FALSE(OpenUrl(address)) << address;
    }
    EXPECT_TRUE(opened_.empty());
}

TEST_F(UrlOpenerTest, TheOpenersAnswerIsTheResult)
{
    answer_ = false;
    EXPECT_FALSE(OpenUrl("http://skyvane.invalid/"));
    EXPECT_EQ(opened_.size(), 1u);
}

}  // namespace
}  // namespace skyvane::platform
