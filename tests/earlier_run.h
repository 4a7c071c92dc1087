// The settings of a user who has started the program ten times before in
// Switzerland: a usage record, the Swiss locations, and no data file check
// or donation reminder due. Window tests and the start-up bench begin there
// so that no first-run dialog stands between them and the chart.
#pragma once

#include <string>

#include "online/usage_record.h"
#include "places/locations.h"
#include "platform/profile_store.h"

namespace skyvane {

inline void StoreEarlierRunRecord()
{
    online::UsageRecord record;
    record.installId = "abcdef";
    record.build = online::kBuildNumber;
    record.starts = 10;
    online::EncodeUsageRecord(record);
    platform::WriteProfileString("Installed", "Data", record.text);
    engine::LocationTable table;
    places::FillDefaultLocations(table, "CH");
    places::SaveLocations(table);
    platform::WriteProfileString("Installed", "NBFD", "2099-01-01 00:00:00");
    platform::WriteProfileInt("Installed", "ABID", 100);
}

}  // namespace skyvane
