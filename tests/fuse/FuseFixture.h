#pragma once
// The fuse window's logic on the virtual clock: a recording view, a host that re-activates the
// window whenever one of its boxes closes (as the desktop does), and a programmer scripted per
// opcode.

#include <gtest/gtest.h>

#include <array>
#include <map>
#include <string>
#include <vector>

#include "device/Catalogue.h"
#include "fuse/FuseControl.h"
#include "sim/VirtualHost.h"
#include "sim/VirtualWire.h"
#include "tests/fuse/ScriptedProgrammer.h"

namespace kvqor {

class RecordingFuseView : public FuseView {
public:
    void SetTitle(std::string_view text) override { title = text; }
    void SetFuseResult(std::string_view text) override { results.emplace_back(text); }
    void SetField(FuseField field, std::string_view text) override { fields[field] = text; }
    int RadioIndex(FuseRadio radio) const override { return index[At(radio)]; }
    void SetRadioIndex(FuseRadio radio, int i) override { index[At(radio)] = i; }
    void SetRadioCaption(FuseRadio radio, std::string_view text) override { caption[At(radio)] = text; }
    void SetRadioEnabled(FuseRadio radio, bool on) override { enabled[At(radio)] = on; }
    void SetFuseBitLabel(FuseRadio radio, std::string_view text) override { fuseBit[At(radio)] = text; }
    void ShowBusy(bool on) override { busy = on; }
    void FocusCancleFuse() override { ++focusCancle; }
    void RequestClose() override { ++closeRequests; }

    std::string Result() const { return results.empty() ? std::string() : results.back(); }
    std::string Field(FuseField field) const {
        const auto it = fields.find(field);
        return it == fields.end() ? std::string() : it->second;
    }
    static std::size_t At(FuseRadio radio) { return radio == FuseRadio::Fuse1 ? 0 : 1; }

    std::string title = std::string(kFuseFormCaption);
    std::vector<std::string> results;
    std::map<FuseField, std::string> fields;
    std::array<int, 2> index{-1, -1};
    std::array<std::string, 2> caption{"Fuse1", "Fuse2"};
    std::array<bool, 2> enabled{true, true};
    std::array<std::string, 2> fuseBit{"Fuse Bit1", "Fuse Bit2"};
    bool busy = false;
    int focusCancle = 0;
    int closeRequests = 0;
};

// Every box that closes hands the activation back to the window that showed it.
class ActivatingHost : public sim::VirtualHost {
public:
    using sim::VirtualHost::VirtualHost;
    std::function<void()> onBoxClosed;
    int activations = 0;

    bool Confirm(std::string_view text) override {
        const bool yes = sim::VirtualHost::Confirm(text);
        Reactivate();
        return yes;
    }
    void Message(MessageKind kind, std::string_view text) override {
        sim::VirtualHost::Message(kind, text);
        Reactivate();
    }

private:
    void Reactivate() {
        ++activations;
        if (onBoxClosed)
            onBoxClosed();
    }
};

class FuseFixture : public ::testing::Test {
protected:
    FuseFixture() {
        link.SetWire(&wire);
        host.onBoxClosed = [this] { control.FormActivate(); };
    }

    // Picks a part of the catalogue, as the main window does before it shows the window.
    void Select(std::string_view name) {
        const auto index = FindDevice(name);
        ASSERT_TRUE(index.has_value()) << name;
        control.SetPart(DeviceTable[*index].DeviceName, DeviceTable[*index].DeviceCode);
    }

    // The bytes sent from `from` on.
    std::string SentSince(std::size_t from) const { return wire.SentBytes().substr(from); }

    // The frame the PC puts on the line for `command`, after its CAN and pause.
    static std::string Frame(const std::string& command) {
        return std::string("\x18\x02") + command + "\x03" + HexByteToStr2(FrameChecksum(command));
    }
    static std::string Byte(std::uint8_t b) { return std::string(1, static_cast<char>(b)); }

    sim::VirtualClock clock;
    ActivatingHost host{clock};
    sim::VirtualWire wire{clock};
    RunFlags flags;
    Link link{host, flags};
    RecordingFuseView view;
    FuseControl control{link, view};
    ScriptedProgrammer programmer{clock, wire};
};

}  // namespace kvqor
