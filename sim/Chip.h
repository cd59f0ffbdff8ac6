#pragma once
// The chip in the programmer's socket: its code memory, lock level, fuse bits and the bytes the
// programmer reads back from them.
//
// A locked chip behaves as the parts do: from lock level 1 the code memory cannot be programmed
// any more; from level 2 it cannot be verified or read either, and every read returns 00h (so a
// blank check fails on it and a locked chip always needs an erase before reuse). Only an erase
// clears the lock bits; the fuse bits survive an erase.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kvqor::sim {

class Chip {
public:
    // A chip for algorithm code `code` ("01" ... "07") with `size` bytes of code memory and
    // `lockBits` lock bits, erased and unlocked.
    Chip(std::string_view code, std::size_t size, int lockBits);

    const std::string& Code() const { return code_; }
    std::size_t Size() const { return memory_.size(); }
    int LockBits() const { return lockBits_; }
    bool HasFuses() const;  // codes 04, 06 and 07

    // Code memory as the cells hold it, whatever the lock level.
    const std::vector<std::uint8_t>& Memory() const { return memory_; }
    // Puts `data` into the cells from `address` on, as if programmed earlier (for tests).
    void Fill(std::span<const std::uint8_t> data, std::size_t address = 0);
    void Fill(std::uint8_t value);

    // What the programmer reads at `address`: the cell, or 00h once reading is locked.
    std::uint8_t Read(std::size_t address) const;

    // All cells FFh, lock bits cleared.
    void Erase();
    // True when every byte read from 0 to `end` is FFh.
    bool IsBlank(std::size_t end) const;
    // Programs one cell. Flash cells only go from 1 to 0, so programming over a programmed cell
    // that would need a 0 turned back into 1 leaves the cell different from `value`: false then.
    bool Program(std::size_t address, std::uint8_t value);

    int LockLevel() const { return lockLevel_; }
    bool ProgrammingLocked() const { return lockLevel_ >= 1; }
    bool ReadLocked() const { return lockLevel_ >= 2; }
    // Programs lock bits 1 to `level`; lock bits already programmed stay programmed.
    void Lock(int level);

    // The fuse byte as the read-fuse command returns it (0 = programmed/enabled):
    //   code 04:       bit 0 SPIEN; other bits 1.
    //   codes 06, 07:  bit 0 fuse 1 (RCEN or FSTRT), bit 5 SPIEN, bit 7 lock bit 1, bit 6 lock bit 2;
    //                  other bits 1.
    std::uint8_t FuseByte() const;
    // The lock byte as the read-lock command returns it: bit 2 lock bit 1, bit 1 lock bit 2,
    // bit 0 lock bit 3 (0 = programmed); other bits 1.
    std::uint8_t LockByte() const;
    // Takes the fuse bits of a written value in the fuse byte's layout (code 04: bit 0; codes 06
    // and 07: bits 0 and 5); other bits are ignored.
    void WriteFuses(std::uint8_t value);

    bool SpienProgrammed() const { return spienProgrammed_; }
    bool Fuse1Programmed() const { return fuse1Programmed_; }

private:
    std::string code_;
    std::vector<std::uint8_t> memory_;
    int lockBits_;
    int lockLevel_ = 0;
    bool spienProgrammed_ = true;  // serial programming enabled, as parts leave the factory
    bool fuse1Programmed_ = false;
};

// Which chip answers a command. By default the socket takes whatever part the command's device
// code names, so every part of the catalogue can be tried: one chip per code, sized by the
// largest part with that code. It can instead hold one chosen part (commands for another code
// find no chip) or be empty.
class Socket {
public:
    enum class Mode { AnyPart, OnePart, Empty };

    Mode GetMode() const { return mode_; }
    // The part held in OnePart mode (its catalogue name), empty otherwise.
    const std::string& PartName() const { return partName_; }

    void TakeAnyPart();
    // Holds the catalogue part `name` (a fresh, erased chip). False for a name not in the catalogue.
    bool InsertPart(std::string_view name);
    void Remove();

    // The chip that answers a command with device code `code`; nullptr when there is none.
    Chip* ChipFor(std::string_view code);
    // The one part's chip in OnePart mode; nullptr otherwise.
    Chip* Held() { return mode_ == Mode::OnePart ? &chips_.front() : nullptr; }

private:
    Mode mode_ = Mode::AnyPart;
    std::string partName_;
    std::deque<Chip> chips_;  // a deque: chips handed out stay where they are when another is added
};

}  // namespace kvqor::sim
