#include "cli/TraceLog.h"

#include <cerrno>
#include <cstring>

#include "link/ControlBytes.h"

namespace kvqor::cli {

std::string TraceByteName(std::uint8_t byte) {
    switch (byte) {
        case ctl::STX:
            return "STX";
        case ctl::ETX:
            return "ETX";
        case ctl::ENQ:
            return "ENQ";
        case ctl::ACK:
            return "ACK";
        case ctl::DC1:
            return "DC1";
        case ctl::DC3:
            return "DC3";
        case ctl::NAK:
            return "NAK";
        case ctl::CAN:
            return "CAN";
        default:
            break;
    }
    if (byte >= 0x20 && byte < 0x7F)
        return std::string("'") + static_cast<char>(byte) + "'";
    return {};
}

TraceLog::~TraceLog() {
    std::string ignored;
    Close(ignored);
}

bool TraceLog::Open(const std::string& path, std::string& error) {
    file_ = std::fopen(path.c_str(), "we");
    if (file_ == nullptr) {
        error = std::strerror(errno);
        return false;
    }
    std::fputs(
        "# kvqor-cli trace: milliseconds since the port was opened, port, > sent or < received, "
        "byte in hex, byte\n",
        file_);
    return true;
}

void TraceLog::Write(std::string_view port, TraceDirection direction, std::uint8_t byte, Millis at) {
    const std::string name = TraceByteName(byte);
    std::lock_guard lock(mutex_);
    if (file_ == nullptr)
        return;
    std::fprintf(file_, "%lld %.*s %c %02X%s%s\n", static_cast<long long>(at), static_cast<int>(port.size()),
                 port.data(), direction == TraceDirection::Sent ? '>' : '<', byte, name.empty() ? "" : " ",
                 name.c_str());
}

void TraceLog::Flush() {
    std::lock_guard lock(mutex_);
    if (file_ != nullptr)
        std::fflush(file_);
}

bool TraceLog::Close(std::string& error) {
    std::lock_guard lock(mutex_);
    if (file_ == nullptr)
        return true;
    const bool failed = std::ferror(file_) != 0;
    const int closed = std::fclose(file_);
    const int closeErrno = errno;
    file_ = nullptr;
    if (failed || closed != 0) {
        error = closed != 0 ? std::strerror(closeErrno) : "write error";
        return false;
    }
    return true;
}

}  // namespace kvqor::cli
