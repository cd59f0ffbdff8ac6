#include "app/WindowHost.h"

namespace kvqor::app {

bool WindowHost::Confirm(std::string_view text) {
    return dialogs_.Confirm(ToQString(text));
}

void WindowHost::Message(MessageKind kind, std::string_view text) {
    dialogs_.Message(kind, ToQString(text));
}

void WindowHost::ShowStatus(std::string_view text) {
    if (status_)
        status_(ToQString(text));
}

}  // namespace kvqor::app
