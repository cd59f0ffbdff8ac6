#pragma once
// What the main thread does while the ports run: it watches the terminal. Lines from standard
// input go to the console (the Enter/q prompt, the stop question), SIGINT is Ctrl-C, SIGTERM and
// SIGHUP stop everything, and ten times a second the console ticks (the progress bar is redrawn,
// the trace flushed). Signals come
// through a descriptor (signalfd), so nothing runs inside a signal handler.

#include <functional>

#include "cli/Console.h"

namespace kvqor::cli {

struct TerminalLoopSettings {
    int inputFd = -1;   // standard input, or -1 when it is not read
    int signalFd = -1;  // a signalfd for SIGINT, SIGTERM and SIGHUP, or -1
    int wakeFd = -1;    // readable when a port's job has ended
    bool tick = false;  // call Console::Tick ten times a second
};

// Blocks SIGINT, SIGTERM and SIGHUP in the calling thread (and the threads it starts later) and
// returns a signalfd that receives them; -1 when that fails. Call before any thread starts.
int TakeStopSignals();

// Runs until `finished` returns true, which is checked whenever the wake descriptor fires.
void RunTerminalLoop(Console& console, const TerminalLoopSettings& settings,
                     const std::function<bool()>& finished);

}  // namespace kvqor::cli
