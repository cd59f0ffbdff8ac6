#pragma once
// One programmer's share of a run, on its port's thread: open line, identification, then the
// command, as the main window would do it with its menus and buttons:
//   - a device operation runs its run cycle with Run pressed at once; after each pass the console
//     says whether Run (the next pass) or Exit follows; with --repeat a failed pass is followed by
//     the same operation started afresh when the operator asks for the next device;
//   - fuse-read opens the fuse window (its reads run); fuse-write opens it, sets the radio groups
//     and presses Write.
// Ctrl-C reaches it through Interrupt() (Stop during a pass, Cancle during a fuse exchange),
// SIGTERM through Terminate().

#include <cstddef>
#include <string>

#include "cli/Console.h"
#include "cli/JobRequest.h"
#include "cli/PassLog.h"
#include "cli/PortBackend.h"
#include "cli/PortDisplay.h"
#include "cli/Report.h"
#include "cli/TraceLog.h"
#include "ops/Session.h"

namespace kvqor::cli {

class FuseRun;

// What every port of a run shares.
struct RunShared {
    const JobRequest& job;
    JobInfo info;
    Console& console;
    PassLog* log = nullptr;  // nullptr without --log
    TraceLog* trace = nullptr;
};

class PortJob {
public:
    PortJob(RunShared& shared, std::size_t index, PortBackend& backend);
    PortJob(const PortJob&) = delete;
    PortJob& operator=(const PortJob&) = delete;

    // Runs the whole job; returns when it is over.
    PortResult Run();

    // On the port's thread (posted by the console).
    void Interrupt();
    void Terminate();
    void StopConfirmed();

private:
    void RunSteps();
    void RunCycle();
    void RunFuse();
    void PassEnded(bool passed);
    // Files the pass: the log row, the console (which may wait for the operator).
    NextPass Report(PassRecord record);
    void WriteLogRow(const PassRecord& record);
    void SaveRead();

    RunShared& shared_;
    std::size_t index_;
    PortBackend& backend_;
    PortDisplay display_;
    Session session_;
    FuseRun* fuse_ = nullptr;  // while the fuse window is open
    PortResult result_;
    bool interrupted_ = false;
    NextPass afterFailure_ = NextPass::Exit;
};

}  // namespace kvqor::cli
