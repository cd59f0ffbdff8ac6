#include "link/ControlBytes.h"
#include "link/Identify.h"
#include "link/PortName.h"
#include "tests/link/LinkFixture.h"

namespace kvqor {
namespace {

using Kind = sim::RecordedBox::Kind;

// A programmer scripted byte by byte: it answers the frame's last character with `afterFrame`
// and the DC3 with `afterDc3`, each character 1 ms after the previous.
class IdentifyTest : public LinkFixture {
protected:
    void Script(std::string afterFrame, std::string afterDc3) {
        wire.SetPeer([this, afterFrame, afterDc3, count = 0](std::uint8_t b) mutable {
            ++count;
            const std::string* reply = nullptr;
            if (count == 13)
                reply = &afterFrame;  // CAN STX, 8 characters, ETX, two checksum characters
            if (b == ctl::DC3 && count > 13)
                reply = &afterDc3;
            if (reply == nullptr)
                return;
            Millis t = clock.Now();
            for (char c : *reply)
                wire.SendToPc(static_cast<std::uint8_t>(c), ++t);
        });
    }
};

TEST_F(IdentifyTest, SuccessTranscriptAndCode) {
    // "KV010203" sums to 1C7h, so its checksum is C7
    Script("KV010203C7", "\x06");
    const Identification id = ReadVersion(link, PortLabel("Com2"));
    EXPECT_TRUE(id.found);
    EXPECT_EQ(id.code, "KV/01/0203");
    EXPECT_EQ(wire.SentBytes(), std::string("\x18\x02") + "0D000000\x03" + "10" + "\x13\x18");
    EXPECT_EQ(wire.ReceivedBytes(), "KV010203C7\x06");
    EXPECT_EQ(host.Statuses(),
              (std::vector<std::string>{"Waiting to Initial Hardware", "Search Hardware On Com2 OK"}));
    EXPECT_TRUE(host.Boxes().empty());
}

TEST_F(IdentifyTest, LowerCaseChecksumIsAccepted) {
    Script("KV010203c7", "\x06");
    EXPECT_TRUE(ReadVersion(link, "Com1").found);
}

struct FailCase {
    const char* name;
    std::string afterFrame;
    std::string afterDc3;
    bool dc3Sent;
    Millis endsAt;  // when the box appears, counted from the frame's end
};

class IdentifyFailure : public IdentifyTest, public ::testing::WithParamInterface<FailCase> {};

TEST_P(IdentifyFailure, ShowsHardwareNotFoundThenCan) {
    const FailCase& c = GetParam();
    Script(c.afterFrame, c.afterDc3);
    const Identification id = ReadVersion(link, "Com1");
    EXPECT_FALSE(id.found);
    EXPECT_TRUE(id.code.empty());
    ASSERT_EQ(host.Boxes().size(), 1u);
    EXPECT_EQ(host.Boxes()[0].kind, Kind::Error);
    EXPECT_EQ(host.Boxes()[0].text, "Hardware Not Found");
    EXPECT_EQ(host.Boxes()[0].at, 100 + c.endsAt);
    const std::string sent = wire.SentBytes();
    EXPECT_EQ(sent.back(), static_cast<char>(ctl::CAN));
    EXPECT_EQ(sent.find('\x13') != std::string::npos, c.dc3Sent);
    // The CAN follows the box.
    EXPECT_GE(wire.Log().back().at, host.Boxes()[0].at);
    EXPECT_EQ(host.Status(), "Waiting to Initial Hardware");
}

INSTANTIATE_TEST_SUITE_P(Cases, IdentifyFailure,
                         ::testing::Values(FailCase{"Silence", "", "", false, 1500},
                                           FailCase{"WrongChecksum", "KV010203C6", "\x06", false, 10},
                                           FailCase{"NoAck", "KV010203C7", "\x15", true, 11},
                                           FailCase{"SilentAfterDc3", "KV010203C7", "", true, 10 + 1500},
                                           FailCase{"ShortCode", "KV0102", "", false, 6 + 1500}),
                         [](const ::testing::TestParamInfo<FailCase>& p) {
                             return std::string(p.param.name);
                         });

TEST(PortNames, ComPortsMapToTheFirstFourSerialPorts) {
    EXPECT_EQ(ComNumber("Com1"), 1);
    EXPECT_EQ(ComNumber("COM4"), 4);
    EXPECT_EQ(ComNumber("Com5"), 0);
    EXPECT_EQ(ComNumber("ttyUSB0"), 0);
    EXPECT_EQ(SystemPortPath("Com1"), "/dev/ttyS0");
    EXPECT_EQ(SystemPortPath("Com4"), "/dev/ttyS3");
    EXPECT_EQ(SystemPortPath("ttyUSB0"), "/dev/ttyUSB0");
    EXPECT_EQ(SystemPortPath("/tmp/ttyKVQOR"), "/tmp/ttyKVQOR");
    EXPECT_EQ(PortLabel("com3"), "Com3");
    EXPECT_EQ(PortLabel("/dev/ttyUSB0"), "/dev/ttyUSB0");
}

}  // namespace
}  // namespace kvqor
