#pragma once
// Where the fuse and lock bits sit in the bytes the programmer returns, which of them the fuse
// window shows where, and what it writes. Facts of the parts, kept as data: the exchanges in
// FuseControl only walk these tables.
//
// A 0 bit is a programmed ("Enable(Program)") fuse or lock bit, a 1 bit an erased one
// ("Disable(Erase)"); radio index 0 and 1 follow the bit.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace kvqor {

// The two bytes the programmer reads back: the fuse byte (opcode 09) and the lock byte (08).
enum class FuseByte { Fuse, Lock };

// The two radio groups of the window; each comes with its label (FuseBit1, FuseBit2).
enum class FuseRadio { Fuse1, Fuse2 };

// The five read-only status fields.
enum class FuseField { DisplayFuse1, DisplayFuse2, DisplayLock1, DisplayLock2, DisplayLock3 };

inline constexpr std::string_view kEnableProgram = "Enable(Program)";
inline constexpr std::string_view kDisableErase = "Disable(Erase)";
inline constexpr std::string_view kNotPresent = "Not Present";

// The text of one fuse or lock bit.
constexpr std::string_view BitText(bool erased) {
    return erased ? kDisableErase : kEnableProgram;
}

// One bit of a returned byte and where it is shown: its text in `field` and, when `radio` is set,
// the bit as that group's index.
struct FuseBitRow {
    FuseByte byte;
    std::uint8_t mask;
    std::optional<FuseRadio> radio;
    FuseField field;
};

// One bit of the written fuse value and the radio group it comes from.
struct FuseWriteBit {
    std::uint8_t mask;
    FuseRadio radio;
};

// Everything the window does differently per algorithm code.
struct FuseLayout {
    std::string_view code;  // CurCode of the parts it serves
    // The 89S parts keep their lock bits in a byte of their own; the AVR parts carry lock bits 1
    // and 2 in the fuse byte and have no lock byte to read.
    bool hasLockByte;
    std::span<const FuseBitRow> rows;
    std::span<const FuseWriteBit> writeBits;
};

inline constexpr std::array<FuseBitRow, 4> kRows89S{{
    {FuseByte::Fuse, 0x01, FuseRadio::Fuse2, FuseField::DisplayFuse2},
    {FuseByte::Lock, 0x04, std::nullopt, FuseField::DisplayLock1},
    {FuseByte::Lock, 0x02, std::nullopt, FuseField::DisplayLock2},
    {FuseByte::Lock, 0x01, std::nullopt, FuseField::DisplayLock3},
}};
inline constexpr std::array<FuseWriteBit, 1> kWrite89S{{{0x01, FuseRadio::Fuse2}}};

inline constexpr std::array<FuseBitRow, 4> kRows90S{{
    {FuseByte::Fuse, 0x01, FuseRadio::Fuse1, FuseField::DisplayFuse1},
    {FuseByte::Fuse, 0x20, FuseRadio::Fuse2, FuseField::DisplayFuse2},
    {FuseByte::Fuse, 0x80, std::nullopt, FuseField::DisplayLock1},
    {FuseByte::Fuse, 0x40, std::nullopt, FuseField::DisplayLock2},
}};
inline constexpr std::array<FuseWriteBit, 2> kWrite90S{{{0x01, FuseRadio::Fuse1}, {0x20, FuseRadio::Fuse2}}};

inline constexpr std::array<FuseLayout, 3> kFuseLayouts{{
    {"04", true, kRows89S, kWrite89S},   // AT89S8252, AT89S53
    {"06", false, kRows90S, kWrite90S},  // AT90S1200, AT90S2313, AT90S8535
    {"07", false, kRows90S, kWrite90S},  // AT90S2343, AT90S2323
}};

// The layout for a part's algorithm code; nullptr for the parts without fuses.
constexpr const FuseLayout* FindFuseLayout(std::string_view curCode) {
    for (const FuseLayout& layout : kFuseLayouts) {
        if (layout.code == curCode)
            return &layout;
    }
    return nullptr;
}

// The bits of the fuse byte that a write sets and its read-back is compared on.
constexpr std::uint8_t ComparedBits(const FuseLayout& layout) {
    std::uint8_t mask = 0;
    for (const FuseWriteBit& bit : layout.writeBits)
        mask = static_cast<std::uint8_t>(mask | bit.mask);
    return mask;
}

// The radio indexes of the window: 0 and 1 as the bit, anything else (-1) for no selection.
struct FuseSelection {
    int fuse1 = -1;
    int fuse2 = -1;
    constexpr int Index(FuseRadio radio) const { return radio == FuseRadio::Fuse1 ? fuse1 : fuse2; }
};

// The fuse value to write: a bit set for each group the layout uses whose index is 1. Empty when
// a group the layout uses has no selection: the value would be undefined. Groups the layout does
// not use play no part.
constexpr std::optional<std::uint8_t> WrittenValue(const FuseLayout& layout, FuseSelection selection) {
    std::uint8_t value = 0;
    for (const FuseWriteBit& bit : layout.writeBits) {
        const int index = selection.Index(bit.radio);
        if (index != 0 && index != 1)
            return std::nullopt;
        if (index == 1)
            value = static_cast<std::uint8_t>(value | bit.mask);
    }
    return value;
}

// A write passed when the read-back fuse byte holds the written value in the compared bits.
constexpr bool ReadBackMatches(const FuseLayout& layout, std::uint8_t written, std::uint8_t fuseByte) {
    const std::uint8_t mask = ComparedBits(layout);
    return (fuseByte & mask) == (written & mask);
}

// What the window shows for a group of parts by name: the captions of the radio groups and their
// labels, whether Fuse1 can be edited, and the field that holds a bit the parts lack.
struct FuseNameList {
    std::array<std::string_view, 3> names;  // unused entries empty
    bool fuse1Enabled;
    std::string_view fuse1Caption;
    std::string_view fuseBit1;
    std::string_view fuse2Caption;
    std::string_view fuseBit2;
    FuseField notPresent;
};

// clang-format off
inline constexpr std::array<FuseNameList, 3> kFuseNameLists{{
    {{"AT89S8252", "AT89S53", ""},            false, "FSTRT", "Fuse FSTRT", "SPIEN", "Fuse SPIEN", FuseField::DisplayFuse1},
    {{"AT90S1200", "AT90S2343", ""},          true,  "RCEN",  "Fuse RCEN",  "SPIEN", "Fuse SPIEN", FuseField::DisplayLock3},
    {{"AT90S8535", "AT90S2313", "AT90S2323"}, true,  "FSTRT", "Fuse FSTRT", "SPIEN", "Fuse SPIEN", FuseField::DisplayLock3},
}};
// clang-format on

// The first list that holds exactly this name (case-sensitive); nullptr when none does.
constexpr const FuseNameList* FindFuseNameList(std::string_view curName) {
    if (curName.empty())
        return nullptr;
    for (const FuseNameList& list : kFuseNameLists) {
        for (std::string_view name : list.names) {
            if (name == curName)
                return &list;
        }
    }
    return nullptr;
}

}  // namespace kvqor
