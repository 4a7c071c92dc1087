// Local time from the reentrant call of each system, under time zones set
// through the environment as a user's session would.
#include "platform/local_time.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <limits>
#include <string>
#include <thread>
#include <vector>

#include "platform/process_environment.h"

namespace skyvane::platform {
namespace {

void ReadTimeZone()
{
#ifdef _WIN32
    _tzset();
#else
    tzset();
#endif
}

// Sets TZ for one test and restores the zone the process had.
class TimeZone {
public:
    explicit TimeZone(const std::string& zone)
    {
        if (const char* old = std::getenv("TZ")) old_ = old;
        EXPECT_TRUE(SetEnvironmentValue("TZ", zone));
        ReadTimeZone();
    }
    ~TimeZone()
    {
        // An empty TZ is no valid zone; UTC is what a process without one
        // gets on the systems the tests run on.
        SetEnvironmentValue("TZ", old_.empty() ? "UTC0" : old_);
        ReadTimeZone();
    }

private:
    std::string old_;
};

TEST(LocalTimeTest, FollowsTheProcessTimeZone)
{
    {
        TimeZone utc("UTC0");
        const std::tm t = LocalTime(86400 * 365 + 3661);  // 1971-01-01 01:01:01 UTC
        EXPECT_EQ(t.tm_year, 71);
        EXPECT_EQ(t.tm_mon, 0);
        EXPECT_EQ(t.tm_mday, 1);
        EXPECT_EQ(t.tm_hour, 1);
        EXPECT_EQ(t.tm_min, 1);
        EXPECT_EQ(t.tm_sec, 1);
        EXPECT_EQ(t.tm_wday, 5);  // a Friday
    }
    {
        // Five hours west of Greenwich: the epoch is the evening before.
        TimeZone west("EST5");
        const std::tm t = LocalTime(0);
        EXPECT_EQ(t.tm_year, 69);
        EXPECT_EQ(t.tm_mon, 11);
        EXPECT_EQ(t.tm_mday, 31);
        EXPECT_EQ(t.tm_hour, 19);
        EXPECT_EQ(t.tm_yday, 364);
    }
}

TEST(LocalTimeTest, AMomentBeyondTheCalendarGivesTheFixedFallback)
{
    // Far beyond any year a broken-down time holds, on every system.
    const std::tm t = LocalTime(std::numeric_limits<std::time_t>::max());
    EXPECT_EQ(t.tm_year, 0);
    EXPECT_EQ(t.tm_mon, 0);
    EXPECT_EQ(t.tm_mday, 1);
    EXPECT_EQ(t.tm_hour, 0);
}

TEST(LocalTimeTest, ThreadsDoNotOverwriteEachOthersResults)
{
    // std::localtime would hand every thread the same buffer.
    TimeZone utc("UTC0");
    std::vector<std::thread> threads;
    std::vector<int> wrong(4, 0);
    for (int k = 0; k < 4; ++k)
        threads.emplace_back([k, &wrong] {
            for (int i = 0; i < 2000; ++i) {
                const std::time_t moment = static_cast<std::time_t>(k) * 3600 + i % 60;
                const std::tm t = LocalTime(moment);
                if (t.tm_hour != k || t.tm_sec != i % 60) ++wrong[k];
            }
        });
    for (std::thread& thread : threads) thread.join();
    for (int k = 0; k < 4; ++k) EXPECT_EQ(wrong[k], 0) << "thread " << k;
}

}  // namespace
}  // namespace skyvane::platform
