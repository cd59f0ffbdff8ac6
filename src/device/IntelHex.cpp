#include "device/IntelHex.h"

#include <algorithm>
#include <array>

#include "link/Hex.h"

namespace kvqor {

namespace {

constexpr char kCR = '\r';
constexpr char kLF = '\n';
constexpr char kTextEnd = '\x1A';  // the old end-of-text mark; files made under DOS may carry it

constexpr std::uint8_t kTypeEndOfFile = 0x01;
constexpr std::uint8_t kTypeExtendedSegment = 0x02;
constexpr std::uint8_t kTypeStartSegment = 0x03;
constexpr std::uint8_t kTypeExtendedLinear = 0x04;
constexpr std::uint8_t kTypeStartLinear = 0x05;

// The character pairs of a record from the count on, each turned into a byte as HexStr2ToByte
// turns it (a missing or invalid digit adds nothing), decoded once for both the checksum and the
// data: the reader spends most of its time here.
struct DecodedRecord {
    std::array<std::uint8_t, 4 + 255 + 1> bytes{};  // count, address high, address low, type, data, checksum
    bool allHex = true;                             // every digit the checksum covers is present and valid

    DecodedRecord(std::string_view line, std::size_t pairs) {
        for (std::size_t i = 0; i < pairs; ++i) {
            bytes[i] = static_cast<std::uint8_t>(16 * Digit(line, 1 + 2 * i) + Digit(line, 2 + 2 * i));
        }
    }

    unsigned Digit(std::string_view line, std::size_t pos) {
        const int value = pos < line.size() ? HexDigitValue(line[pos]) : -1;
        if (value >= 0)
            return static_cast<unsigned>(value);
        allHex = false;
        return 0;
    }

    // The bytes from the count to the checksum add up to 0 modulo 256.
    bool ChecksumHolds(std::size_t count) const {
        unsigned sum = 0;
        for (std::size_t i = 0; i < 5 + count; ++i) {
            sum += bytes[i];
        }
        return allHex && (sum & 0xFFu) == 0;
    }
};

}  // namespace

bool IntelHexReader::Feed(std::string_view chunk) {
    std::size_t pos = 0;
    while (!done_ && pos < chunk.size()) {
        if (afterCR_) {
            afterCR_ = false;
            if (chunk[pos] == kLF) {
                ++pos;
                continue;
            }
        }
        const auto endMark = std::find_if(chunk.begin() + static_cast<std::ptrdiff_t>(pos), chunk.end(),
                                          [](char c) { return c == kCR || c == kLF || c == kTextEnd; });
        const auto stop = static_cast<std::size_t>(endMark - chunk.begin());
        if (line_.size() < kLongestRecord) {
            line_.append(chunk.substr(pos, std::min(stop - pos, kLongestRecord - line_.size())));
        }
        pos = stop;
        if (pos == chunk.size())
            break;
        const char mark = chunk[pos++];
        if (mark == kTextEnd) {
            if (!line_.empty())
                EndLine();
            done_ = true;
        } else {
            EndLine();
            afterCR_ = (mark == kCR);
        }
    }
    return !done_;
}

void IntelHexReader::Finish() {
    if (!done_ && !line_.empty())
        EndLine();
    done_ = true;
}

void IntelHexReader::EndLine() {
    ++lineNumber_;
    if (!line_.empty()) {
        if (line_.front() == ':') {
            TakeRecord();
        } else {
            result_.stop = HexStop::FormatError;
            result_.stopLine = lineNumber_;
            done_ = true;
        }
    }
    line_.clear();
}

void IntelHexReader::TakeRecord() {
    const std::string_view line = line_;
    const std::uint8_t count = HexStr2ToByte(line.substr(1));
    const DecodedRecord record(line, 5 + std::size_t{count});
    // The address is read as a word, where an invalid digit drops the digits right of it.
    const std::uint16_t address = HexStr4ToWord(line.size() > 3 ? line.substr(3, 4) : std::string_view{});
    const std::uint8_t type = record.bytes[3];
    const std::uint8_t* data = &record.bytes[4];
    if (!record.ChecksumHolds(count))
        ++result_.badChecksums;

    switch (type) {
        case kTypeEndOfFile:  // lines after it are still read
        case kTypeStartSegment:
        case kTypeStartLinear:  // a start address means nothing to a chip that starts at 0000h
            return;
        case kTypeExtendedSegment:
        case kTypeExtendedLinear: {
            // Two data bytes, high first; a short record gives 0 for what it lacks.
            const std::uint32_t high = count > 0 ? data[0] : 0u;
            const std::uint32_t low = count > 1 ? data[1] : 0u;
            const std::uint32_t value = (high << 8) | low;
            base_ = type == kTypeExtendedSegment ? value << 4 : value << 16;
            return;
        }
        default:
            break;
    }

    std::uint16_t last = 0;
    if (base_ == 0) {
        // The plain 16-bit case: addresses wrap from FFFFh to 0000h inside a record.
        for (std::size_t k = 0; k < count; ++k) {
            image_[static_cast<std::uint16_t>(address + k)] = data[k];
        }
        last = static_cast<std::uint16_t>(address + count - 1);
    } else {
        // Behind an extended address the data belongs above the base; wrapping it onto low
        // addresses would overwrite code silently, so data that does not fit stops the load.
        const std::uint32_t start = base_ + address;
        if (start + std::max<std::uint32_t>(count, 1) - 1 > 0xFFFFu) {
            result_.stop = HexStop::AddressAboveFFFF;
            result_.stopLine = lineNumber_;
            done_ = true;
            return;
        }
        for (std::size_t k = 0; k < count; ++k) {
            image_[start + k] = data[k];
        }
        last = static_cast<std::uint16_t>(start + count - 1);
    }
    ++result_.dataRecords;
    result_.lastDataEnd = last;
}

HexReadResult ReadIntelHex(std::string_view text, HexImage& image) {
    IntelHexReader reader(image);
    reader.Feed(text);
    reader.Finish();
    return reader.Result();
}

std::string IntelHexText(const HexImage& image, std::uint16_t end) {
    constexpr std::size_t kRecordLength = 43 + 2;
    const std::size_t records = RowsFor(end);
    std::string text;
    text.reserve(records * kRecordLength + 13);
    for (std::size_t i = 0; i < records; ++i) {
        const std::size_t addr = 16 * i;
        unsigned sum = 0x10u + static_cast<unsigned>(addr >> 8) + static_cast<unsigned>(addr & 0xFFu);
        text += ":10";
        text += HexWordToStr4(static_cast<std::uint16_t>(addr));
        text += "00";
        for (std::size_t k = 0; k < 16; ++k) {
            const std::uint8_t byte = image[addr + k];
            sum += byte;
            text += HexByteToStr2(byte);
        }
        text += HexByteToStr2(static_cast<std::uint8_t>((0x100u - (sum & 0xFFu)) & 0xFFu));
        text += "\r\n";
    }
    text += ":00000001FF\r\n";
    return text;
}

}  // namespace kvqor
