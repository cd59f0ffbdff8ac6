#include "link/Identify.h"

#include "link/ControlBytes.h"
#include "link/Hex.h"

namespace kvqor {

std::string FormatBiosCode(std::string_view code8) {
    std::string padded(code8.substr(0, 8));
    padded.resize(8, ' ');
    return padded.substr(0, 2) + "/" + padded.substr(2, 2) + "/" + padded.substr(4, 4);
}

std::string HardwareFoundStatus(std::string_view portLabel) {
    return "Search Hardware On " + std::string(portLabel) + " OK";
}

Identification ReadVersion(Link& link, std::string_view portLabel) {
    Host& host = link.GetHost();
    host.ShowStatus(kWaitingToInitial);
    link.SendCommand(kIdentifyCommand);

    auto fail = [&link, &host]() {
        // Cut short because the window is closing: nobody is left to read the box.
        if (!link.Flags().ForceStop) host.Message(MessageKind::Error, kHardwareNotFound);
        link.SendByte(ctl::CAN);
        return Identification{};
    };

    std::string code;
    std::uint8_t sum = 0;
    for (int i = 0; i < 8; ++i) {
        std::uint8_t b = 0;
        if (!link.ReadByte(b, kShortReplyMs)) return fail();
        sum = static_cast<std::uint8_t>(sum + b);
        code.push_back(static_cast<char>(b));
    }
    std::string sumText;
    for (int i = 0; i < 2; ++i) {
        std::uint8_t b = 0;
        if (!link.ReadByte(b, kShortReplyMs)) return fail();
        sumText.push_back(static_cast<char>(b));
    }
    if (HexStr2ToByte(sumText) != sum) return fail();

    link.SendByte(ctl::DC3);
    std::uint8_t reply = 0;
    if (!link.ReadByte(reply, kShortReplyMs) || reply != ctl::ACK) return fail();

    host.ShowStatus(HardwareFoundStatus(portLabel));
    link.SendByte(ctl::CAN);
    return Identification{true, FormatBiosCode(code)};
}

}  // namespace kvqor
