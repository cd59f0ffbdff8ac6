#pragma once
// The fuse window as the command line keeps it: the two fuse labels and the five status fields,
// the radio groups that fuse-write sets from --fuse1 and --fuse2, and every status text in the
// order shown, so that a failed exchange is known even when a later one passes.

#include <array>
#include <string>
#include <vector>

#include "fuse/FuseView.h"

namespace kvqor::cli {

class TerminalFuseView : public FuseView {
public:
    void SetTitle(std::string_view) override {}
    void SetFuseResult(std::string_view text) override;
    void SetField(FuseField field, std::string_view text) override;
    int RadioIndex(FuseRadio radio) const override;
    void SetRadioIndex(FuseRadio radio, int index) override;
    void SetRadioCaption(FuseRadio, std::string_view) override {}
    void SetRadioEnabled(FuseRadio, bool) override {}
    void SetFuseBitLabel(FuseRadio radio, std::string_view text) override;
    void ShowBusy(bool) override {}
    void FocusCancleFuse() override {}
    void RequestClose() override {}

    // The status line now.
    const std::string& FuseResult() const { return result_; }
    // Whether any read exchange so far failed (time-out, a stop, an unreadable reply).
    bool AnyReadFailed() const;
    // What the window shows: each field beside its label, then the status line.
    std::vector<std::string> Lines() const;

private:
    std::string result_;
    std::vector<std::string> history_;
    std::array<std::string, 5> fields_{};
    std::array<std::string, 2> labels_{"Fuse Bit1", "Fuse Bit2"};
    std::array<int, 2> radios_{-1, -1};
};

}  // namespace kvqor::cli
