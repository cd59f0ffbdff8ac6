#pragma once
// The simulated programmer served in real time on a pseudo-terminal: what the PC writes to the
// slave end goes to the firmware, whose answers are written to the master end at their paced
// times. A dropped line (a fault) closes the pseudo-terminal, so the PC's port sees a hang-up;
// the server then goes on with a fresh one, like an adapter plugged in again.

#include <chrono>
#include <functional>
#include <string>

#include "sim/Firmware.h"
#include "sim/Pty.h"

namespace kvqor::sim {

class PtyServer {
public:
    explicit PtyServer(FirmwareSettings settings = {});

    // Opens the pseudo-terminal; false with `error` set when the system gives none.
    bool Open(std::string& error);
    const std::string& SlavePath() const { return pty_.SlavePath(); }

    // Set up before serving; the serving thread owns it while Serve() runs.
    sim::Firmware& Firmware() { return firmware_; }

    // Called with the new slave path after a dropped line.
    void OnNewPath(std::function<void(const std::string&)> handler) { onNewPath_ = std::move(handler); }

    // Serves until `stopFd` turns readable (a signalfd, the read end of a pipe): true then; false
    // with `error` set when the system fails it. Sleeps in between; uses no CPU while idle.
    bool Serve(int stopFd, std::string& error);

private:
    Micros Now() const;
    bool Flush(std::string& error);
    bool ReadFromPc(std::string& error);
    bool Replug(std::string& error);

    Pty pty_;
    sim::Firmware firmware_;
    std::string pending_;  // answer bytes the pseudo-terminal has not taken yet
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
    std::function<void(const std::string&)> onNewPath_;
};

}  // namespace kvqor::sim
