#pragma once
// A Session on the virtual clock with the simulated programmer on its line, already identified.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "device/Catalogue.h"
#include "link/ControlBytes.h"
#include "ops/Session.h"
#include "sim/Bench.h"
#include "tests/ops/RecordingDisplay.h"

namespace kvqor {

class SessionFixture : public ::testing::Test {
protected:
    SessionFixture() {
        session.AttachWire(&bench.wire, "Com1");
        session.ReadVersion();
        EXPECT_TRUE(session.HardwareFound());
        identifyCommands_ = bench.programmer.CommandTexts().size();
        bench.wire.ClearLog();
        bench.host.ClearRecords();
    }

    void Choose(std::string_view part) {
        const auto index = FindDevice(part);
        ASSERT_TRUE(index.has_value()) << part;
        session.GetWorkspace().SelectDeviceChange(static_cast<int>(*index));
    }
    HexImage& Buffer() { return session.GetWorkspace().Buffer.HexBuffer; }

    // Runs `op` with `passes` presses of Run, each after the previous pass ended, and Exit after
    // the last pass. A failing pass ends the operation by itself.
    void Run(Operation op, int passes = 1) {
        int left = passes;
        display.onPassEnded = [this, &left](bool passed) {
            if (!passed)
                return;
            if (--left > 0) {
                session.StartRunClick();
            } else {
                session.StopRunClick();
            }
        };
        bench.clock.After(0, [this] { session.StartRunClick(); });
        session.RunOperation(op);
        display.onPassEnded = nullptr;
    }

    // The commands the programmer received after the identification.
    std::vector<std::string> Commands() const {
        const auto all = bench.programmer.CommandTexts();
        return {all.begin() + static_cast<std::ptrdiff_t>(identifyCommands_), all.end()};
    }

    // The bytes the PC sent, and how many of them were `b`.
    std::string Sent() const { return bench.wire.SentBytes(); }
    long CountSent(std::uint8_t b) const {
        const std::string sent = Sent();
        return std::count(sent.begin(), sent.end(), static_cast<char>(b));
    }

    // After a failure: both buffers emptied, then CAN, and nothing after it.
    void ExpectBrokeOff() const {
        const auto& log = bench.wire.Log();
        ASSERT_GE(log.size(), 3u);
        const auto n = log.size();
        EXPECT_EQ(log[n - 3].kind, sim::LineEvent::Kind::DiscardInput);
        EXPECT_EQ(log[n - 2].kind, sim::LineEvent::Kind::DiscardOutput);
        EXPECT_EQ(log[n - 1].kind, sim::LineEvent::Kind::Sent);
        EXPECT_EQ(log[n - 1].byte, ctl::CAN);
        EXPECT_EQ(session.State(), RunState::Idle);
        EXPECT_EQ(display.title, "No Command Select?");
        EXPECT_FALSE(display.gaugeVisible);
    }

    std::size_t identifyCommands_ = 0;
    sim::Bench bench;
    RecordingDisplay display;
    Session session{bench.host, display};
};

// "\x02" + command + "\x03" + checksum: what a frame carries after its CAN.
std::string FrameBody(std::string_view command);

}  // namespace kvqor
