#include "cli/FuseRun.h"

#include "cli/TerminalFuseView.h"
#include "fuse/FuseControl.h"

namespace kvqor::cli {

struct FuseRun::Window {
    Window(Link& link, std::string_view curName, std::string_view curCode) : control(link, view) {
        control.SetPart(curName, curCode);
    }
    TerminalFuseView view;
    FuseControl control;
};

FuseRun::FuseRun(Link& link, std::string_view curName, std::string_view curCode)
    : window_(std::make_unique<Window>(link, curName, curCode)) {}

FuseRun::~FuseRun() = default;

void FuseRun::Open() {
    window_->control.FormActivate();
}

bool FuseRun::Write(int fuse1, int fuse2) {
    if (fuse1 >= 0)
        window_->view.SetRadioIndex(FuseRadio::Fuse1, fuse1);
    if (fuse2 >= 0)
        window_->view.SetRadioIndex(FuseRadio::Fuse2, fuse2);
    window_->control.StartFuseClick();
    return window_->view.FuseResult() == kProgramFuseComplete;
}

void FuseRun::Close() {
    window_->control.FormClose();
}

bool FuseRun::Busy() const {
    return window_->control.Busy();
}

void FuseRun::Cancle() {
    window_->control.CancleFuseClick();
}

bool FuseRun::ReadsPassed() const {
    return !window_->view.AnyReadFailed();
}

std::vector<std::string> FuseRun::Lines() const {
    return window_->view.Lines();
}

}  // namespace kvqor::cli
