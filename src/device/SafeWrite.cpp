#include "device/SafeWrite.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <random>
#include <system_error>

namespace kvqor {

namespace {

std::string Reason(int error) {
    return std::generic_category().message(error);
}

// Writes everything, going on after short writes and interrupted calls.
int WriteAll(int fd, std::string_view content) {
    while (!content.empty()) {
        const ssize_t written = ::write(fd, content.data(), content.size());
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        content.remove_prefix(static_cast<std::size_t>(written));
    }
    return 0;
}

std::optional<std::string> WriteInPlace(const std::filesystem::path& target, std::string_view content) {
    // Not blocking in open: a pipe that nobody reads fails at once instead of hanging the window.
    const int fd = ::open(target.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return Reason(errno);
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    int error = WriteAll(fd, content);
    if (::close(fd) != 0 && error == 0)
        error = errno;
    if (error != 0)
        return Reason(error);
    return std::nullopt;
}

// A new, unused name beside the target: a hidden file with a random tail.
int CreateTemporary(const std::filesystem::path& target, std::filesystem::path& tempPath) {
    std::random_device entropy;
    std::uniform_int_distribution<unsigned> digit(0, 35);
    constexpr char kDigits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = "." + target.filename().string() + ".";
        for (int i = 0; i < 8; ++i)
            name += kDigits[digit(entropy)];
        name += ".tmp";
        tempPath = target.parent_path() / name;
        // 0666 lets the umask decide the permissions, as for any new file.
        const int fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    errno = EEXIST;
    return -1;
}

void SyncFolder(const std::filesystem::path& folder) {
    // Makes the rename itself durable. Some file systems refuse this; the file is safe anyway.
    const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    (void)::fsync(fd);
    ::close(fd);
}

}  // namespace

std::optional<std::string> WriteFileSafely(const std::filesystem::path& target, std::string_view content) {
    std::filesystem::path real = target;
    struct stat existing {};
    const bool exists = ::stat(target.c_str(), &existing) == 0;
    if (exists) {
        if (!S_ISREG(existing.st_mode))
            return WriteInPlace(target, content);
        std::error_code ignored;
        const auto resolved = std::filesystem::canonical(target, ignored);
        if (!ignored)
            real = resolved;
    }

    std::filesystem::path tempPath;
    const int fd = CreateTemporary(real, tempPath);
    if (fd < 0)
        return Reason(errno);

    int error = 0;
    if (exists && ::fchmod(fd, existing.st_mode & 07777) != 0)
        error = errno;
    if (error == 0)
        error = WriteAll(fd, content);
    if (error == 0 && ::fsync(fd) != 0)
        error = errno;
    if (::close(fd) != 0 && error == 0)
        error = errno;
    if (error == 0 && ::rename(tempPath.c_str(), real.c_str()) != 0)
        error = errno;
    if (error != 0) {
        ::unlink(tempPath.c_str());
        return Reason(error);
    }
    SyncFolder(real.parent_path());
    return std::nullopt;
}

}  // namespace kvqor
