#pragma once
// Small helpers for the device tests: records with correct checksums, filled images, a scratch
// folder that cleans up after itself.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include "device/CodeBuffer.h"
#include "link/Hex.h"

namespace kvqor::test {

// One Intel HEX record with the count taken from the data and a correct checksum, no line end.
inline std::string Record(std::uint16_t address, std::uint8_t type, const std::vector<std::uint8_t>& data) {
    const auto count = static_cast<std::uint8_t>(data.size());
    unsigned sum = count + (address >> 8u) + (address & 0xFFu) + type;
    std::string text = ":" + HexByteToStr2(count) + HexWordToStr4(address) + HexByteToStr2(type);
    for (std::uint8_t b : data) {
        sum += b;
        text += HexByteToStr2(b);
    }
    return text + HexByteToStr2(static_cast<std::uint8_t>((0x100u - (sum & 0xFFu)) & 0xFFu));
}

inline std::string DataRecord(std::uint16_t address, const std::vector<std::uint8_t>& data) {
    return Record(address, 0x00, data);
}

// count bytes first, first+1, ...
inline std::vector<std::uint8_t> Run(std::uint8_t first, std::size_t count) {
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 0; i < count; ++i)
        bytes.push_back(static_cast<std::uint8_t>(first + i));
    return bytes;
}

inline HexImage Filled(std::uint8_t value) {
    HexImage image;
    image.fill(value);
    return image;
}

// The first address where two images differ, for readable failures.
inline ::testing::AssertionResult SameImage(const HexImage& expected, const HexImage& actual) {
    for (std::size_t a = 0; a < expected.size(); ++a) {
        if (expected[a] != actual[a]) {
            return ::testing::AssertionFailure()
                   << "first difference at " << HexWordToStr4(static_cast<std::uint16_t>(a)) << "h: expected "
                   << HexByteToStr2(expected[a]) << ", got " << HexByteToStr2(actual[a]);
        }
    }
    return ::testing::AssertionSuccess();
}

inline std::string ReadWholeFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteWholeFile(const std::filesystem::path& path, const std::string& content) {
    std::ofstream out(path, std::ios::binary);
    out << content;
}

// A fresh folder under the test temp folder, removed with everything in it at the end.
class TempFolder {
public:
    TempFolder() {
        std::string pattern = (std::filesystem::path(::testing::TempDir()) / "kvqor-device-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr)
            throw std::runtime_error("mkdtemp failed");
        path_ = pattern;
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ignored);
        std::filesystem::remove_all(path_, ignored);
    }
    const std::filesystem::path& Path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

    // Names in the folder, to see that no temporary file was left behind.
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(path_))
            names.push_back(entry.path().filename());
        std::sort(names.begin(), names.end());
        return names;
    }

private:
    std::filesystem::path path_;
};

}  // namespace kvqor::test
