#pragma once
// The rows of the buffer viewer.

#include <cstdint>
#include <string>
#include <vector>

#include "device/CodeBuffer.h"

namespace kvqor {

// Characters in a row: address, " : ", 16 bytes as "XX ", two blanks, 16 characters.
inline constexpr std::size_t kDumpRowLength = 73;

// The row at `row` (a multiple of 10h, at most FFF0h): bytes 20h to 7Fh show as themselves in
// the character column, every other byte as '.'.
std::string DumpRow(const HexImage& image, std::uint16_t row);

// Row 0000h and every further multiple of 10h below `end`, ending after row FFF0h at the latest.
std::vector<std::string> DumpRows(const HexImage& image, std::uint16_t end);

}  // namespace kvqor
