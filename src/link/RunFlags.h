#pragma once
// The flags through which buttons reach a running operation. Plain flags, read and written on the
// one thread that runs the operation and handles the buttons.

namespace kvqor {

struct RunFlags {
    bool RunRequest = false;   // Run pressed: the waiting operation may make one pass
    bool ExitRequest = false;  // the running operation is to end
    bool StopRequest = false;  // Stop pressed during a transfer: the next wait asks the stop question

    void Clear() { RunRequest = ExitRequest = StopRequest = false; }
};

}  // namespace kvqor
