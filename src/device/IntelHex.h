#pragma once
// Intel HEX, 16-bit subset: the reader behind File > Open and the text File > Save writes.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "device/CodeBuffer.h"

namespace kvqor {

// Why a load was cut short. Records read before the offending line stay loaded either way.
enum class HexStop {
    None,
    FormatError,       // a line that is neither empty nor starts with ':'
    AddressAboveFFFF,  // an extended address (record type 02 or 04) would put data above FFFFh
};

struct HexReadResult {
    // End address of the last data record in file order (not the highest address loaded);
    // empty when the file held no data record.
    std::optional<std::uint16_t> lastDataEnd;
    std::size_t dataRecords = 0;
    // Records whose checksum does not match, or that are too short or hold non-hex digits
    // where the checksum covers them. They are loaded anyway, as leniently as ever.
    std::size_t badChecksums = 0;
    HexStop stop = HexStop::None;
    std::size_t stopLine = 0;  // line of the stop, counting from 1

    bool operator==(const HexReadResult&) const = default;
};

// Reads Intel HEX text piece by piece into an image, so a file of any size is read with a small
// buffer and any split of the text gives the same result.
//
// Lines end at CR, LF or CR LF; a 1Ah byte ends the text. Fields are taken by fixed character
// positions and hex digits convert as HexStr2ToByte and HexStr4ToWord do, so odd digits never
// stop a load. Data records (00h, and unknown types) are stored at their 16-bit address,
// wrapping from FFFFh to 0000h; the end-of-file record does not end the load. Start-address
// records (03h, 05h) are skipped, and so are extended-address records (02h, 04h) with base 0;
// data that a non-zero base would put above FFFFh stops the load.
class IntelHexReader {
public:
    // Records are stored into `image`; bytes no record names keep what the caller put there.
    explicit IntelHexReader(HexImage& image) : image_(image) {}

    // The next piece of the text. False once reading has stopped (a stop or the 1Ah mark):
    // the rest need not be read.
    bool Feed(std::string_view chunk);

    // The end of the text: takes a last line that has no line end.
    void Finish();

    const HexReadResult& Result() const { return result_; }

private:
    void EndLine();
    void TakeRecord();

    // The longest record: ':', count, address, type, 255 data bytes and the checksum. What a
    // line holds beyond that is never looked at, so it is not kept.
    static constexpr std::size_t kLongestRecord = 1 + 2 + 4 + 2 + 2 * 255 + 2;

    HexImage& image_;
    std::string line_;
    std::size_t lineNumber_ = 0;
    bool afterCR_ = false;  // the previous byte was a CR: an LF now belongs to that line end
    bool done_ = false;
    std::uint32_t base_ = 0;  // from the last extended-address record
    HexReadResult result_;
};

// The whole text at once.
HexReadResult ReadIntelHex(std::string_view text, HexImage& image);

// The file File > Save writes: 16-byte data records from 0000h while the record address is
// below `end` (the first always, the last at FFF0h at most), then ":00000001FF"; CR LF after
// every line, upper-case digits.
std::string IntelHexText(const HexImage& image, std::uint16_t end);

}  // namespace kvqor
