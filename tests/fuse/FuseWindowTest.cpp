#include "tests/fuse/FuseFixture.h"

namespace kvqor {
namespace {

using Kind = sim::RecordedBox::Kind;

class FuseWindowTest : public FuseFixture {
protected:
    // A press at `at` on the virtual clock, handled inside whatever wait is running then.
    void PressAt(Millis at, std::function<void()> press) { clock.At(at, std::move(press)); }
};

TEST_F(FuseWindowTest, CancleWhileReadingAsksAndYesEndsWithTheTimeOutTextAndCan) {
    Select("AT90S2313");
    programmer.Answer("09", "A1", 1000);  // too late: the user gives up first
    PressAt(600, [this] {
        EXPECT_TRUE(view.busy);
        control.CancleFuseClick();
    });
    host.AnswerNext(true);
    control.FormActivate();

    ASSERT_EQ(host.Boxes().size(), 1u);
    EXPECT_EQ(host.Boxes()[0], (sim::RecordedBox{Kind::Question, "Do you want to Stop Command..?", 600}));
    EXPECT_EQ(view.Result(), "Read Fuse Time-Out");
    EXPECT_EQ(wire.SentBytes(), Frame("09000006") + Byte(ctl::CAN));
    EXPECT_EQ(wire.Log().back().at, 600);
    EXPECT_EQ(view.closeRequests, 0);
    EXPECT_FALSE(view.busy);
    EXPECT_FALSE(flags.StopRequest);
    // The question closing re-activated the window in the middle of the read: no second read.
    EXPECT_EQ(host.activations, 1);
    EXPECT_EQ(programmer.Commands().size(), 1u);
}

TEST_F(FuseWindowTest, CancleAnsweredNoLetsTheReadFinish) {
    Select("AT90S2313");
    programmer.Answer("09", "A1", 1000);
    PressAt(600, [this] { control.CancleFuseClick(); });
    host.AnswerNext(false);
    control.FormActivate();

    EXPECT_EQ(view.Result(), "Read Fuse Complete");
    EXPECT_EQ(view.index, (std::array<int, 2>{1, 1}));
    EXPECT_EQ(wire.SentBytes(), Frame("09000006"));
    EXPECT_EQ(programmer.Commands().size(), 1u);
    EXPECT_FALSE(flags.ExitRequest);
}

TEST_F(FuseWindowTest, CancleWhileWaitingForTheWriteAckEndsWithProgramFuseTimeOut) {
    Select("AT90S2313");
    view.index = {0, 0};
    programmer.Answer("04", "\x06", 1200);
    PressAt(500, [this] { control.CancleFuseClick(); });
    host.AnswerNext(true);
    control.StartFuseClick();
    EXPECT_EQ(view.Result(), "Program Fuse Time-Out");
    EXPECT_EQ(programmer.Commands(), std::vector<std::string>{"04000006"});
    EXPECT_EQ(wire.SentBytes(), Frame("04000006") + Byte(ctl::CAN));
}

TEST_F(FuseWindowTest, ExitWhileIdleClosesAndSendsNothing) {
    Select("AT90S2313");
    control.CancleFuseClick();
    EXPECT_EQ(view.closeRequests, 1);
    EXPECT_FALSE(flags.StopRequest);
    EXPECT_TRUE(wire.SentBytes().empty());
}

TEST_F(FuseWindowTest, CloseDuringAnExchangeWaitsForTheHandlerToReturn) {
    Select("AT89S53");
    programmer.Answer("08", "07", 200);
    programmer.Answer("09", "01", 200);
    bool mayClose = true;
    int closesDuring = -1;
    PressAt(150, [&] {
        mayClose = control.QueryClose();
        closesDuring = view.closeRequests;
    });
    control.ReadFuseClick();

    EXPECT_FALSE(mayClose);
    EXPECT_EQ(closesDuring, 0);
    // The press neither stopped the reads nor kept the closing ENQ back.
    EXPECT_EQ(programmer.Commands().size(), 2u);
    EXPECT_EQ(wire.SentBytes().back(), static_cast<char>(ctl::ENQ));
    EXPECT_EQ(view.closeRequests, 1);
    EXPECT_TRUE(control.QueryClose());
}

TEST_F(FuseWindowTest, ClosingClearsTheFlagsAndLeavesTheWindowIdle) {
    flags.StopRequest = true;
    flags.ExitRequest = true;
    control.FormClose();
    EXPECT_FALSE(flags.StopRequest);
    EXPECT_FALSE(flags.ExitRequest);
    EXPECT_FALSE(view.busy);
}

TEST_F(FuseWindowTest, EachExchangeStartsWithClearedFlags) {
    // A stop left over from the main window must not ask the question in the fuse window.
    Select("AT90S2313");
    flags.StopRequest = true;
    flags.ExitRequest = true;
    programmer.Answer("09", "00");
    control.ReadFuseClick();
    EXPECT_TRUE(host.Boxes().empty());
    EXPECT_EQ(view.Result(), "Read Fuse Complete");
}

TEST_F(FuseWindowTest, ButtonsPressedWhileAHandlerRunsStartNothing) {
    Select("AT90S2313");
    programmer.Answer("09", "00", 500);
    PressAt(300, [this] {
        control.ReadFuseClick();
        control.StartFuseClick();
        control.FormActivate();
    });
    control.FormActivate();
    EXPECT_EQ(programmer.Commands().size(), 1u);
    EXPECT_EQ(wire.SentBytes(), Frame("09000006"));
}

TEST_F(FuseWindowTest, ReActivationAfterTheHandlersReadsAgain) {
    Select("AT90S2313");
    programmer.Answer("09", "00");
    control.FormActivate();
    programmer.Answer("09", "21");
    control.FormActivate();
    EXPECT_EQ(programmer.Commands().size(), 2u);
    EXPECT_EQ(view.index, (std::array<int, 2>{1, 1}));
}

struct FuseClickCase {
    const char* name;
    bool hardwareFound;
    bool fuseItemEnabled;
    bool shown;
    const char* box;  // empty: none
};

class FuseClickTest : public ::testing::TestWithParam<FuseClickCase> {};

TEST_P(FuseClickTest, OpensOnlyWithAProgrammerAndAPartWithFuses) {
    const FuseClickCase& c = GetParam();
    sim::VirtualClock clock;
    sim::VirtualHost host(clock);
    EXPECT_EQ(FuseClick(host, c.hardwareFound, c.fuseItemEnabled), c.shown);
    if (std::string(c.box).empty()) {
        EXPECT_TRUE(host.Boxes().empty());
    } else {
        ASSERT_EQ(host.Boxes().size(), 1u);
        EXPECT_EQ(host.Boxes()[0].kind, Kind::Plain);
        EXPECT_EQ(host.Boxes()[0].text, c.box);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FuseClickTest,
    ::testing::Values(FuseClickCase{"NoProgrammer", false, true, false, "Comport Not Connect"},
                      FuseClickCase{"NoProgrammerNoFuses", false, false, false, "Comport Not Connect"},
                      FuseClickCase{"NoFuses", true, false, false, "Not Fuse on Device"},
                      FuseClickCase{"Shown", true, true, true, ""}),
    [](const ::testing::TestParamInfo<FuseClickCase>& p) { return std::string(p.param.name); });

}  // namespace
}  // namespace kvqor
