#include "link/Link.h"

#include <string>

#include "link/ControlBytes.h"
#include "link/Hex.h"

namespace kvqor {

std::uint8_t FrameChecksum(std::string_view command) {
    unsigned sum = 3;
    for (std::size_t i = 0; i < 8; i += 2) {
        sum += HexStr2ToByte(command.substr(std::min(i, command.size())));
    }
    return static_cast<std::uint8_t>(sum & 0xFF);
}

bool Link::StopConfirmed() {
    if (flags_.ForceStop) {
        flags_.StopRequest = false;
        flags_.ExitRequest = true;
        return true;
    }
    if (!flags_.StopRequest)
        return false;
    flags_.StopRequest = false;
    if (host_.Confirm(kStopQuestion)) {
        flags_.ExitRequest = true;
        return true;
    }
    flags_.ExitRequest = false;
    return false;
}

void Link::SendByte(std::uint8_t c) {
    if (!IsOpen()) {
        host_.Message(MessageKind::Error, kComportNotFound);
        return;
    }
    for (;;) {
        // Look at the events once per character even when the buffer has room, so Stop stays live
        // during a long transfer; sleep only while the buffer is full.
        const bool room = wire_->OutFree() >= 1;
        host_.PumpEvents(room || StopPending() ? 0 : kForever);
        // A forced stop never drops a character: the CAN that ends the command must still go out.
        if (!flags_.ForceStop && StopConfirmed())
            return;
        if (!IsOpen())
            return;  // the line was lost while we waited: nothing to send it on
        if (wire_->OutFree() >= 1) {
            const char ch = static_cast<char>(c);
            wire_->Put(std::string_view(&ch, 1));
            if (trace_)
                trace_(TraceDirection::Sent, c, host_.Now());
            return;
        }
    }
}

void Link::SendWord(std::uint8_t value) {
    const std::string digits = HexByteToStr2(value);
    SendByte(digits[0]);
    SendByte(digits[1]);
}

void Link::SendCommand(std::string_view command) {
    if (!IsOpen())
        return;
    SendByte(ctl::CAN);
    // The programmer takes CAN as "forget what you were doing"; give it time to settle before
    // the new frame, then drop whatever it said meanwhile.
    host_.Pause(kFramePauseMs);
    DiscardBuffers();
    SendByte(ctl::STX);
    for (char c : command)
        SendByte(c);
    SendByte(ctl::ETX);
    SendWord(FrameChecksum(command));
}

bool Link::ReadByte(std::uint8_t& value, Millis limitMs) {
    value = 0;
    timeOutFlag_ = false;
    const Millis deadline = host_.Now() + limitMs;
    for (;;) {
        // A line already lost has nothing more to bring: do not sleep out the limit.
        host_.PumpEvents(CharReady() || StopPending() || !IsOpen() ? 0 : deadline);
        if (StopConfirmed())
            return false;
        if (!CharReady() && (host_.Now() >= deadline || !IsOpen()))
            timeOutFlag_ = true;
        if (CharReady() || timeOutFlag_)
            break;
    }
    if (!CharReady())
        return false;
    value = wire_->TakeChar();
    timeOutFlag_ = false;
    if (trace_)
        trace_(TraceDirection::Received, value, host_.Now());
    return true;
}

void Link::DiscardBuffers() {
    if (wire_ == nullptr)
        return;
    wire_->DiscardInput();
    wire_->DiscardOutput();
}

}  // namespace kvqor
