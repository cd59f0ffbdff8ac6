#pragma once
// The fixed catalogue of the parts the programmer supports. Compiled in; never edited.

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace kvqor {

struct StructureDevice {
    std::string_view DeviceName;       // as listed in the device box
    std::string_view DeviceAlgo;       // programming algorithm family, shown in Device_Algo
    std::string_view DeviceVpp;        // programming voltage, shown in Device_Vpp
    std::string_view DeviceSignature;  // three signature bytes as six hex digits
    std::string_view DeviceLockBits;   // number of lock bits, four hex digits ("0002", "0003")
    std::string_view DeviceEnd;        // last code address, four upper-case hex digits
    std::uint8_t DeviceFlag;           // 0 for the AT89C parts, 1 for AT89S and AT90S
    std::string_view DeviceCode;       // algorithm code that ends every command frame for the part
};

inline constexpr std::size_t kDeviceCount = 14;

inline constexpr std::array<StructureDevice, kDeviceCount> DeviceTable{{
    {"AT89C1051", "89CX051", "+12V", "1E11FF", "0002", "03FF", 0, "01"},
    {"AT89C2051", "89CX051", "+12V", "1E21FF", "0002", "07FF", 0, "01"},
    {"AT89C4051", "89CX051", "+12V", "1E41FF", "0002", "0FFF", 0, "01"},
    {"AT89C51", "89C51", "+12V", "1E51FF", "0003", "0FFF", 0, "03"},
    {"AT89C52", "89C51", "+12V", "1E52FF", "0003", "1FFF", 0, "03"},
    {"AT89C55", "89C51", "+12V", "1E55FF", "0003", "4FFF", 0, "03"},
    {"AT89C55WD", "89C51XX", "+12V", "1E5506", "0003", "4FFF", 0, "05"},
    {"AT89S8252", "89SXXXX", "+12V", "1E72FF", "0003", "27FF", 1, "04"},
    {"AT89S53", "89SXXXX", "+12V", "1E53FF", "0003", "2FFF", 1, "04"},
    {"AT90S1200", "90SXXXX", "+12V", "1E9001", "0002", "03FF", 1, "06"},
    {"AT90S2313", "90SXXXX", "+12V", "1E9101", "0002", "07FF", 1, "06"},
    {"AT90S8535", "90SXXXX", "+12V", "1E9303", "0002", "1FFF", 1, "06"},
    {"AT90S2343", "90S23XX", "+12V", "1E9103", "0002", "07FF", 1, "07"},
    {"AT90S2323", "90S23XX", "+12V", "1E9102", "0002", "07FF", 1, "07"},
}};

// Index of the part with exactly this name, for front ends that take a name (the device box
// itself works by index).
constexpr std::optional<std::size_t> FindDevice(std::string_view name) {
    for (std::size_t i = 0; i < DeviceTable.size(); ++i) {
        if (DeviceTable[i].DeviceName == name) return i;
    }
    return std::nullopt;
}

}  // namespace kvqor
