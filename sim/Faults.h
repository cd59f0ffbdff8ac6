#pragma once
// Faults the simulated programmer commits on demand: a small plan of what goes wrong at which
// answer, scripted by a test or drawn at random from a seed.
//
// A fault strikes one answer of the programmer. Answers are counted within an exchange:
//   reply 0         the first answer to the command: the identification code with its checksum,
//                   the first DC1 of program and verify, the first data block of a read, the one
//                   reply byte (or two hex characters) of the other commands;
//   reply n > 0     the answer after n blocks: the DC1 asking for block n (program, verify), or
//                   data block n (read);
//   kVerdict        the closing ACK after the PC's DC3 (identification, program, verify, read).
// Refusals count too: a NAK the programmer gives at an answer's place is that answer.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "sim/SimTime.h"

namespace kvqor::sim {

// The exchanges, named by the command that starts them.
enum class Exchange {
    Any,
    Identify,
    Erase,
    BlankCheck,
    Program,
    Verify,
    Read,
    Lock,
    ReadFuse,
    ReadLock,
    WriteFuse
};

// "any", "identify", "erase", "blank", "program", "verify", "read", "lock", "readfuse", "readlock",
// "writefuse".
std::string_view ExchangeName(Exchange e);
std::optional<Exchange> ExchangeFromName(std::string_view name);
// The exchange an opcode starts; Any for an opcode the programmer does not know.
Exchange ExchangeForOpcode(std::uint8_t opcode);

inline constexpr int kVerdict = -1;

struct FaultPoint {
    Exchange exchange = Exchange::Any;  // Any: whatever exchange reaches the answer first
    int reply = 0;
    bool operator==(const FaultPoint&) const = default;
};

enum class FaultKind {
    Silence,      // the answer is not sent; the programmer waits for the next command
    Delay,        // the answer comes `delay` later
    Nak,          // NAK and the report `text` (may be short or empty) instead of the answer
    Byte,         // the single byte `byte` instead of the answer; the exchange ends
    Garbage,      // the bytes of `text` before the answer
    BadChecksum,  // the answer's checksum characters are one off (identification code, read blocks)
    NonHex,       // the character at `position` of the answer becomes `byte` (default 'G')
    LowerCase,    // the answer's hex digits in lower case
    DropLine,     // the line is lost after `position` characters of the answer
};

struct Fault {
    FaultKind kind = FaultKind::Silence;
    FaultPoint at;
    std::string text;
    std::uint8_t byte = 'G';
    std::size_t position = 0;
    Micros delay = 0;
    int times = 1;  // how many answers it strikes; 0: every matching answer
    int skip = 0;   // matching answers to let pass before it strikes
    bool operator==(const Fault&) const = default;
};

Fault Silence(FaultPoint at);
Fault Delayed(FaultPoint at, Micros delay);
Fault NakWith(FaultPoint at, std::string report);
Fault ByteInstead(FaultPoint at, std::uint8_t byte);
Fault GarbageBefore(FaultPoint at, std::string bytes);
Fault WrongChecksum(FaultPoint at);
Fault NonHexAt(FaultPoint at, std::size_t position, std::uint8_t c = 'G');
Fault LowerCase(FaultPoint at);
Fault DropLineAfter(FaultPoint at, std::size_t chars);

// What an answer carries, which decides the faults that can strike it.
struct AnswerShape {
    bool hexText = false;   // hex digits (identification checksum, read blocks, fuse and lock bytes)
    bool checksum = false;  // ends in two checksum characters (identification, read blocks)
};
bool CanStrike(FaultKind kind, AnswerShape shape);
// The shape of a correct answer at `point` (the shape of a refusal is always plain).
AnswerShape ShapeAt(FaultPoint point);

// A fault in the form the command line takes, e.g. "nak,at=verify,reply=3,text=E013",
// "silence,at=program,reply=verdict", "drop,at=read,reply=2,after=10", "delay,at=erase,ms=16000".
// Keys: at=EXCHANGE, reply=N|verdict, text=..., byte=HH (hex), after=N, ms=N or us=N, times=N,
// skip=N. Kinds: silence, delay, nak, byte, garbage, badsum, nonhex, lower, drop.
std::string Describe(const Fault& fault);
std::optional<Fault> ParseFault(std::string_view faultText, std::string& error);

struct FiredFault {
    Fault fault;
    std::string command;  // the eight command characters of the exchange it struck
    Micros at;
};

class FaultPlan {
public:
    FaultPlan& Add(Fault fault);
    void Clear();
    bool Empty() const { return armed_.empty(); }
    const std::vector<Fault>& Armed() const { return armed_; }
    const std::vector<FiredFault>& Fired() const { return fired_; }

    // Asked before every answer: the fault that strikes it, if any. A fault only strikes answers
    // it can change (CanStrike); one answer takes at most one fault, the first added.
    std::optional<Fault> Strike(FaultPoint point, AnswerShape shape, std::string_view command, Micros now);

private:
    std::vector<Fault> armed_;
    std::vector<FiredFault> fired_;
};

struct RandomFaultSettings {
    int minFaults = 1;
    int maxFaults = 2;
    std::vector<Exchange> exchanges;  // empty: any exchange
    std::vector<FaultKind> kinds;     // empty: every kind
    int maxReply = 4;                 // answers 0..maxReply and the verdict are candidates
    Micros maxDelay = 3'000'000;      // delays up to this: some within the PC's 1500 ms, some beyond
    int maxSkip = 1;
};

// A plan drawn from `seed`: the same seed gives the same plan on every machine. Each fault is
// one that can strike the answer it is placed at.
FaultPlan RandomFaultPlan(std::uint64_t seed, const RandomFaultSettings& settings = {});

}  // namespace kvqor::sim
