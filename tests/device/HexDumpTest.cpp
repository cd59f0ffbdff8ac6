#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "device/HexDump.h"
#include "device/IntelHex.h"
#include "device/Workspace.h"
#include "tests/device/DeviceTestSupport.h"

namespace kvqor {
namespace {

TEST(DumpRow, AddressBytesAndCharacters) {
    HexImage image = test::Filled(0x20);
    image[0x0120] = 0x48;
    image[0x0121] = 0x69;
    image[0x0122] = 0x00;
    image[0x0123] = 0xFF;
    const std::string row = DumpRow(image, 0x0120);
    EXPECT_EQ(row, "0120 : 48 69 00 FF 20 20 20 20 20 20 20 20 20 20 20 20   Hi..            ");
    EXPECT_EQ(row.size(), kDumpRowLength);
}

struct CharCase {
    std::uint8_t byte;
    const char* hex;
    char shown;
};

class DumpCharacterColumn : public ::testing::TestWithParam<CharCase> {};

TEST_P(DumpCharacterColumn, ShowsPrintableBytesAndDotsForTheRest) {
    HexImage image = test::Filled(0x00);
    image[0xFFFF] = GetParam().byte;  // last byte of the last row
    const std::string row = DumpRow(image, 0xFFF0);
    ASSERT_EQ(row.size(), kDumpRowLength);
    EXPECT_EQ(row.substr(52, 3), std::string(GetParam().hex) + " ");
    EXPECT_EQ(row[72], GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(Bytes, DumpCharacterColumn,
                         ::testing::Values(CharCase{0x41, "41", 'A'}, CharCase{0x20, "20", ' '},
                                           CharCase{0x7F, "7F", '\x7F'}, CharCase{0x7E, "7E", '~'},
                                           CharCase{0x1F, "1F", '.'}, CharCase{0x80, "80", '.'},
                                           CharCase{0x00, "00", '.'}, CharCase{0xFF, "FF", '.'},
                                           CharCase{0xab, "AB", '.'}));

struct RangeCase {
    const char* name;
    int part;  // -1: none chosen
    std::uint16_t bufferEnd;
    std::size_t rows;  // also the number of records the writer writes for the same end
    const char* lastRow;
};

void PrintTo(const RangeCase& c, std::ostream* os) {
    *os << c.name;
}

class ViewerRange : public ::testing::TestWithParam<RangeCase> {};

TEST_P(ViewerRange, ListsRowsBelowTheEnd) {
    const RangeCase& c = GetParam();
    auto ws = std::make_unique<Workspace>();
    ws->Buffer.BufferEndAddr = c.bufferEnd;
    if (c.part >= 0)
        ws->SelectDeviceChange(c.part);
    const auto rows = ws->ShowHexData();
    ASSERT_EQ(rows.size(), c.rows);
    EXPECT_EQ(rows.front().substr(0, 4), "0000");
    EXPECT_EQ(rows.back().substr(0, 4), c.lastRow);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        ASSERT_EQ(rows[i].substr(0, 4), HexWordToStr4(static_cast<std::uint16_t>(16 * i)));
    }
    // The writer covers the same rows for the same end.
    const std::string text = IntelHexText(ws->Buffer.HexBuffer, ws->ViewerEnd());
    EXPECT_EQ(static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')), c.rows + 1);
}

INSTANTIATE_TEST_SUITE_P(Ends, ViewerRange,
                         ::testing::Values(RangeCase{"NothingChosen", -1, 0x01FF, 32, "01F0"},
                                           RangeCase{"AT89C1051", 0, 0x01FF, 64, "03F0"},
                                           RangeCase{"AT89C2051", 1, 0x01FF, 128, "07F0"},
                                           RangeCase{"AT89C52", 4, 0x01FF, 512, "1FF0"},
                                           RangeCase{"AT89S8252", 7, 0x01FF, 640, "27F0"},
                                           RangeCase{"AT89S53", 8, 0x01FF, 768, "2FF0"},
                                           RangeCase{"AT89C55WhateverWasLoaded", 5, 0xFFFF, 1280, "4FF0"},
                                           RangeCase{"BufferEnd0100", -1, 0x0100, 16, "00F0"},
                                           RangeCase{"BufferEnd0101", -1, 0x0101, 17, "0100"},
                                           RangeCase{"BufferEnd0000", -1, 0x0000, 1, "0000"},
                                           RangeCase{"BufferEnd0010", -1, 0x0010, 1, "0000"},
                                           RangeCase{"BufferEndFFFFStopsAtFFF0", -1, 0xFFFF, 4096, "FFF0"}),
                         [](const ::testing::TestParamInfo<RangeCase>& p) {
                             return std::string(p.param.name);
                         });

TEST(ViewerRange, StartUpBufferShowsZerosAndDots) {
    auto ws = std::make_unique<Workspace>();
    const auto rows = ws->ShowHexData();
    ASSERT_EQ(rows.size(), 32u);
    for (const auto& row : rows) {
        EXPECT_EQ(row.substr(4), " : 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00   ................");
    }
}

}  // namespace
}  // namespace kvqor
