// kvqor-bench-link: the serial link over the QSerialPort wire and a real pseudo-terminal.
//   1. CPU time used by a 3-second wait for a byte that never comes (goal: under 1 % of a core).
//   2. Round-trip time of one byte: the link sends it, the far end echoes it, the link reads it.
//   3. Characters a second the link sends, unpaced (goal: at least 200,000).
// Usage: kvqor-bench-link [--quick]

#include <poll.h>
#include <time.h>
#include <unistd.h>

#include <QCoreApplication>
#include <algorithm>
#include <array>
#include <atomic>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "link/Link.h"
#include "sim/Pty.h"
#include "wire/QtEventHost.h"
#include "wire/SerialWire.h"

namespace {

using namespace kvqor;

class BenchHost : public QtEventHost {
public:
    bool Confirm(std::string_view) override { return false; }
    void Message(MessageKind, std::string_view text) override {
        std::fprintf(stderr, "box: %.*s\n", int(text.size()), text.data());
    }
    void ShowStatus(std::string_view) override {}
};

double Seconds(clockid_t clock) {
    timespec ts{};
    clock_gettime(clock, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

// The far end of the pseudo-terminal on a thread of its own: echoes what it reads, or only counts it.
class FarEnd {
public:
    FarEnd(int master, bool echo) : master_(master), echo_(echo) {
        if (::pipe(stop_) != 0)
            std::perror("pipe");
        thread_ = std::thread([this] { Run(); });
    }
    ~FarEnd() {
        const char b = 0;
        [[maybe_unused]] const auto n = ::write(stop_[1], &b, 1);
        thread_.join();
        ::close(stop_[0]);
        ::close(stop_[1]);
    }
    long Received() const { return received_.load(); }

private:
    void Run() {
        std::array<char, 65536> buf{};
        for (;;) {
            std::array<pollfd, 2> fds{{{master_, POLLIN, 0}, {stop_[0], POLLIN, 0}}};
            if (::poll(fds.data(), fds.size(), -1) < 0)
                continue;
            if (fds[1].revents != 0)
                return;
            const ssize_t n = ::read(master_, buf.data(), buf.size());
            if (n <= 0)
                continue;
            received_ += n;
            if (echo_) {
                for (ssize_t done = 0; done < n;) {
                    const ssize_t w = ::write(master_, buf.data() + done, static_cast<std::size_t>(n - done));
                    if (w > 0)
                        done += w;
                }
            }
        }
    }

    int master_;
    bool echo_;
    int stop_[2] = {-1, -1};
    std::atomic<long> received_{0};
    std::thread thread_;
};

struct Line {
    sim::Pty pty;
    SerialWire wire;
    BenchHost host;
    RunFlags flags;
    Link link{host, flags};

    bool Open() {
        std::string error;
        if (!pty.Open(error)) {
            std::fprintf(stderr, "no pseudo-terminal: %s\n", error.c_str());
            return false;
        }
        if (!wire.Open(pty.SlavePath())) {
            std::fprintf(stderr, "cannot open %s: %s\n", pty.SlavePath().c_str(), wire.ErrorText().c_str());
            return false;
        }
        link.SetWire(&wire);
        return true;
    }
};

void IdleWait(Millis waitMs) {
    Line line;
    if (!line.Open())
        return;
    const double wall0 = Seconds(CLOCK_MONOTONIC);
    const double cpu0 = Seconds(CLOCK_PROCESS_CPUTIME_ID);
    std::uint8_t b = 0;
    const bool got = line.link.ReadByte(b, waitMs);
    const double cpu = Seconds(CLOCK_PROCESS_CPUTIME_ID) - cpu0;
    const double wall = Seconds(CLOCK_MONOTONIC) - wall0;
    std::printf(
        "idle wait:   %.3f s waited for a byte that never came (%s), CPU %.2f ms = %.3f %% of one core"
        " (goal < 1 %%)\n",
        wall, got ? "a byte came!" : "time-out", cpu * 1e3, 100.0 * cpu / wall);
}

void RoundTrip(int count) {
    Line line;
    if (!line.Open())
        return;
    FarEnd echo(line.pty.Master(), true);
    std::vector<double> us;
    us.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        const double t0 = Seconds(CLOCK_MONOTONIC);
        line.link.SendByte(static_cast<char>('A' + i % 26));
        std::uint8_t b = 0;
        if (!line.link.ReadByte(b, kShortReplyMs)) {
            std::printf("round trip:  no echo after %d bytes\n", i);
            return;
        }
        us.push_back((Seconds(CLOCK_MONOTONIC) - t0) * 1e6);
    }
    std::sort(us.begin(), us.end());
    double sum = 0;
    for (double v : us)
        sum += v;
    std::printf(
        "round trip:  one byte there and back over the pty, %d times: median %.0f us, mean %.0f us,"
        " 99th percentile %.0f us\n",
        count, us[us.size() / 2], sum / static_cast<double>(us.size()), us[us.size() * 99 / 100]);
}

void Throughput(long count) {
    Line line;
    if (!line.Open())
        return;
    FarEnd drain(line.pty.Master(), false);
    const double t0 = Seconds(CLOCK_MONOTONIC);
    for (long i = 0; i < count; ++i)
        line.link.SendByte(static_cast<char>('0' + i % 10));
    const Millis giveUp = line.host.Now() + 10'000;
    while (drain.Received() < count && line.host.Now() < giveUp)
        line.host.PumpEvents(line.host.Now() + 1);
    const double s = Seconds(CLOCK_MONOTONIC) - t0;
    std::printf(
        "throughput:  %ld characters sent by the link, %ld arrived, in %.3f s: %.0f characters/s"
        " (goal >= 200000)\n",
        count, drain.Received(), s, static_cast<double>(drain.Received()) / s);
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const bool quick = argc > 1 && std::string(argv[1]) == "--quick";
    IdleWait(quick ? 1000 : 3000);
    RoundTrip(quick ? 200 : 2000);
    Throughput(quick ? 100'000 : 1'000'000);
    return 0;
}
