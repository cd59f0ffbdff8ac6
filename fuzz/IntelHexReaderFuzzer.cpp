// Any bytes at all given to the Intel HEX reader: no crash, no hang, nothing touched outside the
// image (the sanitizers watch that). Beyond that the fuzzer checks what must hold for every input:
// the text read in two pieces gives what it gives in one, and whatever was loaded, the writer
// writes a file that reads back to the same bytes.

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string_view>

#include "device/IntelHex.h"

namespace {

void Check(bool holds) {
    if (!holds)
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kvqor;
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    auto whole = std::make_unique<HexImage>();
    whole->fill(0xFF);
    const HexReadResult result = ReadIntelHex(text, *whole);
    Check((result.stop == HexStop::None) == (result.stopLine == 0));
    Check(result.lastDataEnd.has_value() == (result.dataRecords > 0));

    // Split where the input's last byte says, so the fuzzer explores the boundaries too.
    const std::size_t cut = size == 0 ? 0 : data[size - 1] % (size + 1);
    auto pieces = std::make_unique<HexImage>();
    pieces->fill(0xFF);
    IntelHexReader reader(*pieces);
    if (reader.Feed(text.substr(0, cut)))
        reader.Feed(text.substr(cut));
    reader.Finish();
    Check(reader.Result() == result);
    Check(*pieces == *whole);

    // The first 1 KiB is enough to hold the writer to the reader; a full image per input would
    // slow the fuzzer down a hundredfold.
    const auto end = std::min<std::uint16_t>(result.lastDataEnd.value_or(0), 0x03FF);
    auto back = std::make_unique<HexImage>();
    back->fill(0x00);
    const HexReadResult reread = ReadIntelHex(IntelHexText(*whole, end), *back);
    Check(reread.stop == HexStop::None && reread.badChecksums == 0);
    for (std::size_t a = 0; a < RowsFor(end) * 16; ++a)
        Check((*back)[a] == (*whole)[a]);
    return 0;
}
