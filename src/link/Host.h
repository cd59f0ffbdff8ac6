#pragma once
// What the waits need from their surroundings. The window implements it with Qt's event loop,
// the command line with the terminal, tests with a virtual clock.

#include <cstdint>
#include <limits>
#include <string_view>

namespace kvqor {

using Millis = std::int64_t;
inline constexpr Millis kForever = std::numeric_limits<Millis>::max();

// The message boxes the core asks for: the error box (error icon, OK), the plain box (no icon,
// the application title as caption, OK) and the warning box (warning icon, OK).
enum class MessageKind { Error, Plain, Warning };

class Host {
public:
    virtual ~Host() = default;

    // Milliseconds on a monotonic clock.
    virtual Millis Now() = 0;

    // One step of event handling: handle the events that are pending. When none is pending, sleep
    // until one arrives (a received byte, room in the output buffer, a button press) or until
    // `wakeAt` on the Now() clock, whichever is first. Never sleeps when wakeAt <= Now().
    // A spurious early return is allowed; callers loop.
    virtual void PumpEvents(Millis wakeAt) = 0;

    // Pause without handling any event (the pause inside a command frame).
    virtual void Pause(Millis ms) = 0;

    // The confirmation box (question icon, Yes and No): true for Yes.
    virtual bool Confirm(std::string_view text) = 0;

    // A modal message box of the given kind.
    virtual void Message(MessageKind kind, std::string_view text) = 0;

    // The status line (the main window's status bar).
    virtual void ShowStatus(std::string_view text) = 0;
};

}  // namespace kvqor
