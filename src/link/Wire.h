#pragma once
// The serial line as the link sees it: exactly the operations the link relies on.
//
// Contract:
// - IsOpen() is true only while the line can carry bytes. A line that is lost while open
//   (an adapter pulled out, the far end of a pseudo-terminal closed) reports false from then on.
// - OutFree() is the number of characters Put() can still queue; at least 1 means one fits.
// - Put() queues characters for transmission in the order given; it never blocks.
// - CharReady() is true while at least one received byte waits; TakeChar() returns and removes
//   the oldest one (only called when CharReady() is true).
// - DiscardInput() drops every received byte not yet taken; DiscardOutput() drops every queued
//   character not yet transmitted.
// A wire raises no exceptions. Bytes arriving or room appearing in the output buffer must wake a
// Host::PumpEvents() that sleeps, so that waits are event-driven.

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace kvqor {

class Wire {
public:
    virtual ~Wire() = default;

    virtual bool IsOpen() const = 0;
    virtual std::size_t OutFree() const = 0;
    virtual void Put(std::string_view chars) = 0;
    virtual bool CharReady() const = 0;
    virtual std::uint8_t TakeChar() = 0;
    virtual void DiscardInput() = 0;
    virtual void DiscardOutput() = 0;
};

}  // namespace kvqor
