#include "link/Hex.h"
#include "tests/ops/SessionFixture.h"

namespace kvqor {

std::string FrameBody(std::string_view command) {
    return "\x02" + std::string(command) + "\x03" + HexByteToStr2(FrameChecksum(command));
}

namespace {

using Kind = sim::RecordedBox::Kind;

class RunCycleTest : public SessionFixture {};

TEST_F(RunCycleTest, DeviceCommandWithoutProgrammerIsRefused) {
    Session lonely(bench.host, display);
    lonely.RunOperation(Operation::Erase);
    ASSERT_EQ(bench.host.Boxes().size(), 1u);
    EXPECT_EQ(bench.host.Boxes()[0].kind, Kind::Plain);
    EXPECT_EQ(bench.host.Boxes()[0].text, "Comport Not Connect");
    EXPECT_TRUE(display.states.empty());
    EXPECT_TRUE(Sent().empty());
}

TEST_F(RunCycleTest, ExitBeforeRunSendsNothingAndCountsNothing) {
    Choose("AT89C51");
    bench.clock.After(500, [this] {
        EXPECT_EQ(session.State(), RunState::WaitingForRun);
        EXPECT_EQ(display.title, "   Erase Device   ");
        session.StopRunClick();
    });
    session.RunOperation(Operation::Erase);
    EXPECT_TRUE(Sent().empty());
    EXPECT_EQ(session.PassTotal(), 0);
    EXPECT_EQ(session.FailTotal(), 0);
    EXPECT_EQ(display.states, (std::vector<RunState>{RunState::WaitingForRun, RunState::Idle}));
    EXPECT_EQ(display.title, "No Command Select?");
}

TEST_F(RunCycleTest, BlankCheckPassTranscript) {
    Choose("AT89C51");
    Run(Operation::Blank);
    EXPECT_EQ(Sent(), "\x18" + FrameBody("0A0FFF03") + "\x05");
    EXPECT_EQ(FrameBody("0A0FFF03").substr(10), "1E");
    EXPECT_EQ(display.lastShown[0], "Blank.........Pass");
    EXPECT_EQ(session.PassTotal(), 1);
    EXPECT_EQ(display.passText, "Success : 1");
    // The pass left the gauge full; Exit then returned the window to idle.
    EXPECT_EQ(display.progress, 0x0FFF);
    EXPECT_EQ(display.states,
              (std::vector<RunState>{RunState::WaitingForRun, RunState::Pass, RunState::WaitingForRun, RunState::Idle}));
}

struct SingleCase {
    const char* part;
    Operation op;
    const char* command;
    const char* passText;
};
class SingleReplyPass : public RunCycleTest, public ::testing::WithParamInterface<SingleCase> {};
TEST_P(SingleReplyPass, SendsItsCommandAndEnq) {
    const SingleCase& c = GetParam();
    Choose(c.part);
    Run(c.op);
    EXPECT_EQ(Sent(), "\x18" + FrameBody(c.command) + "\x05");
    EXPECT_EQ(display.lastShown[0], c.passText);
    EXPECT_EQ(session.PassTotal(), 1);
}
INSTANTIATE_TEST_SUITE_P(Cases, SingleReplyPass,
                         ::testing::Values(SingleCase{"AT89C2051", Operation::Erase, "05000001", "Erase.........Pass"},
                                           SingleCase{"AT89C51", Operation::Lock1, "03000103", "Lock1.........Pass"},
                                           SingleCase{"AT89C2051", Operation::Lock2, "03000201", "Lock1,2.......Pass"},
                                           SingleCase{"AT89C51", Operation::Lock3, "03000303", "Lock1,2,3.....Pass"}));

TEST_F(RunCycleTest, ProgramSendsSixteenBlocksOfAnAllFFBuffer) {
    Choose("AT89C1051");
    Buffer().fill(0xFF);
    display.keepHistory = true;
    Run(Operation::Program);

    std::string block;
    for (int i = 0; i < 64; ++i) block += "FF";
    block += "C0";
    std::string expected = "\x18" + FrameBody("01000001");
    for (int i = 0; i < 16; ++i) expected += block;
    expected += "\x13\x05";  // DC3 to the DC1 after the last block, ENQ after the pass
    EXPECT_EQ(Sent(), expected);
    std::vector<std::string> line1;
    for (const auto& text : display.history[0]) {
        if (!text.empty()) line1.push_back(text);
    }
    ASSERT_GE(line1.size(), 2u);
    EXPECT_EQ(line1[line1.size() - 2], "Program.......03FF");
    EXPECT_EQ(line1.back(), "Program.......Pass");
    EXPECT_EQ(display.progress, 0x03FF);
    // The chip now holds the buffer.
    EXPECT_EQ(bench.programmer.Chip("01").Read(0x03FF), 0xFF);
}

TEST_F(RunCycleTest, ProgramThenVerifySendTheSameBlocks) {
    Choose("AT89C2051");
    for (std::size_t a = 0; a < 0x800; ++a) Buffer()[a] = static_cast<std::uint8_t>(a * 7);
    Run(Operation::Program);
    const std::string programSent = Sent();
    bench.wire.ClearLog();
    Run(Operation::Verify);
    const std::string verifySent = Sent();
    EXPECT_EQ(display.lastShown[0], "Verify........Pass");
    // Only the frame differs (opcode and so its checksum).
    EXPECT_EQ(programSent.substr(13), verifySent.substr(13));
    EXPECT_EQ(verifySent.substr(0, 13), "\x18" + FrameBody("0C000001"));
    EXPECT_EQ(bench.programmer.Chip("01").Read(0x07FF), static_cast<std::uint8_t>(0x7FF * 7));
}

TEST_F(RunCycleTest, ReadOfA07FFPartAsksWith31Dc1AndOneDc3) {
    Choose("AT89C2051");
    sim::Chip& chip = bench.programmer.Chip("01");
    for (std::size_t a = 0; a < 0x800; ++a) chip.Program(a, static_cast<std::uint8_t>(a ^ 0x5A));
    session.GetWorkspace().SelectFileName = "old.hex";
    Run(Operation::Read);

    const std::string sent = Sent();
    EXPECT_EQ(sent, "\x18" + FrameBody("06000001") + std::string(31, '\x11') + "\x13\x05");
    EXPECT_EQ(display.lastShown[0], "Read..........Pass");
    for (std::size_t a = 0; a < 0x800; ++a) ASSERT_EQ(Buffer()[a], static_cast<std::uint8_t>(a ^ 0x5A)) << a;
    const Workspace& ws = session.GetWorkspace();
    EXPECT_EQ(ws.Buffer.BufferEndAddr, 0x07FF);
    EXPECT_EQ(ws.Buffer_End, "07FFH");
    EXPECT_TRUE(ws.SelectFileName.empty());
    EXPECT_EQ(ws.Buffer_Sum, HexWordToStr4H(ws.Buffer.Sum(0x07FF)));
    EXPECT_TRUE(ws.IsEnabled(DeviceEntry::Program));
    EXPECT_TRUE(ws.IsEnabled(DeviceEntry::Verify));
    EXPECT_TRUE(ws.IsEnabled(DeviceEntry::Auto));
    EXPECT_EQ(display.workspaceChanges, 1);
}

TEST_F(RunCycleTest, ReadAcceptsLowerCaseHex) {
    Choose("AT89C1051");
    bench.programmer.Chip("01").Fill(0xAB);
    bench.programmer.Settings().lowerCaseHex = true;
    Run(Operation::Read);
    EXPECT_EQ(display.lastShown[0], "Read..........Pass");
    EXPECT_EQ(Buffer()[0x3FF], 0xAB);
}

TEST_F(RunCycleTest, ThreeRunPressesMakeThreePassesAndThreeEnq) {
    Choose("AT89C51");
    int passesSeen = 0;
    Run(Operation::Erase, 3);
    for (bool passed : display.passes) passesSeen += passed ? 1 : 0;
    EXPECT_EQ(passesSeen, 3);
    EXPECT_EQ(CountSent(ctl::ENQ), 3);
    EXPECT_EQ(session.PassTotal(), 3);
    EXPECT_EQ(display.passText, "Success : 3");
    EXPECT_EQ(Commands(),
              (std::vector<std::string>{"05000003", "05000003", "05000003"}));
}

TEST_F(RunCycleTest, ResetBetweenPassesKeepsTheLastTexts) {
    Choose("AT89C51");
    display.onPassEnded = [this](bool) {
        session.ResetCountClick();
        EXPECT_EQ(display.passText, "Success : 0");
        EXPECT_EQ(display.lastShown[0], "Erase.........Pass");
        session.StopRunClick();
    };
    bench.clock.After(0, [this] { session.StartRunClick(); });
    session.RunOperation(Operation::Erase);
    EXPECT_EQ(session.PassTotal(), 0);
}

TEST_F(RunCycleTest, The256thSuccessShowsZero) {
    bench.programmer.Settings().timing.paced = false;
    Choose("AT89C51");
    Run(Operation::Erase, 256);
    EXPECT_EQ(session.PassTotal(), 0);
    EXPECT_EQ(display.passText, "Success : 0");
    EXPECT_EQ(CountSent(ctl::ENQ), 256);
}

TEST_F(RunCycleTest, StopAnsweredNoLetsThePassFinish) {
    Choose("AT89C1051");
    Buffer().fill(0x11);
    bench.clock.After(150, [this] { session.StopRunClick(); });
    bench.host.AnswerNext(false);
    Run(Operation::Program);
    EXPECT_EQ(display.lastShown[0], "Program.......Pass");
    EXPECT_EQ(session.PassTotal(), 1);
    EXPECT_EQ(bench.host.Boxes().size(), 1u);
}

TEST_F(RunCycleTest, ClosingTheWindowDuringAPassEndsItWithCan) {
    Choose("AT89C55");
    Buffer().fill(0x00);
    Millis closedAt = -1;
    bench.clock.After(2000, [this, &closedAt] {
        closedAt = bench.clock.Now();
        session.AbortForClose();
    });
    Run(Operation::Program);
    EXPECT_EQ(display.lastShown[0], "Program......Break");
    EXPECT_TRUE(bench.host.Boxes().empty());  // no question asked
    ExpectBrokeOff();
    EXPECT_EQ(bench.wire.Log().back().at, closedAt);  // at once, without waiting for a time-out
}

TEST_F(RunCycleTest, ClosingTheWindowDuringAnIdentificationEndsItAtOnce) {
    bench.programmer.Faults().Add(sim::Silence({sim::Exchange::Identify, 0}));
    const Millis start = bench.clock.Now();
    bench.clock.After(300, [this] { session.AbortForClose(); });
    session.ReadVersion();
    EXPECT_FALSE(session.HardwareFound());
    EXPECT_EQ(bench.clock.Now(), start + 300);
    EXPECT_TRUE(bench.host.Boxes().empty());
    EXPECT_EQ(Sent().back(), static_cast<char>(ctl::CAN));
    EXPECT_FALSE(session.Flags().ForceStop);
}

TEST_F(RunCycleTest, ClosingTheWindowWhileWaitingForRunIsAnExit) {
    Choose("AT89C51");
    bench.clock.After(10, [this] { session.AbortForClose(); });
    session.RunOperation(Operation::Erase);
    EXPECT_TRUE(Sent().empty());
    EXPECT_EQ(session.State(), RunState::Idle);
}

}  // namespace
}  // namespace kvqor
