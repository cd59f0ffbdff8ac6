#include <gtest/gtest.h>

#include <memory>
#include <random>

#include "device/IntelHex.h"
#include "device/Workspace.h"
#include "tests/device/DeviceTestSupport.h"

namespace kvqor {
namespace {

// The lines of a file that ends every line with CR LF; fails the test on any other line end.
std::vector<std::string> CrLfLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find("\r\n", start);
        if (end == std::string::npos) {
            ADD_FAILURE() << "text does not end in CR LF";
            break;
        }
        lines.push_back(text.substr(start, end - start));
        EXPECT_EQ(lines.back().find_first_of("\r\n"), std::string::npos)
            << "stray line end in " << lines.back();
        start = end + 2;
    }
    return lines;
}

std::unique_ptr<HexImage> RandomImage(unsigned seed) {
    auto image = std::make_unique<HexImage>();
    std::mt19937 gen(seed);
    for (auto& b : *image)
        b = static_cast<std::uint8_t>(gen());
    return image;
}

TEST(IntelHexWriter, AllFFForAT89C1051Gives64RecordsAndTheEndRecord) {
    auto ws = std::make_unique<Workspace>();
    ws->Buffer.HexBuffer.fill(0xFF);
    ws->SelectDeviceChange(0);
    const auto lines = CrLfLines(ws->SaveHexText());
    ASSERT_EQ(lines.size(), 65u);
    EXPECT_EQ(lines[0], ":10000000" + std::string(32, 'F') + "00");
    EXPECT_EQ(lines[1], ":10001000" + std::string(32, 'F') + "F0");
    EXPECT_EQ(lines[63], ":1003F000" + std::string(32, 'F') + "0D");
    EXPECT_EQ(lines[64], ":00000001FF");
    for (std::size_t i = 0; i < 64; ++i)
        EXPECT_EQ(lines[i].size(), 43u) << i;
}

TEST(IntelHexWriter, NoPartChosenWritesOneRecordFromAddressZero) {
    auto ws = std::make_unique<Workspace>();
    EXPECT_EQ(ws->SaveHexText(), ":10000000" + std::string(32, '0') + "F0\r\n:00000001FF\r\n");
}

TEST(IntelHexWriter, UpperCaseDigitsAndPublishedChecksum) {
    HexImage image = test::Filled(0x00);
    for (std::uint8_t k = 0; k < 16; ++k)
        image[0x0AB0 + k] = static_cast<std::uint8_t>(0xA0 + k);
    const auto lines = CrLfLines(IntelHexText(image, 0x0AC0));
    ASSERT_EQ(lines.size(), 0xAC + 1u);
    // 10h + 0Ah + B0h + 00h + A0h..AFh = 0B42h; the two's complement of 42h is BEh.
    EXPECT_EQ(lines[0xAB], ":100AB000A0A1A2A3A4A5A6A7A8A9AAABACADAEAFBE");
}

TEST(IntelHexWriter, WritesOnlyThePartsRange) {
    auto ws = std::make_unique<Workspace>();
    ws->Buffer.HexBuffer.fill(0x01);  // as if a 4096-byte file were loaded
    ws->Buffer.BufferEndAddr = 0x0FFF;
    ws->SelectDeviceChange(1);  // AT89C2051, end 07FFh
    const auto lines = CrLfLines(ws->SaveHexText());
    ASSERT_EQ(lines.size(), 129u);
    EXPECT_EQ(lines[127].substr(0, 9), ":1007F000");
}

TEST(IntelHexWriter, WhatItWritesReadsBackByteForByte) {
    const auto image = RandomImage(1);
    const std::string text = IntelHexText(*image, 0xFFFF);
    auto back = std::make_unique<HexImage>(test::Filled(0x00));
    const HexReadResult result = ReadIntelHex(text, *back);
    EXPECT_TRUE(test::SameImage(*image, *back));
    EXPECT_EQ(result.dataRecords, 4096u);
    EXPECT_EQ(result.badChecksums, 0u);
    EXPECT_EQ(result.lastDataEnd, 0xFFFF);
    EXPECT_EQ(result.stop, HexStop::None);
}

TEST(IntelHexWriter, SavedFileLoadsBackIntoAnotherWindow) {
    test::TempFolder folder;
    auto saver = std::make_unique<Workspace>();
    saver->Buffer.HexBuffer = *RandomImage(2);
    saver->SelectDeviceChange(5);  // AT89C55, end 4FFFh
    ASSERT_TRUE(saver->SaveHexFile(folder / "image.hex").saved);

    auto loader = std::make_unique<Workspace>();
    EXPECT_EQ(loader->OpenHexFile(folder / "image.hex", "image.hex").outcome, LoadOutcome::Loaded);
    for (std::size_t a = 0; a < 0x10000; ++a) {
        const std::uint8_t expected = a <= 0x4FFF ? saver->Buffer.HexBuffer[a] : 0xFF;
        ASSERT_EQ(loader->Buffer.HexBuffer[a], expected) << "at " << a;
    }
    EXPECT_EQ(loader->Buffer.BufferEndAddr, 0x4FFF);
}

}  // namespace
}  // namespace kvqor
