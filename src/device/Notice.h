#pragma once
// What the core hands to a front end to show: message boxes and the adapter prompt. The window
// turns them into modal boxes, the command line prints them, tests compare them.

#include <string>
#include <vector>

namespace kvqor {

struct Notice {
    enum class Kind {
        Error,          // error icon, OK
        Warning,        // warning icon, OK
        Plain,          // no icon, the application title as caption, OK
        AdapterPrompt,  // the picture window asking for the AT90S8535 adapter; text is its caption
    };
    Kind kind;
    std::string text;

    bool operator==(const Notice&) const = default;
};

using Notices = std::vector<Notice>;

}  // namespace kvqor
