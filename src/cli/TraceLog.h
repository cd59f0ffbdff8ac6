#pragma once
// --trace FILE: every byte put on a line and taken from it, with its time, for diagnosing a line.
// One line of text per byte:
//   MS PORT DIRECTION HEX [NAME]     (DIRECTION: > sent, < received)
// e.g. "100 Com1 > 02 STX", "231 Com1 < 06 ACK", "101 Com1 > 30 '0'". Times are milliseconds on
// the port's own clock, which starts when its line is opened.

#include <cstdint>
#include <cstdio>
#include <mutex>
#include <string>
#include <string_view>

#include "link/Host.h"
#include "link/Link.h"

namespace kvqor::cli {

// The name a trace gives a byte: the control bytes by name, printable characters quoted.
std::string TraceByteName(std::uint8_t byte);

class TraceLog {
public:
    TraceLog() = default;
    ~TraceLog();
    TraceLog(const TraceLog&) = delete;
    TraceLog& operator=(const TraceLog&) = delete;

    // Creates or empties `path`. False with the system's reason when it cannot.
    bool Open(const std::string& path, std::string& error);
    void Write(std::string_view port, TraceDirection direction, std::uint8_t byte, Millis at);
    // Hands what was written to the system, so the file is never far behind the line.
    void Flush();
    // Flushes and closes; false with the reason when something could not be written.
    bool Close(std::string& error);

private:
    std::mutex mutex_;
    std::FILE* file_ = nullptr;
};

}  // namespace kvqor::cli
