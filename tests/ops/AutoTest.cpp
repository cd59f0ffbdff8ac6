#include "tests/ops/SessionFixture.h"

namespace kvqor {
namespace {

using sim::Exchange;

class AutoTest : public SessionFixture {
protected:
    void SetUp() override {
        Choose("AT89C51");
        for (std::size_t a = 0; a < 0x1000; ++a)
            Buffer()[a] = static_cast<std::uint8_t>(a);
        bench.programmer.Chip("03").Fill(0x00);  // a used chip: erase must really happen
    }
};

TEST_F(AutoTest, PassingSequenceShowsEveryStepAndSendsOneEnq) {
    Run(Operation::Auto);
    EXPECT_EQ(display.lastShown[0], "Erase.........Pass");
    EXPECT_EQ(display.lastShown[1], "Blank.........Pass");
    EXPECT_EQ(display.lastShown[2], "Program.......Pass");
    EXPECT_EQ(display.lastShown[3], "Verify........Pass");
    EXPECT_EQ(display.lastShown[4], "Lock..........Pass");
    EXPECT_EQ(display.lastShown[5], "Auto Program..Pass");
    EXPECT_EQ(display.gaugeSweeps, 1 + 5);  // the pass start, then one sweep per step
    EXPECT_EQ(CountSent(ctl::ENQ), 1);
    EXPECT_EQ(Sent().back(), static_cast<char>(ctl::ENQ));
    EXPECT_EQ(session.PassTotal(), 1);
    EXPECT_EQ(Commands(),
              (std::vector<std::string>{"05000003", "0A0FFF03", "01000003", "0C000003", "03000303"}));
    EXPECT_EQ(bench.programmer.Chip("03").Memory()[0x0FFF],
              0xFF);  // as written; a locked chip reads back 00h
    EXPECT_EQ(bench.programmer.Chip("03").LockLevel(), 3);
}

TEST_F(AutoTest, LockStepUsesThePartsOwnNumberOfLockBits) {
    Choose("AT89C2051");
    Run(Operation::Auto);
    EXPECT_EQ(Commands().back(), "03000201");
    EXPECT_EQ(display.lastShown[5], "Auto Program..Pass");
}

struct AutoFailure {
    const char* name;
    sim::Fault fault;
    int failedLine;
    const char* text;
    std::size_t commandsSent;
};
void PrintTo(const AutoFailure& c, std::ostream* os) {
    *os << c.name;
}

class AutoFailureRow : public AutoTest, public ::testing::WithParamInterface<AutoFailure> {};

TEST_P(AutoFailureRow, StopsAtTheFailingStepAndSendsNothingAfter) {
    const AutoFailure& c = GetParam();
    bench.programmer.Faults().Add(c.fault);
    Run(Operation::Auto);

    const char* passTexts[] = {"Erase.........Pass", "Blank.........Pass", "Program.......Pass",
                               "Verify........Pass", "Lock..........Pass"};
    for (int line = 1; line < c.failedLine; ++line)
        EXPECT_EQ(display.Line(line), passTexts[line - 1]);
    EXPECT_EQ(display.Line(c.failedLine), c.text);
    EXPECT_EQ(display.Line(c.failedLine + 1), "Command......Abort");
    for (int line = c.failedLine + 2; line <= 6; ++line)
        EXPECT_EQ(display.Line(line), "") << line;
    EXPECT_EQ(Commands().size(), c.commandsSent);
    EXPECT_EQ(session.FailTotal(), 1);
    EXPECT_EQ(CountSent(ctl::ENQ), 0);
    ExpectBrokeOff();
}

INSTANTIATE_TEST_SUITE_P(
    Steps, AutoFailureRow,
    ::testing::Values(
        AutoFailure{"EraseSilent", sim::Silence({Exchange::Erase, 0}), 1, "Erase.....Time-Out", 1},
        AutoFailure{"BlankNak", sim::NakWith({Exchange::BlankCheck, 0}, ""), 2, "Blank.........Fail", 2},
        AutoFailure{"BlankOtherByte", sim::ByteInstead({Exchange::BlankCheck, 0}, 0x41), 2,
                    "Erase........Error", 2},
        AutoFailure{"ProgramNak", sim::NakWith({Exchange::Program, 7}, "E1C0"), 3, "Program..Fail:E1C0", 3},
        AutoFailure{"VerifyNak", sim::NakWith({Exchange::Verify, 40}, "0A00"), 4, "Verify...Fail:0A00", 4},
        AutoFailure{"LockError", sim::ByteInstead({Exchange::Lock, 0}, 'L'), 5, "Lock.........Error", 5},
        AutoFailure{"LockNak", sim::NakWith({Exchange::Lock, 0}, ""), 5, "Lock..........Fail", 5}),
    [](const ::testing::TestParamInfo<AutoFailure>& p) { return std::string(p.param.name); });

TEST_F(AutoTest, StopConfirmedDuringTheLockWaitShowsTheTimeOutText) {
    bench.programmer.Faults().Add(sim::Silence({Exchange::Lock, 0}));
    bench.host.AnswerNext(true);
    // Stop once the lock command is out.
    display.onPassEnded = nullptr;
    bench.clock.After(0, [this] { session.StartRunClick(); });
    std::function<void()> watch = [this, &watch] {
        if (Commands().size() == 5) {
            bench.clock.After(1000, [this] { session.StopRunClick(); });
        } else {
            bench.clock.After(50, watch);
        }
    };
    bench.clock.After(50, watch);
    session.RunOperation(Operation::Auto);
    EXPECT_EQ(display.Line(5), "Lock......Time-Out");
    EXPECT_EQ(display.Line(6), "Command......Abort");
}

}  // namespace
}  // namespace kvqor
