#include "skydata/records.h"

namespace skyvane::skydata {

std::vector<std::string_view> SplitRecords(std::string_view text)
{
    // The line break after each ";" is skipped by position, not by content.
    constexpr std::size_t kSkippedAfterEnd = 2;
    std::vector<std::string_view> records;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != ';') continue;
        if (start <= i)
            records.push_back(text.substr(start, i - start + 1));
        else
            records.push_back(std::string_view{});
        start = i + 1 + kSkippedAfterEnd;
    }
    return records;
}

std::vector<std::string_view> SplitFields(std::string_view record, std::size_t slotCount)
{
    std::vector<std::string_view> fields(slotCount);
    std::size_t fieldStart = 0;
    std::size_t filled = 0;
    for (std::size_t k = 0; k < record.size() && filled < slotCount; ++k) {
        if (record[k] != '|') continue;
        fields[filled++] = record.substr(fieldStart, k - fieldStart);
        fieldStart = k + 1;
    }
    return fields;
}

}  // namespace skyvane::skydata
