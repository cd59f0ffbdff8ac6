#include "link/ControlBytes.h"
#include "tests/link/LinkFixture.h"

namespace kvqor {
namespace {

using sim::LineEvent;
using Kind = sim::RecordedBox::Kind;

class ReadByteTest : public LinkFixture {};

TEST_F(ReadByteTest, ByteAlreadyWaitingIsReturnedAfterOnePumpStep) {
    wire.SendToPcNow("\x06");
    clock.RunDue();
    const auto steps = host.PumpSteps();
    std::uint8_t b = 0;
    EXPECT_TRUE(link.ReadByte(b, kShortReplyMs));
    EXPECT_EQ(b, ctl::ACK);
    EXPECT_EQ(host.PumpSteps() - steps, 1u);
    EXPECT_EQ(clock.Now(), 0);
}

TEST_F(ReadByteTest, ReturnsAsSoonAsTheByteArrives) {
    wire.SendToPc('A', 700);
    std::uint8_t b = 0;
    EXPECT_TRUE(link.ReadByte(b, kShortReplyMs));
    EXPECT_EQ(b, 'A');
    EXPECT_EQ(clock.Now(), 700);
    EXPECT_FALSE(link.TimeOutFlag());
}

TEST_F(ReadByteTest, TimesOutAtTheLimitWithValueZero) {
    std::uint8_t b = 0x55;
    EXPECT_FALSE(link.ReadByte(b, kLongReplyMs));
    EXPECT_EQ(b, 0);
    EXPECT_EQ(clock.Now(), 15000);
    EXPECT_TRUE(link.TimeOutFlag());
    EXPECT_FALSE(flags.ExitRequest);
}

TEST_F(ReadByteTest, ByteReadyTogetherWithTheTimeOutCounts) {
    wire.SendToPc('Z', 1500);
    std::uint8_t b = 0;
    EXPECT_TRUE(link.ReadByte(b, kShortReplyMs));
    EXPECT_EQ(b, 'Z');
    EXPECT_FALSE(link.TimeOutFlag());
}

TEST_F(ReadByteTest, EarlierExpiryNeverCutsALaterReadShort) {
    std::uint8_t b = 0;
    EXPECT_FALSE(link.ReadByte(b, 100));
    wire.SendToPc('x', clock.Now() + 1400);
    EXPECT_TRUE(link.ReadByte(b, kShortReplyMs));
    EXPECT_EQ(b, 'x');
}

TEST_F(ReadByteTest, StopAnsweredYesEndsTheWaitAndSetsExit) {
    PressAt(300, [this] { flags.StopRequest = true; });
    host.AnswerNext(true);
    std::uint8_t b = 1;
    EXPECT_FALSE(link.ReadByte(b, kLongReplyMs));
    EXPECT_EQ(clock.Now(), 300);
    EXPECT_EQ(b, 0);
    EXPECT_TRUE(flags.ExitRequest);
    EXPECT_FALSE(flags.StopRequest);
    ASSERT_EQ(host.Boxes().size(), 1u);
    EXPECT_EQ(host.Boxes()[0], (sim::RecordedBox{Kind::Question, "Do you want to Stop Command..?", 300}));
}

TEST_F(ReadByteTest, StopAnsweredNoKeepsTheOriginalDeadline) {
    flags.ExitRequest = true;  // a No clears it
    PressAt(1000, [this] { flags.StopRequest = true; });
    host.AnswerNext(false, /*thinkMs=*/300);
    std::uint8_t b = 0;
    EXPECT_FALSE(link.ReadByte(b, kShortReplyMs));
    EXPECT_EQ(clock.Now(), 1500);  // the time spent in the box counted
    EXPECT_FALSE(flags.ExitRequest);
    EXPECT_TRUE(link.TimeOutFlag());
}

TEST_F(ReadByteTest, StopAnsweredNoLetsTheSameReadFinish) {
    PressAt(200, [this] { flags.StopRequest = true; });
    host.AnswerNext(false);
    wire.SendToPc(ctl::ACK, 900);
    std::uint8_t b = 0;
    EXPECT_TRUE(link.ReadByte(b, kShortReplyMs));
    EXPECT_EQ(b, ctl::ACK);
    EXPECT_EQ(clock.Now(), 900);
}

TEST_F(ReadByteTest, ReadOnALineAlreadyLostEndsAtOnce) {
    wire.Drop();
    std::uint8_t b = 0;
    EXPECT_FALSE(link.ReadByte(b, kLongReplyMs));
    EXPECT_EQ(clock.Now(), 0);
}

TEST_F(ReadByteTest, LineLostDuringTheWaitEndsItLikeATimeOut) {
    PressAt(250, [this] { wire.Drop(); });
    std::uint8_t b = 0;
    EXPECT_FALSE(link.ReadByte(b, kLongReplyMs));
    EXPECT_EQ(clock.Now(), 250);
    EXPECT_TRUE(link.TimeOutFlag());
    EXPECT_FALSE(link.IsOpen());
}

class SendTest : public LinkFixture {};

TEST_F(SendTest, FrameGoesOutInOrderWithPauseAndDiscards) {
    link.SendCommand("0D000000");
    const auto& log = wire.Log();
    ASSERT_EQ(log.size(), 15u);
    EXPECT_EQ(log[0].kind, LineEvent::Kind::Sent);
    EXPECT_EQ(log[0].byte, ctl::CAN);
    EXPECT_EQ(log[0].at, 0);
    EXPECT_EQ(log[1].kind, LineEvent::Kind::DiscardInput);
    EXPECT_EQ(log[2].kind, LineEvent::Kind::DiscardOutput);
    EXPECT_EQ(log[1].at, 100);
    EXPECT_EQ(wire.SentBytes(), std::string("\x18\x02") + "0D000000" + "\x03" + "10");
}

TEST_F(SendTest, ReplyArrivingDuringThePauseIsDropped) {
    wire.SetPeer([this](std::uint8_t b) {
        if (b == ctl::CAN)
            wire.SendToPc('?', clock.Now() + 10);
    });
    link.SendCommand("05000001");
    EXPECT_FALSE(wire.CharReady());
    EXPECT_EQ(wire.SentBytes().substr(1), std::string("\x02") + "05000001" + "\x03" + "09");
}

TEST_F(SendTest, ClosedPortSendByteComplainsPerCharacterSendCommandIsSilent) {
    wire.Drop();
    link.SendWord(0xAB);
    link.SendCommand("05000001");
    ASSERT_EQ(host.Boxes().size(), 2u);
    for (const auto& box : host.Boxes()) {
        EXPECT_EQ(box.kind, Kind::Error);
        EXPECT_EQ(box.text, "Comport Not Found");
    }
    EXPECT_TRUE(wire.SentBytes().empty());

    Link noPort(host, flags);
    noPort.SendCommand("05000001");
    EXPECT_EQ(host.Boxes().size(), 2u);
}

TEST_F(SendTest, StopConfirmedDuringASendDropsOnlyThatCharacter) {
    flags.StopRequest = true;
    host.AnswerNext(true);
    link.SendWord(0x3C);  // the '3' is dropped, the 'C' goes out
    EXPECT_EQ(wire.SentBytes(), "C");
    EXPECT_TRUE(flags.ExitRequest);
}

TEST_F(SendTest, FullOutputBufferWaitsWithoutTimeLimitAndStopStaysLive) {
    wire.HoldOutput(true, /*capacity=*/2);
    link.SendByte('a');
    link.SendByte('b');
    PressAt(5000, [this] { flags.StopRequest = true; });
    host.AnswerNext(false);
    PressAt(9000, [this] { wire.HoldOutput(false); });
    link.SendByte('c');
    EXPECT_EQ(clock.Now(), 9000);
    EXPECT_EQ(wire.SentBytes(), "abc");
    EXPECT_EQ(host.Boxes().size(), 1u);  // the stop question, answered No
}

TEST_F(SendTest, TraceSeesEveryByteBothWays) {
    std::string seen;
    link.SetTrace([&](TraceDirection d, std::uint8_t b, Millis) {
        seen += d == TraceDirection::Sent ? '>' : '<';
        seen += static_cast<char>(b);
    });
    link.SendByte('Q');
    wire.SendToPc('R', 5);
    std::uint8_t b = 0;
    ASSERT_TRUE(link.ReadByte(b, kShortReplyMs));
    EXPECT_EQ(seen, ">Q<R");
}

}  // namespace
}  // namespace kvqor

namespace kvqor {
namespace {

class ForceStopTest : public LinkFixture {};

TEST_F(ForceStopTest, EndsReadsAtOnceWithoutAskingButStillSends) {
    flags.ForceStop = true;
    std::uint8_t b = 0;
    EXPECT_FALSE(link.ReadByte(b, kLongReplyMs));
    EXPECT_EQ(clock.Now(), 0);
    EXPECT_TRUE(flags.ExitRequest);
    link.SendByte(std::uint8_t{0x18});
    EXPECT_EQ(wire.SentBytes(), "\x18");
    EXPECT_TRUE(host.Boxes().empty());
}

}  // namespace
}  // namespace kvqor
