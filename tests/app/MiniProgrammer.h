#pragma once
// A programmer reduced to what the window tests need: it answers the identification with a
// fixed code, and erase, blank check and lock with one reply byte after a set time. Frames are
// taken from the line exactly as the PC sends them.

#include <cstdint>
#include <string>

#include "link/ControlBytes.h"
#include "link/Hex.h"
#include "sim/VirtualClock.h"
#include "sim/VirtualWire.h"

namespace kvqor::app::test {

class MiniProgrammer {
public:
    explicit MiniProgrammer(sim::VirtualClock& clock) : clock_(clock), line_(clock) {
        line_.SetPeer([this](std::uint8_t b) { Take(b); });
    }

    sim::VirtualWire& Line() { return line_; }

    std::string code = "KV301A00";  // shown as KV/30/1A00
    bool answersIdentification = true;
    std::uint8_t singleReply = ctl::ACK;  // to erase, blank check and lock
    Millis replyAfterMs = 2000;           // how long those take
    std::string lastCommand;

private:
    void Take(std::uint8_t b) {
        if (afterEtx_ > 0) {
            if (--afterEtx_ == 0)
                Command(frame_);
            return;
        }
        if (inFrame_) {
            if (b == ctl::ETX) {
                inFrame_ = false;
                afterEtx_ = 2;  // the frame checksum
            } else {
                frame_.push_back(static_cast<char>(b));
            }
            return;
        }
        if (b == ctl::STX) {
            inFrame_ = true;
            frame_.clear();
        } else if (b == ctl::DC3 && identifying_) {
            identifying_ = false;
            line_.SendToPc(ctl::ACK, clock_.Now() + 5);
        } else if (b == ctl::CAN) {
            identifying_ = false;
        }
    }

    void Command(const std::string& command) {
        lastCommand = command;
        const std::string opcode = command.substr(0, 2);
        if (opcode == "0D") {
            if (!answersIdentification)
                return;
            identifying_ = true;
            std::uint8_t sum = 0;
            for (char c : code)
                sum = static_cast<std::uint8_t>(sum + static_cast<std::uint8_t>(c));
            Send(code + HexByteToStr2(sum), 10);
        } else if (opcode == "05" || opcode == "0A" || opcode == "03") {
            line_.SendToPc(singleReply, clock_.Now() + replyAfterMs);
        }
    }

    void Send(const std::string& bytes, Millis after) {
        Millis at = clock_.Now() + after;
        for (char c : bytes)
            line_.SendToPc(static_cast<std::uint8_t>(c), at++);
    }

    sim::VirtualClock& clock_;
    sim::VirtualWire line_;
    bool inFrame_ = false;
    int afterEtx_ = 0;
    bool identifying_ = false;
    std::string frame_;
};

}  // namespace kvqor::app::test
