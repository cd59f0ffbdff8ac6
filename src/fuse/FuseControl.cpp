#include "fuse/FuseControl.h"

#include "link/ControlBytes.h"
#include "link/Hex.h"

namespace kvqor {

namespace {

// Every command is opcode, four parameter digits and the code: eight characters. The codes and
// opcodes come from tables, the parameter from a byte, so no shorter command can be built.
constexpr bool TwoCharacterCodes() {
    for (const FuseLayout& layout : kFuseLayouts) {
        if (layout.code.size() != 2)
            return false;
    }
    return kReadFuseTexts.opcode.size() == 2 && kReadLockTexts.opcode.size() == 2;
}
static_assert(TwoCharacterCodes());

constexpr std::string_view kWriteFuseOpcode = "04";

}  // namespace

bool FuseClick(Host& host, bool hardwareFound, bool fuseItemEnabled) {
    if (!hardwareFound) {
        host.Message(MessageKind::Plain, kComportNotConnect);
        return false;
    }
    if (!fuseItemEnabled) {
        host.Message(MessageKind::Plain, kNotFuseOnDevice);
        return false;
    }
    return true;
}

std::string ChooseFuseFirstText(std::string_view radioCaption) {
    return "Choose " + std::string(kEnableProgram) + " or " + std::string(kDisableErase) + " for " +
           std::string(radioCaption) + " before Write";
}

FuseControl::HandlerScope::~HandlerScope() {
    if (--control_.handlerDepth_ == 0 && control_.closePending_) {
        control_.closePending_ = false;
        control_.view_.RequestClose();
    }
}

FuseControl::FuseControl(Link& link, FuseView& view)
    : link_(link), host_(link.GetHost()), flags_(link.Flags()), view_(view) {}

void FuseControl::SetPart(std::string_view curName, std::string_view curCode) {
    curName_ = curName;
    curCode_ = curCode;
    layout_ = FindFuseLayout(curCode_);
}

void FuseControl::SetBusy(bool busy) {
    busy_ = busy;
    view_.ShowBusy(busy);
}

void FuseControl::EnterBusy(std::string_view waitingText) {
    SetBusy(true);
    view_.FocusCancleFuse();
    flags_.StopRequest = false;
    flags_.ExitRequest = false;
    view_.SetFuseResult(waitingText);
}

void FuseControl::SendFuseCommand(std::string_view opcode, std::string_view parameter) {
    link_.SendCommand(std::string(opcode) + std::string(parameter) + curCode_);
}

std::string_view FuseControl::RadioCaption(FuseRadio radio) const {
    return radio == FuseRadio::Fuse1 ? fuse1Caption_ : fuse2Caption_;
}

void FuseControl::ShowByte(FuseByte byte, std::uint8_t value) {
    if (layout_ == nullptr)
        return;
    for (const FuseBitRow& row : layout_->rows) {
        if (row.byte != byte)
            continue;
        const bool erased = (value & row.mask) != 0;
        if (row.radio)
            view_.SetRadioIndex(*row.radio, erased ? 1 : 0);
        view_.SetField(row.field, BitText(erased));
    }
}

void FuseControl::ApplyNameList() {
    const FuseNameList* list = FindFuseNameList(curName_);
    if (list == nullptr)
        return;
    view_.SetRadioEnabled(FuseRadio::Fuse1, list->fuse1Enabled);
    view_.SetRadioCaption(FuseRadio::Fuse1, list->fuse1Caption);
    view_.SetFuseBitLabel(FuseRadio::Fuse1, list->fuseBit1);
    view_.SetRadioEnabled(FuseRadio::Fuse2, true);
    view_.SetRadioCaption(FuseRadio::Fuse2, list->fuse2Caption);
    view_.SetFuseBitLabel(FuseRadio::Fuse2, list->fuseBit2);
    view_.SetField(list->notPresent, kNotPresent);
    fuse1Caption_ = list->fuse1Caption;
    fuse2Caption_ = list->fuse2Caption;
}

bool FuseControl::ReadExchange(const FuseReadTexts& texts, std::uint8_t& value) {
    HandlerScope scope(*this);
    EnterBusy(texts.waiting);
    SendFuseCommand(texts.opcode, "0000");

    // Two hex digits, high first, with no ACK before them and no checksum after. Anything that is
    // not a digit (a NAK, line noise) ends the exchange at once: the second character would mean
    // nothing after it.
    char digits[2] = {0, 0};
    for (char& digit : digits) {
        std::uint8_t c = 0;
        if (!link_.ReadByte(c, kShortReplyMs)) {
            view_.SetFuseResult(texts.timeOut);
            BreakFuse();
            return false;
        }
        if (!HEX(c)) {
            view_.SetFuseResult(texts.error);
            BreakFuse();
            return false;
        }
        digit = static_cast<char>(c);
    }
    view_.SetFuseResult(texts.complete);
    value = HexStr2ToByte(std::string_view(digits, 2));
    SetBusy(false);
    return true;
}

bool FuseControl::ReadMCUFuse(std::uint8_t& value) {
    return ReadExchange(kReadFuseTexts, value);
}

bool FuseControl::ReadMCULock(std::uint8_t& value) {
    return ReadExchange(kReadLockTexts, value);
}

void FuseControl::BreakFuse() {
    HandlerScope scope(*this);
    link_.DiscardBuffers();
    link_.SendByte(ctl::CAN);
    flags_.StopRequest = false;
    SetBusy(false);
    view_.FocusCancleFuse();
}

bool FuseControl::ReadLockThenFuse(std::uint8_t& fuseByte) {
    if (layout_->hasLockByte) {
        std::uint8_t lock = 0;
        if (ReadMCULock(lock))
            ShowByte(FuseByte::Lock, lock);
    }
    if (!ReadMCUFuse(fuseByte))
        return false;
    ShowByte(FuseByte::Fuse, fuseByte);
    return true;
}

void FuseControl::FormActivate() {
    // The window is activated again whenever a box shown by one of its own handlers closes (the
    // stop question, "Write Fuse Error"). The exchange under that box is still running: starting
    // the reads again here would put a second command on the line in the middle of it.
    if (HandlerRunning())
        return;
    HandlerScope scope(*this);

    view_.SetTitle(std::string(kFuseTitlePrefix) + curName_);
    flags_.StopRequest = false;
    flags_.ExitRequest = false;
    SetBusy(false);
    for (FuseField field : {FuseField::DisplayFuse1, FuseField::DisplayFuse2, FuseField::DisplayLock1,
                            FuseField::DisplayLock2, FuseField::DisplayLock3}) {
        view_.SetField(field, "");
    }
    ApplyNameList();

    if (layout_ != nullptr) {
        // Fuse first, then lock: the reverse of the Read button. Nothing follows the reads (no
        // ENQ); the programmer is left as the last read left it.
        std::uint8_t fuse = 0;
        if (ReadMCUFuse(fuse))
            ShowByte(FuseByte::Fuse, fuse);
        if (layout_->hasLockByte) {
            std::uint8_t lock = 0;
            if (ReadMCULock(lock)) {
                ShowByte(FuseByte::Lock, lock);
                view_.SetFuseResult(kReadFuseTexts.complete);
            }
        }
    }
    view_.FocusCancleFuse();
}

void FuseControl::ReadFuseClick() {
    if (HandlerRunning())
        return;
    HandlerScope scope(*this);
    view_.FocusCancleFuse();
    if (layout_ == nullptr) {
        view_.SetFuseResult(kNotFuseOnDevice);
        return;
    }
    std::uint8_t fuse = 0;
    const bool lastReadOk = ReadLockThenFuse(fuse);
    view_.SetFuseResult(lastReadOk ? kReadFuseTexts.complete : kCanNotReadFuse);
    // The programmer waits for ENQ to end the read session, after a failed read too (then it
    // comes after the abort's CAN).
    link_.SendByte(ctl::ENQ);
    view_.FocusCancleFuse();
}

void FuseControl::StartFuseClick() {
    if (HandlerRunning())
        return;
    HandlerScope scope(*this);
    if (layout_ == nullptr) {
        view_.SetFuseResult(kNotFuseOnDevice);
        return;
    }

    // At the first opening, and after a read that failed then, a radio group has no selection and
    // the value is undefined: nothing is sent rather than a command without its value.
    const FuseSelection selection{view_.RadioIndex(FuseRadio::Fuse1), view_.RadioIndex(FuseRadio::Fuse2)};
    const std::optional<std::uint8_t> written = WrittenValue(*layout_, selection);
    if (!written) {
        for (const FuseWriteBit& bit : layout_->writeBits) {
            const int index = selection.Index(bit.radio);
            if (index != 0 && index != 1) {
                host_.Message(MessageKind::Plain, ChooseFuseFirstText(RadioCaption(bit.radio)));
                break;
            }
        }
        view_.FocusCancleFuse();
        return;
    }

    EnterBusy(kWaitingToWriteFuse);
    SendFuseCommand(kWriteFuseOpcode, "00" + HexByteToStr2(*written));
    std::uint8_t reply = 0;
    if (!link_.ReadByte(reply, kShortReplyMs)) {
        view_.SetFuseResult(kProgramFuseTimeOut);
        BreakFuse();
        return;
    }
    if (reply != ctl::ACK) {
        view_.SetFuseResult(kProgramFuseError);
        BreakFuse();
        return;
    }
    view_.SetFuseResult(kWaitingToVerifyFuse);

    // The read-back shows what the device now holds, so after a write the radio groups show the
    // device's state rather than the user's choice.
    std::uint8_t fuse = 0;
    if (!ReadLockThenFuse(fuse)) {
        // The read has shown its own failure and aborted; without a read-back the write is
        // unconfirmed and must not look passed.
        view_.SetFuseResult(kCanNotReadFuse);
        return;
    }
    if (ReadBackMatches(*layout_, *written, fuse)) {
        view_.SetFuseResult(kProgramFuseComplete);
        link_.SendByte(ctl::ENQ);
        view_.FocusCancleFuse();
        SetBusy(false);
        return;
    }
    view_.SetFuseResult(kVerifyFuseError);
    host_.Message(MessageKind::Error, kWriteFuseError);
    BreakFuse();
}

void FuseControl::CancleFuseClick() {
    if (busy_) {
        flags_.StopRequest = true;
        return;
    }
    if (HandlerRunning()) {
        closePending_ = true;
        return;
    }
    view_.RequestClose();
}

bool FuseControl::QueryClose() {
    if (HandlerRunning()) {
        closePending_ = true;
        return false;
    }
    return true;
}

void FuseControl::FormClose() {
    flags_.StopRequest = false;
    flags_.ExitRequest = false;
    SetBusy(false);
}

}  // namespace kvqor
