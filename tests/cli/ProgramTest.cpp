// The real kvqor-cli program against kvqor-sim over pseudo-terminals, in real time: the serial
// port, the threads, the signals and the terminal as a user meets them. Kept few and short: small
// parts, and an unpaced simulator where the timing does not matter.

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "tests/cli/CliTestSupport.h"

namespace kvqor::cli {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using namespace test;

std::vector<char*> Argv(const std::string& program, std::vector<std::string>& args) {
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    return argv;
}

// A simulated programmer served by kvqor-sim on a pseudo-terminal, reached through a symlink.
class SimProcess {
public:
    explicit SimProcess(std::vector<std::string> options) {
        static int counter = 0;
        link_ = fs::path(::testing::TempDir()) /
                ("kvqor-cli-tty-" + std::to_string(::getpid()) + "-" + std::to_string(++counter));
        fs::remove(link_);
        options.insert(options.begin(), {"--link", link_.string()});
        const std::string program = KVQOR_SIM;
        std::vector<char*> argv = Argv(program, options);
        pid_ = ::fork();
        if (pid_ == 0) {
            const int null = ::open("/dev/null", O_RDWR);
            ::dup2(null, STDOUT_FILENO);
            ::execv(program.c_str(), argv.data());
            ::_exit(127);
        }
        const auto until = Clock::now() + std::chrono::seconds(5);
        while (!fs::is_symlink(link_) && Clock::now() < until)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    ~SimProcess() {
        ::kill(pid_, SIGTERM);
        ::waitpid(pid_, nullptr, 0);
    }
    std::string Port() const { return link_.string(); }

private:
    fs::path link_;
    pid_t pid_ = -1;
};

struct ProgramRun {
    int status = -1;
    std::string out;
    std::string err;
};

// Runs kvqor-cli with `input` on its standard input (a pipe, so not a terminal). `whileRunning`
// is called with the process id and the output so far, every few milliseconds.
ProgramRun RunProgram(std::vector<std::string> args, const std::string& input = {},
                      const std::function<void(pid_t, const std::string&)>& whileRunning = {}) {
    int in[2], out[2], err[2];
    EXPECT_EQ(::pipe(in), 0);
    EXPECT_EQ(::pipe(out), 0);
    EXPECT_EQ(::pipe(err), 0);
    const std::string program = KVQOR_CLI;
    std::vector<char*> argv = Argv(program, args);
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(in[0], STDIN_FILENO);
        ::dup2(out[1], STDOUT_FILENO);
        ::dup2(err[1], STDERR_FILENO);
        for (int fd : {in[0], in[1], out[0], out[1], err[0], err[1]})
            ::close(fd);
        ::execv(program.c_str(), argv.data());
        ::_exit(127);
    }
    ::close(in[0]);
    ::close(out[1]);
    ::close(err[1]);
    if (!input.empty()) {
        EXPECT_EQ(::write(in[1], input.data(), input.size()), static_cast<ssize_t>(input.size()));
    }
    ::close(in[1]);

    ProgramRun run;
    const auto until = Clock::now() + std::chrono::seconds(60);
    pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
    int open = 2;
    while (open > 0 && Clock::now() < until) {
        ::poll(fds, 2, 5);
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0)
                continue;
            char buffer[4096];
            const ssize_t n = ::read(fds[i].fd, buffer, sizeof buffer);
            if (n <= 0) {
                ::close(fds[i].fd);
                fds[i].fd = -1;
                --open;
            } else {
                (i == 0 ? run.out : run.err).append(buffer, static_cast<std::size_t>(n));
            }
        }
        if (whileRunning)
            whileRunning(pid, run.out + run.err);
    }
    if (open > 0)
        ::kill(pid, SIGKILL);
    int status = 0;
    ::waitpid(pid, &status, 0);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    for (const pollfd& f : fds) {
        if (f.fd >= 0)
            ::close(f.fd);
    }
    return run;
}

const std::string kAutoPassed =
    "Erase.........Pass\nBlank.........Pass\nProgram.......Pass\nVerify........Pass\nLock..........Pass\n"
    "Auto Program..Pass\n" +
    Counters(1, 0);

TEST(Program, IdentifiesOverAPseudoTerminal) {
    SimProcess sim({"--unpaced"});
    const ProgramRun run = RunProgram({"-p", sim.Port(), "identify"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "SM/03/0101\n");
}

TEST(Program, AutoProgramsAChip) {
    SimProcess sim({"--unpaced", "--part", "AT89C1051"});
    const ProgramRun run = RunProgram({"-p", sim.Port(), "-d", "AT89C1051", "auto", kExample});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, kAutoPassed);
    EXPECT_EQ(run.err, "");
}

TEST(Program, RepeatIsDrivenThroughStandardInput) {
    SimProcess sim({"--unpaced"});
    const ProgramRun run = RunProgram({"-p", sim.Port(), "-d", "AT89C1051", "--repeat", "erase"}, "\n\nq\n");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "Erase.........Pass\n" + Counters(1, 0) + "Erase.........Pass\n" + Counters(2, 0) +
                           "Erase.........Pass\n" + Counters(3, 0));
}

