#pragma once
// What the fuse exchanges show and read in their window. The Qt window maps it to its widgets,
// the command line to the terminal, tests to a recording.

#include <string_view>

#include "fuse/FuseLayout.h"

namespace kvqor {

class FuseView {
public:
    virtual ~FuseView() = default;

    // The window title.
    virtual void SetTitle(std::string_view text) = 0;

    // The status line FuseResult.
    virtual void SetFuseResult(std::string_view text) = 0;

    // One of the five status fields.
    virtual void SetField(FuseField field, std::string_view text) = 0;

    // A radio group's selection: 0 or 1, -1 for none.
    virtual int RadioIndex(FuseRadio radio) const = 0;
    virtual void SetRadioIndex(FuseRadio radio, int index) = 0;
    virtual void SetRadioCaption(FuseRadio radio, std::string_view text) = 0;
    virtual void SetRadioEnabled(FuseRadio radio, bool enabled) = 0;

    // The label beside a radio group's status field: FuseBit1 for Fuse1, FuseBit2 for Fuse2.
    virtual void SetFuseBitLabel(FuseRadio radio, std::string_view text) = 0;

    // The one place the busy state reaches the buttons. Busy: StartFuse and ReadFuse disabled,
    // CancleFuse reads kCancleCaption. Idle: both enabled, CancleFuse reads kExitCaption.
    // CancleFuse itself is always enabled.
    virtual void ShowBusy(bool busy) = 0;

    // Keyboard focus to CancleFuse.
    virtual void FocusCancleFuse() = 0;

    // Close the window. Only asked for while no handler of the window is running.
    virtual void RequestClose() = 0;
};

}  // namespace kvqor
