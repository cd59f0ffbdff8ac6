#include "sim/Firmware.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <stdexcept>

#include "link/ControlBytes.h"
#include "link/Hex.h"

namespace kvqor::sim {

namespace {

constexpr std::size_t kCommandChars = 8;
constexpr std::size_t kFrameChars = kCommandChars + 3;  // the command, ETX, two checksum digits
constexpr std::size_t kBlockBytes = 64;
constexpr std::size_t kBlockChars = 2 * kBlockBytes + 2;

std::string Char(std::uint8_t b) {
    return std::string(1, static_cast<char>(b));
}

}  // namespace

Micros Timing::CharTime() const {
    if (!paced || baud <= 0)
        return 0;
    return (Micros{bitsPerChar} * 1'000'000 + baud / 2) / baud;
}

Firmware::Firmware(FirmwareSettings settings) : settings_(std::move(settings)) {}

sim::Chip& Firmware::Chip(std::string_view code) {
    sim::Chip* chip = nullptr;
    if (!code.empty()) {
        chip = socket_.ChipFor(code);
    } else {
        chip = socket_.Held();
    }
    if (chip == nullptr)
        throw std::invalid_argument("no chip in the socket for device code '" + std::string(code) + "'");
    return *chip;
}

bool Firmware::Quiet() const {
    return phase_ == Phase::Idle && out_.empty();
}

void Firmware::Reset() {
    phase_ = Phase::Idle;
    frame_.clear();
    block_.clear();
    out_.clear();
    inFree_ = outFree_ = 0;
    chip_ = nullptr;
}

std::vector<Output> Firmware::TakeDue(Micros now) {
    std::vector<Output> due;
    while (!out_.empty() && out_.front().at <= now) {
        due.push_back(out_.front());
        out_.pop_front();
    }
    return due;
}

std::string Firmware::Hex2(std::uint8_t value) const {
    std::string s = HexByteToStr2(value);
    if (settings_.lowerCaseHex) {
        for (char& c : s)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return s;
}

std::string Firmware::Ack() const {
    return Char(ctl::ACK);
}

void Firmware::Receive(std::uint8_t b, Micros now) {
    // The character is taken in once it has crossed the line behind the ones before it.
    const Micros t = std::max(now, inFree_) + settings_.timing.CharTime();
    inFree_ = t;

    if (b == ctl::CAN) {
        ++cans_;
        Abort(t);
        return;
    }
    switch (phase_) {
        case Phase::Idle:
            if (b == ctl::STX) {
                frame_.clear();
                phase_ = Phase::Frame;
            } else if (b == ctl::ENQ) {
                ++enqs_;
            }
            return;
        case Phase::Frame:
            FrameByte(b, t);
            return;
        case Phase::WaitDc3:
            if (b == ctl::DC3) {
                Give(t, settings_.timing.reply, {Ack()}, kVerdict);
            } else {
                Refuse(t, kReportProtocol, kVerdict);
            }
            return;
        case Phase::WaitBlock:
            if (b == ctl::DC3 && !firstFailure_.empty()) {
                Refuse(t, firstFailure_, kVerdict);
            } else if (b == ctl::DC3) {
                Give(t, settings_.timing.reply, {Ack()}, kVerdict);
            } else if (HEX(b)) {
                block_.assign(1, static_cast<char>(b));
                phase_ = Phase::InBlock;
            } else {
                Refuse(t, kReportProtocol, blocks_ + 1);
            }
            return;
        case Phase::InBlock:
            if (!HEX(b)) {
                Refuse(t, kReportBlockHex, blocks_ + 1);
                return;
            }
            block_.push_back(static_cast<char>(b));
            if (block_.size() == kBlockChars)
                EndOfBlock(t);
            return;
        case Phase::WaitReadAnswer:
            if (b == ctl::DC1) {
                SendReadBlock(t, settings_.timing.readBlock, blocks_);
            } else if (b == ctl::DC3) {
                Give(t, settings_.timing.reply, {Ack()}, kVerdict);
            } else {
                Refuse(t, kReportProtocol, blocks_);
            }
            return;
    }
}

void Firmware::FrameByte(std::uint8_t b, Micros t) {
    frame_.push_back(static_cast<char>(b));
    const std::size_t i = frame_.size() - 1;
    if (i == 1)
        exchange_ =
            HEX(frame_[0]) && HEX(frame_[1]) ? ExchangeForOpcode(HexStr2ToByte(frame_)) : Exchange::Any;
    const bool fits = i == kCommandChars ? b == ctl::ETX : HEX(b);
    if (!fits) {
        if (i == 0)
            exchange_ = Exchange::Any;
        command_ = frame_.substr(0, std::min(i, kCommandChars));
        commands_.push_back({t, command_, exchange_, {}});
        if (observer_)
            observer_(commands_.back());
        Refuse(t, kReportFrame, 0);
        return;
    }
    if (frame_.size() == kFrameChars)
        Dispatch(t);
}

void Firmware::Dispatch(Micros t) {
    command_ = frame_.substr(0, kCommandChars);
    commands_.push_back({t, command_, exchange_, {}});
    if (observer_)
        observer_(commands_.back());

    std::array<unsigned, 4> bytes{};
    unsigned sum = 3;
    for (std::size_t k = 0; k < 4; ++k) {
        bytes[k] = HexStr2ToByte(std::string_view(command_).substr(2 * k, 2));
        sum += bytes[k];
    }
    if ((sum & 0xFF) != HexStr2ToByte(std::string_view(frame_).substr(kCommandChars + 1, 2))) {
        Refuse(t, kReportChecksum, 0);
        return;
    }
    if (exchange_ == Exchange::Any) {
        Refuse(t, kReportOpcode, 0);
        return;
    }
    const Timing& time = settings_.timing;
    if (exchange_ == Exchange::Identify) {
        std::string code = settings_.code.substr(0, kCommandChars);
        code.resize(kCommandChars, ' ');
        std::uint8_t codeSum = 0;
        for (char c : code)
            codeSum = static_cast<std::uint8_t>(codeSum + static_cast<std::uint8_t>(c));
        Give(t, time.reply, {code + Hex2(codeSum), Phase::WaitDc3, {true, true}, kCommandChars}, 0);
        return;
    }

    chip_ = socket_.ChipFor(std::string_view(command_).substr(6, 2));
    if (chip_ == nullptr) {
        Refuse(t, kReportDevice, 0);
        return;
    }
    const unsigned parameter = bytes[1] * 256 + bytes[2];
    blocks_ = 0;
    firstFailure_.clear();
    switch (exchange_) {
        case Exchange::Erase:
            chip_->Erase();
            Give(t, time.erase, {Ack()}, 0);
            return;
        case Exchange::BlankCheck:
            if (parameter >= chip_->Size()) {
                Refuse(t, kReportParameter, 0);
            } else if (chip_->IsBlank(parameter)) {
                Give(t, time.blankCheck, {Ack()}, 0);
            } else {
                Refuse(t, kReportNotBlank, 0, time.blankCheck);
            }
            return;
        case Exchange::Program:
            if (chip_->ProgrammingLocked()) {
                Refuse(t, kReportLocked, 0);
                return;
            }
            [[fallthrough]];
        case Exchange::Verify:
            Give(t, time.reply, {Char(ctl::DC1), Phase::WaitBlock}, 0);
            return;
        case Exchange::Read:
            SendReadBlock(t, time.readBlock, 0);
            return;
        case Exchange::Lock:
            if (parameter < 1 || parameter > static_cast<unsigned>(chip_->LockBits())) {
                Refuse(t, kReportParameter, 0);
                return;
            }
            chip_->Lock(static_cast<int>(parameter));
            Give(t, time.lock, {Ack()}, 0);
            return;
        case Exchange::ReadFuse:
        case Exchange::ReadLock:
            if (exchange_ == Exchange::ReadFuse && !chip_->HasFuses()) {
                Refuse(t, kReportNoFuses, 0);
                return;
            }
            Give(t, time.reply,
                 {Hex2(exchange_ == Exchange::ReadFuse ? chip_->FuseByte() : chip_->LockByte()),
                  Phase::Idle,
                  {true, false}},
                 0);
            return;
        case Exchange::WriteFuse:
            if (!chip_->HasFuses()) {
                Refuse(t, kReportNoFuses, 0);
            } else if (parameter > 0xFF) {
                Refuse(t, kReportParameter, 0);
            } else {
                chip_->WriteFuses(static_cast<std::uint8_t>(parameter));
                Give(t, time.fuse, {Ack()}, 0);
            }
            return;
        default:
            Refuse(t, kReportOpcode, 0);
            return;
    }
}

void Firmware::EndOfBlock(Micros t) {
    std::array<std::uint8_t, kBlockBytes> data{};
    std::uint8_t sum = 0;
    for (std::size_t i = 0; i < kBlockBytes; ++i) {
        data[i] = HexStr2ToByte(std::string_view(block_).substr(2 * i, 2));
        sum = static_cast<std::uint8_t>(sum + data[i]);
    }
    const int answerAfter = blocks_ + 1;
    if (sum != HexStr2ToByte(std::string_view(block_).substr(2 * kBlockBytes, 2))) {
        Refuse(t, kReportBlockSum, answerAfter);
        return;
    }
    const std::size_t address = static_cast<std::size_t>(blocks_) * kBlockBytes;
    if (address + kBlockBytes > chip_->Size()) {
        Refuse(t, kReportAddress, answerAfter);
        return;
    }
    const bool program = exchange_ == Exchange::Program;
    for (std::size_t i = 0; i < kBlockBytes; ++i) {
        const bool good =
            program ? chip_->Program(address + i, data[i]) : chip_->Read(address + i) == data[i];
        if (good)
            continue;
        const std::string report = HexWordToStr4(static_cast<std::uint16_t>(address + i));
        if (!settings_.reportInVerdict) {
            Refuse(t, report, answerAfter);
            return;
        }
        if (firstFailure_.empty())
            firstFailure_ = report;
    }
    blocks_ = answerAfter;
    const Micros work = program ? settings_.timing.programBlock : settings_.timing.verifyBlock;
    Give(t, work, {Char(ctl::DC1), Phase::WaitBlock}, blocks_);
}

void Firmware::SendReadBlock(Micros t, Micros delay, int index) {
    const std::size_t address = static_cast<std::size_t>(index) * kBlockBytes;
    if (address + kBlockBytes > chip_->Size()) {
        Refuse(t, kReportAddress, index);
        return;
    }
    std::string text;
    std::uint8_t sum = 0;
    for (std::size_t i = 0; i < kBlockBytes; ++i) {
        const std::uint8_t b = chip_->Read(address + i);
        sum = static_cast<std::uint8_t>(sum + b);
        text += Hex2(b);
    }
    text += Hex2(sum);
    blocks_ = index + 1;
    Give(t, delay, {std::move(text), Phase::WaitReadAnswer, {true, true}}, index);
}

void Firmware::Abort(Micros t) {
    phase_ = Phase::Idle;
    // A character already on its way finishes; the rest is never sent. A pulled cable stays pulled.
    const Micros charTime = settings_.timing.CharTime();
    std::erase_if(out_,
                  [&](const Output& o) { return o.kind == Output::Kind::Byte && o.at - charTime >= t; });
    outFree_ = 0;
    for (const Output& o : out_)
        outFree_ = std::max(outFree_, o.at);
}

void Firmware::Refuse(Micros t, std::string_view reason, int reply) {
    Refuse(t, reason, reply, settings_.timing.reply);
}

void Firmware::Refuse(Micros t, std::string_view reason, int reply, Micros delay) {
    if (!commands_.empty() && commands_.back().nak.empty())
        commands_.back().nak = std::string(reason);
    std::string text = Char(ctl::NAK);
    if (exchange_ == Exchange::Program || exchange_ == Exchange::Verify)
        text += reason;
    Give(t, delay, {std::move(text)}, reply);
}

void Firmware::Give(Micros t, Micros delay, Answer answer, int reply) {
    const auto fault = faults_.Strike({exchange_, reply}, answer.shape, command_, t);
    phase_ = answer.next;
    Micros ready = t + delay;
    std::string& text = answer.text;
    bool drop = false;
    if (fault) {
        switch (fault->kind) {
            case FaultKind::Silence:
                phase_ = Phase::Idle;
                return;
            case FaultKind::Delay:
                ready += fault->delay;
                break;
            case FaultKind::Nak:
                text = Char(ctl::NAK) + fault->text;
                phase_ = Phase::Idle;
                break;
            case FaultKind::Byte:
                text = Char(fault->byte);
                phase_ = Phase::Idle;
                break;
            case FaultKind::Garbage:
                text = fault->text + text;
                break;
            case FaultKind::BadChecksum: {
                const std::size_t at = text.size() - 2;
                text.replace(at, 2, Hex2(static_cast<std::uint8_t>(HexStr2ToByte(text.substr(at)) + 1)));
                break;
            }
            case FaultKind::NonHex:
                text[std::min(fault->position, text.size() - 1)] = static_cast<char>(fault->byte);
                break;
            case FaultKind::LowerCase:
                for (std::size_t i = answer.hexFrom; i < text.size(); ++i) {
                    text[i] = static_cast<char>(std::tolower(static_cast<unsigned char>(text[i])));
                }
                break;
            case FaultKind::DropLine:
                text.resize(std::min(fault->position, text.size()));
                drop = true;
                phase_ = Phase::Idle;
                break;
        }
    }
    Emit(ready, text);
    if (drop)
        out_.push_back({Output::Kind::DropLine, 0, std::max(ready, outFree_)});
}

void Firmware::Emit(Micros ready, std::string_view text) {
    const Micros charTime = settings_.timing.CharTime();
    for (char c : text) {
        outFree_ = std::max(ready, outFree_) + charTime;
        out_.push_back({Output::Kind::Byte, static_cast<std::uint8_t>(c), outFree_});
    }
}

}  // namespace kvqor::sim
