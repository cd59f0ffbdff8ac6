#include "cli/JobRequest.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <set>
#include <system_error>

#include "device/Catalogue.h"
#include "fuse/FuseLayout.h"
#include "link/Hex.h"
#include "link/PortName.h"

namespace kvqor::cli {

namespace {

namespace fs = std::filesystem;

bool SameIgnoringCase(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::toupper(static_cast<unsigned char>(x)) == std::toupper(static_cast<unsigned char>(y));
    });
}

// Why a file that the workspace could not open cannot be opened.
std::string OpenFailure(const std::string& path) {
    std::error_code ec;
    if (fs::is_directory(path, ec))
        return "is a directory";
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return std::strerror(errno);
    ::close(fd);
    return "cannot be read";
}

std::string OneLine(std::string text) {
    std::replace(text.begin(), text.end(), '\n', ' ');
    return text;
}

std::optional<DeviceEntry> EntryOf(Command command) {
    switch (command) {
        case Command::Erase:
            return DeviceEntry::Erase;
        case Command::Blank:
            return DeviceEntry::Blank;
        case Command::Program:
            return DeviceEntry::Program;
        case Command::Verify:
            return DeviceEntry::Verify;
        case Command::Read:
            return DeviceEntry::Read;
        case Command::Lock1:
            return DeviceEntry::Lock1;
        case Command::Lock2:
            return DeviceEntry::Lock2;
        case Command::Lock3:
            return DeviceEntry::Lock3;
        case Command::Auto:
            return DeviceEntry::Auto;
        case Command::FuseRead:
        case Command::FuseWrite:
            return DeviceEntry::Fuse;
        default:
            return std::nullopt;
    }
}

