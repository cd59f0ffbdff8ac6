#pragma once
// kvqor-cli run in-process against simulated programmers on virtual clocks: each port is a
// sim::Bench of its own, driven on a thread of its own as the program drives its ports, and a
// scripted operator answers the console's prompts and questions. A 15-second time-out costs
// microseconds, so whole runs of the program are cheap tests.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "cli/Cli.h"
#include "cli/ConsoleHost.h"
#include "sim/Bench.h"

namespace kvqor::cli {

// The VirtualHost of a bench, plus tasks posted from other threads, run at the next wait.
class InboxHost : public Host {
public:
    explicit InboxHost(sim::VirtualHost& inner) : inner_(inner) {}

    Millis Now() override { return inner_.Now(); }
    void PumpEvents(Millis wakeAt) override {
        if (RunPosted())
            return;
        inner_.PumpEvents(wakeAt);
    }
    void Pause(Millis ms) override { inner_.Pause(ms); }

    void Post(std::function<void()> task) {
        std::lock_guard lock(mutex_);
        inbox_.push_back(std::move(task));
    }

private:
    bool RunPosted() {
        std::deque<std::function<void()>> tasks;
        {
            std::lock_guard lock(mutex_);
            tasks.swap(inbox_);
        }
        for (auto& task : tasks)
            task();
        return !tasks.empty();
    }

    sim::VirtualHost& inner_;
    std::mutex mutex_;
    std::deque<std::function<void()>> inbox_;
};

class VirtualBackend : public PortBackend {
public:
    VirtualBackend(Console& console, std::size_t index, sim::Bench& bench, bool openFails)
        : host_(console, index, bench.host), bench_(bench), openFails_(openFails) {}

    Host& GetHost() override { return host_; }
    Wire* GetWire() override { return openFails_ ? nullptr : &bench_.wire; }
    std::string OpenError() const override { return "No such file or directory"; }
    void Post(std::function<void()> task) override { host_.Post(std::move(task)); }

private:
    ConsoleHost<InboxHost> host_;
    sim::Bench& bench_;
    bool openFails_;
};

// What the scripted operator does when the console waits for a line.
struct OperatorStep {
    enum class Kind { Line, CtrlC } kind = Kind::Line;
    std::string text;
};
inline OperatorStep Types(std::string text) {
    return {OperatorStep::Kind::Line, std::move(text)};
}
inline OperatorStep PressesCtrlC() {
    return {OperatorStep::Kind::CtrlC, {}};
}

// One simulated programmer, by the port name the command line gives it.
struct VirtualPort {
    sim::FirmwareSettings settings;
    bool openFails = false;
    // Runs on the port's thread before its job: chip contents, faults, clock events (a Ctrl-C at a
    // given moment: bench.clock.At(ms, [&console] { console.Interrupt(); })).
    std::function<void(sim::Bench&, Console&)> prepare;
};

class VirtualEnvironment : public CliEnvironment {
public:
    std::ostringstream out;
    std::ostringstream err;
    bool outIsTerminal = false;
    bool inIsTerminal = false;
    std::map<std::string, VirtualPort> ports;  // unnamed ports get a programmer with no faults
    std::vector<OperatorStep> operatorSteps;   // then the input ends

    // After a run: the benches, in command-line order, and how many ports were started at all.
    std::vector<std::unique_ptr<sim::Bench>> benches;
    std::size_t portsStarted = 0;
    std::vector<std::string> escaped;  // exceptions that left a port's job (a hang, a bug)

    std::ostream& Out() override { return out; }
    std::ostream& Err() override { return err; }
    bool OutIsTerminal() const override { return outIsTerminal; }
    bool InIsTerminal() const override { return inIsTerminal; }
    bool IsSimulatorPort(std::string_view port) const override { return port == "sim"; }

    void RunPorts(const std::vector<std::string>& names, Console& console, bool,
                  const std::function<void(std::size_t, PortBackend&)>& body) override {
        portsStarted = names.size();
        benches.clear();
        std::vector<VirtualPort> configs;
        for (const std::string& name : names) {
            configs.push_back(ports.count(name) ? ports.at(name) : VirtualPort{});
            benches.push_back(std::make_unique<sim::Bench>(configs.back().settings));
        }
        std::atomic<std::size_t> done{0};
        std::mutex escapedMutex;
        std::vector<std::thread> threads;
        for (std::size_t i = 0; i < names.size(); ++i) {
            threads.emplace_back([&, i] {
                VirtualBackend backend(console, i, *benches[i], configs[i].openFails);
                if (configs[i].prepare)
                    configs[i].prepare(*benches[i], console);
                try {
                    body(i, backend);
                } catch (const std::exception& e) {
                    std::lock_guard lock(escapedMutex);
                    escaped.emplace_back(e.what());
                    console.Detach(i);
                }
                ++done;
            });
        }
        // The operator answers each prompt and question with the next step; after the last one,
        // the input ends (Ctrl-D).
        std::size_t next = 0;
        bool closed = false;
        while (done.load() < names.size()) {
            if (console.WaitsForInput()) {
                if (next < operatorSteps.size()) {
                    const OperatorStep& step = operatorSteps[next++];
                    if (step.kind == OperatorStep::Kind::CtrlC) {
                        console.Interrupt();
                    } else {
                        console.Input(step.text);
                    }
                } else if (!closed) {
                    console.InputClosed();
                    closed = true;
                }
            }
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
        for (std::thread& t : threads)
            t.join();
    }
};

struct CliRun {
    int status = -1;
    std::string out;
    std::string err;
};

class CliFixture : public ::testing::Test {
protected:
    CliRun Run(const std::vector<std::string>& args) {
        const int status = RunCli(args, env);
        EXPECT_TRUE(env.escaped.empty()) << env.escaped.front();
        return {status, env.out.str(), env.err.str()};
    }
    sim::Bench& BenchOf(std::size_t port) { return *env.benches.at(port); }

    VirtualEnvironment env;
};

}  // namespace kvqor::cli
