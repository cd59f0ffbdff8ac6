#include "device/Workspace.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <memory>
#include <system_error>

#include "device/Catalogue.h"
#include "device/HexDump.h"
#include "device/IntelHex.h"
#include "device/SafeWrite.h"
#include "link/Hex.h"

namespace kvqor {

namespace {

// Lock entries a part offers, by its number of lock bits.
int LockEntriesFor(std::string_view lockBits) {
    if (lockBits == "0001")
        return 1;
    if (lockBits == "0002")
        return 2;
    if (lockBits == "0003")
        return 3;
    return 0;
}

// Only these algorithm codes have fuses the programmer can read and write.
bool HasFuses(std::string_view code) {
    return code == "04" || code == "06" || code == "07";
}

std::string FileErrorText(std::string_view title, const std::filesystem::path& path, int error) {
    return std::string(title) + "\n" + path.string() + ": " + std::generic_category().message(error);
}

// Closes the descriptor on every way out of OpenHexFile.
class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    int Get() const { return fd_; }

private:
    int fd_;
};

}  // namespace

std::string DataOverFFFFText(std::size_t line) {
    return "Data Over FFFFH In Line " + std::to_string(line);
}

std::string BadChecksumText(std::size_t count) {
    if (count == 0)
        return {};
    return std::to_string(count) +
           (count == 1 ? " Record With Wrong Checksum" : " Records With Wrong Checksum");
}

std::string BareFileName(std::string_view chosen) {
    const auto slash = chosen.find_last_of("\\/");
    return std::string(slash == std::string_view::npos ? chosen : chosen.substr(slash + 1));
}

std::uint16_t Workspace::DeviceEnd() const {
    return HexStr4ToWord(CurEnd);
}

void Workspace::EnableBufferEntries() {
    Enable(DeviceEntry::Program, true);
    Enable(DeviceEntry::Verify, true);
    Enable(DeviceEntry::Auto, true);
}

Notices Workspace::SelectDeviceChange(int index) {
    if (index >= 0 && static_cast<std::size_t>(index) < DeviceTable.size()) {
        const StructureDevice& e = DeviceTable[static_cast<std::size_t>(index)];
        DeviceSelected = true;
        Device_Algo = e.DeviceAlgo;
        Device_Vpp = e.DeviceVpp;
        Device_End = std::string(e.DeviceEnd) + "H";
        CurName = e.DeviceName;
        CurLockBits = e.DeviceLockBits;
        CurEnd = e.DeviceEnd;
        CurCode = e.DeviceCode;
        for (DeviceEntry entry :
             {DeviceEntry::Lock1, DeviceEntry::Lock2, DeviceEntry::Lock3, DeviceEntry::Fuse}) {
            Enable(entry, false);
        }
        Enable(DeviceEntry::Erase, true);
        Enable(DeviceEntry::Blank, true);
        Enable(DeviceEntry::Read, true);
        if (Buffer.FileLoaded)
            EnableBufferEntries();
    }
    // Text typed into the box: the rules below run again on the part chosen before (if any).
    ShowBufferSum(DeviceEnd());
    if (HasFuses(CurCode))
        Enable(DeviceEntry::Fuse, true);
    const int locks = LockEntriesFor(CurLockBits);
    if (locks >= 1)
        Enable(DeviceEntry::Lock1, true);
    if (locks >= 2)
        Enable(DeviceEntry::Lock2, true);
    if (locks >= 3)
        Enable(DeviceEntry::Lock3, true);

    Notices notices;
    // The AT90S8535 only fits the socket through its adapter; ask for it on every change.
    if (CurName == kAdapterPart)
        notices.push_back({Notice::Kind::AdapterPrompt, std::string(kAdapterCaption)});
    if (Buffer.FileLoaded) {
        if (auto warning = CheckBufferOverEnd())
            notices.push_back(*warning);
    }
    return notices;
}

std::optional<Notice> Workspace::CheckBufferOverEnd() const {
    if (DeviceEnd() < Buffer.BufferEndAddr)
        return Notice{Notice::Kind::Warning, std::string(kBufferOverEnd)};
    return std::nullopt;
}

