// The deep-sky file our packer builds from data/deepsky, read once for
// every test that needs it (SKYVANE_DEEPSKY_BIN names it).
#pragma once

#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "skydata/deep_sky.h"
#include "skydata/name_index.h"

namespace skyvane::skydata::testing {

inline std::vector<unsigned char> RealDeepSkyBytes()
{
    std::ifstream in(SKYVANE_DEEPSKY_BIN, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class RealDeepSkyTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        std::string why;
        catalogue = LoadDeepSkyFile(SKYVANE_DEEPSKY_BIN, why);
        ASSERT_NE(catalogue, nullptr) << why;
    }
    static void TearDownTestSuite() { catalogue.reset(); }

    static const DeepObject* Object(std::string_view name)
    {
        const auto d = ParseCatalogueDesignation(FoldName(name));
        if (!d) return nullptr;
        const auto found = catalogue->FindDesignation(*d);
        return found.object >= 0 ? &catalogue->objects[static_cast<std::size_t>(found.object)] : nullptr;
    }

    static inline std::shared_ptr<const DeepSkyCatalogue> catalogue;
};

}  // namespace skyvane::skydata::testing
