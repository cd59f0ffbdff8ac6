#include "cli/CliOptions.h"

#include <array>
#include <utility>

namespace kvqor::cli {

namespace {

constexpr std::array<std::pair<Command, std::string_view>, 14> kCommandNames{{
    {Command::Devices, "devices"},
    {Command::Identify, "identify"},
    {Command::Erase, "erase"},
    {Command::Blank, "blank"},
    {Command::Program, "program"},
    {Command::Verify, "verify"},
    {Command::Read, "read"},
    {Command::Lock1, "lock1"},
    {Command::Lock2, "lock2"},
    {Command::Lock3, "lock3"},
    {Command::Auto, "auto"},
    {Command::FuseRead, "fuse-read"},
    {Command::FuseWrite, "fuse-write"},
    {Command::Dump, "dump"},
}};

constexpr std::string_view kUsage =
    R"(Usage: kvqor-cli [options] COMMAND [FILE]

Drives a KV-QOR programmer for AT89C, AT89S and AT90S microcontrollers on a serial line.

Commands:
  devices              list the 14 parts, one a line
  identify             print the programmer's code (xx/yy/zzzz)
  erase                erase the chip
  blank                check that the chip is blank
  program FILE         program the chip from an Intel HEX file
  verify FILE          compare the chip with an Intel HEX file
  read [FILE]          read the chip; with FILE, save the part's range as Intel HEX
  lock1, lock2, lock3  program lock bit 1, bits 1-2 or bits 1-3
  auto FILE            erase, blank check, program, verify and lock in one pass
  fuse-read            show the fuse and lock bits (AT89S and AT90S parts)
  fuse-write           write the fuse bits given by --fuse1 and --fuse2, read them back
  dump FILE            show FILE as the buffer viewer's rows (up to the part's end with -d)

Options:
  -p, --port PORT      Com1..Com4, a system port name (ttyUSB0) or a path, or sim for
                       the built-in simulated programmer; give several to run the same
                       job on several programmers at once
  -d, --device NAME    the part, e.g. AT89C51 (see 'kvqor-cli devices')
      --repeat         production mode: after each pass, Enter runs the next device
                       and q exits (a failed pass is reported and Enter starts again)
      --json           print the result as JSON
      --log FILE       append one CSV row per pass to FILE
      --trace FILE     write every byte sent and received, with its time, to FILE
      --fuse1 enable|disable
                       fuse 1 (RCEN or FSTRT) for fuse-write on the AT90S parts
      --fuse2 enable|disable
                       SPIEN for fuse-write
      --force          let 'read FILE' replace an existing file
  -h, --help           show this text
  -V, --version        show the version

Without --repeat one pass runs: Run is pressed once, then Exit. Ctrl-C during a pass is
Stop: the question "Do you want to Stop Command..?" is asked on the terminal; a second
Ctrl-C, or a standard input that is not a terminal, answers Yes.

The result lines are printed as the window shows them, one a line, then the counters.
On a terminal a progress bar follows the transfer.

Exit status:
  0  every pass passed
  1  a pass failed or was stopped
  2  usage or input error; nothing was sent to a programmer
  3  a port could not be opened or the programmer was not found
With several ports the exit status is the worst of them.
)";

std::optional<FuseChoice> ParseFuseChoice(std::string_view text) {
    if (text == "enable")
        return FuseChoice::Enable;
    if (text == "disable")
        return FuseChoice::Disable;
    return std::nullopt;
}

}  // namespace

std::string_view CommandName(Command command) {
    for (const auto& [c, name] : kCommandNames) {
        if (c == command)
            return name;
    }
    return {};
}

std::optional<Command> CommandFromName(std::string_view name) {
    for (const auto& [c, n] : kCommandNames) {
        if (n == name)
            return c;
    }
    return std::nullopt;
}

std::optional<Operation> OperationOf(Command command) {
    switch (command) {
        case Command::Erase:
            return Operation::Erase;
        case Command::Blank:
            return Operation::Blank;
        case Command::Program:
            return Operation::Program;
        case Command::Verify:
            return Operation::Verify;
        case Command::Read:
            return Operation::Read;
        case Command::Lock1:
            return Operation::Lock1;
        case Command::Lock2:
            return Operation::Lock2;
        case Command::Lock3:
            return Operation::Lock3;
        case Command::Auto:
            return Operation::Auto;
        default:
            return std::nullopt;
    }
}

bool NeedsPort(Command command) {
    return command != Command::Devices && command != Command::Dump;
}

bool NeedsDevice(Command command) {
    return OperationOf(command).has_value() || IsFuseCommand(command);
}

bool NeedsFile(Command command) {
    return command == Command::Program || command == Command::Verify || command == Command::Auto ||
           command == Command::Dump;
}

