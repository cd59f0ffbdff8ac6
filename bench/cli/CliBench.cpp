// kvqor-bench-cli: kvqor-cli running `auto` of a full AT89C55 (20 KiB) on 1, 2, 4 and 8 simulated
// programmers at once, at 19200 baud. For each count it prints the wall time, its ratio to one
// programmer's (goal for 8: at most 1.05) and the CPU time the kvqor-cli process used, as a share
// of one core over the run (goal for 8: at most 10 %).
//
// Usage: kvqor-bench-cli [--pty] [--quick] [--counts 1,2,4,8]
//   (default)  the built-in simulated programmers (--port sim): their firmware runs inside
//              kvqor-cli, so its CPU time counts against kvqor-cli
//   --pty      one kvqor-sim process per programmer, on pseudo-terminals: kvqor-cli's CPU time
//              is its own, serial ports included
//   --quick    AT89C2051 (2 KiB) instead, for a look in a few seconds
// One full run takes about a minute per count.

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "device/IntelHex.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

struct Measure {
    int status = -1;
    double wallSeconds = 0;
    double cpuSeconds = 0;
};

pid_t Spawn(const std::vector<std::string>& args, int out) {
    std::vector<char*> argv;
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out, STDOUT_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    pid_t pid = -1;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0)
        pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

// kvqor-sim processes serving the programmers on pseudo-terminals, linked under `folder`.
class Simulators {
public:
    Simulators(const fs::path& folder, int count) {
        const int null = ::open("/dev/null", O_WRONLY);
        for (int i = 0; i < count; ++i) {
            const fs::path link = folder / ("tty" + std::to_string(i));
            fs::remove(link);
            pids_.push_back(Spawn({KVQOR_SIM, "--link", link.string()}, null));
            links_.push_back(link.string());
        }
        ::close(null);
        for (const std::string& link : links_) {
            for (int tries = 0; tries < 500 && !fs::is_symlink(link); ++tries)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
    ~Simulators() {
        for (pid_t pid : pids_) {
            ::kill(pid, SIGTERM);
            ::waitpid(pid, nullptr, 0);
        }
    }
    const std::vector<std::string>& Ports() const { return links_; }

private:
    std::vector<pid_t> pids_;
    std::vector<std::string> links_;
};

Measure RunCli(const std::vector<std::string>& ports, const std::string& part, const std::string& file) {
    std::vector<std::string> args{KVQOR_CLI};
    for (const std::string& p : ports) {
        args.push_back("--port");
        args.push_back(p);
    }
    args.insert(args.end(), {"--device", part, "auto", file});
    const int null = ::open("/dev/null", O_WRONLY);
    const auto start = Clock::now();
    const pid_t pid = Spawn(args, null);
    ::close(null);
    Measure m;
    if (pid < 0)
        return m;
    int status = 0;
    rusage usage{};
    ::wait4(pid, &status, 0, &usage);
    m.wallSeconds = std::chrono::duration<double>(Clock::now() - start).count();
    m.cpuSeconds = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                   static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
    m.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return m;
}

}  // namespace

int main(int argc, char** argv) {
    bool pty = false;
    bool quick = false;
    std::vector<int> counts{1, 2, 4, 8};
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--pty") {
            pty = true;
        } else if (arg == "--quick") {
            quick = true;
        } else if (arg == "--counts" && i + 1 < argc) {
            counts.clear();
            for (std::string list = argv[++i]; !list.empty();) {
                const auto comma = list.find(',');
                counts.push_back(std::stoi(list.substr(0, comma)));
                list = comma == std::string::npos ? "" : list.substr(comma + 1);
            }
        } else {
            std::fprintf(stderr, "usage: kvqor-bench-cli [--pty] [--quick] [--counts 1,2,4,8]\n");
            return 2;
        }
    }

    // A firmware that fills the part: every block carries data, as in production.
    const std::string part = quick ? "AT89C2051" : "AT89C55";
    const std::uint16_t end = quick ? 0x07FF : 0x4FFF;
    const fs::path folder = fs::temp_directory_path() / ("kvqor-bench-cli-" + std::to_string(::getpid()));
    fs::create_directories(folder);
    kvqor::HexImage image;
    image.fill(0xFF);
    for (std::size_t a = 0; a <= end; ++a)
        image[a] = static_cast<std::uint8_t>((a * 31) ^ (a >> 7));
    const std::string file = (folder / "firmware.hex").string();
    std::ofstream(file, std::ios::binary) << kvqor::IntelHexText(image, end);

    std::printf("kvqor-cli auto of %s at 19200 baud, %s\n", part.c_str(),
                pty ? "kvqor-sim on pseudo-terminals" : "built-in simulated programmers (--port sim)");
    std::printf("%8s %10s %8s %9s %12s %8s\n", "ports", "wall s", "ratio", "cpu s", "cpu % core", "status");
    double oneWall = 0;
    int worst = 0;
    for (int n : counts) {
        Measure m;
        if (pty) {
            Simulators sims(folder, n);
            m = RunCli(sims.Ports(), part, file);
        } else {
            m = RunCli(std::vector<std::string>(static_cast<std::size_t>(n), "sim"), part, file);
        }
        if (oneWall == 0)
            oneWall = m.wallSeconds;
        std::printf("%8d %10.2f %8.3f %9.2f %11.2f%% %8d\n", n, m.wallSeconds, m.wallSeconds / oneWall,
                    m.cpuSeconds, 100.0 * m.cpuSeconds / m.wallSeconds, m.status);
        std::fflush(stdout);
        if (m.status != 0)
            worst = 1;
    }
    fs::remove_all(folder);
    return worst;
}
