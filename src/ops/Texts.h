#pragma once
// The fixed-width texts the operations show on the result lines. Waiting texts are 10 characters,
// progress and fail prefixes 14 (followed by four characters), results and titles 18, so that they
// line up in a fixed-pitch font.

#include <array>
#include <string_view>

namespace kvqor {

// A single-reply step: one command, one reply byte.
struct SingleReplyTexts {
    std::string_view wait;     // command sent, waiting
    std::string_view timeOut;  // no reply (also after a confirmed stop)
    std::string_view fail;     // NAK
    std::string_view pass;     // ACK
    std::string_view error;    // any other byte
};

// A step that hands the buffer to the programmer in data blocks.
struct BlockTexts {
    std::string_view wait;        // after the command
    std::string_view progress;    // followed by the address as four hex digits
    std::string_view failPrefix;  // followed by the programmer's report
    std::string_view timeOut;     // no reply
    std::string_view brk;         // no reply after a confirmed stop
    std::string_view error;       // unexpected reply
    std::string_view pass;
};

inline constexpr std::string_view kCommandAbort = "Command......Abort";
inline constexpr std::string_view kAutoProgramPass = "Auto Program..Pass";
inline constexpr std::string_view kNoCommandSelect = "No Command Select?";

inline constexpr SingleReplyTexts kEraseTexts{"Erase.....", "Erase.....Time-Out", "Erase.........Fail",
                                              "Erase.........Pass", "Erase........Error"};
// The blank check has no error text of its own: an unexpected reply shows the erase one.
inline constexpr SingleReplyTexts kBlankTexts{"Blank.....", "Blank.....Time-Out", "Blank.........Fail",
                                              "Blank.........Pass", "Erase........Error"};
inline constexpr SingleReplyTexts kLock1Texts{"Lock1.....", "Lock1.....Time-Out", "Lock1.........Fail",
                                              "Lock1.........Pass", "Lock1........Error"};
inline constexpr SingleReplyTexts kLock2Texts{"Lock1,2...", "Lock1,2...Time-Out", "Lock1,2.......Fail",
                                              "Lock1,2.......Pass", "Lock1,2......Error"};
inline constexpr SingleReplyTexts kLock3Texts{"Lock1,2,3.", "Lock1,2,3.Time-Out", "Lock1,2,3.....Fail",
                                              "Lock1,2,3.....Pass", "Lock1,2,3....Error"};
// The lock step of the automatic sequence.
inline constexpr SingleReplyTexts kAutoLockTexts{"Lock......", "Lock......Time-Out", "Lock..........Fail",
                                                 "Lock..........Pass", "Lock.........Error"};

inline constexpr BlockTexts kProgramTexts{"Program...",         "Program.......",     "Program..Fail:",
                                          "Program...Time-Out", "Program......Break", "Program......Error",
                                          "Program.......Pass"};
inline constexpr BlockTexts kVerifyTexts{"Verify....",         "Verify........",     "Verify...Fail:",
                                         "Verify....Time-Out", "Verify.......Break", "Verify.......Error",
                                         "Verify........Pass"};

struct ReadTexts {
    std::string_view wait;
    std::string_view progress;
    std::string_view timeOut;
    std::string_view brk;
    std::string_view error;
    std::string_view checksumError;
    std::string_view pass;
};
inline constexpr ReadTexts kReadTexts{"Read......",         "Read..........",     "Read......Time-Out",
                                      "Read.........Break", "Read.........Error", "ReadChecksum Error",
                                      "Read..........Pass"};

namespace detail {
constexpr bool Widths(const SingleReplyTexts& t) {
    return t.wait.size() == 10 && t.timeOut.size() == 18 && t.fail.size() == 18 && t.pass.size() == 18 &&
           t.error.size() == 18;
}
constexpr bool Widths(const BlockTexts& t) {
    return t.wait.size() == 10 && t.progress.size() == 14 && t.failPrefix.size() == 14 && t.timeOut.size() == 18 &&
           t.brk.size() == 18 && t.error.size() == 18 && t.pass.size() == 18;
}
}  // namespace detail
static_assert(detail::Widths(kEraseTexts) && detail::Widths(kBlankTexts) && detail::Widths(kLock1Texts) &&
              detail::Widths(kLock2Texts) && detail::Widths(kLock3Texts) && detail::Widths(kAutoLockTexts));
static_assert(detail::Widths(kProgramTexts) && detail::Widths(kVerifyTexts));
static_assert(kReadTexts.wait.size() == 10 && kReadTexts.progress.size() == 14 && kReadTexts.pass.size() == 18 &&
              kReadTexts.checksumError.size() == 18 && kReadTexts.brk.size() == 18);
static_assert(kCommandAbort.size() == 18 && kAutoProgramPass.size() == 18 && kNoCommandSelect.size() == 18);

// The device operations, in Device-menu order.
enum class Operation { Erase, Blank, Program, Verify, Lock1, Lock2, Lock3, Read, Auto };

// The title each operation shows while it runs.
constexpr std::string_view OperationTitle(Operation op) {
    switch (op) {
        case Operation::Erase: return "   Erase Device   ";
        case Operation::Blank: return "Blank Check Device";
        case Operation::Program: return "  Program Device  ";
        case Operation::Verify: return "  Verify Device   ";
        case Operation::Lock1: return "Lock 1-Bit Device ";
        case Operation::Lock2: return "Lock 2-Bit Device ";
        case Operation::Lock3: return "Lock 3-Bit Device ";
        case Operation::Read: return "   Read Device    ";
        case Operation::Auto: return "   Auto Program   ";
    }
    return {};
}

}  // namespace kvqor