TEST(Program, CtrlCWithoutATerminalStopsThePass) {
    // The blank check's reply comes 5 s after its command. Ctrl-C comes once the trace, which is
    // never more than a tenth of a second behind the line, shows the command ("0A03FF01").
    SimProcess sim({"--unpaced", "--fault", "delay,at=blank,ms=5000"});
    const std::string trace = (TestFolder() / "line.trace").string();
    bool sent = false;
    const auto start = Clock::now();
    const ProgramRun run = RunProgram({"-p", sim.Port(), "-d", "AT89C1051", "--trace", trace, "blank"}, {},
                                      [&](pid_t pid, const std::string&) {
                                          if (!sent && ReadText(trace).find("'A'") != std::string::npos) {
                                              ::kill(pid, SIGINT);
                                              sent = true;
                                          }
                                      });
    EXPECT_TRUE(sent);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "Blank.....Time-Out\nCommand......Abort\n" + Counters(0, 1));
    EXPECT_EQ(run.err, "Do you want to Stop Command..? Yes\n");
    EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(4500));  // not the 5 s the reply takes
}

TEST(Program, FourProgrammersOneFailingTheOthersPass) {
    SimProcess a({"--unpaced"}), b({"--unpaced"}), d({"--unpaced"});
    SimProcess c({"--unpaced", "--fault", "nak,at=program,reply=2,text=0080"});
    const ProgramRun run = RunProgram({"-p", a.Port(), "-p", b.Port(), "-p", c.Port(), "-p", d.Port(), "-d",
                                       "AT89C1051", "program", kExample});
    EXPECT_EQ(run.status, 1) << run.err;
    auto tagged = [](const SimProcess& s, const std::string& text) {
        std::string out;
        for (std::size_t start = 0, end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
            out += s.Port() + ": " + text.substr(start, end - start + 1);
        return out;
    };
    const std::string passed = "Program.......Pass\n" + Counters(1, 0);
    EXPECT_EQ(run.out, tagged(a, passed) + tagged(b, passed) +
                           tagged(c, "Program..Fail:0080\nCommand......Abort\n" + Counters(0, 1)) +
                           tagged(d, passed));
}

TEST(Program, PortThatCannotBeOpened) {
    const ProgramRun run = RunProgram({"-p", "/nonexistent/ttyQOR", "identify"});
    EXPECT_EQ(run.status, 3);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err.rfind("kvqor-cli: /nonexistent/ttyQOR: cannot open /nonexistent/ttyQOR: ", 0), 0u)
        << run.err;
}

TEST(Program, UsageErrorsAndHelp) {
    EXPECT_EQ(RunProgram({"flash"}).status, 2);
    const ProgramRun help = RunProgram({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.rfind("Usage: kvqor-cli [options] COMMAND [FILE]\n", 0), 0u);
    EXPECT_EQ(RunProgram({"--version"}).out, "kvqor-cli " KVQOR_VERSION "\n");
}

// On a terminal: the bar follows the transfer, and Ctrl-C asks the stop question and waits for
// the answer typed.
TEST(Program, OnATerminalTheBarFollowsAndTheQuestionWaits) {
    SimProcess sim({"--part", "AT89C1051", "--fault", "delay,at=lock,ms=4000"});
    int master = -1;
    const std::string program = KVQOR_CLI;
    std::vector<std::string> args{"-p", sim.Port(), "-d", "AT89C1051", "auto", kExample};
    std::vector<char*> argv = Argv(program, args);
    winsize size{};
    size.ws_col = 100;
    size.ws_row = 24;
    const pid_t pid = ::forkpty(&master, nullptr, nullptr, &size);
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        ::execv(program.c_str(), argv.data());
        ::_exit(127);
    }
    std::string screen;
    bool interrupted = false, answered = false;
    const auto until = Clock::now() + std::chrono::seconds(30);
    while (Clock::now() < until) {
        pollfd fd{master, POLLIN, 0};
        if (::poll(&fd, 1, 10) > 0) {
            char buffer[4096];
            const ssize_t n = ::read(master, buffer, sizeof buffer);
            if (n <= 0)
                break;  // the program has ended and closed the terminal
            screen.append(buffer, static_cast<std::size_t>(n));
        }
        if (!interrupted && screen.find("Lock......") != std::string::npos) {
            ::kill(pid, SIGINT);
            interrupted = true;
        }
        if (interrupted && !answered && screen.find("[Y/n] ") != std::string::npos) {
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
            EXPECT_EQ(::waitpid(pid, nullptr, WNOHANG), 0);  // still waiting for the answer
            ASSERT_EQ(::write(master, "y\n", 2), 2);
            answered = true;
        }
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    ::close(master);
    EXPECT_TRUE(answered) << screen;
    EXPECT_EQ(WEXITSTATUS(status), 1);
    EXPECT_NE(screen.find("\rProgram......."), std::string::npos);
    EXPECT_NE(screen.find("%\x1b[K"), std::string::npos);
    EXPECT_NE(screen.find("Lock......Time-Out\r\nCommand......Abort\r\n"), std::string::npos) << screen;
}

}  // namespace
}  // namespace kvqor::cli
