#include "cli/PortJob.h"

#include "cli/FuseRun.h"
#include "link/Identify.h"
#include "link/PortName.h"

namespace kvqor::cli {

namespace {

bool EndsWith(std::string_view text, std::string_view tail) {
    return text.size() >= tail.size() && text.substr(text.size() - tail.size()) == tail;
}

// The texts of a failed pass that say what failed: every line but those of passed steps; for the
// fuse window, its status line.
std::string FailureTexts(const PassRecord& record) {
    if (record.passed)
        return {};
    if (!record.counted)
        return record.lines.empty() ? std::string() : Printable(record.lines.back());
    std::string out;
    for (const std::string& line : record.lines) {
        if (EndsWith(line, "Pass"))
            continue;
        if (!out.empty())
            out += "; ";
        out += Printable(line);
    }
    return out;
}

}  // namespace

PortJob::PortJob(RunShared& shared, std::size_t index, PortBackend& backend)
    : shared_(shared), index_(index), backend_(backend), session_(backend.GetHost(), display_) {
    result_.name = shared_.job.options.ports.at(index);
    result_.label = shared_.console.Label(index);
    result_.expectsPasses = shared_.job.options.command != Command::Identify;
    if (shared_.console.ProgressShown())
        display_.progress = &shared_.console.Progress(index);
}

PortResult PortJob::Run() {
    shared_.console.Attach(index_, PortHooks{
                                       [this](std::function<void()> task) { backend_.Post(std::move(task)); },
                                       [this] { Interrupt(); },
                                       [this] { Terminate(); },
                                       [this] { StopConfirmed(); },
                                   });
    RunSteps();
    shared_.console.Detach(index_);
    return result_;
}

void PortJob::Interrupt() {
    // The question may have been answered No meanwhile; a late Ctrl-C must not stop a new pass.
    if (!shared_.console.StopWanted())
        return;
    if (session_.State() != RunState::Idle) {
        session_.StopRunClick();  // Stop during a pass: the next wait asks the question
    } else if (fuse_ != nullptr && fuse_->Busy()) {
        fuse_->Cancle();
    } else {
        interrupted_ = true;  // between steps: the next one does not begin
    }
}

void PortJob::StopConfirmed() {
    interrupted_ = true;
    // The pass ends at its next wait for the programmer, as a confirmed stop ends a wait, instead
    // of after the wait's full limit when the stop came during a send.
    if (session_.State() == RunState::Pass)
        session_.Flags().ForceStop = true;
}

void PortJob::Terminate() {
    interrupted_ = true;
    session_.AbortForClose();
    // Every wait ends at once as a confirmed stop does, in the identification and the fuse
    // exchanges as well; the closing CAN still goes out.
    session_.Flags().ForceStop = true;
}

void PortJob::RunSteps() {
    Wire* wire = backend_.GetWire();
    if (wire == nullptr) {
        result_.outcome = PortOutcome::OpenFailed;
        result_.error = "cannot open " + result_.name + ": " + backend_.OpenError();
        shared_.console.Message(index_, MessageKind::Error, result_.error);
        return;
    }
    if (shared_.trace != nullptr) {
        session_.GetLink().SetTrace([this](TraceDirection direction, std::uint8_t byte, Millis at) {
            shared_.trace->Write(result_.label, direction, byte, at);
        });
    }
    session_.AttachWire(wire, PortLabel(result_.name));
    session_.ReadVersion();
    if (interrupted_) {
        result_.outcome = PortOutcome::Interrupted;
        result_.error = "stopped before the operation began";
        return;
    }
    if (!session_.HardwareFound()) {
        result_.outcome = PortOutcome::NotFound;
        result_.error = std::string(kHardwareNotFound);  // the link has shown it already
        return;
    }
    result_.biosCode = session_.QorCode();
    if (shared_.job.options.command == Command::Identify)
        return;

    session_.GetWorkspace() = shared_.job.workspace;
    if (shared_.job.operation) {
        RunCycle();
    } else {
        RunFuse();
    }
}

void PortJob::RunCycle() {
    display_.onRunState = [this] { session_.StartRunClick(); };
    display_.onPassEnded = [this](bool passed) { PassEnded(passed); };
    for (;;) {
        if (interrupted_) {
            if (result_.passes.empty()) {
                result_.outcome = PortOutcome::Interrupted;
                result_.error = "stopped before the operation began";
            }
            return;
        }
        afterFailure_ = NextPass::Exit;
        session_.RunOperation(*shared_.job.operation);
        // A failed pass ends the operation; in production mode the next device starts it afresh.
        if (afterFailure_ != NextPass::Run)
            return;
    }
}

void PortJob::PassEnded(bool passed) {
    PassRecord record;
    record.lines = display_.ShownLines();
    record.passed = passed;
    record.passTotal = session_.PassTotal();
    record.failTotal = session_.FailTotal();
    record.time = WallClockNow();
    if (passed && shared_.job.operation == Operation::Read) {
        record.checksum = session_.GetWorkspace().Buffer_Sum;
        if (!shared_.job.options.file.empty())
            SaveRead();
    }
    const NextPass next = Report(std::move(record));
    if (passed) {
        // The pass ending has re-armed Run: press Run for the next device, or Exit.
        if (next == NextPass::Run) {
            session_.StartRunClick();
        } else {
            session_.StopRunClick();
        }
    } else {
        afterFailure_ = next;
    }
}

void PortJob::SaveRead() {
    const std::string& file = shared_.job.options.file;
    const SaveReport saved = session_.GetWorkspace().SaveHexFile(file);
    if (saved.saved) {
        result_.savedFile = file;
    } else {
        result_.saveError = saved.notices.empty() ? std::string(kSaveFileError) : saved.notices.front().text;
        shared_.console.Message(index_, MessageKind::Error, result_.saveError);
    }
}

NextPass PortJob::Report(PassRecord record) {
    WriteLogRow(record);
    result_.passes.push_back(record);
    return shared_.console.PassDone(index_, result_.passes.back());
}

void PortJob::WriteLogRow(const PassRecord& record) {
    if (shared_.log == nullptr)
        return;
    const Workspace& ws = session_.GetWorkspace();
    const std::string checksum = !record.checksum.empty() ? record.checksum : shared_.info.checksum;
    std::string error;
    const bool written =
        shared_.log->Write({record.time, result_.label, result_.biosCode, ws.CurName,
                            std::string(CommandName(shared_.job.options.command)), shared_.job.options.file,
                            checksum, record.passed ? "pass" : "fail", FailureTexts(record)},
                           error);
    if (!written)
        shared_.console.Message(index_, MessageKind::Error,
                                "cannot write the log " + shared_.job.options.logPath + ": " + error);
}

void PortJob::RunFuse() {
    const CliOptions& o = shared_.job.options;
    const Workspace& ws = session_.GetWorkspace();
    FuseRun fuse(session_.GetLink(), ws.CurName, ws.CurCode);
    fuse_ = &fuse;
    // Opening the window reads what the part holds now.
    fuse.Open();

    PassRecord record;
    record.counted = false;
    const bool stoppedBeforeWrite = o.command == Command::FuseWrite && interrupted_;
    if (o.command == Command::FuseRead) {
        record.passed = fuse.ReadsPassed();
    } else if (!stoppedBeforeWrite) {
        // The radio groups as the operator would click them, then Write.
        auto index = [](const std::optional<FuseChoice>& c) {
            return !c ? -1 : *c == FuseChoice::Enable ? 0 : 1;
        };
        record.passed = fuse.Write(index(o.fuse1), index(o.fuse2));
    }
    fuse.Close();
    fuse_ = nullptr;
    if (stoppedBeforeWrite) {
        result_.outcome = PortOutcome::Interrupted;
        result_.error = "stopped before the fuse bits were written";
        return;
    }
    record.lines = fuse.Lines();
    record.time = WallClockNow();
    Report(std::move(record));
}

}  // namespace kvqor::cli
