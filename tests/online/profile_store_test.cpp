#include "platform/profile_store.h"

#include <gtest/gtest.h>

#include <QSettings>
#include <QString>

#include <string>
#include <thread>
#include <vector>

#include "online_test_support.h"

namespace skyvane::platform {
namespace {

using online::testing::TemporaryFolder;

class ProfileStoreTest : public ::testing::Test {
protected:
    void SetUp() override { UseProfileFile(SettingsFile()); }
    std::string SettingsFile() const { return (folder_ / "settings.ini").string(); }

    TemporaryFolder folder_;
};

TEST_F(ProfileStoreTest, MissingValuesReadAsZeroEmptyOrTheGivenDefault)
{
    EXPECT_EQ(GetProfileInt("Location", "datasaved"), 0);
    EXPECT_EQ(GetProfileString("Installed", "NBFD"), "");
    EXPECT_EQ(GetProfileInt("Installed", "NOBD", 7), 7);
    EXPECT_EQ(GetProfileString("Installed", "Country", "CH"), "CH");
    // A value in another section is not found under the same key.
    WriteProfileInt("Preferences", "CHECK", 3);
    EXPECT_EQ(GetProfileInt("Update", "CHECK"), 0);
}

TEST_F(ProfileStoreTest, IntegersRoundTrip)
{
    for (const int value : {0, 1, -1, 141, -2147483647 - 1, 2147483647}) {
        WriteProfileInt("Installed", "NOFD", value);
        EXPECT_EQ(GetProfileInt("Installed", "NOFD"), value);
    }
}

TEST_F(ProfileStoreTest, StringsRoundTripWhateverTheyHold)
{
    const std::vector<std::string> values{
        "",
        "2024-03-05 07:08:09",
        "a, b, c",                 // commas would make a list of an INI line
        "semi;colon = equals",     // INI comment and assignment characters
        "@Variant(not really)",    // Qt's own marker for typed values
        "  blanks around  ",
        "Z\xC3\xBCrich",           // UTF-8
        "back\\slash \"quoted\"",
        "line\nbreak",
        "0141",                    // digits stay text with their leading zero
    };
    for (const std::string& value : values) {
        WriteProfileString("Installed", "Data", value);
        EXPECT_EQ(GetProfileString("Installed", "Data"), value);
    }
}

TEST_F(ProfileStoreTest, KindsMeetAsTheOldStoreDid)
{
    // An integer reads back as its decimal text, a numeric text as its number,
    // and a text that is no number reads like a missing integer.
    WriteProfileInt("Installed", "NOBD", 42);
    EXPECT_EQ(GetProfileString("Installed", "NOBD"), "42");
    WriteProfileString("Installed", "Version", "0141");
    EXPECT_EQ(GetProfileInt("Installed", "Version"), 141);
    WriteProfileString("Installed", "Country", "CH");
    EXPECT_EQ(GetProfileInt("Installed", "Country", -5), -5);
}

TEST_F(ProfileStoreTest, WritesReachTheFileAtOnceWithIntegersUnquoted)
{
    WriteProfileInt("Installed", "NOFD", 12);
    WriteProfileString("Update", "Status", "a, b");
    // Another reader of the file, as a second program instance would be.
    QSettings other(QString::fromStdString(SettingsFile()), QSettings::IniFormat);
    EXPECT_EQ(other.value("Installed/NOFD").toInt(), 12);
    EXPECT_EQ(other.value("Update/Status").toString().toStdString(), "a, b");
    const std::string text = online::testing::ReadWholeFile(SettingsFile());
    EXPECT_NE(text.find("NOFD=12\n"), std::string::npos) << text;
}

TEST_F(ProfileStoreTest, EachFileIsAStoreOfItsOwn)
{
    WriteProfileString("Installed", "Country", "CH");
    const std::string second = (folder_ / "second.ini").string();
    UseProfileFile(second);
    EXPECT_EQ(GetProfileString("Installed", "Country"), "");
    WriteProfileString("Installed", "Country", "DE");
    UseProfileFile(SettingsFile());
    EXPECT_EQ(GetProfileString("Installed", "Country"), "CH");
}

std::string ThreadKey(int thread, int index)
{
    std::string key = "K";
    key += std::to_string(thread);
    key += '_';
    key += std::to_string(index);
    return key;
}

TEST_F(ProfileStoreTest, ThreadsWritingAtOnceLoseNothing)
{
    constexpr int kThreads = 4;
    constexpr int kKeysEach = 8;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([t] {
            for (int k = 0; k < kKeysEach; ++k) {
                const std::string key = ThreadKey(t, k);
                WriteProfileInt("Threads", key, t * 1000 + k);
                WriteProfileString("ThreadText", key, key);
                GetProfileInt("Threads", "K0_0");
            }
        });
    }
    for (std::thread& thread : threads) thread.join();
    for (int t = 0; t < kThreads; ++t) {
        for (int k = 0; k < kKeysEach; ++k) {
            const std::string key = ThreadKey(t, k);
            EXPECT_EQ(GetProfileInt("Threads", key), t * 1000 + k) << key;
            EXPECT_EQ(GetProfileString("ThreadText", key), key);
        }
    }
}

}  // namespace
}  // namespace skyvane::platform
