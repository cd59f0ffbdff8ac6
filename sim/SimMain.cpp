// kvqor-sim: the simulated programmer served on a pseudo-terminal, for trying the program without
// hardware and for end-to-end tests. Prints the pseudo-terminal's path; serves until SIGINT or
// SIGTERM.

#include <signal.h>
#include <sys/signalfd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "sim/PtyServer.h"

namespace {

using namespace kvqor::sim;

constexpr std::string_view kUsage =
    R"(Usage: kvqor-sim [options]
Serves a simulated KV-QOR programmer on a pseudo-terminal until stopped (Ctrl-C).
Prints the pseudo-terminal's path on standard output; open it as the serial port.

  --link PATH           also make PATH a symlink to the pseudo-terminal
  --part NAME           hold this part in the socket, e.g. AT89C51
                        (default: whatever part a command names)
  --code CODE           the programmer's eight-character code (default SM030101)
  --baud N              line rate the answers are paced at (default 19200)
  --unpaced             answer as fast as the pseudo-terminal takes it
  --erase-ms N          time an erase takes (default 200)
  --block-ms N          time programming one 64-byte block takes (default 20)
  --lower-case          answer hex digits in lower case
  --report-in-verdict   program and verify take every block and report the first
                        failing cell after the transfer instead of at once
  --fault FAULT         commit a fault; may be repeated. FAULT is a kind and keys:
                          kinds: silence delay nak byte garbage badsum nonhex lower drop
                          keys:  at=identify|erase|blank|program|verify|read|lock|
                                    readfuse|readlock|writefuse|any
                                 reply=N|verdict  text=...  byte=HH  after=N
                                 ms=N  times=N (0: always)  skip=N
                        e.g. --fault nak,at=verify,reply=3,text=E013
                             --fault drop,at=read,reply=2,after=10
  --random-faults SEED  commit faults drawn at random from SEED
  --verbose             log each command on standard error
  --help                show this text
  --version             show the version
)";

struct Options {
    std::string link;
    bool verbose = false;
    FirmwareSettings settings;
    std::string part;
    std::vector<Fault> faults;
    std::optional<std::uint64_t> seed;
};

template <typename T>
bool Number(std::string_view text, T& out) {
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
    return ec == std::errc() && end == text.data() + text.size();
}

// Exit code 2 and a message on a bad command line; 0 after --help or --version.
std::optional<int> Parse(int argc, char** argv, Options& o) {
    auto bad = [](const std::string& why) {
        std::cerr << "kvqor-sim: " << why << "\nTry 'kvqor-sim --help'.\n";
        return 2;
    };
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        auto value = [&]() -> std::optional<std::string_view> {
            if (i + 1 >= argc)
                return std::nullopt;
            return std::string_view(argv[++i]);
        };
        if (arg == "--help") {
            std::cout << kUsage;
            return 0;
        }
        if (arg == "--version") {
            std::cout << "kvqor-sim " << KVQOR_VERSION << "\n";
            return 0;
        }
        if (arg == "--unpaced") {
            o.settings.timing.paced = false;
            continue;
        }
        if (arg == "--lower-case") {
            o.settings.lowerCaseHex = true;
            continue;
        }
        if (arg == "--report-in-verdict") {
            o.settings.reportInVerdict = true;
            continue;
        }
        if (arg == "--verbose") {
            o.verbose = true;
            continue;
        }
        constexpr std::string_view kValued[] = {"--link",     "--part",     "--code",  "--baud",
                                                "--erase-ms", "--block-ms", "--fault", "--random-faults"};
        if (std::find(std::begin(kValued), std::end(kValued), arg) == std::end(kValued)) {
            return bad("unknown option " + std::string(arg));
        }
        const auto v = value();
        if (!v)
            return bad("option " + std::string(arg) + " needs a value");
        const std::string text(*v);
        long number = 0;
        if (arg == "--link") {
            o.link = text;
        } else if (arg == "--part") {
            o.part = text;
        } else if (arg == "--code") {
            if (text.size() != 8)
                return bad("the code must have eight characters: '" + text + "'");
            o.settings.code = text;
        } else if (arg == "--baud") {
            if (!Number(*v, number) || number < 50 || number > 4'000'000)
                return bad("bad baud rate '" + text + "'");
            o.settings.timing.baud = number;
        } else if (arg == "--erase-ms" || arg == "--block-ms") {
            if (!Number(*v, number) || number < 0 || number > 600'000)
                return bad("bad time '" + text + "'");
            (arg == "--erase-ms" ? o.settings.timing.erase : o.settings.timing.programBlock) = number * 1000;
        } else if (arg == "--fault") {
            std::string error;
            const auto f = ParseFault(*v, error);
            if (!f)
                return bad("bad fault '" + text + "': " + error);
            o.faults.push_back(*f);
        } else if (arg == "--random-faults") {
            std::uint64_t seed = 0;
            if (!Number(*v, seed))
                return bad("bad seed '" + text + "'");
            o.seed = seed;
        }
    }
    return std::nullopt;
}

