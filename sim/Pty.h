#pragma once
// A pseudo-terminal whose master end this program holds, for a serial port to open by the slave
// path. The slave end is kept open too while the pseudo-terminal lives: with no slave open, reads
// on the master fail with EIO and poll reports a hang-up over and over. The slave is put in raw
// mode so nothing is echoed or edited before the PC's port sets it up.

#include <string>

namespace kvqor::sim {

class Pty {
public:
    Pty() = default;
    ~Pty() { Close(); }
    Pty(const Pty&) = delete;
    Pty& operator=(const Pty&) = delete;

    // Opens a fresh pseudo-terminal; false with `error` set when the system gives none.
    bool Open(std::string& error);
    // Closes both ends: a port open on the slave sees the line hang up.
    void Close();

    bool IsOpen() const { return master_ >= 0; }
    int Master() const { return master_; }  // non-blocking
    const std::string& SlavePath() const { return slavePath_; }

private:
    int master_ = -1;
    int slave_ = -1;
    std::string slavePath_;
};

}  // namespace kvqor::sim
