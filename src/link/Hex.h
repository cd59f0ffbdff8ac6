#pragma once
// Hex text as it travels on the wire and appears on screen.
// Produced text is always upper case; read text is accepted in either case and never fails:
// invalid characters count as the two readers below describe.

#include <cstdint>
#include <string>
#include <string_view>

namespace kvqor {

// True for '0'-'9', 'A'-'F' and 'a'-'f'.
bool HEX(char c);
inline bool HEX(std::uint8_t c) {
    return HEX(static_cast<char>(c));
}

// Value of one hex digit (either case), or -1 for any other character.
int HexDigitValue(char c);

// A byte as two upper-case digits, high nibble first: 0Ah gives "0A".
std::string HexByteToStr2(std::uint8_t value);

// A word as four upper-case digits: 1FFFh gives "1FFF", 0 gives "0000".
std::string HexWordToStr4(std::uint16_t value);

// First two characters as a byte. A missing or invalid character adds nothing:
// "1G" gives 10h, "G1" gives 01h, "" gives 0. Characters after the second are ignored.
std::uint8_t HexStr2ToByte(std::string_view text);

// First four characters as a word, built only from the characters left of the leftmost
// missing or invalid one: "12G4" gives 1200h, "FF" gives FF00h, "G123" gives 0.
std::uint16_t HexStr4ToWord(std::string_view text);

}  // namespace kvqor
