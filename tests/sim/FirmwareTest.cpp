#include <gtest/gtest.h>

#include "link/Identify.h"
#include "tests/sim/PcSide.h"

namespace kvqor {
namespace {

using sim::Exchange;

// ---- identification and timing

TEST_F(SimTest, IdentificationPassesWithTheProgrammersCode) {
    const Identification id = ReadVersion(link, "Com1");
    EXPECT_TRUE(id.found);
    EXPECT_EQ(id.code, "SM/03/0101");
    EXPECT_TRUE(bench.host.Boxes().empty());
    // The closing CAN leaves the programmer between commands with nothing to say.
    EXPECT_TRUE(programmer.Firmware().Quiet());
    EXPECT_EQ(programmer.CommandTexts(), std::vector<std::string>{"0D000000"});
}

TEST(SimCode, AnyEightCharactersAreSentWithTheirSum) {
    sim::FirmwareSettings settings;
    settings.code = "AB\x01xyz\xFF!";
    sim::Bench bench(settings);
    bench.link.SendCommand("0D000000");
    std::string seen;
    std::uint8_t b = 0;
    while (seen.size() < 10 && bench.link.ReadByte(b, kShortReplyMs))
        seen.push_back(static_cast<char>(b));
    unsigned sum = 0;
    for (char c : settings.code)
        sum += static_cast<std::uint8_t>(c);
    EXPECT_EQ(seen, settings.code + HexByteToStr2(static_cast<std::uint8_t>(sum)));
}

struct PaceCase {
    const char* name;
    long baud;
    bool paced;
    sim::Micros charTime;
};

class Pacing : public ::testing::TestWithParam<PaceCase> {};

// Every character the programmer sends, and every one it takes in, occupies the line for
// 10 bits at the line rate; answers start once the command is in and decoded.
TEST_P(Pacing, CharactersTakeTheirTimeOnTheLine) {
    const PaceCase& c = GetParam();
    sim::FirmwareSettings settings;
    settings.timing.baud = c.baud;
    settings.timing.paced = c.paced;
    sim::Firmware fw(settings);
    for (char ch : std::string("\x02"
                               "0D000000\x03"
                               "10"))
        fw.Receive(static_cast<std::uint8_t>(ch), 0);
    const auto out = fw.TakeDue(sim::kNever);
    ASSERT_EQ(out.size(), 10u);
    const sim::Micros commandIn = 12 * c.charTime;
    EXPECT_EQ(out[0].at, commandIn + settings.timing.reply + c.charTime);
    for (std::size_t i = 1; i < out.size(); ++i)
        EXPECT_EQ(out[i].at - out[i - 1].at, c.charTime);
}

INSTANTIATE_TEST_SUITE_P(Rates, Pacing,
                         ::testing::Values(PaceCase{"Baud19200", 19200, true, 521},
                                           PaceCase{"Baud9600", 9600, true, 1042},
                                           PaceCase{"Unpaced", 19200, false, 0}),
                         [](const ::testing::TestParamInfo<PaceCase>& p) {
                             return std::string(p.param.name);
                         });

TEST_F(SimTest, FirmwareTimesAreHonouredAndDefaultsStayWithinThePcsLimits) {
    link.SendCommand("05000003");
    const Millis sent = bench.clock.Now();
    std::uint8_t b = 0;
    ASSERT_TRUE(link.ReadByte(b, kLongReplyMs));
    EXPECT_EQ(b, ctl::ACK);
    EXPECT_GE(bench.clock.NowMicros() - sim::MicrosFromMillis(sent), programmer.Settings().timing.erase);
    EXPECT_LT(bench.clock.Now() - sent, kLongReplyMs / 10);

    programmer.Settings().timing.erase = sim::MicrosFromMillis(16000);
    link.SendCommand("05000003");
    EXPECT_FALSE(link.ReadByte(b, kLongReplyMs));
    EXPECT_TRUE(link.ReadByte(b, kLongReplyMs));  // it does come, too late
    EXPECT_EQ(b, ctl::ACK);
}

// ---- single-reply commands

struct ReplyCase {
    const char* name;
    std::string command;
    std::string answer;
    std::function<void(sim::VirtualProgrammer&)> setUp = nullptr;
};

class SingleReply : public SimTest, public ::testing::WithParamInterface<ReplyCase> {};

TEST_P(SingleReply, AnswersAsTheChipStands) {
    const ReplyCase& c = GetParam();
    if (c.setUp)
        c.setUp(programmer);
    EXPECT_EQ(Command(c.command), c.answer);
}

void ProgramOneCell(sim::VirtualProgrammer& p) {
    p.Chip("03").Fill(std::vector<std::uint8_t>{0x12}, 0x0FFF);
}

INSTANTIATE_TEST_SUITE_P(
    Commands, SingleReply,
    ::testing::Values(
        ReplyCase{"Erase", "05000003", kAck, ProgramOneCell},
        ReplyCase{"BlankOnErasedChip", "0A0FFF03", kAck},
        ReplyCase{"BlankFailsOnTheLastProgrammedCell", "0A0FFF03", kNak, ProgramOneCell},
        ReplyCase{"BlankOnlyLooksUpToItsEnd", "0A0FFE03", kAck, ProgramOneCell},
        ReplyCase{"BlankBeyondTheChip", "0A500003", kNak}, ReplyCase{"Lock1", "03000101", kAck},
        ReplyCase{"Lock3OnAThreeBitPart", "03000303", kAck},
        ReplyCase{"Lock3OnATwoBitPart", "03000301", kNak}, ReplyCase{"LockLevelZero", "03000003", kNak},
        ReplyCase{"ReadFuse04", "09000004", "FE"}, ReplyCase{"ReadLock04", "08000004", "FF"},
        ReplyCase{"ReadFuse06", "09000006", "DF"},
        ReplyCase{"ReadFuse07AfterLock1", "09000007", "5F",
                  [](sim::VirtualProgrammer& p) { p.Chip("07").Lock(1); }},
        ReplyCase{"ReadFuseOnAPartWithout", "09000003", kNak}, ReplyCase{"WriteFuse", "04000106", kAck},
        ReplyCase{"WriteFuseOnAPartWithout", "04000101", kNak},
        ReplyCase{"WriteFuseValueTooWide", "04010006", kNak}, ReplyCase{"UnknownOpcode", "0B000003", kNak},
        ReplyCase{"UnknownDeviceCode", "05000009", kNak},
        ReplyCase{"EmptySocket", "05000003", kNak, [](sim::VirtualProgrammer& p) { p.Socket().Remove(); }},
        ReplyCase{"OtherPartInTheSocket", "05000003", kNak,
                  [](sim::VirtualProgrammer& p) { p.Socket().InsertPart("AT89C2051"); }},
        ReplyCase{"TheOnePartInTheSocket", "05000001", kAck,
                  [](sim::VirtualProgrammer& p) { p.Socket().InsertPart("AT89C2051"); }}),
    [](const ::testing::TestParamInfo<ReplyCase>& p) { return std::string(p.param.name); });

TEST_F(SimTest, WrittenFusesReadBack) {
    EXPECT_EQ(Command("04002006"), kAck);  // fuse 1 programmed, SPIEN not
    EXPECT_EQ(Command("09000006"), "FE");
    EXPECT_EQ(Command("04000004"), kAck);
    EXPECT_EQ(Command("09000004"), "FE");
    EXPECT_EQ(Command("04000104"), kAck);
    EXPECT_EQ(Command("09000004"), "FF");
}

// ---- malformed input

struct FrameCase {
    const char* name;
    std::string bytes;  // sent as they stand, after a CAN
    std::string answer;
    std::string reason;  // recorded with the command
};

class MalformedFrame : public SimTest, public ::testing::WithParamInterface<FrameCase> {};

TEST_P(MalformedFrame, IsAnsweredWithNak) {
    const FrameCase& c = GetParam();
    link.SendByte(ctl::CAN);
    SendRaw(c.bytes);
    EXPECT_EQ(Collect(), c.answer);
    ASSERT_EQ(programmer.Commands().size(), 1u);
    EXPECT_EQ(programmer.Commands()[0].nak, c.reason);
}

const std::string kStx = Bytes({ctl::STX});
const std::string kEtx = Bytes({ctl::ETX});

INSTANTIATE_TEST_SUITE_P(
    Frames, MalformedFrame,
    ::testing::Values(FrameCase{"WrongChecksum", kStx + "05000003" + kEtx + "0A", kNak, "CSUM"},
                      FrameCase{"WrongChecksumOnProgramCarriesAReport", kStx + "01000003" + kEtx + "00",
                                kNak + "CSUM", "CSUM"},
                      FrameCase{"MissingEtx", kStx + "05000003" + "0B", kNak, "FRAM"},
                      FrameCase{"NonHexCommand", kStx + "05G00003" + kEtx + "0B", kNak, "FRAM"},
                      FrameCase{"NonHexChecksum", kStx + "05000003" + kEtx + "0X", kNak, "FRAM"},
                      FrameCase{"LowerCaseIsAccepted", kStx + "0a0fff03" + kEtx + "1e", kAck, ""}),
    [](const ::testing::TestParamInfo<FrameCase>& p) { return std::string(p.param.name); });

TEST_F(SimTest, StrayBytesBetweenCommandsAreIgnored) {
    link.SendByte(ctl::ENQ);
    SendRaw("\x11\x13garbage\x06");
    EXPECT_EQ(Collect(), "");
    EXPECT_EQ(programmer.Firmware().EnqCount(), 1);
    EXPECT_EQ(Command("05000003"), kAck);
}

// ---- the chip through program, verify, read, blank check and erase

TEST_F(SimTest, ProgramVerifyReadAndBlankAgreeWithTheChip) {
    const auto image = Pattern(0x1000);  // an AT89C51: code 03, end 0FFF
    const TransferResult program = SendImage("01000003", image);
    EXPECT_EQ(program.blocksSent, 64);
    EXPECT_EQ(program.ending, kAck);
    EXPECT_TRUE(std::equal(image.begin(), image.end(), programmer.Chip("03").Memory().begin()));

    const TransferResult verify = SendImage("0C000003", image);
    EXPECT_EQ(verify.blocksSent, 64);
    EXPECT_EQ(verify.ending, kAck);

    const ReadResult read = ReadImage("06000003", 64);
    EXPECT_EQ(read.failure, "");
    EXPECT_EQ(read.data, image);
    EXPECT_EQ(read.verdict, kAck);

    EXPECT_EQ(Command("0A0FFF03"), kNak);
    EXPECT_EQ(Command("05000003"), kAck);
    EXPECT_EQ(Command("0A0FFF03"), kAck);
    EXPECT_EQ(ReadImage("06000003", 2).data, std::vector<std::uint8_t>(128, 0xFF));
}

TEST_F(SimTest, VerifyReportsTheFirstDifferenceByAddress) {
    auto image = Pattern(0x0800);
    programmer.Chip("01").Fill(image);
    image[0x0123] ^= 0x10;
    image[0x0400] ^= 0x01;
    const TransferResult verify = SendImage("0C000001", image);
    EXPECT_EQ(verify.blocksSent, 5);  // the difference is in block 4; its answer replaces the DC1
    EXPECT_EQ(verify.ending, kNak + "0123");
    EXPECT_EQ(programmer.Commands().back().nak, "0123");
}

TEST_F(SimTest, DifferencesCanBeReportedInTheVerdictInstead) {
    programmer.Settings().reportInVerdict = true;
    auto image = Pattern(0x0800);
    programmer.Chip("01").Fill(image);
    image[0x0123] ^= 0x10;
    image[0x0400] ^= 0x01;
    const TransferResult verify = SendImage("0C000001", image);
    EXPECT_EQ(verify.blocksSent, 32);
    EXPECT_EQ(verify.ending, kNak + "0123");
    EXPECT_EQ(SendImage("0C000001", Pattern(0x0800)).ending, kAck);  // a fresh transfer starts clean
}

TEST_F(SimTest, ProgrammingOverProgrammedCellsFailsWhereABitWouldHaveToRise) {
    programmer.Chip("01").Fill(std::vector<std::uint8_t>(0x800, 0xF0));
    auto image = std::vector<std::uint8_t>(0x800, 0x30);  // only clears bits: fine
    image[0x0201] = 0x0F;                                 // needs bits set again
    const TransferResult program = SendImage("01000001", image);
    EXPECT_EQ(program.ending, kNak + "0201");
    EXPECT_EQ(programmer.Chip("01").Memory()[0x0200], 0x30);
}

TEST_F(SimTest, LockedChipRefusesProgrammingAndHidesItsContents) {
    const auto image = Pattern(0x800);
    programmer.Chip("06").Fill(image);
    ASSERT_EQ(Command("03000106"), kAck);
    EXPECT_EQ(SendImage("01000006", image).ending, kNak + "LOCK");
    EXPECT_EQ(SendImage("0C000006", image).ending, kAck);  // level 1 still lets it be verified

    ASSERT_EQ(Command("03000206"), kAck);
    EXPECT_EQ(ReadImage("06000006", 2).data, std::vector<std::uint8_t>(128, 0x00));
    EXPECT_EQ(SendImage("0C000006", image).ending, kNak + "0000");
    EXPECT_EQ(Command("0A07FF06"), kNak);
    EXPECT_EQ(Command("09000006"), "1F");  // lock bits 1 and 2 show in the fuse byte

    ASSERT_EQ(Command("05000006"), kAck);  // an erase clears the lock bits
    EXPECT_EQ(SendImage("01000006", image).ending, kAck);
}

TEST_F(SimTest, BadBlocksAreRefusedOnceAndTheRestOfTheBlockIsIgnored) {
    const auto image = Pattern(0x800);
    link.SendCommand("01000001");
    std::uint8_t b = 0;
    ASSERT_TRUE(link.ReadByte(b, kShortReplyMs));
    ASSERT_EQ(b, ctl::DC1);
    SendBlock(image, 0, /*spoilSum=*/true);
    EXPECT_EQ(Collect(), kNak + "BSUM");

    link.SendCommand("01000001");
    ASSERT_TRUE(link.ReadByte(b, kShortReplyMs));
    SendRaw("0102Z3");
    SendRaw(std::string(124, '0'));
    EXPECT_EQ(Collect(), kNak + "BHEX");
}

TEST_F(SimTest, BlocksBeyondTheChipAreRefused) {
    programmer.Socket().InsertPart("AT89C1051");  // 1 KiB, while the PC sends 2 KiB
    const TransferResult program = SendImage("01000001", Pattern(0x800));
    EXPECT_EQ(program.blocksSent, 17);
    EXPECT_EQ(program.ending, kNak + "ADDR");
    const ReadResult read = ReadImage("06000001", 32);
    EXPECT_EQ(read.data.size(), 16u * 64);
    EXPECT_EQ(read.failure, "non-hex in block 16");
}

TEST_F(SimTest, AnySocketSizesEachCodeByItsLargestPart) {
    const std::vector<std::pair<std::string, std::size_t>> sizes{
        {"01", 0x1000}, {"03", 0x5000}, {"04", 0x3000}, {"05", 0x5000}, {"06", 0x2000}, {"07", 0x0800}};
    for (const auto& [code, size] : sizes)
        EXPECT_EQ(programmer.Chip(code).Size(), size) << code;
    EXPECT_EQ(programmer.Chip("03").LockBits(), 3);
    EXPECT_EQ(programmer.Chip("06").LockBits(), 2);
    EXPECT_THROW(programmer.Chip("09"), std::invalid_argument);
    EXPECT_THROW(programmer.Chip(), std::invalid_argument);
    programmer.Socket().InsertPart("AT90S2313");
    EXPECT_EQ(programmer.Chip().Size(), 0x800u);
}

// ---- CAN

TEST_F(SimTest, CanCutsAReadShortAndTheNextCommandIsAnsweredAfresh) {
    link.SendCommand("06000003");
    std::uint8_t b = 0;
    for (int i = 0; i < 20; ++i)
        ASSERT_TRUE(link.ReadByte(b, kShortReplyMs));
    link.SendByte(ctl::CAN);
    // Only the character already on its way when the CAN arrived may still come.
    EXPECT_LE(Collect().size(), 2u);
    EXPECT_TRUE(programmer.Firmware().Quiet());
    EXPECT_EQ(Command("0A4FFF03"), kAck);
}

TEST_F(SimTest, CanDuringAnEraseDropsItsAnswer) {
    link.SendCommand("05000003");
    bench.clock.AdvanceTo(bench.clock.Now() + 50);
    link.SendByte(ctl::CAN);
    EXPECT_EQ(Collect(), "");
}

}  // namespace
}  // namespace kvqor
