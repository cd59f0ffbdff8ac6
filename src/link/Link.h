#pragma once
// The byte layer over the serial line: single characters out, single reply bytes in under a time
// limit, and the command frame. One Link per programmer; it holds no global state.
//
// Every wait handles events (Host::PumpEvents) and honours Stop: when RunFlags::StopRequest is set,
// the wait clears it and asks "Do you want to Stop Command..?"; Yes sets ExitRequest and ends the
// wait, No clears ExitRequest and the wait goes on with its original deadline.

#include <cstdint>
#include <functional>
#include <string_view>

#include "link/Host.h"
#include "link/RunFlags.h"
#include "link/Wire.h"

namespace kvqor {

inline constexpr Millis kLongReplyMs = 15000;   // erase, blank check and lock replies
inline constexpr Millis kShortReplyMs = 1500;   // every other wait for the programmer
inline constexpr Millis kFramePauseMs = 100;    // pause after the CAN that starts a frame

inline constexpr std::string_view kStopQuestion = "Do you want to Stop Command..?";
inline constexpr std::string_view kComportNotFound = "Comport Not Found";
// Every command that talks to the programmer refuses with this until it has been identified.
inline constexpr std::string_view kComportNotConnect = "Comport Not Connect";

enum class TraceDirection { Sent, Received };
using TraceSink = std::function<void(TraceDirection, std::uint8_t, Millis)>;

// (b1 + b2 + b3 + b4 + 3) mod 256 over the four bytes the eight command characters spell.
std::uint8_t FrameChecksum(std::string_view command);

class Link {
public:
    Link(Host& host, RunFlags& flags) : host_(host), flags_(flags) {}

    Host& GetHost() { return host_; }
    RunFlags& Flags() { return flags_; }

    // The line the link talks over; nullptr when no port is open. Not owned.
    void SetWire(Wire* wire) { wire_ = wire; }
    Wire* GetWire() const { return wire_; }
    bool IsOpen() const { return wire_ != nullptr && wire_->IsOpen(); }

    // Every byte put on the line and taken from it, for diagnosing a line.
    void SetTrace(TraceSink sink) { trace_ = std::move(sink); }

    // Queue one character. On a closed port shows "Comport Not Found" and sends nothing. Waits,
    // handling events, while the output buffer is full; a confirmed stop drops the character.
    void SendByte(std::uint8_t c);
    void SendByte(char c) { SendByte(static_cast<std::uint8_t>(c)); }

    // One byte as two upper-case hex characters.
    void SendWord(std::uint8_t value);

    // CAN, a 100 ms pause, both buffers emptied, STX, the eight characters, ETX, the checksum.
    // On a closed port nothing is sent and nothing shown.
    void SendCommand(std::string_view command);

    // Wait up to `limitMs` for one reply byte. False on time-out, on a confirmed stop
    // (ExitRequest then set) and when the line is lost; `value` is then 0. A byte that is ready
    // when the limit is noticed still counts.
    bool ReadByte(std::uint8_t& value, Millis limitMs);

    // Receive buffer, then output buffer.
    void DiscardBuffers();

    // Set when the current read's time limit passed; cleared by the next read.
    bool TimeOutFlag() const { return timeOutFlag_; }

private:
    bool CharReady() const { return IsOpen() && wire_->CharReady(); }
    // A stop is waiting to be handled: the wait must not sleep before it asks.
    bool StopPending() const { return flags_.StopRequest || flags_.ForceStop; }
    // The stop question inside a wait; true when the user confirmed the stop.
    bool StopConfirmed();

    Host& host_;
    RunFlags& flags_;
    Wire* wire_ = nullptr;
    TraceSink trace_;
    bool timeOutFlag_ = false;
};

}  // namespace kvqor
