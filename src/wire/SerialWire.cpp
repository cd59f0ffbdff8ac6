#include "wire/SerialWire.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include <QMetaEnum>

namespace kvqor {

namespace {
// Characters that may wait in the output buffer; far more than a 130-character block.
constexpr qint64 kOutCapacity = 4096;
// Often enough that a pulled adapter is noticed well within a 1.5 s wait, rare enough to cost
// nothing.
constexpr int kHangUpCheckMs = 250;
}  // namespace

bool IsLostLine(QSerialPort::SerialPortError error) {
    switch (error) {
        case QSerialPort::ReadError:
        case QSerialPort::WriteError:
        case QSerialPort::ResourceError:
        case QSerialPort::DeviceNotFoundError:
            return true;
        default:
            return false;
    }
}

SerialWire::SerialWire() {
    hangUpCheck_.setInterval(kHangUpCheckMs);
    QObject::connect(&hangUpCheck_, &QTimer::timeout, &port_, [this] { CheckHangUp(); });
    QObject::connect(&port_, &QSerialPort::errorOccurred, &port_, [this](QSerialPort::SerialPortError e) {
        if (port_.isOpen() && IsLostLine(e)) {
            // Qt's own text can be stale here; name the error instead.
            Lose(std::string("the line was lost (") +
                 QMetaEnum::fromType<QSerialPort::SerialPortError>().valueToKey(e) + ")");
        }
    });
}

SerialWire::~SerialWire() {
    Close();
}

bool SerialWire::Open(const std::string& path) {
    Close();
    path_ = path;
    error_.clear();
    lost_ = false;
    port_.setPortName(QString::fromStdString(path));
    port_.setBaudRate(kLineBaud);
    port_.setDataBits(QSerialPort::Data8);
    port_.setParity(QSerialPort::NoParity);
    port_.setStopBits(QSerialPort::OneStop);
    port_.setFlowControl(QSerialPort::NoFlowControl);
    if (!port_.open(QIODevice::ReadWrite)) {
        error_ = port_.errorString().toStdString();
        return false;
    }
    hangUpCheck_.start();
    return true;
}

void SerialWire::Close() {
    ++generation_;
    hangUpCheck_.stop();
    if (port_.isOpen())
        port_.close();
}

void SerialWire::Lose(const std::string& why) {
    if (lost_)
        return;
    lost_ = true;
    error_ = why;
    hangUpCheck_.stop();
    // Closed from the event loop rather than inside the port's own signal.
    QMetaObject::invokeMethod(
        &port_,
        [this, g = generation_] {
            if (g == generation_ && port_.isOpen())
                port_.close();
        },
        Qt::QueuedConnection);
    if (onLost_)
        onLost_();
}

void SerialWire::CheckHangUp() {
    if (!port_.isOpen() || lost_)
        return;
    pollfd p{static_cast<int>(port_.handle()), 0, 0};
    if (::poll(&p, 1, 0) > 0 && (p.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0)
        Lose("the line hung up");
}

bool SerialWire::IsOpen() const {
    return port_.isOpen() && !lost_;
}

std::size_t SerialWire::OutFree() const {
    if (!IsOpen())
        return 0;
    const qint64 queued = port_.bytesToWrite();
    return queued >= kOutCapacity ? 0 : static_cast<std::size_t>(kOutCapacity - queued);
}

void SerialWire::Put(std::string_view chars) {
    if (!IsOpen())
        return;
    // The characters go to the system at once, as a serial component hands them to its driver.
    // QSerialPort would hold them until the event loop next runs, and a frame's opening CAN would
    // then still be queued after the pause that follows it, to be dropped with the output buffer.
    std::size_t done = 0;
    if (port_.bytesToWrite() == 0) {  // nothing of Qt's own ahead of them: the order is kept
        const int fd = static_cast<int>(port_.handle());
        while (done < chars.size()) {
            const ssize_t n = ::write(fd, chars.data() + done, chars.size() - done);
            if (n > 0) {
                done += static_cast<std::size_t>(n);
            } else if (n < 0 && errno == EINTR) {
                continue;
            } else if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
                Lose(std::string("the line was lost (") + std::strerror(errno) + ")");
                return;
            } else {
                break;  // the driver's buffer is full: Qt keeps the rest and writes it when there is room
            }
        }
    }
    if (done < chars.size())
        port_.write(chars.data() + done, static_cast<qint64>(chars.size() - done));
}

bool SerialWire::CharReady() const {
    return IsOpen() && port_.bytesAvailable() > 0;
}

std::uint8_t SerialWire::TakeChar() {
    char c = 0;
    port_.getChar(&c);
    return static_cast<std::uint8_t>(c);
}

void SerialWire::DiscardInput() {
    if (IsOpen())
        port_.clear(QSerialPort::Input);
}

void SerialWire::DiscardOutput() {
    if (IsOpen())
        port_.clear(QSerialPort::Output);
}

}  // namespace kvqor
