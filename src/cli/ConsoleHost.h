#pragma once
// A Host whose questions and message boxes go to the shared terminal: the stop question to
// Console::AskStop, the boxes to Console::Message. The status line is left out: its texts
// ("Waiting to Initial Hardware") say nothing a script or an operator needs.

#include <cstddef>
#include <string_view>
#include <utility>

#include "cli/Console.h"

namespace kvqor::cli {

template <typename BaseHost>
class ConsoleHost : public BaseHost {
public:
    template <typename... Args>
    ConsoleHost(Console& console, std::size_t port, Args&&... args)
        : BaseHost(std::forward<Args>(args)...), console_(console), port_(port) {}

    bool Confirm(std::string_view) override { return console_.AskStop(port_); }
    void Message(MessageKind kind, std::string_view text) override { console_.Message(port_, kind, text); }
    void ShowStatus(std::string_view) override {}

private:
    Console& console_;
    std::size_t port_;
};

}  // namespace kvqor::cli
