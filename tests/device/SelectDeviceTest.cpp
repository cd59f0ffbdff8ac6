#include <gtest/gtest.h>

#include <memory>

#include "device/Workspace.h"
#include "tests/device/DeviceTestSupport.h"

namespace kvqor {
namespace {

using Kind = Notice::Kind;
const Notice kAdapter{Kind::AdapterPrompt, "This Device Used With Adapter AT90S8535"};
const Notice kOverEnd{Kind::Warning, "End Buffer Over End Device"};

// Workspaces hold 64 KiB; keep them off the stack.
std::unique_ptr<Workspace> NewWorkspace() {
    return std::make_unique<Workspace>();
}

std::vector<DeviceEntry> EnabledEntries(const Workspace& ws) {
    std::vector<DeviceEntry> on;
    for (std::size_t i = 0; i < kDeviceEntryCount; ++i) {
        const auto entry = static_cast<DeviceEntry>(i);
        if (ws.IsEnabled(entry))
            on.push_back(entry);
    }
    return on;
}

struct PartCase {
    int index;
    const char* name;
    const char* algo;
    const char* lockBits;
    const char* end;
    const char* code;
    int locks;
    bool fuse;
    const char* sumOfFF;  // Buffer_Sum with every buffer byte FFh
};

void PrintTo(const PartCase& c, std::ostream* os) {
    *os << c.name;
}

// Written out from the catalogue's documentation, not from the table in the code.
const PartCase kParts[] = {
    {0, "AT89C1051", "89CX051", "0002", "03FF", "01", 2, false, "FC00H"},
    {1, "AT89C2051", "89CX051", "0002", "07FF", "01", 2, false, "F800H"},
    {2, "AT89C4051", "89CX051", "0002", "0FFF", "01", 2, false, "F000H"},
    {3, "AT89C51", "89C51", "0003", "0FFF", "03", 3, false, "F000H"},
    {4, "AT89C52", "89C51", "0003", "1FFF", "03", 3, false, "E000H"},
    {5, "AT89C55", "89C51", "0003", "4FFF", "03", 3, false, "B000H"},
    {6, "AT89C55WD", "89C51XX", "0003", "4FFF", "05", 3, false, "B000H"},
    {7, "AT89S8252", "89SXXXX", "0003", "27FF", "04", 3, true, "D800H"},
    {8, "AT89S53", "89SXXXX", "0003", "2FFF", "04", 3, true, "D000H"},
    {9, "AT90S1200", "90SXXXX", "0002", "03FF", "06", 2, true, "FC00H"},
    {10, "AT90S2313", "90SXXXX", "0002", "07FF", "06", 2, true, "F800H"},
    {11, "AT90S8535", "90SXXXX", "0002", "1FFF", "06", 2, true, "E000H"},
    {12, "AT90S2343", "90S23XX", "0002", "07FF", "07", 2, true, "F800H"},
    {13, "AT90S2323", "90S23XX", "0002", "07FF", "07", 2, true, "F800H"},
};

// Erase, Blank and Read always; locks and fuse by the part; Program, Verify and Auto only with a file.
std::vector<DeviceEntry> ExpectedEntries(const PartCase& c, bool fileLoaded) {
    std::vector<DeviceEntry> on{DeviceEntry::Erase, DeviceEntry::Blank};
    if (fileLoaded)
        on.insert(on.end(), {DeviceEntry::Program, DeviceEntry::Verify});
    const DeviceEntry locks[] = {DeviceEntry::Lock1, DeviceEntry::Lock2, DeviceEntry::Lock3};
    for (int i = 0; i < c.locks; ++i)
        on.push_back(locks[i]);
    if (c.fuse)
        on.push_back(DeviceEntry::Fuse);
    on.push_back(DeviceEntry::Read);
    if (fileLoaded)
        on.push_back(DeviceEntry::Auto);
    return on;
}

class ChoosingAPart : public ::testing::TestWithParam<PartCase> {};

TEST_P(ChoosingAPart, FillsTheFieldsCopiesAndMenu) {
    const PartCase& c = GetParam();
    auto ws = NewWorkspace();
    ws->Buffer.HexBuffer.fill(0xFF);
    const Notices notices = ws->SelectDeviceChange(c.index);

    EXPECT_TRUE(ws->DeviceSelected);
    EXPECT_EQ(ws->Device_Algo, c.algo);
    EXPECT_EQ(ws->Device_Vpp, "+12V");
    EXPECT_EQ(ws->Device_End, std::string(c.end) + "H");
    EXPECT_EQ(ws->CurName, c.name);
    EXPECT_EQ(ws->CurLockBits, c.lockBits);
    EXPECT_EQ(ws->CurEnd, c.end);
    EXPECT_EQ(ws->CurCode, c.code);
    EXPECT_EQ(ws->DeviceEnd(), HexStr4ToWord(c.end));
    EXPECT_EQ(ws->Buffer_Sum, c.sumOfFF);
    EXPECT_EQ(EnabledEntries(*ws), ExpectedEntries(c, false));
    // Only the AT90S8535 asks for its adapter; with no file loaded there is no over-end warning.
    EXPECT_EQ(notices, std::string(c.name) == "AT90S8535" ? Notices{kAdapter} : Notices{});
}

TEST_P(ChoosingAPart, RecomputesLocksAndFuseFromTheNewPart) {
    // AT89S53 enables every lock and the fuse; the next part decides them afresh.
    auto ws = NewWorkspace();
    ws->SelectDeviceChange(8);
    ws->SelectDeviceChange(GetParam().index);
    EXPECT_EQ(EnabledEntries(*ws), ExpectedEntries(GetParam(), false));
}

TEST_P(ChoosingAPart, WithAFileLoadedEnablesProgramVerifyAuto) {
    auto ws = NewWorkspace();
    ws->Buffer.FileLoaded = true;
    ws->Buffer.BufferEndAddr = 0x0000;
    ws->SelectDeviceChange(GetParam().index);
    EXPECT_EQ(EnabledEntries(*ws), ExpectedEntries(GetParam(), true));
}

INSTANTIATE_TEST_SUITE_P(Catalogue, ChoosingAPart, ::testing::ValuesIn(kParts),
                         [](const ::testing::TestParamInfo<PartCase>& p) {
                             return std::string(p.param.name);
                         });

TEST(SelectDevice, StartsWithEveryEntryDisabledAndFieldsBlank) {
    auto ws = NewWorkspace();
    EXPECT_TRUE(EnabledEntries(*ws).empty());
    EXPECT_FALSE(ws->DeviceSelected);
    EXPECT_EQ(ws->DeviceEnd(), 0);
    for (const std::string* text :
         {&ws->CurName, &ws->CurLockBits, &ws->CurEnd, &ws->CurCode, &ws->Device_Algo, &ws->Device_Vpp,
          &ws->Device_End, &ws->SelectFileName, &ws->Buffer_End, &ws->Buffer_Sum}) {
        EXPECT_EQ(*text, "");
    }
}

TEST(SelectDevice, EveryChoiceOnAnEmptyBufferShowsSum0000H) {
    auto ws = NewWorkspace();
    for (const PartCase& c : kParts) {
        ws->SelectDeviceChange(c.index);
        EXPECT_EQ(ws->Buffer_Sum, "0000H") << c.name;
    }
}

struct OverEndCase {
    std::uint16_t bufferEnd;
    int index;
    bool fileLoaded;
    bool warns;
};

class OverEndWarning : public ::testing::TestWithParam<OverEndCase> {};

TEST_P(OverEndWarning, OnlyWhenTheLoadedFileEndsPastThePart) {
    const OverEndCase& c = GetParam();
    auto ws = NewWorkspace();
    ws->Buffer.FileLoaded = c.fileLoaded;
    ws->Buffer.BufferEndAddr = c.bufferEnd;
    EXPECT_EQ(ws->SelectDeviceChange(c.index), c.warns ? Notices{kOverEnd} : Notices{});
}

INSTANTIATE_TEST_SUITE_P(Cases, OverEndWarning,
                         ::testing::Values(OverEndCase{0x0FFF, 1, true, true},      // AT89C2051, end 07FFh
                                           OverEndCase{0x0FFF, 3, true, false},     // AT89C51, end equal
                                           OverEndCase{0x0800, 1, true, true},      // one past the end
                                           OverEndCase{0x07FF, 1, true, false},     // equal: no warning
                                           OverEndCase{0xFFFF, 5, true, true},      // AT89C55
                                           OverEndCase{0x0FFF, 1, false, false}));  // nothing loaded

TEST(SelectDevice, AdapterPromptOnEveryChangeWhileAT90S8535IsTheCurrentPart) {
    auto ws = NewWorkspace();
    EXPECT_EQ(ws->SelectDeviceChange(11), Notices{kAdapter});
    EXPECT_EQ(ws->SelectDeviceChange(11), Notices{kAdapter});
    EXPECT_EQ(ws->SelectDeviceChange(-1), Notices{kAdapter});
    EXPECT_EQ(ws->SelectDeviceChange(10), Notices{});
    // With a file past its end: the prompt first, then the warning.
    ws->Buffer.FileLoaded = true;
    ws->Buffer.BufferEndAddr = 0x2000;
    EXPECT_EQ(ws->SelectDeviceChange(11), (Notices{kAdapter, kOverEnd}));
}

TEST(SelectDevice, TypedTextBeforeAnyChoiceKeepsTheEmptyCopies) {
    auto ws = NewWorkspace();
    ws->Buffer.HexBuffer[0] = 0x5A;
    ws->Buffer.HexBuffer[1] = 0x01;
    for (int index : {-1, 14, -5}) {  // nothing selected, or an index the box cannot have
        EXPECT_EQ(ws->SelectDeviceChange(index), Notices{});
        EXPECT_FALSE(ws->DeviceSelected);
        EXPECT_EQ(ws->CurName, "");
        EXPECT_EQ(ws->CurEnd, "");
        EXPECT_EQ(ws->Device_End, "");
        EXPECT_EQ(ws->Buffer_Sum, "005AH");  // the device end is 0: only the byte at 0000h
        EXPECT_TRUE(EnabledEntries(*ws).empty());
    }
    ws->Buffer.FileLoaded = true;
    ws->Buffer.BufferEndAddr = 0x0001;
    EXPECT_EQ(ws->SelectDeviceChange(-1), Notices{kOverEnd});
    ws->Buffer.BufferEndAddr = 0x0000;
    EXPECT_EQ(ws->SelectDeviceChange(-1), Notices{});
}

TEST(SelectDevice, TypedTextAfterAChoiceReappliesTheCurrentPart) {
    auto ws = NewWorkspace();
    ws->SelectDeviceChange(3);  // AT89C51
    ws->Buffer.HexBuffer[0x0FFF] = 0x22;
    ws->Buffer.HexBuffer[0x1000] = 0x33;  // beyond the part's end
    ws->SelectDeviceChange(-1);
    EXPECT_EQ(ws->CurName, "AT89C51");
    EXPECT_EQ(ws->Buffer_Sum, "0022H");
    EXPECT_EQ(EnabledEntries(*ws), ExpectedEntries(kParts[3], false));
}

TEST(ReadPassed, TakesThePartsRangeAsTheBuffer) {
    auto ws = NewWorkspace();
    ws->SelectDeviceChange(1);  // AT89C2051, end 07FFh
    ws->SelectFileName = "old.hex";
    ws->Buffer.HexBuffer[0x0000] = 0x10;
    ws->Buffer.HexBuffer[0x07FF] = 0x20;
    ws->Buffer.HexBuffer[0x0800] = 0x40;  // outside the part
    ws->ReadPassed();
    EXPECT_EQ(ws->Buffer_Sum, "0030H");
    EXPECT_EQ(ws->Buffer_End, "07FFH");
    EXPECT_EQ(ws->Buffer.BufferEndAddr, 0x07FF);
    EXPECT_EQ(ws->SelectFileName, "");
    EXPECT_FALSE(ws->Buffer.FileLoaded);
    EXPECT_EQ(EnabledEntries(*ws), ExpectedEntries(kParts[1], true));
}

TEST(BareFileName, KeepsTheTextAfterTheLastSeparator) {
    EXPECT_EQ(BareFileName("C:\\work\\blink.hex"), "blink.hex");
    EXPECT_EQ(BareFileName("/home/op/fw/blink.HEX"), "blink.HEX");
    EXPECT_EQ(BareFileName("blink.rom"), "blink.rom");
    EXPECT_EQ(BareFileName("dir/"), "");
}

}  // namespace
}  // namespace kvqor
