// A full AT89C55 programmed and read back over a real pseudo-terminal at 19200 baud, against the
// simulated programmer in real time. About 50 seconds: the line's own speed.

#include <gtest/gtest.h>

#include <QCoreApplication>

#include "device/Catalogue.h"
#include "tests/e2e/PtySession.h"

namespace kvqor {
namespace {

TEST(EndToEnd, ProgramThenReadAFullAT89C55) {
    PtySession line;
    line.Connect();
    Workspace& ws = line.session.GetWorkspace();
    ws.SelectDeviceChange(static_cast<int>(*FindDevice("AT89C55")));
    ASSERT_EQ(ws.DeviceEnd(), 0x4FFF);
    HexImage programmed{};
    for (std::size_t a = 0; a < programmed.size(); ++a) {
        programmed[a] = static_cast<std::uint8_t>((a * 131) ^ (a >> 8));
    }
    ws.Buffer.HexBuffer = programmed;

    ASSERT_TRUE(line.RunOnce(Operation::Program)) << line.display.Line(1);
    EXPECT_EQ(line.display.lastShown[0], "Program.......Pass");

    ws.Buffer.HexBuffer.fill(0x00);
    ASSERT_TRUE(line.RunOnce(Operation::Read)) << line.display.Line(1);
    EXPECT_EQ(line.display.lastShown[0], "Read..........Pass");
    for (std::size_t a = 0; a <= 0x4FFF; ++a)
        ASSERT_EQ(ws.Buffer.HexBuffer[a], programmed[a]) << a;
    EXPECT_EQ(ws.Buffer_End, "4FFFH");
    EXPECT_EQ(line.session.PassTotal(), 2);
    EXPECT_EQ(line.session.FailTotal(), 0);
    EXPECT_TRUE(line.host.boxes.empty());
}

}  // namespace
}  // namespace kvqor

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
