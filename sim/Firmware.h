#pragma once
// The simulated programmer's firmware with the chip in its socket. It answers every exchange
// from the programmer's side of the line, byte for byte:
//
//   identification 0D   the eight code characters, their 8-bit sum as two hex digits; DC3 -> ACK
//   erase 05            ACK once erased
//   blank check 0A      ACK when 0 to the parameter (the end address) reads FFh, else NAK
//   program 01,         DC1 asks for each 64-byte block (128 hex digits and a 2-digit sum);
//   verify 0C           a DC3 answering a DC1 ends the transfer: ACK. A block that cannot be
//                       taken is answered NAK and four report characters instead of the next DC1
//                       (or, with reportInVerdict, a failed or differing cell in the verdict)
//   read 06             the first block unasked; each DC1 from the PC asks for the next block,
//                       DC3 ends the read: ACK
//   lock 03             parameter 0001..0003 (at most the part's lock bits): ACK
//   read fuse 09,       two hex digits, nothing else
//   read lock 08
//   write fuse 04       parameter 00VV: ACK
//   ENQ                 noted; nothing is sent
//   CAN                 aborts whatever is in progress; output not yet begun is dropped
//
// Frames are checked (STX, eight hex characters, ETX, two checksum digits of the four bytes' sum
// plus 3), and so are block sums; what is malformed is answered NAK. Between commands anything
// but STX and CAN is ignored, so the rest of a refused block does not draw a NAK per character.
//
// NAK reports (program and verify, which read four characters after a NAK; other exchanges get
// a bare NAK): the address of the first cell that failed or differs as four hex digits, or
//   FRAM malformed frame   CSUM frame checksum   OPCD unknown opcode     DEVC no chip for the code
//   PARM bad parameter     BSUM block checksum   BHEX non-hex in block  ADDR beyond the chip
//   LOCK chip locked       PROT unexpected byte  FUSE part has no fuses BLNK not blank
//
// Time: the firmware is driven by the bytes it receives, each stamped with the moment the PC put
// it on the line, and it schedules its output. With pacing, each character takes
// bitsPerChar/baud seconds on the line in either direction; the firmware's own work (erase, a
// block, ...) takes the configured times. Everything is in microseconds.

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "sim/Chip.h"
#include "sim/Faults.h"
#include "sim/SimTime.h"

namespace kvqor::sim {

struct Timing {
    long baud = 19200;
    int bitsPerChar = 10;  // start bit, 8 data bits, stop bit
    bool paced = true;     // false: characters take no time on the line
    Micros reply = 1'000;  // to take in a command or a block and start answering
    Micros erase = 200'000;
    Micros blankCheck = 100'000;
    Micros programBlock = 20'000;
    Micros verifyBlock = 5'000;
    Micros readBlock = 5'000;
    Micros lock = 50'000;
    Micros fuse = 20'000;

    // One character on the line (0 when unpaced): 521 us at 19200 baud.
    Micros CharTime() const;
};

struct FirmwareSettings {
    std::string code = "SM030101";  // the programmer's own eight characters ("SM/03/0101")
    Timing timing;
    bool lowerCaseHex = false;  // answer hex digits in lower case
    // Program and verify take every block and report the first cell that failed or differs in
    // the verdict after DC3, instead of answering NAK at once in place of the next DC1.
    bool reportInVerdict = false;
};

struct Output {
    enum class Kind { Byte, DropLine } kind;
    std::uint8_t byte;  // for Kind::Byte
    Micros at;          // when it has fully arrived at the PC's end
};

struct CommandRecord {
    Micros at;            // when its last character arrived
    std::string command;  // the command characters as received (eight when well formed)
    Exchange exchange;    // Any when the opcode is unknown or unreadable
    std::string nak;      // why the programmer answered NAK (its report or reason); empty if it did not
};

inline constexpr std::string_view kReportFrame = "FRAM";
inline constexpr std::string_view kReportChecksum = "CSUM";
inline constexpr std::string_view kReportOpcode = "OPCD";
inline constexpr std::string_view kReportDevice = "DEVC";
inline constexpr std::string_view kReportParameter = "PARM";
inline constexpr std::string_view kReportBlockSum = "BSUM";
inline constexpr std::string_view kReportBlockHex = "BHEX";
inline constexpr std::string_view kReportAddress = "ADDR";
inline constexpr std::string_view kReportLocked = "LOCK";
inline constexpr std::string_view kReportProtocol = "PROT";
inline constexpr std::string_view kReportNoFuses = "FUSE";
inline constexpr std::string_view kReportNotBlank = "BLNK";

class Firmware {
public:
    explicit Firmware(FirmwareSettings settings = {});

