#include <gtest/gtest.h>

#include "device/Catalogue.h"
#include "fuse/FuseLayout.h"

namespace kvqor {
namespace {

TEST(FuseLayout, OnlyTheCodesWithFusesHaveALayout) {
    for (const StructureDevice& part : DeviceTable) {
        const bool hasFuses = part.DeviceCode == "04" || part.DeviceCode == "06" || part.DeviceCode == "07";
        EXPECT_EQ(FindFuseLayout(part.DeviceCode) != nullptr, hasFuses) << part.DeviceName;
    }
    EXPECT_EQ(FindFuseLayout(""), nullptr);
}

TEST(FuseLayout, EveryPartWithFusesIsInANameList) {
    for (const StructureDevice& part : DeviceTable) {
        if (FindFuseLayout(part.DeviceCode) == nullptr)
            continue;
        EXPECT_NE(FindFuseNameList(part.DeviceName), nullptr) << part.DeviceName;
    }
    EXPECT_EQ(FindFuseNameList("at90s2313"), nullptr);  // exact, case-sensitive
    EXPECT_EQ(FindFuseNameList(""), nullptr);           // the empty slots of a list match nothing
}

struct WriteCase {
    const char* code;
    int fuse1;
    int fuse2;
    std::optional<std::uint8_t> value;
};

class WrittenValueTest : public ::testing::TestWithParam<WriteCase> {};

TEST_P(WrittenValueTest, BuildsTheValueFromTheGroupsTheCodeUses) {
    const WriteCase& c = GetParam();
    const FuseLayout* layout = FindFuseLayout(c.code);
    ASSERT_NE(layout, nullptr);
    EXPECT_EQ(WrittenValue(*layout, {c.fuse1, c.fuse2}), c.value);
}

INSTANTIATE_TEST_SUITE_P(Values, WrittenValueTest,
                         ::testing::Values(WriteCase{"06", 0, 0, 0x00}, WriteCase{"06", 1, 0, 0x01},
                                           WriteCase{"06", 0, 1, 0x20}, WriteCase{"07", 1, 1, 0x21},
                                           // the 89S parts take only SPIEN; Fuse1 plays no part
                                           WriteCase{"04", 1, 0, 0x00}, WriteCase{"04", -1, 1, 0x01},
                                           // a group the code uses without a selection
                                           WriteCase{"06", -1, 0, std::nullopt},
                                           WriteCase{"07", 1, -1, std::nullopt},
                                           WriteCase{"04", 0, -1, std::nullopt}));

struct CompareCase {
    const char* code;
    std::uint8_t written;
    std::uint8_t readBack;
    bool matches;
};

class ReadBackTest : public ::testing::TestWithParam<CompareCase> {};

TEST_P(ReadBackTest, ComparesOnlyTheWrittenBits) {
    const CompareCase& c = GetParam();
    EXPECT_EQ(ReadBackMatches(*FindFuseLayout(c.code), c.written, c.readBack), c.matches);
}

INSTANTIATE_TEST_SUITE_P(Values, ReadBackTest,
                         ::testing::Values(CompareCase{"06", 0x01, 0xC1, true},   // lock bits ignored
                                           CompareCase{"06", 0x01, 0xE1, false},  // bit 5 differs
                                           CompareCase{"07", 0x20, 0x20, true},
                                           CompareCase{"07", 0x21, 0x01, false},
                                           CompareCase{"04", 0x00, 0xFE, true},  // only bit 0
                                           CompareCase{"04", 0x01, 0xFE, false}));

}  // namespace
}  // namespace kvqor
