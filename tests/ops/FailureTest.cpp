#include "tests/ops/SessionFixture.h"

namespace kvqor {
namespace {

using sim::Exchange;
using sim::kVerdict;

struct FailureCase {
    const char* name;
    const char* part;
    Operation op;
    sim::Fault fault;
    const char* line1;
    Millis gapMs;        // from the last byte on the line to the closing CAN; -1: not checked
    Millis stopAt = -1;  // when Stop is pressed (answered Yes); -1: never
};

void PrintTo(const FailureCase& c, std::ostream* os) {
    *os << c.name;
}

class FailureRow : public SessionFixture, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(FailureRow, ShowsItsTextsAbortsAndCountsOneFailure) {
    const FailureCase& c = GetParam();
    Choose(c.part);
    Buffer().fill(0x3C);
    bench.programmer.Chip(session.GetWorkspace().CurCode).Fill(0x3C);  // so that verify passes
    bench.programmer.Faults().Add(c.fault);
    if (c.stopAt >= 0) {
        bench.clock.After(c.stopAt, [this] { session.StopRunClick(); });
        bench.host.AnswerNext(true);
    }
    Run(c.op);

    EXPECT_EQ(display.Line(1), c.line1);
    EXPECT_EQ(display.Line(2), "Command......Abort");
    EXPECT_EQ(session.FailTotal(), 1);
    EXPECT_EQ(session.PassTotal(), 0);
    EXPECT_EQ(display.failText, "Failure : 1");
    EXPECT_EQ(CountSent(ctl::ENQ), 0);
    ExpectBrokeOff();
    if (c.gapMs >= 0) {
        const auto& log = bench.wire.Log();
        Millis lastByte = 0;
        for (std::size_t i = 0; i + 3 < log.size(); ++i)
            lastByte = log[i].at;
        EXPECT_EQ(log.back().at - lastByte, c.gapMs);
    }
}

const FailureCase kSingleReplyRows[] = {
    {"EraseNak", "AT89C51", Operation::Erase, sim::NakWith({Exchange::Erase, 0}, ""), "Erase.........Fail",
     0},
    {"EraseSilence", "AT89C51", Operation::Erase, sim::Silence({Exchange::Erase, 0}), "Erase.....Time-Out",
     15000},
    {"EraseOtherByte", "AT89C51", Operation::Erase, sim::ByteInstead({Exchange::Erase, 0}, 0x41),
     "Erase........Error", 0},
    {"BlankOtherByteShowsEraseError", "AT89C51", Operation::Blank,
     sim::ByteInstead({Exchange::BlankCheck, 0}, 0x41), "Erase........Error", 0},
    {"BlankNak", "AT89C51", Operation::Blank, sim::NakWith({Exchange::BlankCheck, 0}, ""),
     "Blank.........Fail", 0},
    {"BlankSilence", "AT89C51", Operation::Blank, sim::Silence({Exchange::BlankCheck, 0}),
     "Blank.....Time-Out", 15000},
    {"Lock1Silence", "AT89C51", Operation::Lock1, sim::Silence({Exchange::Lock, 0}), "Lock1.....Time-Out",
     15000},
    {"Lock2Nak", "AT89C2051", Operation::Lock2, sim::NakWith({Exchange::Lock, 0}, ""), "Lock1,2.......Fail",
     0},
    {"Lock2OtherByte", "AT89C2051", Operation::Lock2, sim::ByteInstead({Exchange::Lock, 0}, 0x13),
     "Lock1,2......Error", 0},
    {"Lock3Nak", "AT89C51", Operation::Lock3, sim::NakWith({Exchange::Lock, 0}, ""), "Lock1,2,3.....Fail", 0},
    {"EraseStopYes", "AT89C51", Operation::Erase, sim::Silence({Exchange::Erase, 0}), "Erase.....Time-Out",
     -1, 3000},
    {"Lock3StopYes", "AT89C51", Operation::Lock3, sim::Silence({Exchange::Lock, 0}), "Lock1,2,3.Time-Out", -1,
     500},
};
INSTANTIATE_TEST_SUITE_P(SingleReply, FailureRow, ::testing::ValuesIn(kSingleReplyRows),
                         [](const ::testing::TestParamInfo<FailureCase>& p) {
                             return std::string(p.param.name);
                         });

// AT89C1051: 16 blocks; reply n of program and verify is the DC1 after n blocks, so reply 16 is
// the end request.
const FailureCase kBlockRows[] = {
    {"NakBeforeFirstBlock", "AT89C1051", Operation::Program, sim::NakWith({Exchange::Program, 0}, "E013"),
     "Program..Fail:E013", 0},
    {"NakWithShortReport", "AT89C1051", Operation::Program, sim::NakWith({Exchange::Program, 3}, "E0"),
     "Program..Fail:E0", 3000},
    {"NakWithoutReport", "AT89C1051", Operation::Program, sim::NakWith({Exchange::Program, 3}, ""),
     "Program..Fail:", 6000},
    {"SilenceAtABlockRequest", "AT89C1051", Operation::Program, sim::Silence({Exchange::Program, 5}),
     "Program...Time-Out", 1500},
    {"AckWhereEndRequestIsDue", "AT89C1051", Operation::Program,
     sim::ByteInstead({Exchange::Program, 16}, ctl::ACK), "Program......Error", 0},
    {"NakAtEndRequest", "AT89C1051", Operation::Program, sim::NakWith({Exchange::Program, 16}, "ABCD"),
     "Program..Fail:ABCD", 0},
    {"NakVerdict", "AT89C1051", Operation::Program, sim::NakWith({Exchange::Program, kVerdict}, "0123"),
     "Program..Fail:0123", 0},
    {"SilentVerdict", "AT89C1051", Operation::Program, sim::Silence({Exchange::Program, kVerdict}),
     "Program...Time-Out", 1500},
    {"OtherByteVerdict", "AT89C1051", Operation::Program,
     sim::ByteInstead({Exchange::Program, kVerdict}, 'x'), "Program......Error", 0},
    {"ProgramStopYes", "AT89C1051", Operation::Program, sim::Silence({Exchange::Program, 8}),
     "Program......Break", -1, 800},
    {"VerifyNak", "AT89C2051", Operation::Verify, sim::NakWith({Exchange::Verify, 3}, "E013"),
     "Verify...Fail:E013", 0},
    {"VerifySilence", "AT89C2051", Operation::Verify, sim::Silence({Exchange::Verify, 0}),
     "Verify....Time-Out", 1500},
    {"VerifyAckAtEndRequest", "AT89C2051", Operation::Verify,
     sim::ByteInstead({Exchange::Verify, 32}, ctl::ACK), "Verify.......Error", 0},
    {"VerifyStopYes", "AT89C2051", Operation::Verify, sim::Silence({Exchange::Verify, 2}),
     "Verify.......Break", -1, 200},
};
INSTANTIATE_TEST_SUITE_P(Blocks, FailureRow, ::testing::ValuesIn(kBlockRows),
                         [](const ::testing::TestParamInfo<FailureCase>& p) {
                             return std::string(p.param.name);
                         });

// Reply n of a read is data block n.
const FailureCase kReadRows[] = {
    {"NonHexCharacter", "AT89C1051", Operation::Read, sim::NonHexAt({Exchange::Read, 2}, 10),
     "Read.........Error", 0},
    {"WrongBlockChecksum", "AT89C1051", Operation::Read, sim::WrongChecksum({Exchange::Read, 1}),
     "ReadChecksum Error", 0},
    {"SilenceInsteadOfFirstBlock", "AT89C1051", Operation::Read, sim::Silence({Exchange::Read, 0}),
     "Read......Time-Out", 1500},
    {"NakVerdict", "AT89C1051", Operation::Read, sim::NakWith({Exchange::Read, kVerdict}, ""),
     "Read.........Error", 0},
    {"OtherVerdict", "AT89C1051", Operation::Read, sim::ByteInstead({Exchange::Read, kVerdict}, ctl::DC1),
     "Read.........Error", 0},
    {"SilentVerdict", "AT89C1051", Operation::Read, sim::Silence({Exchange::Read, kVerdict}),
     "Read......Time-Out", 1500},
    {"ReadStopYes", "AT89C1051", Operation::Read, sim::Silence({Exchange::Read, 4}), "Read.........Break", -1,
     300},
};
INSTANTIATE_TEST_SUITE_P(Read, FailureRow, ::testing::ValuesIn(kReadRows),
                         [](const ::testing::TestParamInfo<FailureCase>& p) {
                             return std::string(p.param.name);
                         });

class FailureTest : public SessionFixture {};

TEST_F(FailureTest, NakBeforeTheFirstBlockSendsNoData) {
    Choose("AT89C1051");
    bench.programmer.Faults().Add(sim::NakWith({Exchange::Program, 0}, "E013"));
    Run(Operation::Program);
    EXPECT_EQ(Sent(), "\x18" + FrameBody("01000001") + "\x18");
}

TEST_F(FailureTest, VerifyDifferenceReportedByTheProgrammer) {
    Choose("AT89C2051");
    Buffer().fill(0xFF);
    bench.programmer.Chip("01").Program(0x0123, 0x00);
    Run(Operation::Verify);
    EXPECT_EQ(display.Line(1), "Verify...Fail:0123");
    EXPECT_EQ(session.FailTotal(), 1);
}

TEST_F(FailureTest, FailedReadKeepsTheBytesReceivedAndChangesNothingElse) {
    Choose("AT89C1051");
    bench.programmer.Chip("01").Fill(0x42);
    bench.programmer.Faults().Add(sim::WrongChecksum({Exchange::Read, 2}));
    Workspace& ws = session.GetWorkspace();
    ws.SelectFileName = "kept.hex";
    const std::string sumBefore = ws.Buffer_Sum;
    const std::uint16_t endBefore = ws.Buffer.BufferEndAddr;
    Run(Operation::Read);
    EXPECT_EQ(display.Line(1), "ReadChecksum Error");
    // Blocks 0 to 2 arrived, the failing one included.
    EXPECT_EQ(Buffer()[0x00BF], 0x42);
    EXPECT_EQ(Buffer()[0x00C0], 0x00);
    EXPECT_EQ(ws.SelectFileName, "kept.hex");
    EXPECT_EQ(ws.Buffer_Sum, sumBefore);
    EXPECT_EQ(ws.Buffer.BufferEndAddr, endBefore);
    EXPECT_FALSE(ws.IsEnabled(DeviceEntry::Program));
    EXPECT_EQ(display.workspaceChanges, 0);
}

TEST_F(FailureTest, NonHexCharacterEndsTheReadWithoutWaitingForTheRest) {
    Choose("AT89C1051");
    bench.programmer.Faults().Add(sim::NonHexAt({Exchange::Read, 0}, 0, 'G'));
    Run(Operation::Read);
    EXPECT_EQ(display.Line(1), "Read.........Error");
    EXPECT_LT(bench.clock.Now(), 300);
}

TEST_F(FailureTest, LineDroppedMidTransferEndsThePassWithoutHanging) {
    Choose("AT89C55");
    bench.programmer.Faults().Add(sim::DropLineAfter({Exchange::Read, 3}, 40));
    Run(Operation::Read);
    EXPECT_EQ(display.Line(1), "Read......Time-Out");
    EXPECT_EQ(session.FailTotal(), 1);
    EXPECT_EQ(session.State(), RunState::Idle);
    // The closing CAN has no line to go on: one clear complaint, not one per character.
    ASSERT_EQ(bench.host.Boxes().size(), 1u);
    EXPECT_EQ(bench.host.Boxes()[0].text, "Comport Not Found");
}

TEST_F(FailureTest, LineDroppedWhileSendingBlocksComplainsOnce) {
    Choose("AT89C55");
    Buffer().fill(0x00);
    bench.clock.After(1000, [this] { bench.wire.Drop(); });
    Run(Operation::Program);
    EXPECT_EQ(display.Line(1), "Program...Time-Out");
    // At most the character in flight and the closing CAN complain, not every character left.
    EXPECT_GE(bench.host.Boxes().size(), 1u);
    EXPECT_LE(bench.host.Boxes().size(), 2u);
}

}  // namespace
}  // namespace kvqor