std::uint16_t Workspace::ShowBufferSum(std::uint16_t end) {
    const std::uint16_t sum = Buffer.Sum(end);
    Buffer_Sum = HexWordToStr4H(sum);
    return sum;
}

LoadReport Workspace::OpenHexFile(const std::filesystem::path& path, std::string_view bareName) {
    SelectFileName = std::string(bareName);
    LoadReport report;

    // Not blocking in open: a pipe with no writer reads as empty instead of hanging the window.
    FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    struct stat info {};
    if (file.Get() < 0 || ::fstat(file.Get(), &info) != 0 || S_ISDIR(info.st_mode)) {
        report.outcome = LoadOutcome::OpenFailed;
        report.notices.push_back({Notice::Kind::Error, std::string(kOpenFileError)});
        return report;
    }
    ::fcntl(file.Get(), F_SETFL, ::fcntl(file.Get(), F_GETFL) & ~O_NONBLOCK);

    // Records go into a copy first: a file that cannot be read to its end leaves the buffer as it
    // was, instead of half replaced and taken for a complete load.
    auto image = std::make_unique<HexImage>();
    image->fill(0xFF);
    IntelHexReader reader(*image);
    std::array<char, 64 * 1024> chunk{};
    while (true) {
        const ssize_t got = ::read(file.Get(), chunk.data(), chunk.size());
        if (got < 0) {
            if (errno == EINTR)
                continue;
            report.outcome = LoadOutcome::ReadFailed;
            report.notices.push_back({Notice::Kind::Error, FileErrorText(kReadFileError, path, errno)});
            return report;
        }
        if (got == 0)
            break;
        if (!reader.Feed(std::string_view(chunk.data(), static_cast<std::size_t>(got))))
            break;
    }
    reader.Finish();
    const HexReadResult& result = reader.Result();

    Buffer.HexBuffer = *image;
    if (result.lastDataEnd) {
        Buffer.BufferEndAddr = *result.lastDataEnd;
        Buffer_End = HexWordToStr4H(*result.lastDataEnd);
    }
    report.badChecksums = result.badChecksums;
    if (result.stop != HexStop::None) {
        report.outcome = LoadOutcome::Stopped;
        report.stopLine = result.stopLine;
        report.notices.push_back({Notice::Kind::Error, result.stop == HexStop::FormatError
                                                           ? std::string(kFormatIntelHexError)
                                                           : DataOverFFFFText(result.stopLine)});
    }

    Buffer.FileLoaded = true;
    if (DeviceSelected) {
        EnableBufferEntries();
        if (auto warning = CheckBufferOverEnd())
            report.notices.push_back(*warning);
    }
    ShowBufferSum(DeviceSelected ? DeviceEnd() : Buffer.BufferEndAddr);
    return report;
}

std::string Workspace::SaveHexText() const {
    return IntelHexText(Buffer.HexBuffer, DeviceEnd());
}

SaveReport Workspace::SaveHexFile(const std::filesystem::path& path) const {
    SaveReport report;
    const auto failure = WriteFileSafely(path, SaveHexText());
    if (failure) {
        report.notices.push_back(
            {Notice::Kind::Error, std::string(kSaveFileError) + "\n" + path.string() + ": " + *failure});
    } else {
        report.saved = true;
    }
    return report;
}

std::uint16_t Workspace::ViewerEnd() const {
    return DeviceSelected ? DeviceEnd() : Buffer.BufferEndAddr;
}

std::vector<std::string> Workspace::ShowHexData() const {
    return DumpRows(Buffer.HexBuffer, ViewerEnd());
}

void Workspace::ReadPassed() {
    ShowBufferSum(DeviceEnd());
    Buffer_End = CurEnd + "H";
    Buffer.BufferEndAddr = DeviceEnd();
    SelectFileName.clear();
    if (DeviceSelected)
        EnableBufferEntries();
}

}  // namespace kvqor
