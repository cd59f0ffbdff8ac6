// Files made by real toolchains (sdcc, avr-gcc with avr-objcopy, srec_cat; see
// scripts/make-fixtures.sh): the reader must load exactly the bytes srec_cat puts into a binary
// image of the same file.

#include <gtest/gtest.h>

#include <memory>

#include "device/IntelHex.h"
#include "tests/device/DeviceTestSupport.h"

namespace kvqor {
namespace {

const std::filesystem::path kFixtures = KVQOR_DEVICE_FIXTURES;

class ToolchainFile : public ::testing::TestWithParam<const char*> {};

TEST_P(ToolchainFile, LoadsTheBytesSrecCatSees) {
    const std::string name = GetParam();
    const std::string text = test::ReadWholeFile(kFixtures / (name + ".hex"));
    const std::string binary = test::ReadWholeFile(kFixtures / (name + ".bin"));
    ASSERT_FALSE(text.empty()) << name;
    ASSERT_FALSE(binary.empty()) << name;

    auto image = std::make_unique<HexImage>(test::Filled(0xFF));
    const HexReadResult result = ReadIntelHex(text, *image);
    EXPECT_EQ(result.stop, HexStop::None);
    EXPECT_EQ(result.badChecksums, 0u);
    EXPECT_GT(result.dataRecords, 0u);

    HexImage expected = test::Filled(0xFF);
    std::copy(binary.begin(), binary.end(), expected.begin());
    EXPECT_TRUE(test::SameImage(expected, *image));
}

INSTANTIATE_TEST_SUITE_P(Fixtures, ToolchainFile,
                         ::testing::Values("sdcc_blink51_at89c2051", "avrgcc_blinkavr_at90s2313",
                                           "srec_linear_hole", "srec_segment_crlf", "srec_255byte_records"));

class FileAbove64K : public ::testing::TestWithParam<const char*> {};

TEST_P(FileAbove64K, StopsAtTheFirstDataRecordInsteadOfWrapping) {
    auto image = std::make_unique<HexImage>(test::Filled(0xFF));
    const HexReadResult result = ReadIntelHex(test::ReadWholeFile(kFixtures / GetParam()), *image);
    EXPECT_EQ(result.stop, HexStop::AddressAboveFFFF);
    EXPECT_EQ(result.stopLine, 2u);
    EXPECT_TRUE(test::SameImage(test::Filled(0xFF), *image));
}

INSTANTIATE_TEST_SUITE_P(Fixtures, FileAbove64K,
                         ::testing::Values("srec_above64k_linear.hex", "srec_above64k_segment.hex"));

}  // namespace
}  // namespace kvqor
