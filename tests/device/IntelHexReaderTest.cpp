#include <gtest/gtest.h>

#include <cctype>
#include <map>
#include <memory>

#include "device/IntelHex.h"
#include "tests/device/DeviceTestSupport.h"

namespace kvqor {
namespace {

using test::DataRecord;
using test::Record;
using test::Run;

struct ReaderCase {
    const char* name;
    std::string text;
    std::map<std::uint16_t, std::vector<std::uint8_t>> stored;  // runs of bytes; everything else stays FFh
    std::optional<std::uint16_t> lastDataEnd;
    std::size_t dataRecords;
    std::size_t badChecksums = 0;
    HexStop stop = HexStop::None;
    std::size_t stopLine = 0;
};

void PrintTo(const ReaderCase& c, std::ostream* os) {
    *os << c.name;
}

std::string Lines(std::initializer_list<std::string> lines, const std::string& end = "\r\n") {
    std::string text;
    for (const auto& l : lines)
        text += l + end;
    return text;
}

const std::string kEof = ":00000001FF";
const std::string k4At0 = DataRecord(0x0000, {0x01, 0x02, 0x03, 0x04});
const std::string k2At10 = DataRecord(0x0010, {0xA1, 0xA2});

std::vector<ReaderCase> Cases() {
    std::string badChecksum = k4At0;
    badChecksum.back() = badChecksum.back() == '0' ? '1' : '0';
    std::string lowerCase = DataRecord(0xABCD, {0xE5, 0xF6});
    for (char& ch : lowerCase)
        ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    return {
        {"EmptyFile", "", {}, std::nullopt, 0},
        {"OnlyTheEndRecord", Lines({kEof}), {}, std::nullopt, 0},
        {"RecordWrapsFromFFFFToZero",
         Lines({DataRecord(0xFFF8, Run(0x10, 16)), kEof}),
         {{0xFFF8, Run(0x10, 8)}, {0x0000, Run(0x18, 8)}},
         0x0007,
         1},
        {"LastRecordInFileOrderSetsTheEnd",
         Lines({DataRecord(0x0200, Run(0x00, 16)), DataRecord(0x0100, Run(0x40, 16)), kEof}),
         {{0x0200, Run(0x00, 16)}, {0x0100, Run(0x40, 16)}},
         0x010F,
         2},
        {"CountZeroAtZeroGivesEndFFFF", Lines({DataRecord(0x0000, {}), kEof}), {}, 0xFFFF, 1},
        {"LaterRecordOverwritesEarlier",
         Lines({k4At0, DataRecord(0x0002, {0xEE}), kEof}),
         {{0x0000, {0x01, 0x02, 0xEE, 0x04}}},
         0x0002,
         2},
        {"WrongChecksumLoadsAndIsCounted",
         Lines({badChecksum, kEof}),
         {{0x0000, {1, 2, 3, 4}}},
         0x0003,
         1,
         1},
        {"BlankBeforeTheMarkStopsWithEarlierRecordsKept",
         Lines({k4At0, " " + k2At10, DataRecord(0x20, {7}), kEof}),
         {{0x0000, {1, 2, 3, 4}}},
         0x0003,
         1,
         0,
         HexStop::FormatError,
         2},
        {"TextLineStops", Lines({"garbage", k4At0}), {}, std::nullopt, 0, 0, HexStop::FormatError, 1},
        {"DataAfterTheEndRecordLoads",
         Lines({k4At0, kEof, k2At10}),
         {{0x0000, {1, 2, 3, 4}}, {0x0010, {0xA1, 0xA2}}},
         0x0011,
         2},
        {"LfLineEnds",
         Lines({k4At0, k2At10, kEof}, "\n"),
         {{0x0000, {1, 2, 3, 4}}, {0x0010, {0xA1, 0xA2}}},
         0x0011,
         2},
        {"CrLineEnds",
         Lines({k4At0, k2At10, kEof}, "\r"),
         {{0x0000, {1, 2, 3, 4}}, {0x0010, {0xA1, 0xA2}}},
         0x0011,
         2},
        {"MixedLineEndsAndEmptyLines",
         "\r\n\n" + k4At0 + "\n\r\n\r" + k2At10 + "\r\n\n",
         {{0x0000, {1, 2, 3, 4}}, {0x0010, {0xA1, 0xA2}}},
         0x0011,
         2},
        {"LfCrCountsAsTwoLineEnds",
         k4At0 + "\n\r" + "x\r\n",
         {{0x0000, {1, 2, 3, 4}}},
         0x0003,
         1,
         0,
         HexStop::FormatError,
         3},
        {"LastLineNeedsNoLineEnd",
         k4At0 + "\r\n" + k2At10,
         {{0x0000, {1, 2, 3, 4}}, {0x0010, {0xA1, 0xA2}}},
         0x0011,
         2},
        {"LowerCaseDigits", Lines({lowerCase}), {{0xABCD, {0xE5, 0xF6}}}, 0xABCE, 1},
        {"TextEndMarkEndsReading", k4At0 + "\r\n\x1A" + k2At10 + "\r\n", {{0x0000, {1, 2, 3, 4}}}, 0x0003, 1},
        {"TextEndMarkEndsTheLastLine", k4At0 + "\x1A" + "junk", {{0x0000, {1, 2, 3, 4}}}, 0x0003, 1},
        {"InvalidDigitsConvertLeniently", Lines({":02001G00G1zz00"}), {{0x0010, {0x01, 0x00}}}, 0x0011, 1, 1},
        {"ShortRecordReadsMissingDigitsAsZero",
         Lines({":03000000AB"}),
         {{0x0000, {0xAB, 0x00, 0x00}}},
         0x0002,
         1,
         1},
        {"LongestRecord", Lines({DataRecord(0xFF00, Run(0x00, 255))}), {{0xFF00, Run(0x00, 255)}}, 0xFFFE, 1},
        {"TailPastTheChecksumIsIgnored",
         Lines({k4At0 + std::string(5000, 'Z')}),
         {{0x0000, {1, 2, 3, 4}}},
         0x0003,
         1},
        {"UnknownTypeIsTakenAsData", Lines({Record(0x0040, 0x06, {0x66})}), {{0x0040, {0x66}}}, 0x0040, 1},
        {"StartAddressRecordsAreSkipped",
         Lines({Record(0x0000, 0x03, {0x00, 0x00, 0x01, 0x00}),
                Record(0x0000, 0x05, {0x00, 0x00, 0x01, 0x00}), kEof}),
         {},
         std::nullopt,
         0},
        {"ExtendedAddressWithBaseZeroIsSkipped",
         Lines({Record(0x0000, 0x04, {0x00, 0x00}), Record(0x0000, 0x02, {0x00, 0x00}), k4At0, kEof}),
         {{0x0000, {1, 2, 3, 4}}},
         0x0003,
         1},
        {"LinearBaseAboveFFFFStopsAtTheDataRecord",
         Lines({k4At0, Record(0x0000, 0x04, {0x00, 0x01}), k2At10, kEof}),
         {{0x0000, {1, 2, 3, 4}}},
         0x0003,
         1,
         0,
         HexStop::AddressAboveFFFF,
         3},
        {"LinearBaseWithoutDataLoadsTheRest",
         Lines({Record(0x0000, 0x04, {0x00, 0x01}), Record(0x0000, 0x04, {0x00, 0x00}), k4At0, kEof}),
         {{0x0000, {1, 2, 3, 4}}},
         0x0003,
         1},
        {"SegmentBaseInsideTheImageMovesTheData",
         Lines({Record(0x0000, 0x02, {0x01, 0x00}), DataRecord(0x0010, {0x5A, 0x5B}), kEof}),
         {{0x1010, {0x5A, 0x5B}}},
         0x1011,
         1},
        {"SegmentBaseRunningPastFFFFStops",
         Lines({Record(0x0000, 0x02, {0x0F, 0xFF}), DataRecord(0x0008, Run(0, 16)), kEof}),
         {},
         std::nullopt,
         0,
         0,
         HexStop::AddressAboveFFFF,
         2},
        {"SegmentBaseEndingAtFFFFLoads",
         Lines({Record(0x0000, 0x02, {0x0F, 0xFF}), DataRecord(0x0008, Run(0, 8)), kEof}),
         {{0xFFF8, Run(0, 8)}},
         0xFFFF,
         1},
    };
}

class ReadingIntelHex : public ::testing::TestWithParam<ReaderCase> {
protected:
    // What the case expects the image to be: FFh everywhere the file names nothing.
    static HexImage ExpectedImage(const ReaderCase& c) {
        HexImage image = test::Filled(0xFF);
        for (const auto& [address, bytes] : c.stored) {
            for (std::size_t k = 0; k < bytes.size(); ++k)
                image[(address + k) & 0xFFFF] = bytes[k];
        }
        return image;
    }
};

TEST_P(ReadingIntelHex, StoresRecordsAndReports) {
    const ReaderCase& c = GetParam();
    auto image = std::make_unique<HexImage>(test::Filled(0xFF));
    const HexReadResult result = ReadIntelHex(c.text, *image);
    EXPECT_TRUE(test::SameImage(ExpectedImage(c), *image));
    EXPECT_EQ(result.lastDataEnd, c.lastDataEnd);
    EXPECT_EQ(result.dataRecords, c.dataRecords);
    EXPECT_EQ(result.badChecksums, c.badChecksums);
    EXPECT_EQ(result.stop, c.stop);
    EXPECT_EQ(result.stopLine, c.stopLine);
}

TEST_P(ReadingIntelHex, GivesTheSameFedByteByByte) {
    // The file is read in pieces: a CR LF or a record split between two pieces changes nothing.
    const ReaderCase& c = GetParam();
    auto whole = std::make_unique<HexImage>(test::Filled(0xFF));
    auto pieces = std::make_unique<HexImage>(test::Filled(0xFF));
    const HexReadResult expected = ReadIntelHex(c.text, *whole);
    IntelHexReader reader(*pieces);
    for (char ch : c.text) {
        if (!reader.Feed(std::string_view(&ch, 1)))
            break;
    }
    reader.Finish();
    EXPECT_EQ(reader.Result(), expected);
    EXPECT_TRUE(test::SameImage(*whole, *pieces));
}

INSTANTIATE_TEST_SUITE_P(Records, ReadingIntelHex, ::testing::ValuesIn(Cases()),
                         [](const ::testing::TestParamInfo<ReaderCase>& p) {
                             return std::string(p.param.name);
                         });

TEST(IntelHexReader, StopsAskingForTextAfterAStop) {
    auto image = std::make_unique<HexImage>(test::Filled(0xFF));
    IntelHexReader reader(*image);
    EXPECT_TRUE(reader.Feed(k4At0 + "\r\n"));
    EXPECT_FALSE(reader.Feed("oops\r\n"));
    EXPECT_FALSE(reader.Feed(k2At10 + "\r\n"));  // ignored
    reader.Finish();
    EXPECT_EQ(reader.Result().stopLine, 2u);
    EXPECT_EQ((*image)[0x0010], 0xFF);
}

}  // namespace
}  // namespace kvqor
