#include "device/HexDump.h"

#include "link/Hex.h"

namespace kvqor {

std::string DumpRow(const HexImage& image, std::uint16_t row) {
    std::string text;
    text.reserve(kDumpRowLength);
    text += HexWordToStr4(row);
    text += " : ";
    for (std::size_t k = 0; k < 16; ++k) {
        text += HexByteToStr2(image[(std::size_t{row} + k) & 0xFFFFu]);
        text += ' ';
    }
    text += "  ";
    for (std::size_t k = 0; k < 16; ++k) {
        const std::uint8_t byte = image[(std::size_t{row} + k) & 0xFFFFu];
        text += (byte >= 0x20 && byte <= 0x7F) ? static_cast<char>(byte) : '.';
    }
    return text;
}

std::vector<std::string> DumpRows(const HexImage& image, std::uint16_t end) {
    std::vector<std::string> rows;
    const std::size_t count = RowsFor(end);
    rows.reserve(count);
    for (std::size_t i = 0; i < count; ++i)
        rows.push_back(DumpRow(image, static_cast<std::uint16_t>(16 * i)));
    return rows;
}

}  // namespace kvqor
