// Both text entries of the data file ("stars.txt" and "Datafile.txt") are
// sequences of records ending in ";" whose fields end in "|". The splitting
// rules below reproduce how files written for this program have always been
// read, quirks included, so that every existing file reads the same.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

namespace skyvane::skydata {

// Splits `text` into records. Every record ends with its ";". A record
// starts three characters after the previous ";" (the first at position 0):
// the two characters after each ";" are taken to be a line break and
// skipped unseen. When the next ";" comes sooner than that, the record is
// empty. Text after the last ";" is not a record. The views point into
// `text`.
std::vector<std::string_view> SplitRecords(std::string_view text);

// Splits one record into exactly `slotCount` fields. Field n is the text
// before the (n+1)-th "|", starting after the n-th; field 0 is the record
// kind. The text after the last "|" (the ";") is not a field. Fields the
// record does not contain, and fields beyond the slots, are empty or
// dropped respectively.
std::vector<std::string_view> SplitFields(std::string_view record, std::size_t slotCount);

}  // namespace skyvane::skydata
