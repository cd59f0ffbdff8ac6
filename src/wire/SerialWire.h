#pragma once
// The serial line over QSerialPort: 19200 baud, 8 data bits, no parity, 1 stop bit, no flow
// control. Opens a device by path, including pseudo-terminals and symlinks to them.
//
// A line that goes away while open (a USB adapter pulled out, the far end of a pseudo-terminal
// closed) must neither hang nor crash the program: the port counts as closed from that moment
// (IsOpen() false, so the wait in progress ends as a time-out does) and is closed. Qt reports
// this as ReadError or ResourceError; a pseudo-terminal whose far end closed makes Qt 6.4 repeat
// ReadError at full CPU while the port stays open, and sometimes no error comes at all until the
// next write. So the port is closed on the first such error, and a short periodic check of the
// handle for a hang-up catches the silent case.

#include <QSerialPort>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <string>

#include "link/Wire.h"

namespace kvqor {

inline constexpr qint32 kLineBaud = 19200;

// True for the errors that mean the line is gone. UnsupportedOperationError (for instance DTR or
// RTS on a pseudo-terminal) and time-outs are not.
bool IsLostLine(QSerialPort::SerialPortError error);

class SerialWire : public Wire {
public:
    SerialWire();
    ~SerialWire() override;
    SerialWire(const SerialWire&) = delete;
    SerialWire& operator=(const SerialWire&) = delete;

    // Opens `path` (closing the port open before). False, with ErrorText(), when it cannot.
    bool Open(const std::string& path);
    void Close();

    const std::string& Path() const { return path_; }
    // Why the last open failed, or why the line was lost.
    const std::string& ErrorText() const { return error_; }
    // The line went away while open.
    bool LineLost() const { return lost_; }
    // Called once when the line is lost.
    void OnLineLost(std::function<void()> handler) { onLost_ = std::move(handler); }

    bool IsOpen() const override;
    std::size_t OutFree() const override;
    void Put(std::string_view chars) override;
    bool CharReady() const override;
    std::uint8_t TakeChar() override;
    void DiscardInput() override;
    void DiscardOutput() override;

private:
    void Lose(const std::string& why);
    void CheckHangUp();

    QSerialPort port_;
    QTimer hangUpCheck_;
    std::string path_;
    std::string error_;
    bool lost_ = false;
    unsigned generation_ = 0;  // which opening a deferred close belongs to
    std::function<void()> onLost_;
};

}  // namespace kvqor
