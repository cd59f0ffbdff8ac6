#pragma once
// --log FILE: one CSV row per pass, appended, for traceability on a production line. Several
// ports, and several runs of the program, may write the same file: each row goes out in one
// write to a file opened for appending, so rows never interleave.

#include <mutex>
#include <string>
#include <vector>

namespace kvqor::cli {

// The columns of a row, as the header names them.
inline constexpr const char* kPassLogHeader =
    "time,port,programmer,part,operation,file,checksum,result,failure";

class PassLog {
public:
    PassLog() = default;
    ~PassLog();
    PassLog(const PassLog&) = delete;
    PassLog& operator=(const PassLog&) = delete;

    // Opens `path` for appending (creating it), and writes the header into an empty file. False
    // with the system's reason when it cannot.
    bool Open(const std::string& path, std::string& error);

    // Appends one row of the nine columns. False with the reason when the write failed.
    bool Write(const std::vector<std::string>& fields, std::string& error);

private:
    bool WriteAll(const std::string& text, std::string& error);

    std::mutex mutex_;
    int fd_ = -1;
};

}  // namespace kvqor::cli
