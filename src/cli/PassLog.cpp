#include "cli/PassLog.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "cli/Report.h"

namespace kvqor::cli {

PassLog::~PassLog() {
    if (fd_ >= 0)
        ::close(fd_);
}

bool PassLog::Open(const std::string& path, std::string& error) {
    fd_ = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    struct stat info {};
    if (fd_ < 0 || ::fstat(fd_, &info) != 0) {
        error = std::strerror(errno);
        return false;
    }
    if (S_ISDIR(info.st_mode)) {
        error = "is a directory";
        return false;
    }
    if (S_ISREG(info.st_mode) && info.st_size == 0)
        return WriteAll(std::string(kPassLogHeader) + "\n", error);
    return true;
}

bool PassLog::Write(const std::vector<std::string>& fields, std::string& error) {
    std::string row;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0)
            row += ',';
        row += CsvField(fields[i]);
    }
    row += '\n';
    std::lock_guard lock(mutex_);
    return WriteAll(row, error);
}

bool PassLog::WriteAll(const std::string& text, std::string& error) {
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd_, text.data() + done, text.size() - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            error = std::strerror(errno);
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace kvqor::cli