    FirmwareSettings& Settings() { return settings_; }
    sim::Socket& Socket() { return socket_; }
    // The chip that answers device code `code`; with no code, the one part the socket holds.
    // Throws std::invalid_argument when there is no such chip.
    sim::Chip& Chip(std::string_view code = {});
    FaultPlan& Faults() { return faults_; }

    // A byte from the PC, put on the line at `now`.
    void Receive(std::uint8_t byte, Micros now);

    // When the next output is due (kNever when none is queued).
    Micros NextOutputTime() const { return out_.empty() ? kNever : out_.front().at; }
    // Takes every output due by `now`, in order.
    std::vector<Output> TakeDue(Micros now);

    // Between commands with nothing queued to go out.
    bool Quiet() const;

    const std::vector<CommandRecord>& Commands() const { return commands_; }
    // Called with each command as it is taken in (before it is carried out).
    void OnCommand(std::function<void(const CommandRecord&)> observer) { observer_ = std::move(observer); }
    int EnqCount() const { return enqs_; }
    int CanCount() const { return cans_; }

    // Power cycle: back between commands, nothing queued, line times forgotten. Chips, faults and
    // the records stay.
    void Reset();

private:
    enum class Phase { Idle, Frame, WaitDc3, WaitBlock, InBlock, WaitReadAnswer };
    struct Answer {
        Answer(std::string t, Phase n = Phase::Idle, AnswerShape s = {}, std::size_t h = 0)
            : text(std::move(t)), next(n), shape(s), hexFrom(h) {}
        std::string text;
        Phase next;  // where the exchange goes once it is sent
        AnswerShape shape;
        std::size_t hexFrom;  // where its hex digits start
    };

    void FrameByte(std::uint8_t b, Micros t);
    void Dispatch(Micros t);
    void EndOfBlock(Micros t);
    void SendReadBlock(Micros t, Micros delay, int index);
    void Abort(Micros t);
    // Sends `answer` at point `reply` of the current exchange, `delay` after `t`, as the fault
    // plan lets it.
    void Give(Micros t, Micros delay, Answer answer, int reply);
    // NAK, with `reason` as the report where the PC reads one (program, verify).
    void Refuse(Micros t, std::string_view reason, int reply);
    void Refuse(Micros t, std::string_view reason, int reply, Micros delay);
    void Emit(Micros ready, std::string_view text);
    std::string Hex2(std::uint8_t value) const;
    std::string Ack() const;

    FirmwareSettings settings_;
    sim::Socket socket_;
    FaultPlan faults_;

    Phase phase_ = Phase::Idle;
    std::string frame_;    // what followed STX
    std::string command_;  // the current exchange's command characters
    Exchange exchange_ = Exchange::Any;
    sim::Chip* chip_ = nullptr;
    int blocks_ = 0;            // blocks taken in (program, verify) or sent (read) so far
    std::string block_;         // hex digits of the block being taken in
    std::string firstFailure_;  // with reportInVerdict: the report the verdict will carry

    Micros inFree_ = 0;   // when the line from the PC is free again
    Micros outFree_ = 0;  // when the line to the PC is free again
    std::deque<Output> out_;

    std::vector<CommandRecord> commands_;
    std::function<void(const CommandRecord&)> observer_;
    int enqs_ = 0;
    int cans_ = 0;
};

}  // namespace kvqor::sim
