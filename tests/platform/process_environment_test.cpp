// The environment and the user tag, with the same results on every system.
#include "platform/process_environment.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace skyvane::platform {
namespace {

std::string Variable(const char* name)
{
    const char* value = std::getenv(name);
    return value == nullptr ? "<unset>" : value;
}

TEST(ProcessEnvironmentTest, SetsAndReplacesAVariable)
{
    ASSERT_TRUE(SetEnvironmentValue("SKYVANE_PLATFORM_TEST", "first value"));
    EXPECT_EQ(Variable("SKYVANE_PLATFORM_TEST"), "first value");
    ASSERT_TRUE(SetEnvironmentValue("SKYVANE_PLATFORM_TEST", "C:\\second=value"));
    EXPECT_EQ(Variable("SKYVANE_PLATFORM_TEST"), "C:\\second=value");
}

TEST(ProcessEnvironmentTest, RefusesNamesAndValuesTheSystemsDisagreeOn)
{
    // One system would delete a variable given an empty value, the other
    // would set it empty; a name with '=' splits differently on each.
    ASSERT_TRUE(SetEnvironmentValue("SKYVANE_PLATFORM_KEEP", "kept"));
    EXPECT_FALSE(SetEnvironmentValue("SKYVANE_PLATFORM_KEEP", ""));
    EXPECT_EQ(Variable("SKYVANE_PLATFORM_KEEP"), "kept");
    EXPECT_FALSE(SetEnvironmentValue("", "x"));
    EXPECT_FALSE(SetEnvironmentValue("A=B", "x"));
    EXPECT_EQ(Variable("A"), "<unset>");
}

TEST(ProcessEnvironmentTest, UserTagIsAStableFileNamePart)
{
    const std::string tag = CurrentUserTag();
    ASSERT_FALSE(tag.empty());
    EXPECT_EQ(tag, CurrentUserTag());
    EXPECT_EQ(tag.find_first_not_of("0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ-_"),
              std::string::npos)
        << tag;
}

}  // namespace
}  // namespace skyvane::platform
