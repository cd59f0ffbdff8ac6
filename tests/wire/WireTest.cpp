#include <gtest/gtest.h>
#include <unistd.h>

#include <QTimer>
#include <filesystem>

#include "link/ControlBytes.h"
#include "link/Identify.h"
#include "tests/wire/ServedPty.h"
#include "wire/OpenPort.h"
#include "wire/QtEventHost.h"
#include "wire/SerialWire.h"
#include "wire/SimWire.h"

namespace kvqor {
namespace {

class TestHost : public QtEventHost {
public:
    bool answer = true;
    std::vector<std::string> boxes;
    std::vector<std::string> statuses;

    bool Confirm(std::string_view text) override {
        boxes.emplace_back(text);
        return answer;
    }
    void Message(MessageKind, std::string_view text) override { boxes.emplace_back(text); }
    void ShowStatus(std::string_view text) override { statuses.emplace_back(text); }
};

class RealLine : public ::testing::Test {
protected:
    TestHost host;
    RunFlags flags;
    Link link{host, flags};
};

// ---- the QSerialPort wire against the simulator on a pseudo-terminal

class OverPty : public RealLine, public ::testing::WithParamInterface<bool> {};

TEST_P(OverPty, IdentificationPasses) {
    ServedPty pty;
    pty.Start();
    std::string path = pty.Path();
    const auto linkPath =
        std::filesystem::temp_directory_path() / ("kvqor-test-" + std::to_string(::getpid()));
    if (GetParam()) {
        std::filesystem::remove(linkPath);
        std::filesystem::create_symlink(path, linkPath);
        path = linkPath.string();
    }
    SerialWire wire;
    ASSERT_TRUE(wire.Open(path)) << wire.ErrorText();
    link.SetWire(&wire);
    const Identification id = ReadVersion(link, path);
    EXPECT_TRUE(id.found);
    EXPECT_EQ(id.code, "SM/03/0101");
    EXPECT_EQ(host.statuses.back(), "Search Hardware On " + path + " OK");
    EXPECT_TRUE(wire.IsOpen());
    std::filesystem::remove(linkPath);
}

INSTANTIATE_TEST_SUITE_P(Paths, OverPty, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& p) {
                             return p.param ? "ThroughASymlink" : "ByPath";
                         });

TEST_F(RealLine, LineDroppedMidReadEndsTheWaitAndClosesThePort) {
    ServedPty pty;
    pty.Firmware().Faults().Add(sim::DropLineAfter({sim::Exchange::Read, 1}, 10));
    pty.Start();
    SerialWire wire;
    ASSERT_TRUE(wire.Open(pty.Path())) << wire.ErrorText();
    int lostCalls = 0;
    wire.OnLineLost([&] { ++lostCalls; });
    link.SetWire(&wire);

    link.SendCommand("06000003");
    std::string got;
    std::uint8_t b = 0;
    while (link.ReadByte(b, kShortReplyMs)) {
        got.push_back(static_cast<char>(b));
        if (got.size() == 130)
            link.SendByte(ctl::DC1);
    }
    EXPECT_GE(got.size(), 130u);
    EXPECT_LE(got.size(), 140u);
    EXPECT_TRUE(wire.LineLost());
    EXPECT_FALSE(wire.IsOpen());
    EXPECT_FALSE(link.IsOpen());
    EXPECT_EQ(lostCalls, 1);
    // Sending on the lost line is refused like any closed port, and nothing hangs.
    link.SendByte(ctl::CAN);
    EXPECT_EQ(host.boxes, std::vector<std::string>{"Comport Not Found"});
}

// The CAN that opens a frame must be on the line before the pause that follows it, not still
// queued when the output buffer is emptied after the pause.
TEST_F(RealLine, FrameReachesTheProgrammerWholeCanFirst) {
    ServedPty pty;
    pty.Start();
    SerialWire wire;
    ASSERT_TRUE(wire.Open(pty.Path())) << wire.ErrorText();
    link.SetWire(&wire);
    link.SendCommand("05000003");
    std::uint8_t b = 0;
    EXPECT_TRUE(link.ReadByte(b, kLongReplyMs));
    EXPECT_EQ(b, ctl::ACK);
    pty.Stop();
    EXPECT_EQ(pty.Firmware().CanCount(), 1);
    ASSERT_EQ(pty.Firmware().Commands().size(), 1u);
    EXPECT_EQ(pty.Firmware().Commands()[0].command, "05000003");
    EXPECT_EQ(pty.Firmware().Commands()[0].nak, "");
}

TEST_F(RealLine, StopDuringAWaitIsAnsweredAtOnce) {
    ServedPty pty;  // never asked anything, so it stays silent
    pty.Start();
    SerialWire wire;
    ASSERT_TRUE(wire.Open(pty.Path())) << wire.ErrorText();
    link.SetWire(&wire);
    QTimer::singleShot(30, [this] { flags.StopRequest = true; });
    std::uint8_t b = 0;
    EXPECT_FALSE(link.ReadByte(b, kLongReplyMs));
    EXPECT_TRUE(flags.ExitRequest);
    EXPECT_EQ(host.boxes, std::vector<std::string>{"Do you want to Stop Command..?"});
    EXPECT_LT(host.Now(), kShortReplyMs);  // woken by the click, not by the deadline
}

TEST_F(RealLine, PauseHandlesNoEvents) {
    bool ran = false;
    QTimer::singleShot(0, [&] { ran = true; });
    host.Pause(20);
    EXPECT_FALSE(ran);
    host.PumpEvents(host.Now() + 1000);
    EXPECT_TRUE(ran);
}

TEST(SerialWireOpen, AMissingPortFailsWithTheSystemsReason) {
    SerialWire wire;
    EXPECT_FALSE(wire.Open("/nonexistent/ttyKVQOR"));
    EXPECT_FALSE(wire.ErrorText().empty());
    EXPECT_FALSE(wire.IsOpen());
    EXPECT_EQ(wire.OutFree(), 0u);
    const OpenedPort opened = OpenPort("/nonexistent/ttyKVQOR");
    EXPECT_EQ(opened.wire, nullptr);
    EXPECT_EQ(opened.error, wire.ErrorText());
}

TEST(SerialWireErrors, OnlyErrorsOfAVanishedLineCountAsLost) {
    using E = QSerialPort::SerialPortError;
    for (E e : {E::ReadError, E::WriteError, E::ResourceError, E::DeviceNotFoundError})
        EXPECT_TRUE(IsLostLine(e)) << e;
    for (E e : {E::NoError, E::PermissionError, E::OpenError, E::UnsupportedOperationError, E::UnknownError,
                E::TimeoutError, E::NotOpenError}) {
        EXPECT_FALSE(IsLostLine(e)) << e;
    }
}

// ---- the built-in simulated programmer

TEST_F(RealLine, BuiltInSimulatorIdentifiesInRealTime) {
    OpenedPort opened = OpenPort("Sim");
    ASSERT_NE(dynamic_cast<SimWire*>(opened.wire.get()), nullptr);
    link.SetWire(opened.wire.get());
    const Identification id = ReadVersion(link, "sim");
    EXPECT_TRUE(id.found);
    EXPECT_EQ(id.code, "SM/03/0101");
}

TEST_F(RealLine, BuiltInSimulatorDropsAndReconnects) {
    SimWire wire;
    wire.Firmware().Faults().Add(sim::DropLineAfter({sim::Exchange::Identify}, 2));
    link.SetWire(&wire);
    EXPECT_FALSE(ReadVersion(link, "sim").found);
    EXPECT_FALSE(wire.IsOpen());
    wire.Reconnect();
    EXPECT_TRUE(ReadVersion(link, "sim").found);
}

}  // namespace
}  // namespace kvqor
