#pragma once
// The single bytes exchanged with the programmer besides hex text.

#include <cstdint>

namespace kvqor::ctl {

inline constexpr std::uint8_t STX = 0x02;
inline constexpr std::uint8_t ETX = 0x03;
inline constexpr std::uint8_t ENQ = 0x05;
inline constexpr std::uint8_t ACK = 0x06;
inline constexpr std::uint8_t DC1 = 0x11;
inline constexpr std::uint8_t DC3 = 0x13;
inline constexpr std::uint8_t NAK = 0x15;
inline constexpr std::uint8_t CAN = 0x18;

}  // namespace kvqor::ctl