// Where 'read FILE' will write: refused now rather than after the chip was read.
bool CheckSaveTarget(const std::string& file, bool force, std::string& error) {
    const fs::path path(file);
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    if (fs::is_directory(status)) {
        error = file + " is a directory";
        return false;
    }
    if (fs::exists(status) && !force) {
        error = file + " exists; --force replaces it";
        return false;
    }
    const fs::path folder = path.has_parent_path() ? path.parent_path() : fs::path(".");
    if (!fs::is_directory(folder, ec)) {
        error = "cannot save " + file + ": no folder " + folder.string();
        return false;
    }
    // The file is written beside its final name and renamed over it, so the folder must take it.
    if (::access(folder.c_str(), W_OK | X_OK) != 0) {
        error = "cannot save " + file + ": " + folder.string() + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

bool CheckFuseChoices(const CliOptions& o, const Workspace& ws, std::string& error) {
    const FuseLayout* layout = FindFuseLayout(ws.CurCode);
    const FuseNameList* names = FindFuseNameList(ws.CurName);
    if (layout == nullptr || names == nullptr)
        return true;  // refused as a part without fuses already
    const bool usesFuse1 = std::any_of(layout->writeBits.begin(), layout->writeBits.end(),
                                       [](const FuseWriteBit& b) { return b.radio == FuseRadio::Fuse1; });
    const std::string caption(names->fuse1Caption);
    if (usesFuse1 && !o.fuse1) {
        error = "fuse-write on " + ws.CurName + " needs --fuse1 enable|disable (" + caption + ")";
        return false;
    }
    if (!usesFuse1 && o.fuse1) {
        error = ws.CurName + " cannot have fuse 1 (" + caption + ") written: leave out --fuse1";
        return false;
    }
    return true;
}

}  // namespace

std::optional<std::size_t> FindPart(std::string_view name) {
    if (auto exact = FindDevice(name))
        return exact;
    for (std::size_t i = 0; i < DeviceTable.size(); ++i) {
        if (SameIgnoringCase(DeviceTable[i].DeviceName, name))
            return i;
    }
    return std::nullopt;
}

bool LoadCleanHexFile(Workspace& workspace, const std::string& path, bool refuseOverEnd, std::string& error,
                      std::vector<std::string>& warnings) {
    const LoadReport report = workspace.OpenHexFile(path, BareFileName(path));
    switch (report.outcome) {
        case LoadOutcome::OpenFailed:
            error = std::string(kOpenFileError) + " " + path + ": " + OpenFailure(path);
            return false;
        case LoadOutcome::ReadFailed:
            error =
                report.notices.empty() ? std::string(kReadFileError) : OneLine(report.notices.front().text);
            return false;
        case LoadOutcome::Stopped:
            error = OneLine(report.notices.front().text) + ": " + path + " line " +
                    std::to_string(report.stopLine);
            return false;
        case LoadOutcome::Loaded:
            break;
    }
    // A record whose checksum is wrong was damaged on its way: programming it would put the damage
    // into the chip.
    if (report.badChecksums > 0) {
        error = BadChecksumText(report.badChecksums) + ": " + path;
        return false;
    }
    if (workspace.Buffer_End.empty()) {
        error = path + " holds no data records";
        return false;
    }
    for (const Notice& n : report.notices) {
        if (n.text != kBufferOverEnd)
            continue;
        const std::string detail = n.text + ": " + path + " ends at " + workspace.Buffer_End + ", " +
                                   workspace.CurName + " at " + workspace.Device_End;
        if (refuseOverEnd) {
            // The data beyond the part's end would be left out without a word, and verify would
            // still pass on the rest.
            error = detail;
            return false;
        }
        warnings.push_back(detail);
    }
    return true;
}

std::vector<std::string> PortLabels(const std::vector<std::string>& ports,
                                    const std::function<bool(std::string_view)>& isSimulator) {
    const auto simulators =
        std::count_if(ports.begin(), ports.end(), [&](const std::string& p) { return isSimulator(p); });
    std::vector<std::string> labels;
    int simNumber = 0;
    for (const std::string& p : ports) {
        if (simulators > 1 && isSimulator(p)) {
            labels.push_back(p + std::to_string(++simNumber));
        } else {
            labels.push_back(PortLabel(p));
        }
    }
    return labels;
}

std::optional<JobRequest> PrepareJob(const CliOptions& options,
                                  const std::function<bool(std::string_view)>& isSimulator,
                                  std::string& error) {
    JobRequest job;
    job.options = options;
    job.operation = OperationOf(options.command);
    Workspace& ws = job.workspace;

    if (!options.device.empty()) {
        const auto index = FindPart(options.device);
        if (!index) {
            error = "unknown part '" + options.device + "' ('kvqor-cli devices' lists the 14 parts)";
            return std::nullopt;
        }
        for (const Notice& n : ws.SelectDeviceChange(static_cast<int>(*index))) {
            if (n.kind == Notice::Kind::AdapterPrompt)
                job.notes.push_back(n.text);
        }
    }

    if (NeedsFile(options.command)) {
        std::vector<std::string> warnings;
        const bool refuseOverEnd = options.command != Command::Dump;
        if (!LoadCleanHexFile(ws, options.file, refuseOverEnd, error, warnings))
            return std::nullopt;
        job.notes.insert(job.notes.end(), warnings.begin(), warnings.end());
    }

    if (const auto entry = EntryOf(options.command); entry && !ws.IsEnabled(*entry)) {
        if (*entry == DeviceEntry::Fuse) {
            error = "Not Fuse on Device: " + ws.CurName + " has no fuse bits to read or write";
        } else {
            error = ws.CurName + " has " + std::to_string(HexStr4ToWord(ws.CurLockBits)) +
                    " lock bits: " + std::string(CommandName(options.command)) + " is not available";
        }
        return std::nullopt;
    }
    if (options.command == Command::FuseWrite && !CheckFuseChoices(options, ws, error))
        return std::nullopt;
    if (options.command == Command::Read && !options.file.empty() &&
        !CheckSaveTarget(options.file, options.force, error))
        return std::nullopt;

    // The same line opened twice would have two sessions talking over each other.
    std::set<std::string> seen;
    for (const std::string& port : options.ports) {
        if (isSimulator(port))
            continue;
        std::error_code ec;
        const fs::path path = fs::weakly_canonical(SystemPortPath(port), ec);
        const std::string key = ec ? SystemPortPath(port) : path.string();
        if (!seen.insert(key).second) {
            error = "port " + port + " is named twice";
            return std::nullopt;
        }
    }
    job.labels = PortLabels(options.ports, isSimulator);
    return job;
}

}  // namespace kvqor::cli
