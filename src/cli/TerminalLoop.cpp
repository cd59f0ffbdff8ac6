#include "cli/TerminalLoop.h"

#include <poll.h>
#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <cerrno>
#include <string>

namespace kvqor::cli {

namespace {

constexpr int kTickMs = 100;

// Hands complete lines to the console; at the end of input the unfinished one too.
class LineSplitter {
public:
    explicit LineSplitter(Console& console) : console_(console) {}

    void Feed(const char* data, std::size_t size) {
        for (std::size_t i = 0; i < size; ++i) {
            if (data[i] == '\n') {
                console_.Input(std::move(pending_));
                pending_.clear();
            } else {
                pending_ += data[i];
            }
        }
    }
    void Close() {
        if (!pending_.empty())
            console_.Input(std::move(pending_));
        console_.InputClosed();
    }

private:
    Console& console_;
    std::string pending_;
};

}  // namespace

int TakeStopSignals() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGHUP);
    if (pthread_sigmask(SIG_BLOCK, &set, nullptr) != 0)
        return -1;
    return signalfd(-1, &set, SFD_CLOEXEC | SFD_NONBLOCK);
}

void RunTerminalLoop(Console& console, const TerminalLoopSettings& settings,
                     const std::function<bool()>& finished) {
    LineSplitter lines(console);
    int inputFd = settings.inputFd;
    while (!finished()) {
        pollfd fds[3] = {{settings.wakeFd, POLLIN, 0}, {settings.signalFd, POLLIN, 0}, {inputFd, POLLIN, 0}};
        const int n = ::poll(fds, 3, settings.tick ? kTickMs : -1);
        if (n < 0 && errno != EINTR)
            break;
        if (fds[0].revents != 0) {
            char drain[64];
            [[maybe_unused]] const ssize_t got = ::read(settings.wakeFd, drain, sizeof drain);
        }
        if (fds[1].revents != 0) {
            signalfd_siginfo info{};
            while (::read(settings.signalFd, &info, sizeof info) == static_cast<ssize_t>(sizeof info)) {
                if (info.ssi_signo == SIGINT) {
                    console.Interrupt();
                } else {
                    console.Terminate();
                }
            }
        }
        if (inputFd >= 0 && fds[2].revents != 0) {
            char buffer[4096];
            const ssize_t got = ::read(inputFd, buffer, sizeof buffer);
            if (got > 0) {
                lines.Feed(buffer, static_cast<std::size_t>(got));
            } else if (got == 0 || (errno != EINTR && errno != EAGAIN)) {
                lines.Close();
                inputFd = -1;  // poll ignores a negative descriptor
            }
        }
        if (settings.tick)
            console.Tick();
    }
}

}  // namespace kvqor::cli
