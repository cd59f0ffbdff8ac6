#include <gtest/gtest.h>

#include "device/CodeBuffer.h"
#include "tests/device/DeviceTestSupport.h"

namespace kvqor {
namespace {

using test::Filled;

TEST(CodeBuffer, StartsEmptyWithEnd01FF) {
    const CodeBuffer buffer;
    EXPECT_TRUE(test::SameImage(Filled(0x00), buffer.HexBuffer));
    EXPECT_EQ(buffer.BufferEndAddr, 0x01FF);
    EXPECT_FALSE(buffer.FileLoaded);
}

TEST(BufferSum, CoversZeroToEndInclusive) {
    HexImage image = Filled(0x00);
    image[0x0000] = 0x01;
    image[0x03FF] = 0x10;
    image[0x0400] = 0x80;  // just past the end: not counted
    EXPECT_EQ(BufferSum(image, 0x03FF), 0x0011);
    EXPECT_EQ(BufferSum(image, 0x0400), 0x0091);
    EXPECT_EQ(BufferSum(image, 0x0000), 0x0001);  // end 0: the single byte at 0000h
}

TEST(BufferSum, EndFFFFCoversEveryByteAndWraps) {
    HexImage image = Filled(0x00);
    image[0xFFFF] = 0x7F;
    EXPECT_EQ(BufferSum(image, 0xFFFF), 0x007F);
    // 65536 * FFh = FF0000h, which is 0 modulo 10000h.
    EXPECT_EQ(BufferSum(Filled(0xFF), 0xFFFF), 0x0000);
    // 257 * FFh = FFFFh; 258 * FFh = 100FEh wraps to 00FEh.
    EXPECT_EQ(BufferSum(Filled(0xFF), 0x0100), 0xFFFF);
    EXPECT_EQ(BufferSum(Filled(0xFF), 0x0101), 0x00FE);
}

TEST(BufferSum, TextIsFourUpperCaseDigitsAndH) {
    EXPECT_EQ(HexWordToStr4H(0xFC00), "FC00H");
    EXPECT_EQ(HexWordToStr4H(0x00ab), "00ABH");
    EXPECT_EQ(HexWordToStr4H(0), "0000H");
}

}  // namespace
}  // namespace kvqor
