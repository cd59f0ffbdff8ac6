// kvqor-cli: the command line of the KV-QOR programmer. The logic is in the kvqor_cli library;
// this adds what needs Qt: a thread with its own event loop per port, the serial port or the
// built-in simulated programmer opened on that thread (Qt objects belong to the thread that made
// them), and the terminal watched by the main thread.

#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QObject>
#include <QThread>
#include <atomic>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "cli/Cli.h"
#include "cli/ConsoleHost.h"
#include "cli/TerminalLoop.h"
#include "wire/OpenPort.h"
#include "wire/QtEventHost.h"
#include "wire/SimWire.h"

namespace {

using namespace kvqor;
using namespace kvqor::cli;

class QtPortBackend : public PortBackend {
public:
    QtPortBackend(Console& console, std::size_t index, const std::string& port) : host_(console, index) {
        OpenedPort opened = OpenPort(port);
        wire_ = std::move(opened.wire);
        error_ = std::move(opened.error);
    }

    Host& GetHost() override { return host_; }
    Wire* GetWire() override { return wire_.get(); }
    std::string OpenError() const override { return error_; }
    void Post(std::function<void()> task) override {
        QMetaObject::invokeMethod(&context_, std::move(task), Qt::QueuedConnection);
    }

private:
    ConsoleHost<QtEventHost> host_;
    QObject context_;  // lives on the port's thread: posted tasks run in its event loop
    std::unique_ptr<Wire> wire_;
    std::string error_;
};

class ProgramEnvironment : public CliEnvironment {
public:
    explicit ProgramEnvironment(int signalFd) : signalFd_(signalFd) {}

    std::ostream& Out() override { return std::cout; }
    std::ostream& Err() override { return std::cerr; }
    bool OutIsTerminal() const override { return ::isatty(STDOUT_FILENO) == 1; }
    bool InIsTerminal() const override { return ::isatty(STDIN_FILENO) == 1; }
    int TerminalWidth() const override {
        winsize size{};
        if (::ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0)
            return size.ws_col;
        return 80;
    }
    bool IsSimulatorPort(std::string_view port) const override { return IsSimPort(port); }

    void RunPorts(const std::vector<std::string>& ports, Console& console, bool readInput,
                  const std::function<void(std::size_t, PortBackend&)>& body) override {
        int wake[2] = {-1, -1};
        if (::pipe2(wake, O_CLOEXEC | O_NONBLOCK) != 0) {
            std::cerr << "kvqor-cli: cannot make a pipe\n";
            return;
        }
        std::atomic<std::size_t> finished{0};
        std::vector<QThread*> threads;
        for (std::size_t i = 0; i < ports.size(); ++i) {
            threads.push_back(QThread::create([&, i] {
                {
                    QtPortBackend backend(console, i, ports[i]);
                    body(i, backend);
                }
                ++finished;
                const char b = 0;
                [[maybe_unused]] const ssize_t n = ::write(wake[1], &b, 1);
            }));
            threads.back()->start();
        }
        TerminalLoopSettings settings;
        settings.inputFd = readInput ? STDIN_FILENO : -1;
        settings.signalFd = signalFd_;
        settings.wakeFd = wake[0];
        settings.tick = console.NeedsTicks();
        RunTerminalLoop(console, settings, [&] { return finished.load() == ports.size(); });
        for (QThread* t : threads) {
            t->wait();
            delete t;
        }
        ::close(wake[0]);
        ::close(wake[1]);
    }

private:
    int signalFd_;
};

}  // namespace

int main(int argc, char** argv) {
    // Before any thread exists, so that every thread leaves these signals to the terminal loop.
    const int signalFd = TakeStopSignals();
    const std::vector<std::string> args(argv + 1, argv + argc);
    QCoreApplication app(argc, argv);
    ProgramEnvironment env(signalFd);
    return RunCli(args, env);
}
