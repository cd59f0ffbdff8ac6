#pragma once
// One programmer as the main window sees it: its link, the part and code buffer, the run flags and
// counters, and the run cycle every device operation shares. Front ends own one Session per
// programmer; nothing here is global, so several can run side by side.

#include <cstdint>
#include <string>
#include <string_view>

#include "device/Workspace.h"
#include "link/Host.h"
#include "link/Link.h"
#include "link/RunFlags.h"
#include "ops/Display.h"
#include "ops/Texts.h"

namespace kvqor {

class Session {
public:
    Session(Host& host, Display& display);
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    Host& GetHost() { return host_; }
    Display& GetDisplay() { return display_; }
    Link& GetLink() { return link_; }
    RunFlags& Flags() { return flags_; }
    Workspace& GetWorkspace() { return workspace_; }
    const Workspace& GetWorkspace() const { return workspace_; }

    // --- the programmer on its port
    // Talks over `wire` from now on (not owned; nullptr when no port is open). `portLabel` names the
    // port in the status line ("Com2", "/dev/ttyUSB0").
    void AttachWire(Wire* wire, std::string portLabel);
    // A port that could not be opened: no line, and no programmer to send operations to.
    void PortOpenFailed();
    // The identification exchange on the open port; sets HardwareFound and the code.
    void ReadVersion();
    // Connect: identifies again on the open port, or shows "Comport Not Found".
    void CheckQORClick();
    bool HardwareFound() const { return hardwareFound_; }
    // The programmer's code as shown under "Bios Code" (xx/yy/zzzz), empty until found.
    const std::string& QorCode() const { return qorCode_; }

    // --- the run cycle
    // A Device-menu command: refuses with "Comport Not Connect" until the programmer was found,
    // otherwise enters the run state and runs the operation until it ends.
    void RunOperation(Operation op);
    void StartRunClick();
    void StopRunClick();
    void ResetCountClick();
    // Ends a running operation as a confirmed stop would, or a running identification at once,
    // without asking: for closing the window. The closing CAN still goes out.
    void AbortForClose();

    RunState State() const { return state_; }
    std::uint8_t PassTotal() const { return passTotal_; }
    std::uint8_t FailTotal() const { return failTotal_; }
    // The operation running or waiting for Run.
    Operation CurrentOperation() const { return current_; }

private:
    void BeforeRun();
    void AfterRun();
    void BreakError();
    void SetState(RunState state);

    // Waits for Run; false when Exit ended the operation (AfterRun done).
    bool WaitForRun();
    void PassStart();
    // The pass ending; false when an exit was requested meanwhile (AfterRun done).
    bool PassEnding();
    // The failure ending: the abort line under `line`, then BreakError.
    void FailureEnding(int line);

    // One pass of each operation; false when the pass failed (its texts already shown).
    bool PassOf(Operation op);
    bool SingleReply(int line, std::string_view command, const SingleReplyTexts& texts);
    bool BlockStep(int line, std::string_view command, const BlockTexts& texts);
    bool SendBlocks(int line, const BlockTexts& texts);
    void SendBlock(std::uint32_t address, int line, const BlockTexts& texts);
    // The four characters that follow NAK; missing ones are left out.
    std::string ReadFailureReport();
    bool ReadBlocks();
    bool AutoPass();

    std::string Command(std::string_view opcodeAndParameter) const;

    Host& host_;
    Display& display_;
    RunFlags flags_;
    Link link_{host_, flags_};
    Workspace workspace_;

    std::string portLabel_;
    bool hardwareFound_ = false;
    std::string qorCode_;

    RunState state_ = RunState::Idle;
    Operation current_ = Operation::Erase;
    std::uint8_t passTotal_ = 0;
    std::uint8_t failTotal_ = 0;
};

}  // namespace kvqor
