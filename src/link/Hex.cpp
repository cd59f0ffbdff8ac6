#include "link/Hex.h"

namespace kvqor {

namespace {
constexpr char kUpperDigits[] = "0123456789ABCDEF";
}

int HexDigitValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

bool HEX(char c) {
    return HexDigitValue(c) >= 0;
}

std::string HexByteToStr2(std::uint8_t value) {
    return {kUpperDigits[value >> 4], kUpperDigits[value & 0x0F]};
}

std::string HexWordToStr4(std::uint16_t value) {
    return HexByteToStr2(static_cast<std::uint8_t>(value >> 8)) +
           HexByteToStr2(static_cast<std::uint8_t>(value & 0xFF));
}

std::uint8_t HexStr2ToByte(std::string_view text) {
    unsigned result = 0;
    if (!text.empty() && HEX(text[0]))
        result += 16u * static_cast<unsigned>(HexDigitValue(text[0]));
    if (text.size() > 1 && HEX(text[1]))
        result += static_cast<unsigned>(HexDigitValue(text[1]));
    return static_cast<std::uint8_t>(result);
}

std::uint16_t HexStr4ToWord(std::string_view text) {
    // Taken from the fourth character back to the first; a missing or invalid one resets the
    // running sum, so only the characters left of the leftmost invalid one count.
    unsigned sum = 0;
    unsigned weight = 1;
    for (int k = 3; k >= 0; --k) {
        const auto pos = static_cast<std::size_t>(k);
        if (pos < text.size() && HEX(text[pos])) {
            sum = (sum + weight * static_cast<unsigned>(HexDigitValue(text[pos]))) & 0xFFFFu;
        } else {
            sum = 0;
        }
        weight *= 16;
    }
    return static_cast<std::uint16_t>(sum);
}

}  // namespace kvqor
