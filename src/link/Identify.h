#pragma once
// Identification of the programmer: the 0D exchange that asks for its eight-character code.

#include <string>
#include <string_view>

#include "link/Link.h"

namespace kvqor {

inline constexpr std::string_view kIdentifyCommand = "0D000000";
inline constexpr std::string_view kWaitingToInitial = "Waiting to Initial Hardware";
inline constexpr std::string_view kHardwareNotFound = "Hardware Not Found";

struct Identification {
    bool found = false;
    std::string code;  // as shown under "Bios Code": xx/yy/zzzz; empty when not found
};

// The programmer's eight code characters as xx/yy/zzzz.
std::string FormatBiosCode(std::string_view code8);

// "Search Hardware On " + port label + " OK", e.g. "Search Hardware On Com2 OK".
std::string HardwareFoundStatus(std::string_view portLabel);

// Runs the exchange on `link`: the frame, eight code bytes, two checksum characters, DC3, ACK, CAN.
// Shows "Waiting to Initial Hardware" first and the found text on success; on any failure shows
// the error box "Hardware Not Found" and then sends CAN.
Identification ReadVersion(Link& link, std::string_view portLabel);

}  // namespace kvqor
