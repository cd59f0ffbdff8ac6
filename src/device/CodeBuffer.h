#pragma once
// The code buffer: the image of a part's code memory that loading, saving, the viewer and every
// device operation work on.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace kvqor {

// 64 KiB indexed by a 16-bit address.
using HexImage = std::array<std::uint8_t, 0x10000>;

// BufferEndAddr before anything was loaded or read.
inline constexpr std::uint16_t kStartBufferEndAddr = 0x01FF;

// 16-bit sum (modulo 10000h) of the bytes 0000h to `end` inclusive; end FFFFh covers all.
std::uint16_t BufferSum(const HexImage& image, std::uint16_t end);

// How many 16-byte rows the writer and the viewer cover for `end`: the row at 0000h always, then
// every further multiple of 10h below end (so 64 rows for 03FFh, 4096 for FFFFh).
constexpr std::size_t RowsFor(std::uint16_t end) {
    return end <= 16 ? 1 : (std::size_t{end} + 15) / 16;
}

// A word as the main window shows addresses, ends and sums: four upper-case digits and "H".
std::string HexWordToStr4H(std::uint16_t value);

struct CodeBuffer {
    HexImage HexBuffer{};                               // all 00h until the first load or read
    std::uint16_t BufferEndAddr = kStartBufferEndAddr;  // end of the last data record loaded
    bool FileLoaded = false;                            // set by every load that opened its file

    // The value ShowBufferSum shows.
    std::uint16_t Sum(std::uint16_t end) const { return BufferSum(HexBuffer, end); }
};

}  // namespace kvqor