bool TakesFile(Command command) {
    return NeedsFile(command) || command == Command::Read;
}

bool IsFuseCommand(Command command) {
    return command == Command::FuseRead || command == Command::FuseWrite;
}

std::string UsageText() {
    return std::string(kUsage);
}

ParseResult ParseCommandLine(const std::vector<std::string>& args) {
    CliOptions o;
    std::vector<std::string> words;
    auto fail = [](std::string why) { return ParseResult{std::nullopt, std::move(why)}; };

    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.empty() || arg[0] != '-' || arg == "-") {
            words.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        // "--name=value" carries its value; otherwise a valued option takes the next argument.
        std::string name = arg;
        std::optional<std::string> inlineValue;
        if (const auto eq = arg.find('='); arg.rfind("--", 0) == 0 && eq != std::string::npos) {
            name = arg.substr(0, eq);
            inlineValue = arg.substr(eq + 1);
        }
        auto flag = [&](bool& target) -> std::optional<std::string> {
            if (inlineValue)
                return "option " + name + " takes no value";
            target = true;
            return std::nullopt;
        };
        std::optional<std::string> problem;
        if (name == "-h" || name == "--help") {
            problem = flag(o.help);
        } else if (name == "-V" || name == "--version") {
            problem = flag(o.version);
        } else if (name == "--repeat") {
            problem = flag(o.repeat);
        } else if (name == "--json") {
            problem = flag(o.json);
        } else if (name == "--force") {
            problem = flag(o.force);
        } else if (name == "-p" || name == "--port" || name == "-d" || name == "--device" ||
                   name == "--log" || name == "--trace" || name == "--fuse1" || name == "--fuse2") {
            std::string value;
            if (inlineValue) {
                value = *inlineValue;
            } else if (i + 1 < args.size()) {
                value = args[++i];
            } else {
                return fail("option " + name + " needs a value");
            }
            if (value.empty())
                return fail("option " + name + " needs a value");
            if (name == "-p" || name == "--port") {
                o.ports.push_back(value);
            } else if (name == "-d" || name == "--device") {
                if (!o.device.empty() && o.device != value)
                    return fail("only one part can be chosen, not both " + o.device + " and " + value);
                o.device = value;
            } else if (name == "--log") {
                o.logPath = value;
            } else if (name == "--trace") {
                o.tracePath = value;
            } else {
                const auto choice = ParseFuseChoice(value);
                if (!choice)
                    return fail("option " + name + " takes enable or disable, not '" + value + "'");
                (name == "--fuse1" ? o.fuse1 : o.fuse2) = choice;
            }
        } else {
            return fail("unknown option " + name);
        }
        if (problem)
            return fail(*problem);
    }

    if (o.help || o.version)
        return {o, {}};
    if (words.empty())
        return fail("no command given");
    const auto command = CommandFromName(words[0]);
    if (!command)
        return fail("unknown command '" + words[0] + "'");
    o.command = *command;
    const std::string_view commandName = CommandName(o.command);
    if (words.size() > 2 || (words.size() == 2 && !TakesFile(o.command))) {
        return fail(std::string(commandName) + " takes " + (TakesFile(o.command) ? "one file" : "no file") +
                    ": '" + words.back() + "' is one word too many");
    }
    if (words.size() == 2)
        o.file = words[1];
    if (NeedsFile(o.command) && o.file.empty())
        return fail(std::string(commandName) + " needs a FILE");
    if (NeedsPort(o.command) && o.ports.empty())
        return fail(std::string(commandName) + " needs a port (-p PORT; sim for the simulated programmer)");
    if (!NeedsPort(o.command) && !o.ports.empty())
        return fail(std::string(commandName) + " uses no port");
    if (NeedsDevice(o.command) && o.device.empty())
        return fail(std::string(commandName) + " needs a part (-d NAME; 'kvqor-cli devices' lists them)");

    // Options that would be silently ignored are refused, so a script never believes they acted.
    if (o.repeat && !OperationOf(o.command))
        return fail("--repeat is for the device operations (erase ... auto), not " +
                    std::string(commandName));
    if ((o.fuse1 || o.fuse2) && o.command != Command::FuseWrite)
        return fail("--fuse1 and --fuse2 are for fuse-write only");
    if (o.force && o.command != Command::Read)
        return fail("--force is for 'read FILE' only");
    if (o.command == Command::FuseWrite && !o.fuse2)
        return fail("fuse-write needs --fuse2 enable|disable (SPIEN)");
    if (o.command == Command::Read && !o.file.empty()) {
        if (o.repeat)
            return fail("read FILE with --repeat would write every chip over the same file");
        if (o.ports.size() > 1)
            return fail("read FILE with several ports would write every chip over the same file");
    }
    return {o, {}};
}

}  // namespace kvqor::cli
