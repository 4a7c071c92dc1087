// Record and field splitting of the data file's texts, quirks included.
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "skydata/records.h"

namespace skyvane::skydata {
namespace {

using Views = std::vector<std::string_view>;

struct RecordCase {
    std::string name;
    std::string text;
    Views records;
};

class SplitRecordsTest : public ::testing::TestWithParam<RecordCase> {};

TEST_P(SplitRecordsTest, Splits) { EXPECT_EQ(SplitRecords(GetParam().text), GetParam().records); }

INSTANTIATE_TEST_SUITE_P(
    Cases, SplitRecordsTest,
    ::testing::Values(
        RecordCase{"LineBreaks", "A|x|;\r\nB|y|;\r\n", {"A|x|;", "B|y|;"}},
        RecordCase{"TextAfterTheLastEndIsNoRecord", "A|;\r\nB|", {"A|;"}},
        RecordCase{"NoEnd", "A|x|", {}},
        RecordCase{"Empty", "", {}},
        // The two characters after ";" are skipped whatever they are.
        RecordCase{"AnyTwoCharactersSkipped", "A|;xyB|;", {"A|;", "B|;"}},
        RecordCase{"OneCharacterBreakStartsOneLate", "A|;\nBC|;", {"A|;", "C|;"}},
        RecordCase{"NoBreakStartsTwoLate", "A|;BCD|;", {"A|;", "D|;"}},
        RecordCase{"AdjacentEndsGiveEmptyRecords", "A;;\r\nB;", {"A;", "", "B;"}},
        RecordCase{"EndRightAfterTheSkippedPair", "A;\r\n;", {"A;", ";"}},
        RecordCase{"FirstRecordStartsAtZero", ";\r\nB;", {";", "B;"}}),
    [](const auto& info) { return info.param.name; });

TEST(SplitFieldsTest, FieldsEndAtEachBar)
{
    const Views fields = SplitFields("S|x|10.5||K0|;", 25);
    ASSERT_EQ(fields.size(), 25u);
    EXPECT_EQ(fields[0], "S");
    EXPECT_EQ(fields[1], "x");
    EXPECT_EQ(fields[2], "10.5");
    EXPECT_EQ(fields[3], "");
    EXPECT_EQ(fields[4], "K0");
    for (std::size_t i = 5; i < fields.size(); ++i) EXPECT_EQ(fields[i], "") << i;
}

// The text after the last "|" is not a field.
TEST(SplitFieldsTest, LastFieldNeedsItsBar)
{
    const Views fields = SplitFields("C|x|And Andromeda;", 25);
    EXPECT_EQ(fields[0], "C");
    EXPECT_EQ(fields[1], "x");
    EXPECT_EQ(fields[2], "");
}

TEST(SplitFieldsTest, RecordWithoutBarsHasNoFields)
{
    for (std::string_view record : {"INTROPICT;", ";", ""}) {
        const Views fields = SplitFields(record, 20);
        EXPECT_EQ(fields, Views(20)) << record;
    }
}

TEST(SplitFieldsTest, FieldsBeyondTheSlotsAreDropped)
{
    std::string record;
    for (int i = 0; i < 30; ++i) record += std::to_string(i) + "|";
    record += ";";
    const Views fields = SplitFields(record, 25);
    ASSERT_EQ(fields.size(), 25u);
    EXPECT_EQ(fields[0], "0");
    EXPECT_EQ(fields[24], "24");
}

}  // namespace
}  // namespace skyvane::skydata
