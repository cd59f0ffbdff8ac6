#pragma once
// A bare PC side for driving the simulated programmer in tests: the real link and identification,
// plus just enough of the block transfers to see what the programmer answers.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "link/ControlBytes.h"
#include "link/Hex.h"
#include "sim/Bench.h"

namespace kvqor {

inline std::string Bytes(std::initializer_list<std::uint8_t> bytes) {
    std::string s;
    for (auto b : bytes)
        s.push_back(static_cast<char>(b));
    return s;
}
inline const std::string kAck = Bytes({ctl::ACK});
inline const std::string kNak = Bytes({ctl::NAK});

// A test image: every byte different from its neighbours and from FFh where it matters.
inline std::vector<std::uint8_t> Pattern(std::size_t size, unsigned seed = 7) {
    std::vector<std::uint8_t> v(size);
    for (std::size_t i = 0; i < size; ++i)
        v[i] = static_cast<std::uint8_t>((i * 37 + seed * 11 + (i >> 8)) & 0xFF);
    return v;
}

struct TransferResult {
    int blocksSent = 0;
    std::string ending;  // what came instead of the next DC1: ACK, NAK and its report, or nothing
};

struct ReadResult {
    std::vector<std::uint8_t> data;
    std::string failure;  // empty when every block arrived whole with a good sum
    std::string verdict;  // the byte after DC3
};

class SimTest : public ::testing::Test {
protected:
    sim::Bench bench;
    Link& link = bench.link;
    sim::VirtualProgrammer& programmer = bench.programmer;

    // Every byte the programmer sends until it has been silent for `quietMs`.
    std::string Collect(Millis quietMs = kShortReplyMs) {
        std::string seen;
        std::uint8_t b = 0;
        while (link.ReadByte(b, quietMs))
            seen.push_back(static_cast<char>(b));
        return seen;
    }
    std::string Command(std::string_view command) {
        link.SendCommand(command);
        return Collect(kLongReplyMs);
    }
    void SendRaw(std::string_view bytes) {
        for (char c : bytes)
            link.SendByte(c);
    }
    void SendBlock(const std::vector<std::uint8_t>& image, std::size_t address, bool spoilSum = false) {
        std::uint8_t sum = 0;
        for (std::size_t k = 0; k < 64; ++k) {
            link.SendWord(image[address + k]);
            sum = static_cast<std::uint8_t>(sum + image[address + k]);
        }
        link.SendWord(static_cast<std::uint8_t>(sum + (spoilSum ? 1 : 0)));
    }

    // Program (01) or verify (0C): each DC1 answered with the next block, DC3 after the last.
    TransferResult SendImage(std::string_view command, const std::vector<std::uint8_t>& image) {
        TransferResult r;
        link.SendCommand(command);
        std::size_t address = 0;
        for (;;) {
            std::uint8_t b = 0;
            if (!link.ReadByte(b, kShortReplyMs))
                return r;
            if (b != ctl::DC1) {
                r.ending = static_cast<char>(b) + Collect();
                return r;
            }
            if (address >= image.size()) {
                link.SendByte(ctl::DC3);
                r.ending = Collect();
                return r;
            }
            SendBlock(image, address);
            address += 64;
            ++r.blocksSent;
        }
    }

    // Read (06) of `blocks` blocks: the first comes unasked, DC1 asks for each further one.
    ReadResult ReadImage(std::string_view command, std::size_t blocks) {
        ReadResult r;
        link.SendCommand(command);
        for (std::size_t k = 0; k < blocks; ++k) {
            std::string text;
            std::uint8_t b = 0;
            while (text.size() < 130) {
                if (!link.ReadByte(b, kShortReplyMs)) {
                    r.failure = "time-out in block " + std::to_string(k);
                    return r;
                }
                if (!HEX(b)) {
                    r.failure = "non-hex in block " + std::to_string(k);
                    return r;
                }
                text.push_back(static_cast<char>(b));
            }
            std::uint8_t sum = 0;
            for (std::size_t i = 0; i < 64; ++i) {
                r.data.push_back(HexStr2ToByte(text.substr(2 * i)));
                sum = static_cast<std::uint8_t>(sum + r.data.back());
            }
            if (sum != HexStr2ToByte(text.substr(128))) {
                r.failure = "checksum of block " + std::to_string(k);
                return r;
            }
            link.SendByte(k + 1 < blocks ? ctl::DC1 : ctl::DC3);
        }
        r.verdict = Collect();
        return r;
    }
};

}  // namespace kvqor
