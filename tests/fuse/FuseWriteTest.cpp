#include "tests/fuse/FuseFixture.h"

namespace kvqor {
namespace {

using Kind = sim::RecordedBox::Kind;
using F = FuseField;

class FuseWriteTest : public FuseFixture {
protected:
    // The user's choice in the two groups.
    void Choose(int fuse1, int fuse2) { view.index = {fuse1, fuse2}; }
};

struct WriteCommandCase {
    const char* part;
    int fuse1;
    int fuse2;
    const char* command;
};

class WriteCommand : public FuseWriteTest, public ::testing::WithParamInterface<WriteCommandCase> {};

TEST_P(WriteCommand, CarriesTheValueOfTheGroups) {
    const WriteCommandCase& c = GetParam();
    Select(c.part);
    Choose(c.fuse1, c.fuse2);
    control.StartFuseClick();
    ASSERT_FALSE(programmer.Commands().empty());
    EXPECT_EQ(programmer.Commands().front(), c.command);
}

INSTANTIATE_TEST_SUITE_P(Choices, WriteCommand,
                         ::testing::Values(WriteCommandCase{"AT90S2313", 1, 0, "04000106"},
                                           WriteCommandCase{"AT90S2343", 1, 1, "04002107"},
                                           WriteCommandCase{"AT90S8535", 0, 1, "04002006"},
                                           // Fuse1 is not part of the 89S value, whatever it holds
                                           WriteCommandCase{"AT89S8252", 1, 0, "04000004"},
                                           WriteCommandCase{"AT89S53", -1, 1, "04000104"}));

TEST_F(FuseWriteTest, MatchingReadBackPassesWithEnq) {
    Select("AT90S2313");
    Choose(1, 0);
    programmer.Answer("04", "\x06");
    programmer.Answer("09", "C1");
    control.StartFuseClick();

    EXPECT_EQ(programmer.Commands(), (std::vector<std::string>{"04000106", "09000006"}));
    EXPECT_EQ(wire.SentBytes(), Frame("04000106") + Frame("09000006") + Byte(ctl::ENQ));
    EXPECT_EQ(view.results, (std::vector<std::string>{"Waiting to Write Fuse", "Waiting to Verify Fuse",
                                                      "Waiting to Read Fuse", "Read Fuse Complete",
                                                      "Program Fuse Complete"}));
    EXPECT_EQ(view.Field(F::DisplayLock1), "Disable(Erase)");
    EXPECT_EQ(view.Field(F::DisplayLock2), "Disable(Erase)");
    EXPECT_EQ(view.index, (std::array<int, 2>{1, 0}));
    EXPECT_TRUE(host.Boxes().empty());
    EXPECT_FALSE(view.busy);
}

TEST_F(FuseWriteTest, The89SReadBackReadsLockFirstAndComparesBitZeroOnly) {
    Select("AT89S8252");
    Choose(1, 0);
    programmer.Answer("04", "\x06");
    programmer.Answer("08", "06");
    programmer.Answer("09", "FE");
    control.StartFuseClick();
    EXPECT_EQ(programmer.Commands(), (std::vector<std::string>{"04000004", "08000004", "09000004"}));
    EXPECT_EQ(view.Result(), "Program Fuse Complete");
    EXPECT_EQ(wire.SentBytes().back(), static_cast<char>(ctl::ENQ));
    EXPECT_EQ(view.Field(F::DisplayLock1), "Disable(Erase)");
}

TEST_F(FuseWriteTest, The89SLockReadFailingDoesNotStopTheWrite) {
    Select("AT89S53");
    Choose(-1, 1);
    programmer.Answer("04", "\x06");
    programmer.Answer("09", "01");  // the lock read stays silent
    control.StartFuseClick();
    EXPECT_EQ(wire.SentBytes(),
              Frame("04000104") + Frame("08000004") + Byte(ctl::CAN) + Frame("09000004") + Byte(ctl::ENQ));
    EXPECT_EQ(view.Result(), "Program Fuse Complete");
}

TEST_F(FuseWriteTest, MismatchShowsVerifyErrorTheBoxAndCanAndTheDeviceState) {
    Select("AT90S2313");
    Choose(1, 0);
    programmer.Answer("04", "\x06");
    programmer.Answer("09", "E1");
    control.StartFuseClick();

    EXPECT_EQ(view.Result(), "Verify Fuse Error");
    ASSERT_EQ(host.Boxes().size(), 1u);
    EXPECT_EQ(host.Boxes()[0].kind, Kind::Error);
    EXPECT_EQ(host.Boxes()[0].text, "Write Fuse Error");
    // The box closing re-activates the window; that starts no read in the middle of the write.
    EXPECT_EQ(host.activations, 1);
    EXPECT_EQ(programmer.Commands(), (std::vector<std::string>{"04000106", "09000006"}));
    EXPECT_EQ(wire.SentBytes(), Frame("04000106") + Frame("09000006") + Byte(ctl::CAN));
    EXPECT_GE(wire.Log().back().at, host.Boxes()[0].at);
    EXPECT_EQ(view.index, (std::array<int, 2>{1, 1}));
    EXPECT_FALSE(view.busy);

    // Write again writes what the device reported, not the earlier choice.
    programmer.Answer("04", "\x06");
    programmer.Answer("09", "E1");
    control.StartFuseClick();
    EXPECT_EQ(programmer.Commands()[2], "04002106");
    EXPECT_EQ(view.Result(), "Program Fuse Complete");
}

struct WriteFailCase {
    const char* name;
    const char* writeReply;
    const char* result;
    Millis abortAfterFrame;
};

class WriteFailure : public FuseWriteTest, public ::testing::WithParamInterface<WriteFailCase> {};

TEST_P(WriteFailure, EndsWithCanAndNoReadBack) {
    const WriteFailCase& c = GetParam();
    Select("AT90S2313");
    Choose(1, 0);
    programmer.Answer("04", c.writeReply);
    programmer.Answer("09", "C1");
    control.StartFuseClick();

    EXPECT_EQ(view.Result(), c.result);
    EXPECT_EQ(programmer.Commands(), std::vector<std::string>{"04000106"});
    EXPECT_EQ(wire.SentBytes(), Frame("04000106") + Byte(ctl::CAN));
    EXPECT_EQ(wire.Log().back().at, programmer.LastFrameAt() + c.abortAfterFrame);
    EXPECT_FALSE(view.busy);
    EXPECT_TRUE(host.Boxes().empty());
}

INSTANTIATE_TEST_SUITE_P(Replies, WriteFailure,
                         ::testing::Values(WriteFailCase{"Nak", "\x15", "Program Fuse Error", 1},
                                           WriteFailCase{"OtherByte", "A", "Program Fuse Error", 1},
                                           WriteFailCase{"Silence", "", "Program Fuse Time-Out", 1500}),
                         [](const ::testing::TestParamInfo<WriteFailCase>& p) {
                             return std::string(p.param.name);
                         });

struct ReadBackFailCase {
    const char* name;
    const char* readBack;
    const char* readText;
};

class ReadBackFailure : public FuseWriteTest, public ::testing::WithParamInterface<ReadBackFailCase> {};

TEST_P(ReadBackFailure, AnUnconfirmedWriteIsNeverReportedPassed) {
    const ReadBackFailCase& c = GetParam();
    Select("AT90S2313");
    Choose(1, 0);
    programmer.Answer("04", "\x06");
    programmer.Answer("09", c.readBack);
    control.StartFuseClick();

    ASSERT_GE(view.results.size(), 2u);
    EXPECT_EQ(view.results[view.results.size() - 2], c.readText);
    EXPECT_EQ(view.Result(), "Can Not Read Fuse");
    EXPECT_EQ(wire.SentBytes(), Frame("04000106") + Frame("09000006") + Byte(ctl::CAN));
    EXPECT_TRUE(host.Boxes().empty());
    EXPECT_FALSE(view.busy);
}

INSTANTIATE_TEST_SUITE_P(Replies, ReadBackFailure,
                         ::testing::Values(ReadBackFailCase{"Silence", "", "Read Fuse Time-Out"},
                                           ReadBackFailCase{"Nak", "\x15", "Read Fuse Error"}),
                         [](const ::testing::TestParamInfo<ReadBackFailCase>& p) {
                             return std::string(p.param.name);
                         });

struct NoSelectionCase {
    const char* part;
    int fuse1;
    int fuse2;
    const char* box;
};

class WriteWithoutSelection : public FuseWriteTest, public ::testing::WithParamInterface<NoSelectionCase> {};

TEST_P(WriteWithoutSelection, RefusesSendsNothingAndStaysIdle) {
    const NoSelectionCase& c = GetParam();
    Select(c.part);
    control.FormActivate();  // the programmer is silent: the groups get no selection
    view.index = {c.fuse1, c.fuse2};
    const std::size_t from = wire.SentBytes().size();
    const auto results = view.results;
    host.ClearRecords();

    control.StartFuseClick();

    EXPECT_EQ(SentSince(from), "");
    ASSERT_EQ(host.Boxes().size(), 1u);
    EXPECT_EQ(host.Boxes()[0].kind, Kind::Plain);
    EXPECT_EQ(host.Boxes()[0].text, c.box);
    EXPECT_EQ(view.results, results);
    EXPECT_FALSE(view.busy);
}

INSTANTIATE_TEST_SUITE_P(
    Groups, WriteWithoutSelection,
    ::testing::Values(NoSelectionCase{"AT90S2313", -1, 0,
                                      "Choose Enable(Program) or Disable(Erase) for FSTRT before Write"},
                      NoSelectionCase{"AT90S1200", 1, -1,
                                      "Choose Enable(Program) or Disable(Erase) for SPIEN before Write"},
                      NoSelectionCase{"AT90S2343", -1, -1,
                                      "Choose Enable(Program) or Disable(Erase) for RCEN before Write"},
                      NoSelectionCase{"AT89S53", 1, -1,
                                      "Choose Enable(Program) or Disable(Erase) for SPIEN before Write"}));

}  // namespace
}  // namespace kvqor
