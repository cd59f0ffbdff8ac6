#pragma once
// The fuse window driven from the command line: opened (its reads run), its radio groups set and
// Write pressed, then closed. Kept behind this small class so that the run cycle's code and the
// fuse window's code need not share a translation unit (both name the "Comport Not Connect" box).

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace kvqor {
class Link;
}

namespace kvqor::cli {

class FuseRun {
public:
    // The window for the part `curName` with algorithm code `curCode`, on `link`.
    FuseRun(Link& link, std::string_view curName, std::string_view curCode);
    ~FuseRun();
    FuseRun(const FuseRun&) = delete;
    FuseRun& operator=(const FuseRun&) = delete;

    // The window opens: it reads the fuse byte (and the lock byte on the AT89S parts).
    void Open();
    // Sets the radio groups (0 Enable(Program), 1 Disable(Erase), -1 leave as they are) and
    // presses Write. True when the write was read back and matched ("Program Fuse Complete").
    bool Write(int fuse1, int fuse2);
    // The window closes.
    void Close();

    // An exchange is running: Cancle now asks the stop question.
    bool Busy() const;
    // The Exit/Cancle button.
    void Cancle();

    // Whether every read so far passed.
    bool ReadsPassed() const;
    // The labelled fields and the status line, as the window shows them.
    std::vector<std::string> Lines() const;

private:
    struct Window;
    std::unique_ptr<Window> window_;
};

}  // namespace kvqor::cli
