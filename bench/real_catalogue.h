// The catalogue of the build's data file, read once for a benchmark run.
#pragma once

#include <cstdlib>
#include <memory>
#include <vector>

#include "skydata/data_file.h"
#include "skydata/sky_data.h"

namespace skyvane {

inline const skydata::SkyCatalogue& RealCatalogue()
{
    static const std::shared_ptr<const skydata::SkyData> data = [] {
        static skydata::SkyDataStore store;
        std::vector<unsigned char> bytes;
        if (!skydata::ReadDataFile(SKYVANE_DATAS_BIN, bytes) || !store.Load(bytes)) std::abort();
        return store.Current();
    }();
    return *data->catalogue;
}

}  // namespace skyvane
