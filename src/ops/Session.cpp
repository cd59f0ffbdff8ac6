#include "ops/Session.h"

#include "link/ControlBytes.h"
#include "link/Hex.h"
#include "link/Identify.h"

namespace kvqor {

namespace {
constexpr std::uint32_t kBlockSize = 64;
}

Session::Session(Host& host, Display& display) : host_(host), display_(display) {}

// --- the programmer on its port

void Session::AttachWire(Wire* wire, std::string portLabel) {
    link_.SetWire(wire);
    portLabel_ = std::move(portLabel);
}

void Session::PortOpenFailed() {
    link_.SetWire(nullptr);
    qorCode_.clear();
    // Without a line no operation can reach a programmer; keep the Device commands off it.
    hardwareFound_ = false;
}

void Session::ReadVersion() {
    hardwareFound_ = false;
    qorCode_.clear();
    const Identification id = kvqor::ReadVersion(link_, portLabel_);
    hardwareFound_ = id.found;
    qorCode_ = id.code;
    flags_.ForceStop = false;  // a close that cut the identification short has been served
}

void Session::CheckQORClick() {
    if (link_.IsOpen()) {
        qorCode_.clear();
        ReadVersion();
    } else {
        host_.Message(MessageKind::Error, kComportNotFound);
        qorCode_.clear();
    }
}

// --- the run cycle

void Session::SetState(RunState state) {
    state_ = state;
    display_.ApplyRunState(state, OperationTitle(current_));
}

void Session::RunOperation(Operation op) {
    if (!hardwareFound_) {
        host_.Message(MessageKind::Plain, kComportNotConnect);
        return;
    }
    current_ = op;
    BeforeRun();
    for (;;) {
        if (!WaitForRun()) return;
        PassStart();
        if (!PassOf(op)) return;  // the failure ending ran
        if (!PassEnding()) return;
    }
}

void Session::StartRunClick() { flags_.RunRequest = true; }

void Session::StopRunClick() {
    // The same button is Exit between passes and Stop during one.
    if (state_ == RunState::WaitingForRun) {
        flags_.ExitRequest = true;
    } else if (state_ == RunState::Pass) {
        flags_.StopRequest = true;
    }
}

void Session::ResetCountClick() {
    if (state_ == RunState::Pass) return;  // Reset is disabled during a pass
    passTotal_ = 0;
    failTotal_ = 0;
    display_.ShowCounters(passTotal_, failTotal_);
}

void Session::AbortForClose() {
    if (state_ == RunState::WaitingForRun) {
        flags_.ExitRequest = true;
    } else {
        // A pass, or an identification (the only other exchange that waits): end its wait now.
        flags_.ForceStop = true;
    }
}

void Session::BeforeRun() {
    for (int line = 1; line <= kResultLines; ++line) display_.SetLine(line, "");
    display_.HideGauge();
    flags_.Clear();
    SetState(RunState::WaitingForRun);
}

void Session::AfterRun() {
    for (int line = 1; line <= kResultLines; ++line) display_.SetLine(line, "");
    display_.HideGauge();
    flags_.Clear();
    flags_.ForceStop = false;
    SetState(RunState::Idle);
}

void Session::BreakError() {
    link_.DiscardBuffers();
    link_.SendByte(ctl::CAN);
    ++failTotal_;
    display_.ShowCounters(passTotal_, failTotal_);
    display_.HideGauge();  // the result lines keep the failure texts
    flags_.Clear();
    flags_.ForceStop = false;
    SetState(RunState::Idle);
    display_.PassEnded(false);
}

bool Session::WaitForRun() {
    while (!flags_.RunRequest) {
        host_.PumpEvents(flags_.ExitRequest ? 0 : kForever);
        if (flags_.ExitRequest) {
            AfterRun();
            return false;
        }
    }
    return true;
}

void Session::PassStart() {
    for (int line = 1; line <= kResultLines; ++line) display_.SetLine(line, "");
    SetState(RunState::Pass);
    display_.ShowGauge(workspace_.DeviceEnd());
}

bool Session::PassEnding() {
    ++passTotal_;
    display_.ShowCounters(passTotal_, failTotal_);
    link_.SendByte(ctl::ENQ);
    flags_.RunRequest = false;
    SetState(RunState::WaitingForRun);
    display_.PassEnded(true);
    if (flags_.ExitRequest || flags_.ForceStop) {
        AfterRun();
        return false;
    }
    return true;
}

void Session::FailureEnding(int line) {
    display_.SetLine(line + 1, kCommandAbort);
    BreakError();
}

std::string Session::Command(std::string_view opcodeAndParameter) const {
    return std::string(opcodeAndParameter) + workspace_.CurCode;
}

bool Session::PassOf(Operation op) {
    bool passed = false;
    switch (op) {
        case Operation::Erase: passed = SingleReply(1, Command("050000"), kEraseTexts); break;
        case Operation::Blank: passed = SingleReply(1, Command("0A" + workspace_.CurEnd), kBlankTexts); break;
        case Operation::Lock1: passed = SingleReply(1, Command("030001"), kLock1Texts); break;
        case Operation::Lock2: passed = SingleReply(1, Command("030002"), kLock2Texts); break;
        case Operation::Lock3: passed = SingleReply(1, Command("030003"), kLock3Texts); break;
        case Operation::Program: passed = BlockStep(1, Command("010000"), kProgramTexts); break;
        case Operation::Verify: passed = BlockStep(1, Command("0C0000"), kVerifyTexts); break;
        case Operation::Read:
            display_.SetLine(1, kReadTexts.wait);
            link_.SendCommand(Command("060000"));
            passed = ReadBlocks();
            if (passed) {
                workspace_.ReadPassed();
                display_.WorkspaceChanged();
                display_.SetLine(1, kReadTexts.pass);
            }
            break;
        case Operation::Auto: return AutoPass();
    }
    if (!passed) FailureEnding(1);
    return passed;
}

bool Session::SingleReply(int line, std::string_view command, const SingleReplyTexts& texts) {
    display_.SetLine(line, texts.wait);
    link_.SendCommand(command);
    std::uint8_t reply = 0;
    if (!link_.ReadByte(reply, kLongReplyMs)) {
        // A confirmed stop reads as a time-out here: single replies have no Break text.
        display_.SetLine(line, texts.timeOut);
        return false;
    }
    if (reply == ctl::ACK) {
        display_.SetProgress(workspace_.DeviceEnd());
        display_.SetLine(line, texts.pass);
        return true;
    }
    display_.SetLine(line, reply == ctl::NAK ? texts.fail : texts.error);
    return false;
}

bool Session::BlockStep(int line, std::string_view command, const BlockTexts& texts) {
    display_.SetLine(line, texts.wait);
    link_.SendCommand(command);
    if (!SendBlocks(line, texts)) return false;
    display_.SetLine(line, texts.pass);
    return true;
}

bool Session::SendBlocks(int line, const BlockTexts& texts) {
    const std::uint32_t end = workspace_.DeviceEnd();
    auto noReply = [&] {
        display_.SetLine(line, flags_.ExitRequest ? texts.brk : texts.timeOut);
        return false;
    };
    auto nak = [&] {
        display_.SetLine(line, std::string(texts.failPrefix) + ReadFailureReport());
        return false;
    };
    std::uint8_t b = 0;

    // Block requests: the programmer paces the transfer with one DC1 per block. The address runs
    // in 32 bits so that a range ending at FFFFh cannot wrap back to 0000h.
    std::uint32_t address = 0;
    do {
        if (!link_.ReadByte(b, kShortReplyMs)) return noReply();
        if (b == ctl::NAK) return nak();
        if (b != ctl::DC1) {
            display_.SetLine(line, texts.error);
            return false;
        }
        SendBlock(address, line, texts);
        address += kBlockSize;
    } while (address < end && address < 0x10000);

    // End request: one more DC1, answered with DC3.
    if (!link_.ReadByte(b, kShortReplyMs)) return noReply();
    if (b == ctl::NAK) return nak();
    if (b != ctl::DC1) {
        display_.SetLine(line, texts.error);
        return false;
    }
    link_.SendByte(ctl::DC3);

    // Verdict.
    if (!link_.ReadByte(b, kShortReplyMs)) return noReply();
    if (b == ctl::ACK) return true;
    if (b == ctl::NAK) return nak();
    display_.SetLine(line, texts.error);
    return false;
}

void Session::SendBlock(std::uint32_t address, int line, const BlockTexts& texts) {
    const auto& buffer = workspace_.Buffer.HexBuffer;
    std::uint8_t sum = 0;
    for (std::uint32_t k = 0; k < kBlockSize; ++k) sum = static_cast<std::uint8_t>(sum + buffer[address + k]);
    const std::string prefix(texts.progress);
    for (std::uint32_t k = 0; k < kBlockSize; ++k) {
        // A line lost mid-block: stop here rather than complain once per character; the next
        // wait ends at once and the failure ending reports it.
        if (!link_.IsOpen()) return;
        const auto at = static_cast<std::uint16_t>(address + k);
        link_.SendWord(buffer[at]);
        display_.SetLine(line, prefix + HexWordToStr4(at));
        display_.SetProgress(at);
    }
    link_.SendWord(sum);
}

std::string Session::ReadFailureReport() {
    std::string report;
    for (int i = 0; i < 4; ++i) {
        std::uint8_t c = 0;
        if (link_.ReadByte(c, kShortReplyMs)) report.push_back(static_cast<char>(c));
    }
    return report;
}

bool Session::ReadBlocks() {
    const std::uint32_t end = workspace_.DeviceEnd();
    auto& buffer = workspace_.Buffer.HexBuffer;
    const std::string prefix(kReadTexts.progress);

    // One hex character; false with the failure text shown.
    auto readHex = [&](char& c) {
        std::uint8_t b = 0;
        if (!link_.ReadByte(b, kShortReplyMs)) {
            display_.SetLine(1, flags_.ExitRequest ? kReadTexts.brk : kReadTexts.timeOut);
            return false;
        }
        if (!HEX(b)) {
            display_.SetLine(1, kReadTexts.error);
            return false;
        }
        c = static_cast<char>(b);
        return true;
    };
    auto readPair = [&](std::uint8_t& value) {
        char pair[2] = {};
        if (!readHex(pair[0]) || !readHex(pair[1])) return false;
        value = HexStr2ToByte(std::string_view(pair, 2));
        return true;
    };

    std::uint32_t address = 0;
    for (;;) {
        // The programmer sends the first block unasked, every further one after our DC1.
        display_.SetLine(1, prefix + HexWordToStr4(static_cast<std::uint16_t>(address)));
        std::uint8_t sum = 0;
        for (std::uint32_t i = 0; i < kBlockSize; ++i) {
            std::uint8_t b = 0;
            if (!readPair(b)) return false;
            const auto at = static_cast<std::uint16_t>(address + i);
            buffer[at] = b;  // kept even if the block fails later
            sum = static_cast<std::uint8_t>(sum + b);
            display_.SetLine(1, prefix + HexWordToStr4(at));
            display_.SetProgress(at);
        }
        std::uint8_t received = 0;
        if (!readPair(received)) return false;
        if (received != sum) {
            display_.SetLine(1, kReadTexts.checksumError);
            return false;
        }
        address += kBlockSize;
        if (address < end && address < 0x10000) {
            link_.SendByte(ctl::DC1);
        } else {
            link_.SendByte(ctl::DC3);
            break;
        }
    }

    std::uint8_t verdict = 0;
    if (!link_.ReadByte(verdict, kShortReplyMs)) {
        display_.SetLine(1, flags_.ExitRequest ? kReadTexts.brk : kReadTexts.timeOut);
        return false;
    }
    if (verdict != ctl::ACK) {
        display_.SetLine(1, kReadTexts.error);
        return false;
    }
    return true;
}

bool Session::AutoPass() {
    const std::uint16_t max = workspace_.DeviceEnd();
    auto step = [&](int line, auto&& run) {
        display_.ShowGauge(max);  // each step sweeps the gauge from 0 again
        if (run(line)) return true;
        FailureEnding(line);
        return false;
    };
    const bool passed =
        step(1, [&](int l) { return SingleReply(l, Command("050000"), kEraseTexts); }) &&
        step(2, [&](int l) { return SingleReply(l, Command("0A" + workspace_.CurEnd), kBlankTexts); }) &&
        step(3, [&](int l) { return BlockStep(l, Command("010000"), kProgramTexts); }) &&
        step(4, [&](int l) { return BlockStep(l, Command("0C0000"), kVerifyTexts); }) &&
        step(5, [&](int l) { return SingleReply(l, Command("03" + workspace_.CurLockBits), kAutoLockTexts); });
    if (passed) display_.SetLine(6, kAutoProgramPass);
    return passed;
}

}  // namespace kvqor
