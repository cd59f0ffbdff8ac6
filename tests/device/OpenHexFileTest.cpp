#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <memory>

#include "device/Workspace.h"
#include "tests/device/DeviceTestSupport.h"

namespace kvqor {
namespace {

using test::DataRecord;
using test::TempFolder;
using Kind = Notice::Kind;

const Notice kOverEnd{Kind::Warning, "End Buffer Over End Device"};
const Notice kFormatError{Kind::Error, "Format Intel-Hex...Error"};

bool ProgramVerifyAutoEnabled(const Workspace& ws) {
    return ws.IsEnabled(DeviceEntry::Program) && ws.IsEnabled(DeviceEntry::Verify) &&
           ws.IsEnabled(DeviceEntry::Auto);
}

bool ProgramVerifyAutoDisabled(const Workspace& ws) {
    return !ws.IsEnabled(DeviceEntry::Program) && !ws.IsEnabled(DeviceEntry::Verify) &&
           !ws.IsEnabled(DeviceEntry::Auto);
}

// 4096 bytes of 01h from 0000h to 0FFFh, as 256 records of 16.
std::string File4K() {
    std::string text;
    for (std::uint16_t a = 0; a < 0x1000; a += 16)
        text += DataRecord(a, std::vector<std::uint8_t>(16, 0x01)) + "\r\n";
    return text + ":00000001FF\r\n";
}

class OpenHexFile : public ::testing::Test {
protected:
    // Loads `content` through a file, as File > Open does.
    LoadReport Load(const std::string& content, const std::string& name = "test.hex") {
        test::WriteWholeFile(folder_ / name, content);
        return ws_->OpenHexFile(folder_ / name, name);
    }

