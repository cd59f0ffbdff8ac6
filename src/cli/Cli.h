#pragma once
// kvqor-cli as a function: arguments in, exit status out, with the terminal, the ports and their
// threads supplied by a CliEnvironment. The program supplies Qt threads, serial ports and the
// built-in simulated programmer; tests supply simulated programmers on virtual clocks.

#include <cstddef>
#include <functional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "cli/Console.h"
#include "cli/PortBackend.h"

namespace kvqor::cli {

class CliEnvironment {
public:
    virtual ~CliEnvironment() = default;

    virtual std::ostream& Out() = 0;
    virtual std::ostream& Err() = 0;
    virtual bool OutIsTerminal() const = 0;
    virtual bool InIsTerminal() const = 0;
    virtual int TerminalWidth() const { return 80; }

    // Ports that open a simulated programmer of their own each time they are named ("sim").
    virtual bool IsSimulatorPort(std::string_view port) const = 0;

    // Runs body(i, backend) for every port at once, each on a thread of its own with a host and a
    // line made on that thread, while the calling thread feeds `console` from the terminal
    // (standard input when `readInput`, Ctrl-C, the progress bar). Returns when every body has.
    virtual void RunPorts(const std::vector<std::string>& ports, Console& console, bool readInput,
                          const std::function<void(std::size_t, PortBackend&)>& body) = 0;
};

// The version --version prints.
std::string_view CliVersion();

int RunCli(const std::vector<std::string>& args, CliEnvironment& env);

}  // namespace kvqor::cli
