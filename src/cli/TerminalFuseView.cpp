#include "cli/TerminalFuseView.h"

#include <algorithm>

#include "fuse/FuseControl.h"

namespace kvqor::cli {

namespace {

std::size_t Slot(FuseRadio radio) {
    return radio == FuseRadio::Fuse1 ? 0 : 1;
}

}  // namespace

void TerminalFuseView::SetFuseResult(std::string_view text) {
    result_ = text;
    history_.emplace_back(text);
}

void TerminalFuseView::SetField(FuseField field, std::string_view text) {
    fields_[static_cast<std::size_t>(field)] = text;
}

int TerminalFuseView::RadioIndex(FuseRadio radio) const {
    return radios_[Slot(radio)];
}

void TerminalFuseView::SetRadioIndex(FuseRadio radio, int index) {
    radios_[Slot(radio)] = index;
}

void TerminalFuseView::SetFuseBitLabel(FuseRadio radio, std::string_view text) {
    labels_[Slot(radio)] = text;
}

bool TerminalFuseView::AnyReadFailed() const {
    return std::any_of(history_.begin(), history_.end(), [](const std::string& t) {
        return t == kReadFuseTexts.timeOut || t == kReadFuseTexts.error || t == kReadLockTexts.timeOut ||
               t == kReadLockTexts.error || t == kCanNotReadFuse;
    });
}

std::vector<std::string> TerminalFuseView::Lines() const {
    const std::array<std::string, 5> names{labels_[0], labels_[1], "Lock Bit1", "Lock Bit2", "Lock Bit3"};
    std::vector<std::string> lines;
    for (std::size_t i = 0; i < names.size(); ++i) {
        std::string line = names[i];
        line.resize(std::max<std::size_t>(line.size(), 10), ' ');
        line += " :";
        if (!fields_[i].empty())
            line += " " + fields_[i];
        lines.push_back(line);
    }
    if (!result_.empty())
        lines.push_back(result_);
    return lines;
}

}  // namespace kvqor::cli