    TempFolder folder_;
    std::unique_ptr<Workspace> ws_ = std::make_unique<Workspace>();
};

// Everything a failed open or read must leave alone.
struct Snapshot {
    HexImage image;
    std::uint16_t end;
    bool loaded;
    std::string bufferEnd, bufferSum;
    std::vector<bool> entries;
    bool operator==(const Snapshot&) const = default;
};

Snapshot Take(const Workspace& ws) {
    Snapshot s{ws.Buffer.HexBuffer, ws.Buffer.BufferEndAddr, ws.Buffer.FileLoaded,
               ws.Buffer_End,       ws.Buffer_Sum,           {}};
    for (std::size_t i = 0; i < kDeviceEntryCount; ++i)
        s.entries.push_back(ws.IsEnabled(static_cast<DeviceEntry>(i)));
    return s;
}

TEST_F(OpenHexFile, FileThatCannotBeOpenedChangesNothingButTheName) {
    ws_->SelectDeviceChange(0);
    ASSERT_EQ(Load(DataRecord(0x0000, {0x12, 0x34}) + "\r\n", "first.hex").outcome, LoadOutcome::Loaded);
    const Snapshot before = Take(*ws_);
    std::filesystem::create_directory(folder_ / "folder.hex");
    for (const std::string name : {"missing.hex", "folder.hex"}) {
        const LoadReport report = ws_->OpenHexFile(folder_ / name, name);
        EXPECT_EQ(report.outcome, LoadOutcome::OpenFailed) << name;
        EXPECT_EQ(report.notices, (Notices{{Kind::Error, "Open File Error!!!"}})) << name;
        EXPECT_EQ(ws_->SelectFileName, name);
        EXPECT_TRUE(Take(*ws_) == before) << name;
    }
}

TEST_F(OpenHexFile, ReadErrorAfterOpeningIsReportedAndChangesNothing) {
    // Reading the start of this process's own memory fails with an I/O error once it is open.
    const std::filesystem::path broken = "/proc/self/mem";
    const int fd = ::open(broken.c_str(), O_RDONLY);
    if (fd < 0)
        GTEST_SKIP() << "no /proc/self/mem here";
    char byte = 0;
    const bool fails = ::read(fd, &byte, 1) < 0;
    ::close(fd);
    if (!fails)
        GTEST_SKIP() << "/proc/self/mem reads here";

    ws_->SelectDeviceChange(3);
    ASSERT_EQ(Load(File4K()).outcome, LoadOutcome::Loaded);
    const Snapshot before = Take(*ws_);
    const LoadReport report = ws_->OpenHexFile(broken, "mem");
    EXPECT_EQ(report.outcome, LoadOutcome::ReadFailed);
    ASSERT_EQ(report.notices.size(), 1u);
    EXPECT_EQ(report.notices[0].kind, Kind::Error);
    EXPECT_EQ(report.notices[0].text.rfind("Read File Error!!!\n/proc/self/mem: ", 0), 0u)
        << report.notices[0].text;
    EXPECT_TRUE(Take(*ws_) == before);
}

TEST_F(OpenHexFile, PipeWithNoWriterReadsAsEmptyInsteadOfHanging) {
    ASSERT_EQ(::mkfifo((folder_ / "pipe").c_str(), 0600), 0);
    const LoadReport report = ws_->OpenHexFile(folder_ / "pipe", "pipe");
    EXPECT_EQ(report.outcome, LoadOutcome::Loaded);
    EXPECT_TRUE(report.notices.empty());
}

TEST_F(OpenHexFile, FileWithoutDataFillsFFAndKeepsTheEnd) {
    for (const std::string content : {"", ":00000001FF\r\n", "\r\n\r\n"}) {
        auto ws = std::make_unique<Workspace>();
        test::WriteWholeFile(folder_ / "empty.hex", content);
        const LoadReport report = ws->OpenHexFile(folder_ / "empty.hex", "empty.hex");
        EXPECT_EQ(report.outcome, LoadOutcome::Loaded);
        EXPECT_TRUE(report.notices.empty());
        EXPECT_TRUE(test::SameImage(test::Filled(0xFF), ws->Buffer.HexBuffer));
        EXPECT_TRUE(ws->Buffer.FileLoaded);
        EXPECT_EQ(ws->Buffer.BufferEndAddr, 0x01FF);
        EXPECT_EQ(ws->Buffer_End, "");
        EXPECT_EQ(ws->Buffer_Sum, "FE00H");  // 200h bytes of FFh
        EXPECT_EQ(ws->SelectFileName, "empty.hex");
    }
}

TEST_F(OpenHexFile, LoadPastThePartWarnsAndSumsOnlyThePart) {
    ws_->SelectDeviceChange(1);  // AT89C2051, end 07FFh
    const LoadReport report = Load(File4K());
    EXPECT_EQ(report.outcome, LoadOutcome::Loaded);
    EXPECT_EQ(report.notices, Notices{kOverEnd});
    EXPECT_EQ(ws_->Buffer.BufferEndAddr, 0x0FFF);
    EXPECT_EQ(ws_->Buffer_End, "0FFFH");
    EXPECT_EQ(ws_->Buffer_Sum, "0800H");
    EXPECT_TRUE(ProgramVerifyAutoEnabled(*ws_));
}

TEST_F(OpenHexFile, FormatErrorKeepsEarlierRecordsAndCompletesTheLoad) {
    ws_->SelectDeviceChange(1);
    const std::string text = File4K().substr(0, 45 * 200) + " " + DataRecord(0x2000, {1}) + "\r\n";
    const LoadReport report = Load(text);
    EXPECT_EQ(report.outcome, LoadOutcome::Stopped);
    EXPECT_EQ(report.stopLine, 201u);
    EXPECT_EQ(report.notices, (Notices{kFormatError, kOverEnd}));  // the load goes on to its checks
    EXPECT_TRUE(ws_->Buffer.FileLoaded);
    EXPECT_EQ(ws_->Buffer.BufferEndAddr, 0x0C7F);
    EXPECT_EQ(ws_->Buffer.HexBuffer[0x0C7F], 0x01);
    EXPECT_EQ(ws_->Buffer.HexBuffer[0x0C80], 0xFF);
    EXPECT_TRUE(ProgramVerifyAutoEnabled(*ws_));
}

TEST_F(OpenHexFile, DataAboveFFFFNamesTheLine) {
    const LoadReport report = Load(DataRecord(0x0000, {0xAA}) + "\n" + test::Record(0, 0x04, {0x00, 0x01}) +
                                   "\n" + DataRecord(0, {1}) + "\n");
    EXPECT_EQ(report.outcome, LoadOutcome::Stopped);
    EXPECT_EQ(report.notices, (Notices{{Kind::Error, "Data Over FFFFH In Line 3"}}));
    EXPECT_EQ(ws_->Buffer.HexBuffer[0x0000], 0xAA);
    EXPECT_EQ(ws_->Buffer.BufferEndAddr, 0x0000);
}

TEST_F(OpenHexFile, WrongChecksumsAreCountedForTheStatusLine) {
    std::string bad1 = DataRecord(0x0000, {0x11});
    std::string bad2 = DataRecord(0x0010, {0x22});
    bad1.back() = bad1.back() == '0' ? '1' : '0';
    bad2.back() = bad2.back() == '0' ? '1' : '0';
    const LoadReport report = Load(bad1 + "\n" + DataRecord(0x0008, {0x33}) + "\n" + bad2 + "\n");
    EXPECT_EQ(report.outcome, LoadOutcome::Loaded);
    EXPECT_TRUE(report.notices.empty());
    EXPECT_EQ(report.badChecksums, 2u);
    EXPECT_EQ(ws_->Buffer.HexBuffer[0x0000], 0x11);  // still loaded
    EXPECT_EQ(BadChecksumText(report.badChecksums), "2 Records With Wrong Checksum");
    EXPECT_EQ(BadChecksumText(1), "1 Record With Wrong Checksum");
    EXPECT_EQ(BadChecksumText(0), "");
}

TEST_F(OpenHexFile, ProgramVerifyAutoNeedAPartAndAFileInEitherOrder) {
    Load(File4K());
    EXPECT_TRUE(ProgramVerifyAutoDisabled(*ws_));
    EXPECT_EQ(ws_->Buffer_Sum, "1000H");  // no part: summed to BufferEndAddr 0FFFh
    ws_->SelectDeviceChange(3);
    EXPECT_TRUE(ProgramVerifyAutoEnabled(*ws_));

    auto partFirst = std::make_unique<Workspace>();
    partFirst->SelectDeviceChange(3);
    EXPECT_TRUE(ProgramVerifyAutoDisabled(*partFirst));
    partFirst->OpenHexFile(folder_ / "test.hex", "test.hex");
    EXPECT_TRUE(ProgramVerifyAutoEnabled(*partFirst));
}

TEST_F(OpenHexFile, EachLoadReplacesTheWholeBuffer) {
    Load(DataRecord(0x0000, {0x12}) + "\r\n");
    Load(DataRecord(0x0010, {0x34}) + "\r\n");
    EXPECT_EQ(ws_->Buffer.HexBuffer[0x0000], 0xFF);
    EXPECT_EQ(ws_->Buffer.HexBuffer[0x0010], 0x34);
    EXPECT_EQ(ws_->Buffer_End, "0010H");
}

TEST_F(OpenHexFile, OpensByThePathAndShowsTheBareName) {
    std::filesystem::create_directory(folder_ / "sub");
    test::WriteWholeFile(folder_ / "sub" / "blink.rom", DataRecord(0x0100, {0x77}) + "\n");
    const LoadReport report = ws_->OpenHexFile(folder_ / "sub" / "blink.rom", "blink.rom");
    EXPECT_EQ(report.outcome, LoadOutcome::Loaded);
    EXPECT_EQ(ws_->SelectFileName, "blink.rom");
    EXPECT_EQ(ws_->Buffer.HexBuffer[0x0100], 0x77);
}

}  // namespace
}  // namespace kvqor
