#pragma once
// What the main window holds about the part and the code buffer, and the rules that connect
// them: choosing a part, loading and saving Intel HEX, the viewer's rows, a passing read.
// One Workspace per programmer window. Nothing here shows anything: what is to be shown comes
// back as Notices, in the order the front end shows them.

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "device/CodeBuffer.h"
#include "device/Notice.h"

namespace kvqor {

// The entries of the Device menu, in menu order.
enum class DeviceEntry { Erase, Blank, Program, Verify, Lock1, Lock2, Lock3, Fuse, Read, Auto };
inline constexpr std::size_t kDeviceEntryCount = 10;

struct DeviceEntryInfo {
    std::string_view objectName;  // the menu item's name, e.g. "EraseDevice"
    std::string_view caption;     // e.g. "Erase"
};
inline constexpr std::array<DeviceEntryInfo, kDeviceEntryCount> kDeviceEntries{{
    {"EraseDevice", "Erase"},
    {"BlankDevice", "Blank"},
    {"ProgramDevice", "Program"},
    {"VerifyDevice", "Verify"},
    {"Lock1", "Lock1"},
    {"Lock2", "Lock2"},
    {"Lock3", "Lock3"},
    {"Fuse", "Fuse"},
    {"ReadDevice", "Read"},
    {"AutoProgram", "Auto"},
}};
constexpr const DeviceEntryInfo& InfoOf(DeviceEntry entry) {
    return kDeviceEntries[static_cast<std::size_t>(entry)];
}

// Texts the workspace hands out.
inline constexpr std::string_view kBufferOverEnd = "End Buffer Over End Device";
inline constexpr std::string_view kAdapterPart = "AT90S8535";
inline constexpr std::string_view kAdapterCaption = "This Device Used With Adapter AT90S8535";
inline constexpr std::string_view kOpenFileError = "Open File Error!!!";
inline constexpr std::string_view kFormatIntelHexError = "Format Intel-Hex...Error";
inline constexpr std::string_view kReadFileError = "Read File Error!!!";
inline constexpr std::string_view kSaveFileError = "Save File Error!!!";

// "Data Over FFFFH In Line 12": an extended address that would put data above FFFFh.
std::string DataOverFFFFText(std::size_t line);

// Status-line text for records with a wrong checksum ("3 Records With Wrong Checksum"); empty for 0.
std::string BadChecksumText(std::size_t count);

// The file name after the last '\' or '/': what SelectFileName shows for a chosen file.
std::string BareFileName(std::string_view chosen);

enum class LoadOutcome {
    Loaded,      // the whole file was read
    Stopped,     // a bad line stopped reading; the records before it are loaded
    OpenFailed,  // nothing changed but SelectFileName
    ReadFailed,  // the file could not be read to its end; nothing changed but SelectFileName
};

struct LoadReport {
    LoadOutcome outcome = LoadOutcome::Loaded;
    Notices notices;               // in the order to show them
    std::size_t badChecksums = 0;  // records loaded although their checksum is wrong
    std::size_t stopLine = 0;      // for Stopped: the line, counting from 1
};

struct SaveReport {
    bool saved = false;
    Notices notices;  // the error, when not saved
};

class Workspace {
public:
    // Current-device copies: empty until the first choice of a part.
    std::string CurName;
    std::string CurLockBits;
    std::string CurEnd;
    std::string CurCode;
    bool DeviceSelected = false;  // set at the first choice, never cleared

    CodeBuffer Buffer;

    // Texts of the main window's fields; all blank at start.
    std::string Device_Algo;
    std::string Device_Vpp;
    std::string Device_End;
    std::string SelectFileName;
    std::string Buffer_End;
    std::string Buffer_Sum;

    // CurEnd as a number: the last address every device operation covers; 0 before a choice.
    std::uint16_t DeviceEnd() const;

    // Whether the Device menu entry is enabled as far as the part and the buffer allow (the run
    // cycle disables the whole menu on top of this while an operation runs).
    bool IsEnabled(DeviceEntry entry) const { return enabled_[static_cast<std::size_t>(entry)]; }

    // The device box changed: `index` 0 to 13 picks that catalogue entry; anything else (-1 for
    // text typed into the box) keeps the current part and re-applies its rules.
    Notices SelectDeviceChange(int index);

    // The warning when the device end lies below BufferEndAddr.
    std::optional<Notice> CheckBufferOverEnd() const;

    // Puts the checksum of 0000h to `end` into Buffer_Sum and returns it.
    std::uint16_t ShowBufferSum(std::uint16_t end);

    // File > Open: SelectFileName becomes `bareName`, then `path` is read. The buffer changes
    // only when the file was opened and read to its end (or to a bad line).
    LoadReport OpenHexFile(const std::filesystem::path& path, std::string_view bareName);

    // File > Save: the buffer from 0000h to the device end as Intel HEX. Whether to overwrite an
    // existing file is the front end's question, asked before.
    SaveReport SaveHexFile(const std::filesystem::path& path) const;
    std::string SaveHexText() const;

    // The viewer: rows up to the device end once a part is chosen, else up to BufferEndAddr.
    std::uint16_t ViewerEnd() const;
    std::vector<std::string> ShowHexData() const;

    // A device read passed: the buffer now holds the part's content from 0000h to its end.
    void ReadPassed();

private:
    void Enable(DeviceEntry entry, bool on) { enabled_[static_cast<std::size_t>(entry)] = on; }
    // Program, Verify and Auto need both a part and something in the buffer; once on they stay on.
    void EnableBufferEntries();

    std::array<bool, kDeviceEntryCount> enabled_{};
};

}  // namespace kvqor
