#pragma once
// The simulated programmer served on a pseudo-terminal from a thread of its own, for tests and
// benchmarks that talk to it through a real serial port.

#include <unistd.h>

#include <stdexcept>
#include <string>
#include <thread>

#include "sim/PtyServer.h"

namespace kvqor {

class ServedPty {
public:
    explicit ServedPty(sim::FirmwareSettings settings = {}) : server_(std::move(settings)) {
        std::string error;
        if (!server_.Open(error) || ::pipe(stop_) != 0)
            throw std::runtime_error("no pseudo-terminal: " + error);
    }
    ~ServedPty() {
        Stop();
        ::close(stop_[0]);
        ::close(stop_[1]);
    }

    // Set up the firmware before Start().
    sim::Firmware& Firmware() { return server_.Firmware(); }
    const std::string& Path() const { return path_; }

    void Start() {
        path_ = server_.SlavePath();
        thread_ = std::thread([this] {
            std::string error;
            server_.Serve(stop_[0], error);
        });
    }
    void Stop() {
        if (!thread_.joinable())
            return;
        const char b = 0;
        [[maybe_unused]] const auto n = ::write(stop_[1], &b, 1);
        thread_.join();
    }

private:
    sim::PtyServer server_;
    int stop_[2] = {-1, -1};
    std::string path_;
    std::thread thread_;
};

}  // namespace kvqor