// Points `link` at `target`, replacing an older symlink but never a file of another kind.
bool MakeLink(const std::string& link, const std::string& target) {
    struct stat st {};
    if (::lstat(link.c_str(), &st) == 0) {
        if (!S_ISLNK(st.st_mode)) {
            std::cerr << "kvqor-sim: " << link << " exists and is not a symlink; leaving it alone\n";
            return false;
        }
        ::unlink(link.c_str());
    }
    if (::symlink(target.c_str(), link.c_str()) != 0) {
        std::perror(("kvqor-sim: symlink " + link).c_str());
        return false;
    }
    return true;
}

// Removes `link` if it still points at `target`.
void RemoveLink(const std::string& link, const std::string& target) {
    std::vector<char> buf(target.size() + 2);
    const ssize_t n = ::readlink(link.c_str(), buf.data(), buf.size());
    if (n >= 0 && std::string(buf.data(), static_cast<std::size_t>(n)) == target)
        ::unlink(link.c_str());
}

}  // namespace

int main(int argc, char** argv) {
    Options o;
    if (const auto code = Parse(argc, argv, o))
        return *code;

    PtyServer server(o.settings);
    Firmware& fw = server.Firmware();
    if (!o.part.empty() && !fw.Socket().InsertPart(o.part)) {
        std::cerr << "kvqor-sim: no part named '" << o.part << "' (e.g. AT89C51, AT90S2313)\n";
        return 2;
    }
    if (o.seed)
        fw.Faults() = RandomFaultPlan(*o.seed);
    for (const Fault& f : o.faults)
        fw.Faults().Add(f);
    if (o.verbose) {
        for (const Fault& f : fw.Faults().Armed())
            std::cerr << "fault armed: " << Describe(f) << "\n";
        fw.OnCommand([](const CommandRecord& c) {
            std::cerr << "command " << c.command << " (" << ExchangeName(c.exchange) << ")\n";
        });
    }

    // Stop on SIGINT and SIGTERM through a descriptor the server polls, so a signal never lands
    // in the middle of a write.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    sigprocmask(SIG_BLOCK, &stopSignals, nullptr);
    const int stopFd = signalfd(-1, &stopSignals, SFD_CLOEXEC);
    if (stopFd < 0) {
        std::perror("kvqor-sim: signalfd");
        return 1;
    }

    std::string error;
    if (!server.Open(error)) {
        std::cerr << "kvqor-sim: cannot open a pseudo-terminal: " << error << "\n";
        return 1;
    }
    std::string current = server.SlavePath();
    if (!o.link.empty() && !MakeLink(o.link, current))
        return 1;
    std::cout << current << std::endl;

    server.OnNewPath([&](const std::string& path) {
        std::cerr << "kvqor-sim: line dropped; now serving " << path << "\n";
        if (!o.link.empty()) {
            RemoveLink(o.link, current);
            MakeLink(o.link, path);
        }
        current = path;
        std::cout << path << std::endl;
    });

    const bool ok = server.Serve(stopFd, error);
    if (!o.link.empty())
        RemoveLink(o.link, current);
    ::close(stopFd);
    if (!ok) {
        std::cerr << "kvqor-sim: " << error << "\n";
        return 1;
    }
    return 0;
}
