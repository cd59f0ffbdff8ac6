#pragma once
// The far end of the line, scripted per opcode: it takes the PC's frames apart, checks their
// length and checksum, records each command, and answers the next command of an opcode with the
// bytes queued for it (one byte a millisecond). An opcode with nothing queued gets silence.

#include <gtest/gtest.h>

#include <deque>
#include <map>
#include <string>
#include <vector>

#include "link/ControlBytes.h"
#include "link/Hex.h"
#include "link/Link.h"
#include "sim/VirtualWire.h"

namespace kvqor {

class ScriptedProgrammer {
public:
    ScriptedProgrammer(sim::VirtualClock& clock, sim::VirtualWire& wire) : clock_(clock), wire_(wire) {
        wire_.SetPeer([this](std::uint8_t b) { Take(b); });
    }

    // The reply to the next command with this opcode; `delayMs` before its first byte.
    void Answer(const std::string& opcode, std::string bytes, Millis delayMs = 1) {
        replies_[opcode].push_back({std::move(bytes), delayMs});
    }

    // Called when a frame has arrived, before it is answered.
    void OnCommand(std::function<void(const std::string&)> hook) { onCommand_ = std::move(hook); }

    const std::vector<std::string>& Commands() const { return commands_; }
    Millis LastFrameAt() const { return lastFrameAt_; }

private:
    struct Reply {
        std::string bytes;
        Millis delayMs;
    };

    void Take(std::uint8_t b) {
        if (b == ctl::STX) {
            frame_.clear();
            inFrame_ = true;
            return;
        }
        if (!inFrame_)
            return;  // ENQ, CAN and the like between frames
        frame_.push_back(static_cast<char>(b));
        if (frame_.size() < 11)
            return;  // eight characters, ETX, two checksum characters
        inFrame_ = false;
        const std::string command = frame_.substr(0, 8);
        EXPECT_EQ(frame_[8], static_cast<char>(ctl::ETX)) << "frame of " << command;
        EXPECT_EQ(frame_.substr(9), HexByteToStr2(FrameChecksum(command))) << "checksum of " << command;
        commands_.push_back(command);
        lastFrameAt_ = clock_.Now();
        if (onCommand_)
            onCommand_(command);
        auto& queue = replies_[command.substr(0, 2)];
        if (queue.empty())
            return;
        const Reply reply = queue.front();
        queue.pop_front();
        Millis t = clock_.Now() + reply.delayMs;
        for (char c : reply.bytes)
            wire_.SendToPc(static_cast<std::uint8_t>(c), t++);
    }

    sim::VirtualClock& clock_;
    sim::VirtualWire& wire_;
    std::map<std::string, std::deque<Reply>> replies_;
    std::vector<std::string> commands_;
    std::function<void(const std::string&)> onCommand_;
    std::string frame_;
    bool inFrame_ = false;
    Millis lastFrameAt_ = -1;
};

}  // namespace kvqor
