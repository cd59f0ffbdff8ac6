#include <gtest/gtest.h>

#include "link/Hex.h"
#include "link/Link.h"

namespace kvqor {
namespace {

TEST(HexText, WritesUpperCaseDigits) {
    EXPECT_EQ(HexByteToStr2(0x0A), "0A");
    EXPECT_EQ(HexByteToStr2(0xFF), "FF");
    EXPECT_EQ(HexByteToStr2(0x00), "00");
    EXPECT_EQ(HexWordToStr4(0), "0000");
    EXPECT_EQ(HexWordToStr4(0x1FFF), "1FFF");
    EXPECT_EQ(HexWordToStr4(0xABCD), "ABCD");
    for (unsigned v = 0; v < 256; ++v) {
        const std::string s = HexByteToStr2(static_cast<std::uint8_t>(v));
        EXPECT_EQ(HexStr2ToByte(s), v);
        for (char c : s)
            EXPECT_FALSE(c >= 'a' && c <= 'z') << s;
    }
}

TEST(HexText, HexAcceptsBothCasesOnly) {
    EXPECT_TRUE(HEX('f'));
    EXPECT_TRUE(HEX('F'));
    EXPECT_TRUE(HEX('0'));
    EXPECT_FALSE(HEX('g'));
    EXPECT_FALSE(HEX(':'));
    EXPECT_FALSE(HEX('/'));
    EXPECT_FALSE(HEX('@'));
    EXPECT_FALSE(HEX('`'));
    EXPECT_FALSE(HEX(std::uint8_t{0x06}));
}

struct Str2Case {
    const char* text;
    unsigned expected;
};
class HexStr2ToByteTable : public ::testing::TestWithParam<Str2Case> {};
TEST_P(HexStr2ToByteTable, InvalidCharactersAddNothing) {
    EXPECT_EQ(HexStr2ToByte(GetParam().text), GetParam().expected) << GetParam().text;
}
INSTANTIATE_TEST_SUITE_P(Cases, HexStr2ToByteTable,
                         ::testing::Values(Str2Case{"ff", 0xFF}, Str2Case{"1G", 0x10}, Str2Case{"G1", 0x01},
                                           Str2Case{"", 0x00}, Str2Case{"7", 0x70}, Str2Case{"a5", 0xA5},
                                           Str2Case{"12345", 0x12}, Str2Case{"GG", 0x00}));

struct Str4Case {
    const char* text;
    unsigned expected;
};
class HexStr4ToWordTable : public ::testing::TestWithParam<Str4Case> {};
TEST_P(HexStr4ToWordTable, KeepsOnlyDigitsLeftOfTheFirstInvalidOne) {
    EXPECT_EQ(HexStr4ToWord(GetParam().text), GetParam().expected) << GetParam().text;
}
INSTANTIATE_TEST_SUITE_P(Cases, HexStr4ToWordTable,
                         ::testing::Values(Str4Case{"1fFF", 0x1FFF}, Str4Case{"12G4", 0x1200},
                                           Str4Case{"FF", 0xFF00}, Str4Case{"G123", 0x0000},
                                           Str4Case{"", 0x0000}, Str4Case{"4FFF", 0x4FFF},
                                           Str4Case{"123G", 0x1230}, Str4Case{"ABCDEF", 0xABCD},
                                           Str4Case{"FFFF", 0xFFFF}));

struct FrameCase {
    const char* command;
    const char* checksum;
};
class FrameChecksumTable : public ::testing::TestWithParam<FrameCase> {};
TEST_P(FrameChecksumTable, SumsFourBytesPlusThree) {
    EXPECT_EQ(HexByteToStr2(FrameChecksum(GetParam().command)), GetParam().checksum);
}
INSTANTIATE_TEST_SUITE_P(Cases, FrameChecksumTable,
                         ::testing::Values(FrameCase{"0D000000", "10"}, FrameCase{"05000001", "09"},
                                           FrameCase{"0A0FFF03", "1E"}, FrameCase{"04000106", "0E"},
                                           FrameCase{"FFFFFFFF", "FF"}));

}  // namespace
}  // namespace kvqor
