#pragma once
// The flags through which buttons reach a running operation. Plain flags, read and written on the
// one thread that runs the operation and handles the buttons.

namespace kvqor {

struct RunFlags {
    bool RunRequest = false;   // Run pressed: the waiting operation may make one pass
    bool ExitRequest = false;  // the running operation is to end
    bool StopRequest = false;  // Stop pressed during a transfer: the next wait asks the stop question
    // The window is closing under a running operation: every wait for a reply ends at once as a
    // confirmed stop does, without asking. Sends still go out, so the closing CAN reaches the
    // programmer.
    bool ForceStop = false;

    // The three request flags; ForceStop stays until the operation is over.
    void Clear() { RunRequest = ExitRequest = StopRequest = false; }
};

}  // namespace kvqor
