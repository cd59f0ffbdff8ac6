#pragma once
// A serial line on the virtual clock. The PC side is the Wire the link uses; the far side is
// driven by the virtual programmer or by a test script. Every byte in either direction, and every
// discard, is recorded with its time.

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "link/Wire.h"
#include "sim/VirtualClock.h"

namespace kvqor::sim {

struct LineEvent {
    enum class Kind { Sent, Received, DiscardInput, DiscardOutput } kind;
    std::uint8_t byte;  // 0 for the discards
    Millis at;
};

class VirtualWire : public Wire {
public:
    explicit VirtualWire(VirtualClock& clock) : clock_(clock) {}

    // --- the PC's side
    bool IsOpen() const override { return open_; }
    std::size_t OutFree() const override {
        return outCapacity_ > held_.size() ? outCapacity_ - held_.size() : 0;
    }
    void Put(std::string_view chars) override {
        for (char c : chars) {
            const auto b = static_cast<std::uint8_t>(c);
            if (holdOutput_) {
                held_.push_back(b);
            } else {
                Transmit(b);
            }
        }
    }
    bool CharReady() const override { return !rx_.empty(); }
    std::uint8_t TakeChar() override {
        const std::uint8_t b = rx_.front();
        rx_.pop_front();
        return b;
    }
    void DiscardInput() override {
        rx_.clear();
        log_.push_back({LineEvent::Kind::DiscardInput, 0, clock_.Now()});
    }
    void DiscardOutput() override {
        held_.clear();
        log_.push_back({LineEvent::Kind::DiscardOutput, 0, clock_.Now()});
    }

    // --- the far side
    // Called with each byte the PC transmits, at the moment it leaves.
    void SetPeer(std::function<void(std::uint8_t)> peer) { peer_ = std::move(peer); }
    // The byte arrives in the PC's receive buffer at `when`.
    void SendToPc(std::uint8_t b, Millis when) { SendToPcAtMicros(b, MicrosFromMillis(when)); }
    void SendToPcAtMicros(std::uint8_t b, Micros when) {
        clock_.AtMicros(when, [this, b] { DeliverNow(b); });
    }
    // The byte arrives in the PC's receive buffer now (ignored while the line is down).
    void DeliverNow(std::uint8_t b) {
        if (!open_)
            return;
        rx_.push_back(b);
        log_.push_back({LineEvent::Kind::Received, b, clock_.Now()});
    }
    void SendToPcNow(std::string_view bytes) {
        for (char c : bytes)
            SendToPc(static_cast<std::uint8_t>(c), clock_.Now());
    }

    // The line is lost (an adapter pulled out): closed from now on, pending bytes gone.
    void Drop() {
        open_ = false;
        rx_.clear();
        held_.clear();
    }
    void Reopen() { open_ = true; }

    // Holds the PC's output in its buffer (a stalled line) until released.
    void HoldOutput(bool hold, std::size_t capacity = 16) {
        holdOutput_ = hold;
        outCapacity_ = hold ? capacity : kDefaultCapacity;
        if (!hold) {
            while (!held_.empty()) {
                const std::uint8_t b = held_.front();
                held_.pop_front();
                Transmit(b);
            }
        }
    }

    const std::vector<LineEvent>& Log() const { return log_; }
    // The bytes the PC sent, in order.
    std::string SentBytes() const { return Bytes(LineEvent::Kind::Sent); }
    // The bytes the PC received, in order.
    std::string ReceivedBytes() const { return Bytes(LineEvent::Kind::Received); }
    void ClearLog() { log_.clear(); }

private:
    static constexpr std::size_t kDefaultCapacity = 4096;

    void Transmit(std::uint8_t b) {
        log_.push_back({LineEvent::Kind::Sent, b, clock_.Now()});
        if (peer_)
            peer_(b);
    }
    std::string Bytes(LineEvent::Kind kind) const {
        std::string out;
        for (const auto& e : log_) {
            if (e.kind == kind)
                out.push_back(static_cast<char>(e.byte));
        }
        return out;
    }

    VirtualClock& clock_;
    bool open_ = true;
    bool holdOutput_ = false;
    std::size_t outCapacity_ = kDefaultCapacity;
    std::deque<std::uint8_t> rx_;
    std::deque<std::uint8_t> held_;
    std::vector<LineEvent> log_;
    std::function<void(std::uint8_t)> peer_;
};

}  // namespace kvqor::sim
