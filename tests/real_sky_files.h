// The data file and the deep-sky file the build packs, read once for a
// whole suite of tests that draw the real sky.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "skydata/data_file.h"
#include "skydata/deep_sky.h"
#include "skydata/sky_data.h"

namespace skyvane {

class RealSkyFilesTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        std::vector<unsigned char> bytes;
        ASSERT_TRUE(skydata::ReadDataFile(SKYVANE_DATAS_BIN, bytes));
        store = new skydata::SkyDataStore;
        ASSERT_TRUE(store->Load(bytes));
        std::string why;
        deep = skydata::LoadDeepSkyFile(SKYVANE_DEEPSKY_BIN, why);
        ASSERT_NE(deep, nullptr) << why;
    }
    static void TearDownTestSuite()
    {
        delete store;
        store = nullptr;
        deep.reset();
    }
    static const skydata::SkyCatalogue& Main() { return *store->Current()->catalogue; }

    static inline skydata::SkyDataStore* store = nullptr;
    static inline std::shared_ptr<const skydata::DeepSkyCatalogue> deep;
};

}  // namespace skyvane
