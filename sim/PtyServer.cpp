#include "sim/PtyServer.h"

#include <poll.h>
#include <time.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>

namespace kvqor::sim {

PtyServer::PtyServer(FirmwareSettings settings) : firmware_(std::move(settings)) {}

bool PtyServer::Open(std::string& error) {
    return pty_.Open(error);
}

Micros PtyServer::Now() const {
    return std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start_)
        .count();
}

bool PtyServer::Flush(std::string& error) {
    while (!pending_.empty()) {
        const ssize_t n = ::write(pty_.Master(), pending_.data(), pending_.size());
        if (n > 0) {
            pending_.erase(0, static_cast<std::size_t>(n));
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            return true;  // the PC is not reading: later
        error = std::string("write to pseudo-terminal: ") + std::strerror(errno);
        return false;
    }
    return true;
}

bool PtyServer::ReadFromPc(std::string& error) {
    std::array<std::uint8_t, 4096> buf{};
    for (;;) {
        const ssize_t n = ::read(pty_.Master(), buf.data(), buf.size());
        if (n > 0) {
            const Micros now = Now();
            for (ssize_t i = 0; i < n; ++i)
                firmware_.Receive(buf[static_cast<std::size_t>(i)], now);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            return true;
        if (n == 0 || errno == EIO)
            return true;  // no slave open for a moment: nothing to read
        error = std::string("read from pseudo-terminal: ") + std::strerror(errno);
        return false;
    }
}

bool PtyServer::Replug(std::string& error) {
    pty_.Close();
    pending_.clear();
    firmware_.Reset();
    if (!pty_.Open(error))
        return false;
    if (onNewPath_)
        onNewPath_(pty_.SlavePath());
    return true;
}

bool PtyServer::Serve(int stopFd, std::string& error) {
    if (!pty_.IsOpen() && !pty_.Open(error))
        return false;
    for (;;) {
        for (const Output& o : firmware_.TakeDue(Now())) {
            if (o.kind == Output::Kind::Byte) {
                pending_.push_back(static_cast<char>(o.byte));
                continue;
            }
            if (!Flush(error) || !Replug(error))
                return false;
        }
        if (!Flush(error))
            return false;

        timespec wait{};
        timespec* timeout = nullptr;
        if (const Micros next = firmware_.NextOutputTime(); next != kNever) {
            const Micros d = std::max<Micros>(0, next - Now());
            wait.tv_sec = static_cast<time_t>(d / 1'000'000);
            wait.tv_nsec = static_cast<long>((d % 1'000'000) * 1000);
            timeout = &wait;
        }
        std::array<pollfd, 2> fds{
            {{pty_.Master(), static_cast<short>(POLLIN | (pending_.empty() ? 0 : POLLOUT)), 0},
             {stopFd, POLLIN, 0}}};
        const int n = ::ppoll(fds.data(), fds.size(), timeout, nullptr);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            error = std::string("poll: ") + std::strerror(errno);
            return false;
        }
        if (fds[1].revents != 0)
            return true;
        if ((fds[0].revents & POLLIN) != 0 && !ReadFromPc(error))
            return false;
        if ((fds[0].revents & (POLLIN | POLLOUT)) == 0 && (fds[0].revents & (POLLHUP | POLLERR)) != 0) {
            // We hold the slave open, so this should not happen; if it does, do not spin on it.
            const timespec pause{0, 10'000'000};
            ::nanosleep(&pause, nullptr);
        }
    }
}

}  // namespace kvqor::sim
