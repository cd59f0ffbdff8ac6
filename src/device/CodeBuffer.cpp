#include "device/CodeBuffer.h"

#include "link/Hex.h"

namespace kvqor {

std::uint16_t BufferSum(const HexImage& image, std::uint16_t end) {
    unsigned sum = 0;
    for (std::uint32_t addr = 0; addr <= end; ++addr)
        sum += image[addr];
    return static_cast<std::uint16_t>(sum & 0xFFFFu);
}

std::string HexWordToStr4H(std::uint16_t value) {
    return HexWordToStr4(value) + "H";
}

}  // namespace kvqor
