#include "tests/fuse/FuseFixture.h"

namespace kvqor {
namespace {

using sim::LineEvent;
using F = FuseField;

class FuseReadTest : public FuseFixture {
protected:
    // The last three things on the line are both discards and then CAN, at `at`.
    void ExpectAbortedAt(Millis at) {
        const auto& log = wire.Log();
        ASSERT_GE(log.size(), 3u);
        const LineEvent& can = log[log.size() - 1];
        EXPECT_EQ(log[log.size() - 3].kind, LineEvent::Kind::DiscardInput);
        EXPECT_EQ(log[log.size() - 2].kind, LineEvent::Kind::DiscardOutput);
        EXPECT_EQ(can.kind, LineEvent::Kind::Sent);
        EXPECT_EQ(can.byte, ctl::CAN);
        EXPECT_EQ(can.at, at);
    }
};

TEST_F(FuseReadTest, OpeningFor89S53ReadsFuseThenLockAndShowsBoth) {
    Select("AT89S53");
    programmer.Answer("09", "FE");
    programmer.Answer("08", "05");
    std::vector<bool> busyAtCommand;
    programmer.OnCommand([this, &busyAtCommand](const std::string&) { busyAtCommand.push_back(view.busy); });

    control.FormActivate();

    EXPECT_EQ(view.title, "Display & Program Fuse...AT89S53");
    EXPECT_FALSE(view.enabled[0]);
    EXPECT_EQ(view.caption[0], "FSTRT");
    EXPECT_EQ(view.fuseBit[0], "Fuse FSTRT");
    EXPECT_EQ(view.Field(F::DisplayFuse1), "Not Present");
    EXPECT_TRUE(view.enabled[1]);
    EXPECT_EQ(view.caption[1], "SPIEN");
    EXPECT_EQ(view.fuseBit[1], "Fuse SPIEN");

    EXPECT_EQ(programmer.Commands(), (std::vector<std::string>{"09000004", "08000004"}));
    EXPECT_EQ(busyAtCommand, (std::vector<bool>{true, true}));
    // Nothing follows the reads: no ENQ.
    EXPECT_EQ(wire.SentBytes(), Frame("09000004") + Frame("08000004"));

    EXPECT_EQ(view.index[1], 0);  // FEh: bit 0 clear
    EXPECT_EQ(view.Field(F::DisplayFuse2), "Enable(Program)");
    EXPECT_EQ(view.Field(F::DisplayLock1), "Disable(Erase)");   // 05h: bit 2
    EXPECT_EQ(view.Field(F::DisplayLock2), "Enable(Program)");  // bit 1
    EXPECT_EQ(view.Field(F::DisplayLock3), "Disable(Erase)");   // bit 0
    EXPECT_EQ(view.index[0], -1);  // the fuse byte carries no FSTRT for these parts
    EXPECT_EQ(view.results, (std::vector<std::string>{"Waiting to Read Fuse", "Read Fuse Complete",
                                                      "Waiting to Read Lock Bit", "Read Lock Complete",
                                                      "Read Fuse Complete"}));
    EXPECT_FALSE(view.busy);
    EXPECT_GT(view.focusCancle, 0);
}

struct FuseByteCase {
    const char* name;
    const char* part;
    const char* reply;
    const char* command;
    int fuse1;
    int fuse2;
    const char* lock1;
    const char* lock2;
};

class FuseByteShown : public FuseReadTest, public ::testing::WithParamInterface<FuseByteCase> {};

TEST_P(FuseByteShown, OneReadOfTheFuseByteFillsFusesAndLockBits) {
    const FuseByteCase& c = GetParam();
    Select(c.part);
    programmer.Answer("09", c.reply);
    control.FormActivate();

    EXPECT_EQ(programmer.Commands(), std::vector<std::string>{c.command});
    EXPECT_EQ(view.index[0], c.fuse1);
    EXPECT_EQ(view.index[1], c.fuse2);
    EXPECT_EQ(view.Field(F::DisplayFuse1), c.fuse1 ? "Disable(Erase)" : "Enable(Program)");
    EXPECT_EQ(view.Field(F::DisplayFuse2), c.fuse2 ? "Disable(Erase)" : "Enable(Program)");
    EXPECT_EQ(view.Field(F::DisplayLock1), c.lock1);
    EXPECT_EQ(view.Field(F::DisplayLock2), c.lock2);
    EXPECT_EQ(view.Field(F::DisplayLock3), "Not Present");
    EXPECT_EQ(view.Result(), "Read Fuse Complete");
    EXPECT_EQ(wire.SentBytes(), Frame(c.command));
}

INSTANTIATE_TEST_SUITE_P(
    Replies, FuseByteShown,
    ::testing::Values(
        FuseByteCase{"UpperCase", "AT90S2313", "A1", "09000006", 1, 1, "Disable(Erase)", "Enable(Program)"},
        FuseByteCase{"LowerCase", "AT90S2313", "a1", "09000006", 1, 1, "Disable(Erase)", "Enable(Program)"},
        FuseByteCase{"Code07", "AT90S2323", "40", "09000007", 0, 0, "Enable(Program)", "Disable(Erase)"},
        FuseByteCase{"AllErased", "AT90S8535", "FF", "09000006", 1, 1, "Disable(Erase)", "Disable(Erase)"}),
    [](const ::testing::TestParamInfo<FuseByteCase>& p) { return std::string(p.param.name); });

struct NameCase {
    const char* part;
    bool fuse1Enabled;
    const char* fuse1Caption;
    const char* fuseBit1;
    FuseField notPresent;
};

class NameListShown : public FuseReadTest, public ::testing::WithParamInterface<NameCase> {};

TEST_P(NameListShown, CaptionsFollowThePartName) {
    const NameCase& c = GetParam();
    Select(c.part);
    programmer.Answer("09", "FF");
    programmer.Answer("08", "FF");
    control.FormActivate();
    EXPECT_EQ(view.enabled[0], c.fuse1Enabled);
    EXPECT_EQ(view.caption[0], c.fuse1Caption);
    EXPECT_EQ(view.fuseBit[0], c.fuseBit1);
    EXPECT_TRUE(view.enabled[1]);
    EXPECT_EQ(view.caption[1], "SPIEN");
    EXPECT_EQ(view.fuseBit[1], "Fuse SPIEN");
    EXPECT_EQ(view.Field(c.notPresent), "Not Present");
}

INSTANTIATE_TEST_SUITE_P(
    Parts, NameListShown,
    ::testing::Values(NameCase{"AT89S8252", false, "FSTRT", "Fuse FSTRT", F::DisplayFuse1},
                      NameCase{"AT89S53", false, "FSTRT", "Fuse FSTRT", F::DisplayFuse1},
                      NameCase{"AT90S1200", true, "RCEN", "Fuse RCEN", F::DisplayLock3},
                      NameCase{"AT90S2343", true, "RCEN", "Fuse RCEN", F::DisplayLock3},
                      NameCase{"AT90S8535", true, "FSTRT", "Fuse FSTRT", F::DisplayLock3},
                      NameCase{"AT90S2313", true, "FSTRT", "Fuse FSTRT", F::DisplayLock3},
                      NameCase{"AT90S2323", true, "FSTRT", "Fuse FSTRT", F::DisplayLock3}),
    [](const ::testing::TestParamInfo<NameCase>& p) { return std::string(p.param.part); });

TEST_F(FuseReadTest, TheCodeChoosesTheReadAndTheNameOnlyTheCaptions) {
    // A name in no list keeps the captions of the last opening; the code still decides the read.
    Select("AT90S1200");
    programmer.Answer("09", "00");
    control.FormActivate();
    control.SetPart("at90s2313", "06");
    programmer.Answer("09", "21");
    control.FormActivate();
    EXPECT_EQ(view.caption[0], "RCEN");
    EXPECT_EQ(view.title, "Display & Program Fuse...at90s2313");
    EXPECT_EQ(programmer.Commands().back(), "09000006");
    EXPECT_EQ(view.index, (std::array<int, 2>{1, 1}));
}

TEST_F(FuseReadTest, APartWithoutFusesStartsNoExchange) {
    Select("AT89C51");
    control.FormActivate();
    EXPECT_TRUE(wire.SentBytes().empty());
    EXPECT_EQ(view.caption[0], "Fuse1");
    EXPECT_EQ(view.title, "Display & Program Fuse...AT89C51");
    EXPECT_TRUE(view.results.empty());
}

struct ReadFailCase {
    const char* name;
    const char* reply;
    const char* result;
    Millis abortAfterFrame;
};

class ReadFailure : public FuseReadTest, public ::testing::WithParamInterface<ReadFailCase> {};

TEST_P(ReadFailure, EndsWithItsTextAndCanAndLeavesTheControlsAsTheyWere) {
    const ReadFailCase& c = GetParam();
    Select("AT90S2313");
    programmer.Answer("09", c.reply);
    control.FormActivate();

    EXPECT_EQ(view.Result(), c.result);
    ExpectAbortedAt(programmer.LastFrameAt() + c.abortAfterFrame);
    EXPECT_EQ(wire.SentBytes(), Frame("09000006") + Byte(ctl::CAN));
    // The first opening: no selection and empty fields stay so.
    EXPECT_EQ(view.index, (std::array<int, 2>{-1, -1}));
    for (FuseField f : {F::DisplayFuse1, F::DisplayFuse2, F::DisplayLock1, F::DisplayLock2}) {
        EXPECT_EQ(view.Field(f), "");
    }
    EXPECT_FALSE(view.busy);
    EXPECT_FALSE(flags.StopRequest);
}

INSTANTIATE_TEST_SUITE_P(
    Replies, ReadFailure,
    ::testing::Values(ReadFailCase{"NakFirst",
                                   "\x15"
                                   "A",
                                   "Read Fuse Error", 1},  // second not awaited
                      ReadFailCase{"LetterOutsideHex", "G1", "Read Fuse Error", 1},
                      ReadFailCase{"NonHexSecond", "A:", "Read Fuse Error", 2},
                      ReadFailCase{"OneCharacterOnly", "A", "Read Fuse Time-Out", 1 + 1500},
                      ReadFailCase{"Silence", "", "Read Fuse Time-Out", 1500}),
    [](const ::testing::TestParamInfo<ReadFailCase>& p) { return std::string(p.param.name); });

TEST_F(FuseReadTest, AFailedFuseReadAtOpeningIsFollowedByTheLockRead) {
    Select("AT89S8252");
    programmer.Answer("08", "00");
    control.FormActivate();
    EXPECT_EQ(wire.SentBytes(), Frame("09000004") + Byte(ctl::CAN) + Frame("08000004"));
    EXPECT_EQ(view.Field(F::DisplayLock1), "Enable(Program)");
    EXPECT_EQ(view.Field(F::DisplayFuse2), "");
    EXPECT_EQ(view.Result(), "Read Fuse Complete");
}

TEST_F(FuseReadTest, AFailedLockReadAtOpeningKeepsItsOwnText) {
    Select("AT89S8252");
    programmer.Answer("09", "01");
    programmer.Answer("08", "\x15");
    control.FormActivate();
    EXPECT_EQ(view.Result(), "Read Lock Error");
    EXPECT_EQ(view.Field(F::DisplayFuse2), "Disable(Erase)");
    EXPECT_EQ(wire.SentBytes().back(), static_cast<char>(ctl::CAN));
}

TEST_F(FuseReadTest, FieldsAreEmptiedAtEveryOpeningButTheGroupsKeepTheirSelection) {
    Select("AT90S2313");
    programmer.Answer("09", "A1");
    control.FormActivate();
    control.FormClose();
    control.FormActivate();  // the programmer is silent now
    EXPECT_EQ(view.Result(), "Read Fuse Time-Out");
    EXPECT_EQ(view.Field(F::DisplayFuse1), "");
    EXPECT_EQ(view.Field(F::DisplayLock1), "");
    EXPECT_EQ(view.Field(F::DisplayLock3), "Not Present");
    EXPECT_EQ(view.index, (std::array<int, 2>{1, 1}));
}

// --- the Read button

struct ReadButtonCase {
    const char* name;
    const char* part;
    const char* lockReply;  // nullptr: the part has no lock byte
    const char* fuseReply;
    const char* result;
    const char* lock1;  // DisplayLock1 afterwards
};

class ReadButton : public FuseReadTest, public ::testing::WithParamInterface<ReadButtonCase> {};

TEST_P(ReadButton, ReadsLockThenFuseAndAlwaysEndsWithEnq) {
    const ReadButtonCase& c = GetParam();
    Select(c.part);
    const std::string code(FindFuseLayout(control.CurCode())->code);
    // An opening that shows every bit programmed.
    programmer.Answer("09", "00");
    programmer.Answer("08", "00");
    control.FormActivate();
    const std::size_t from = wire.SentBytes().size();
    const std::size_t commandsBefore = programmer.Commands().size();
    if (c.lockReply != nullptr)
        programmer.Answer("08", c.lockReply);
    programmer.Answer("09", c.fuseReply);

    control.ReadFuseClick();

    std::vector<std::string> expected;
    std::string line;
    if (c.lockReply != nullptr) {
        expected.push_back("080000" + code);
        line += Frame("080000" + code);
        if (std::string(c.lockReply).size() < 2)
            line += Byte(ctl::CAN);
    }
    expected.push_back("090000" + code);
    line += Frame("090000" + code);
    if (std::string(c.fuseReply).size() < 2)
        line += Byte(ctl::CAN);
    line += Byte(ctl::ENQ);

    EXPECT_EQ(
        std::vector<std::string>(programmer.Commands().begin() + static_cast<std::ptrdiff_t>(commandsBefore),
                                 programmer.Commands().end()),
        expected);
    EXPECT_EQ(SentSince(from), line);
    EXPECT_EQ(view.Result(), c.result);
    EXPECT_EQ(view.Field(F::DisplayLock1), c.lock1);
    EXPECT_FALSE(view.busy);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ReadButton,
    ::testing::Values(
        ReadButtonCase{"BothRead", "AT89S8252", "04", "01", "Read Fuse Complete", "Disable(Erase)"},
        // The lock fields keep the texts of the opening; the fuse read decides the status.
        ReadButtonCase{"LockSilentFuseRead", "AT89S8252", "", "01", "Read Fuse Complete", "Enable(Program)"},
        ReadButtonCase{"FuseSilent", "AT89S8252", "04", "", "Can Not Read Fuse", "Disable(Erase)"},
        ReadButtonCase{"AvrRead", "AT90S2313", nullptr, "80", "Read Fuse Complete", "Disable(Erase)"},
        ReadButtonCase{"AvrSilent", "AT90S2313", nullptr, "", "Can Not Read Fuse", "Enable(Program)"}),
    [](const ::testing::TestParamInfo<ReadButtonCase>& p) { return std::string(p.param.name); });

}  // namespace
}  // namespace kvqor
