#pragma once
// The fuse and lock-bit window's logic: the read-fuse and read-lock exchanges, the fuse write
// with its read-back, the abort step and the window's busy and idle states. It reaches the
// programmer through a Link and shows everything through a FuseView; the window only forwards
// its events here.
//
// Every exchange clears StopRequest and ExitRequest when it starts. Cancle during an exchange
// sets StopRequest; the waiting read then asks the stop question, and Yes ends the exchange as a
// time-out does. A failed exchange discards both port buffers and sends CAN; a Read press and a
// passing write end with ENQ.

#include <cstdint>
#include <string>
#include <string_view>

#include "fuse/FuseLayout.h"
#include "fuse/FuseView.h"
#include "link/Link.h"

namespace kvqor {

inline constexpr std::string_view kFuseFormCaption =
    "Display & Program Fuse Bit";                                                  // before the first opening
inline constexpr std::string_view kFuseTitlePrefix = "Display & Program Fuse...";  // followed by CurName
inline constexpr std::string_view kExitCaption = "Exit";
inline constexpr std::string_view kCancleCaption = "Cancle";

// The texts of one read exchange and the opcode it sends.
struct FuseReadTexts {
    std::string_view opcode;
    std::string_view waiting;
    std::string_view timeOut;  // also a stop the user confirmed
    std::string_view error;    // a reply character that is not a hex digit
    std::string_view complete;
};

inline constexpr FuseReadTexts kReadFuseTexts{"09", "Waiting to Read Fuse", "Read Fuse Time-Out",
                                              "Read Fuse Error", "Read Fuse Complete"};
inline constexpr FuseReadTexts kReadLockTexts{"08", "Waiting to Read Lock Bit", "Read Lock Time-Out",
                                              "Read Lock Error", "Read Lock Complete"};

inline constexpr std::string_view kCanNotReadFuse = "Can Not Read Fuse";
inline constexpr std::string_view kWaitingToWriteFuse = "Waiting to Write Fuse";
inline constexpr std::string_view kProgramFuseTimeOut = "Program Fuse Time-Out";
inline constexpr std::string_view kProgramFuseError = "Program Fuse Error";
inline constexpr std::string_view kWaitingToVerifyFuse = "Waiting to Verify Fuse";
inline constexpr std::string_view kProgramFuseComplete = "Program Fuse Complete";
inline constexpr std::string_view kVerifyFuseError = "Verify Fuse Error";
inline constexpr std::string_view kWriteFuseError = "Write Fuse Error";

inline constexpr std::string_view kNotFuseOnDevice = "Not Fuse on Device";

// The main window's Fuse command, up to showing the window: without an identified programmer the
// plain box "Comport Not Connect", for a part without fuses (Fuse item disabled) the plain box
// "Not Fuse on Device". True when the window is to be shown. Moving the focus to Reset afterwards
// is the caller's.
bool FuseClick(Host& host, bool hardwareFound, bool fuseItemEnabled);

// The refusal of a write whose value a radio group without a selection would leave undefined.
std::string ChooseFuseFirstText(std::string_view radioCaption);

class FuseControl {
public:
    // Uses the link's host and run flags. Both references must outlive the object.
    FuseControl(Link& link, FuseView& view);

    // The current part (CurName, CurCode), set by the main window before it shows the window.
    void SetPart(std::string_view curName, std::string_view curCode);
    const std::string& CurName() const { return curName_; }
    const std::string& CurCode() const { return curCode_; }

    // --- the window's events
    // The window became active: title, captions per part, fields emptied, then the reads of the
    // part. Ignored while a handler of the window is running, so a message box closing inside
    // an exchange never starts another one.
    void FormActivate();
    // Read: the lock byte (where the part has one), then the fuse byte; ENQ in every case.
    void ReadFuseClick();
    // Write: the value of the radio groups, ACK awaited, read back, compared.
    void StartFuseClick();
    // Exit while idle (closes), Cancle while busy (asks to stop).
    void CancleFuseClick();
    // The title-bar close button: true when the window may close now. While a handler runs the
    // close is kept and asked for through FuseView::RequestClose once the handler has returned.
    bool QueryClose();
    // The window is closing.
    void FormClose();

    // --- the exchanges
    // One read exchange. True: `value` holds the byte. False: the exchange failed, its text is in
    // FuseResult, BreakFuse has run and `value` is unchanged.
    bool ReadMCUFuse(std::uint8_t& value);
    bool ReadMCULock(std::uint8_t& value);
    // Abort after a failed exchange: both port buffers emptied, CAN, window idle.
    void BreakFuse();
    // Shows the rows of `byte` for the current part's layout.
    void ShowByte(FuseByte byte, std::uint8_t value);

    // Busy: an exchange is running (StartFuse and ReadFuse disabled, CancleFuse "Cancle").
    bool Busy() const { return busy_; }
    // A handler of the window is on the call stack.
    bool HandlerRunning() const { return handlerDepth_ > 0; }

private:
    // Marks a handler as running; on leaving the outermost one, a close asked for meanwhile is
    // carried out.
    class HandlerScope {
    public:
        explicit HandlerScope(FuseControl& control) : control_(control) { ++control_.handlerDepth_; }
        ~HandlerScope();
        HandlerScope(const HandlerScope&) = delete;
        HandlerScope& operator=(const HandlerScope&) = delete;

    private:
        FuseControl& control_;
    };

    void SetBusy(bool busy);
    void EnterBusy(std::string_view waitingText);
    bool ReadExchange(const FuseReadTexts& texts, std::uint8_t& value);
    // Shows the name list of the current part.
    void ApplyNameList();
    // The reads of the Read button and the write's read-back: lock (where there is one), then
    // fuse. True when the last read succeeded; `fuseByte` then holds the fuse byte.
    bool ReadLockThenFuse(std::uint8_t& fuseByte);
    void SendFuseCommand(std::string_view opcode, std::string_view parameter);
    std::string_view RadioCaption(FuseRadio radio) const;

    Link& link_;
    Host& host_;
    RunFlags& flags_;
    FuseView& view_;
    std::string curName_;
    std::string curCode_;
    const FuseLayout* layout_ = nullptr;
    // The captions the radio groups carry now, for the texts that name them.
    std::string_view fuse1Caption_ = "Fuse1";
    std::string_view fuse2Caption_ = "Fuse2";
    bool busy_ = false;
    int handlerDepth_ = 0;
    bool closePending_ = false;
};

}  // namespace kvqor
