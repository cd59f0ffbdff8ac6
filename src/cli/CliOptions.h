#pragma once
// The command line of kvqor-cli: what the user asked for, before anything is checked against the
// catalogue or the file system.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ops/Texts.h"

namespace kvqor::cli {

enum class Command {
    Devices,
    Identify,
    Erase,
    Blank,
    Program,
    Verify,
    Read,
    Lock1,
    Lock2,
    Lock3,
    Auto,
    FuseRead,
    FuseWrite,
    Dump,
};

// The command as typed ("fuse-read"), and back.
std::string_view CommandName(Command command);
std::optional<Command> CommandFromName(std::string_view name);

// The device operation a command runs in the run cycle; empty for the others.
std::optional<Operation> OperationOf(Command command);

// What a command does with a port, a part and a file.
bool NeedsPort(Command command);
bool NeedsDevice(Command command);
bool NeedsFile(Command command);      // program, verify, auto, dump
bool TakesFile(Command command);      // those, and read (optional)
bool IsFuseCommand(Command command);  // fuse-read, fuse-write

// A fuse value on the command line: enable (programmed, radio index 0) or disable (erased, 1).
enum class FuseChoice { Enable, Disable };

struct CliOptions {
    bool help = false;
    bool version = false;
    Command command = Command::Devices;
    std::string file;
    std::vector<std::string> ports;
    std::string device;
    bool repeat = false;
    bool json = false;
    bool force = false;
    std::string logPath;
    std::string tracePath;
    std::optional<FuseChoice> fuse1;
    std::optional<FuseChoice> fuse2;
};

struct ParseResult {
    std::optional<CliOptions> options;  // empty on a usage error
    std::string error;                  // what is wrong, naming the option or word
};

// Parses the arguments after the program name. Options may come before or after the command;
// "--name=value" and "-p value" forms are both taken; "--" ends the options.
ParseResult ParseCommandLine(const std::vector<std::string>& args);

// The text --help prints.
std::string UsageText();

}  // namespace kvqor::cli
