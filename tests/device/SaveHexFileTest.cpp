#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <memory>

#include "device/Workspace.h"
#include "tests/device/DeviceTestSupport.h"

namespace kvqor {
namespace {

using test::TempFolder;

const std::string kOld = "the old file\n";

class SaveHexFile : public ::testing::Test {
protected:
    SaveHexFile() {
        ws_->Buffer.HexBuffer.fill(0x5A);
        ws_->SelectDeviceChange(5);  // AT89C55: 1280 records, about 57 KB
    }

    // Runs the save in a child process that first applies `limit` (a file size limit, another
    // user), so the limit never touches the test process. Returns the child's report.
    template <typename Limit>
    SaveReport SaveInChild(const std::filesystem::path& path, Limit limit) {
        int fds[2];
        if (::pipe(fds) != 0)
            throw std::runtime_error("pipe failed");
        const pid_t pid = ::fork();
        if (pid == 0) {
            ::close(fds[0]);
            limit();
            const SaveReport report = ws_->SaveHexFile(path);
            const std::string out =
                (report.saved ? "1" : "0") + (report.notices.empty() ? "" : report.notices[0].text);
            (void)!::write(fds[1], out.data(), out.size());
            ::_exit(0);
        }
        ::close(fds[1]);
        std::string out;
        char buf[512];
        for (ssize_t got; (got = ::read(fds[0], buf, sizeof buf)) > 0;)
            out.append(buf, static_cast<std::size_t>(got));
        ::close(fds[0]);
        int status = 0;
        ::waitpid(pid, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "child status " << status;
        SaveReport report;
        report.saved = !out.empty() && out[0] == '1';
        if (out.size() > 1)
            report.notices.push_back({Notice::Kind::Error, out.substr(1)});
        return report;
    }

    static void ExpectSaveError(const SaveReport& report, const std::filesystem::path& path,
                                const std::string& reason) {
        EXPECT_FALSE(report.saved);
        ASSERT_EQ(report.notices.size(), 1u);
        EXPECT_EQ(report.notices[0].kind, Notice::Kind::Error);
        EXPECT_EQ(report.notices[0].text, "Save File Error!!!\n" + path.string() + ": " + reason);
    }

    TempFolder folder_;
    std::unique_ptr<Workspace> ws_ = std::make_unique<Workspace>();
};

TEST_F(SaveHexFile, WritesTheNameAsTyped) {
    const SaveReport report = ws_->SaveHexFile(folder_ / "firmware");
    EXPECT_TRUE(report.saved);
    EXPECT_TRUE(report.notices.empty());
    EXPECT_EQ(test::ReadWholeFile(folder_ / "firmware"), ws_->SaveHexText());
    EXPECT_EQ(folder_.Names(), std::vector<std::string>{"firmware"});
}

TEST_F(SaveHexFile, ReplacesAnExistingFileAndKeepsItsPermissions) {
    test::WriteWholeFile(folder_ / "old.hex", kOld);
    ::chmod((folder_ / "old.hex").c_str(), 0640);
    EXPECT_TRUE(ws_->SaveHexFile(folder_ / "old.hex").saved);
    EXPECT_EQ(test::ReadWholeFile(folder_ / "old.hex"), ws_->SaveHexText());
    struct stat info {};
    ASSERT_EQ(::stat((folder_ / "old.hex").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
    EXPECT_EQ(folder_.Names(), std::vector<std::string>{"old.hex"});
}

TEST_F(SaveHexFile, ThroughALinkReplacesTheLinkedFile) {
    test::WriteWholeFile(folder_ / "real.hex", kOld);
    std::filesystem::create_symlink("real.hex", folder_ / "link.hex");
    EXPECT_TRUE(ws_->SaveHexFile(folder_ / "link.hex").saved);
    EXPECT_TRUE(std::filesystem::is_symlink(folder_ / "link.hex"));
    EXPECT_EQ(test::ReadWholeFile(folder_ / "real.hex"), ws_->SaveHexText());
}

TEST_F(SaveHexFile, FullDeviceReportsTheError) {
    if (!std::filesystem::is_character_file("/dev/full"))
        GTEST_SKIP() << "no /dev/full here";
    ExpectSaveError(ws_->SaveHexFile("/dev/full"), "/dev/full", "No space left on device");
    EXPECT_TRUE(std::filesystem::is_character_file("/dev/full"));
}

TEST_F(SaveHexFile, DiskFullHalfwayLeavesTheOldFileIntact) {
    test::WriteWholeFile(folder_ / "old.hex", kOld);
    const SaveReport report = SaveInChild(folder_ / "old.hex", [] {
        // Writes past 4 KiB fail as on a full disk (with EFBIG instead of a signal).
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit small{4096, 4096};
        ::setrlimit(RLIMIT_FSIZE, &small);
    });
    ExpectSaveError(report, folder_ / "old.hex", "File too large");
    EXPECT_EQ(test::ReadWholeFile(folder_ / "old.hex"), kOld);
    EXPECT_EQ(folder_.Names(), std::vector<std::string>{"old.hex"});  // no temporary file left
}

TEST_F(SaveHexFile, ReadOnlyFolderLeavesTheOldFileIntact) {
    test::WriteWholeFile(folder_ / "old.hex", kOld);
    ::chmod(folder_.Path().c_str(), 0555);
    const SaveReport report = SaveInChild(folder_ / "old.hex", [] {
        // Root writes into any folder: save as an ordinary user.
        if (::geteuid() == 0) {
            (void)!::setgid(65534);
            (void)!::setuid(65534);
        }
    });
    ExpectSaveError(report, folder_ / "old.hex", "Permission denied");
    EXPECT_EQ(test::ReadWholeFile(folder_ / "old.hex"), kOld);
    EXPECT_EQ(folder_.Names(), std::vector<std::string>{"old.hex"});
}

TEST_F(SaveHexFile, PipeThatNobodyReadsFailsInsteadOfHanging) {
    ASSERT_EQ(::mkfifo((folder_ / "pipe").c_str(), 0600), 0);
    ExpectSaveError(ws_->SaveHexFile(folder_ / "pipe"), folder_ / "pipe", "No such device or address");
}

TEST_F(SaveHexFile, MissingFolderReportsTheError) {
    ExpectSaveError(ws_->SaveHexFile(folder_ / "no" / "x.hex"), folder_ / "no" / "x.hex",
                    "No such file or directory");
}

}  // namespace
}  // namespace kvqor
