#include "sim/Chip.h"

#include <algorithm>

#include "device/Catalogue.h"
#include "link/Hex.h"

namespace kvqor::sim {

namespace {

std::size_t PartSize(const StructureDevice& d) {
    return std::size_t{HexStr4ToWord(d.DeviceEnd)} + 1;
}
int PartLockBits(const StructureDevice& d) {
    return HexStr4ToWord(d.DeviceLockBits);
}

std::uint8_t ClearBitIf(std::uint8_t byte, int bit, bool programmed) {
    return programmed ? static_cast<std::uint8_t>(byte & ~(1u << bit)) : byte;
}

}  // namespace

Chip::Chip(std::string_view code, std::size_t size, int lockBits)
    : code_(code), memory_(size, 0xFF), lockBits_(lockBits) {}

bool Chip::HasFuses() const {
    return code_ == "04" || code_ == "06" || code_ == "07";
}

void Chip::Fill(std::span<const std::uint8_t> data, std::size_t address) {
    for (std::size_t i = 0; i < data.size() && address + i < memory_.size(); ++i)
        memory_[address + i] = data[i];
}

void Chip::Fill(std::uint8_t value) {
    std::fill(memory_.begin(), memory_.end(), value);
}

std::uint8_t Chip::Read(std::size_t address) const {
    if (address >= memory_.size() || ReadLocked())
        return 0x00;
    return memory_[address];
}

void Chip::Erase() {
    Fill(0xFF);
    lockLevel_ = 0;
}

bool Chip::IsBlank(std::size_t end) const {
    for (std::size_t a = 0; a <= end; ++a) {
        if (Read(a) != 0xFF)
            return false;
    }
    return true;
}

bool Chip::Program(std::size_t address, std::uint8_t value) {
    if (address >= memory_.size())
        return false;
    memory_[address] = static_cast<std::uint8_t>(memory_[address] & value);
    return memory_[address] == value;
}

void Chip::Lock(int level) {
    lockLevel_ = std::max(lockLevel_, std::clamp(level, 0, lockBits_));
}

std::uint8_t Chip::FuseByte() const {
    if (code_ == "04")
        return ClearBitIf(0xFF, 0, spienProgrammed_);
    std::uint8_t b = 0xFF;
    b = ClearBitIf(b, 0, fuse1Programmed_);
    b = ClearBitIf(b, 5, spienProgrammed_);
    b = ClearBitIf(b, 7, lockLevel_ >= 1);
    b = ClearBitIf(b, 6, lockLevel_ >= 2);
    return b;
}

std::uint8_t Chip::LockByte() const {
    std::uint8_t b = 0xFF;
    b = ClearBitIf(b, 2, lockLevel_ >= 1);
    b = ClearBitIf(b, 1, lockLevel_ >= 2);
    b = ClearBitIf(b, 0, lockLevel_ >= 3);
    return b;
}

void Chip::WriteFuses(std::uint8_t value) {
    if (code_ == "04") {
        spienProgrammed_ = (value & 0x01) == 0;
    } else if (HasFuses()) {
        fuse1Programmed_ = (value & 0x01) == 0;
        spienProgrammed_ = (value & 0x20) == 0;
    }
}

void Socket::TakeAnyPart() {
    mode_ = Mode::AnyPart;
    partName_.clear();
    chips_.clear();
}

bool Socket::InsertPart(std::string_view name) {
    const auto index = FindDevice(name);
    if (!index)
        return false;
    const StructureDevice& d = DeviceTable[*index];
    mode_ = Mode::OnePart;
    partName_ = std::string(name);
    chips_.clear();
    chips_.emplace_back(d.DeviceCode, PartSize(d), PartLockBits(d));
    return true;
}

void Socket::Remove() {
    mode_ = Mode::Empty;
    partName_.clear();
    chips_.clear();
}

Chip* Socket::ChipFor(std::string_view code) {
    for (Chip& c : chips_) {
        if (c.Code() == code)
            return &c;
    }
    if (mode_ != Mode::AnyPart)
        return nullptr;
    std::size_t size = 0;
    int lockBits = 0;
    for (const StructureDevice& d : DeviceTable) {
        if (d.DeviceCode != code)
            continue;
        size = std::max(size, PartSize(d));
        lockBits = std::max(lockBits, PartLockBits(d));
    }
    if (size == 0)
        return nullptr;
    return &chips_.emplace_back(code, size, lockBits);
}

}  // namespace kvqor::sim
