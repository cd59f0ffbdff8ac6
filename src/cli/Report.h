#pragma once
// What a run leaves behind: each pass as the window showed it, each port's outcome, and the forms
// they are written in (the terminal's text, JSON, a CSV row of the pass log).

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "cli/CliOptions.h"

namespace kvqor::cli {

// One pass of a device operation, or one fuse exchange, as it ended.
struct PassRecord {
    std::vector<std::string> lines;  // the result lines that hold text, top to bottom
    bool passed = false;
    bool counted = true;  // the run cycle counted it (the fuse window counts nothing)
    std::uint8_t passTotal = 0;
    std::uint8_t failTotal = 0;
    std::string checksum;  // "Checksum" after a passing read (e.g. 4E2AH); empty otherwise
    std::string time;      // local wall-clock time the pass ended, ISO 8601
};

enum class PortOutcome {
    Ran,          // the programmer was found; the passes tell the rest
    OpenFailed,   // the port could not be opened
    NotFound,     // no programmer answered the identification
    Interrupted,  // stopped by the user before its operation began
};

struct PortResult {
    std::string name;   // as given on the command line
    std::string label;  // what its lines and messages are tagged with
    PortOutcome outcome = PortOutcome::Ran;
    std::string error;     // why it did not run
    std::string biosCode;  // xx/yy/zzzz once found
    std::vector<PassRecord> passes;
    bool expectsPasses = true;  // identify makes none
    std::string savedFile;      // read FILE: where the chip's content went
    std::string saveError;      // read FILE: why the chip's content could not be saved

    // 3 when the port or the programmer was missing; 1 when a pass failed, none ran or its result
    // could not be saved; else 0.
    int ExitStatus() const;
};

// The exit status of several ports: the worst of theirs.
int WorstExitStatus(const std::vector<PortResult>& results);

// What the job was, for the reports.
struct JobInfo {
    Command command = Command::Devices;
    std::string device;
    std::string file;      // as given
    std::string checksum;  // of the loaded file over the part's range (Buffer_Sum), empty without one
};

// The text a byte string is printed as: anything but printable ASCII becomes '.', as in the
// buffer viewer, so a programmer's odd report can never put control characters on a terminal.
std::string Printable(std::string_view text);

// A pass as printed: its lines, the counters (when counted), and the checksum after a read. Every
// line starts with `prefix` (the port's label when several ports run).
std::string PassText(const PassRecord& pass, std::string_view prefix);

// The whole run as one JSON document.
std::string JsonReport(const JobInfo& job, const std::vector<PortResult>& results);

// JSON string literal, quotes included. Bytes outside printable ASCII are written as \u00XX, so
// the document stays valid whatever a programmer sent.
std::string JsonString(std::string_view text);

// One CSV field: quoted when it holds a comma, a quote or a line break.
std::string CsvField(std::string_view text);

// Local wall-clock time now, e.g. 2024-05-01T09:30:12+0200.
std::string WallClockNow();

}  // namespace kvqor::cli
