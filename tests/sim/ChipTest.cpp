#include <gtest/gtest.h>

#include "sim/Chip.h"

namespace kvqor::sim {
namespace {

struct FuseCase {
    const char* name;
    const char* code;
    int lockLevel;
    int written;  // fuse value written, or -1 for none
    std::uint8_t fuseByte;
    std::uint8_t lockByte;
};

class FuseLayout : public ::testing::TestWithParam<FuseCase> {};

// 0 = programmed. Code 04: fuse bit 0 SPIEN; lock byte bits 2, 1, 0 = lock bits 1, 2, 3.
// Codes 06 and 07: fuse bit 0 fuse 1, bit 5 SPIEN, bits 7 and 6 lock bits 1 and 2.
TEST_P(FuseLayout, BytesCarryTheBitsWhereThePcLooksForThem) {
    const FuseCase& c = GetParam();
    Chip chip(c.code, 0x800, 3);
    chip.Lock(c.lockLevel);
    if (c.written >= 0)
        chip.WriteFuses(static_cast<std::uint8_t>(c.written));
    EXPECT_EQ(chip.FuseByte(), c.fuseByte);
    EXPECT_EQ(chip.LockByte(), c.lockByte);
}

INSTANTIATE_TEST_SUITE_P(Parts, FuseLayout,
                         ::testing::Values(FuseCase{"S8252AsShipped", "04", 0, -1, 0xFE, 0xFF},
                                           FuseCase{"S8252Lock1", "04", 1, -1, 0xFE, 0xFB},
                                           FuseCase{"S8252Lock2", "04", 2, -1, 0xFE, 0xF9},
                                           FuseCase{"S8252Lock3", "04", 3, -1, 0xFE, 0xF8},
                                           FuseCase{"S8252SpienOff", "04", 0, 0x01, 0xFF, 0xFF},
                                           FuseCase{"S8252OtherBitsIgnored", "04", 0, 0xFE, 0xFE, 0xFF},
                                           FuseCase{"Avr06AsShipped", "06", 0, -1, 0xDF, 0xFF},
                                           FuseCase{"Avr06Fuse1On", "06", 0, 0x20, 0xFE, 0xFF},
                                           FuseCase{"Avr06BothOn", "06", 0, 0x00, 0xDE, 0xFF},
                                           FuseCase{"Avr06BothOff", "06", 0, 0x21, 0xFF, 0xFF},
                                           FuseCase{"Avr07Lock1", "07", 1, -1, 0x5F, 0xFB},
                                           FuseCase{"Avr07Lock2", "07", 2, 0x01, 0x1F, 0xF9}),
                         [](const ::testing::TestParamInfo<FuseCase>& p) {
                             return std::string(p.param.name);
                         });

TEST(ChipModel, EraseClearsMemoryAndLockButKeepsFuses) {
    Chip chip("06", 0x100, 2);
    chip.Fill(0x00);
    chip.WriteFuses(0x00);
    chip.Lock(2);
    chip.Erase();
    EXPECT_TRUE(chip.IsBlank(0xFF));
    EXPECT_EQ(chip.LockLevel(), 0);
    EXPECT_EQ(chip.FuseByte(), 0xDE);
}

TEST(ChipModel, LockLevelsOnlyRiseAndStopAtThePartsLockBits) {
    Chip chip("01", 0x400, 2);
    chip.Lock(2);
    chip.Lock(1);
    EXPECT_EQ(chip.LockLevel(), 2);
    chip.Lock(3);
    EXPECT_EQ(chip.LockLevel(), 2);
}

TEST(ChipModel, ReadingIsLockedFromLevelTwo) {
    Chip chip("03", 0x100, 3);
    chip.Fill(0x5A);
    chip.Lock(1);
    EXPECT_EQ(chip.Read(0x10), 0x5A);
    EXPECT_TRUE(chip.ProgrammingLocked());
    chip.Lock(2);
    EXPECT_EQ(chip.Read(0x10), 0x00);
    EXPECT_EQ(chip.Memory()[0x10], 0x5A);
    EXPECT_EQ(chip.Read(0x100), 0x00);  // beyond the chip
}

}  // namespace
}  // namespace kvqor::sim
