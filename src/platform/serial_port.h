#pragma once
// The one serial port of the tool, as the port button and the download use it.
//
// Settings are applied one by one, in the order the open sequence gives; `open` says why it failed
// (no such device, another program holds it, ...). Received bytes are announced through the
// listener on the user-interface thread with event code 2; a port that breaks while open (an
// adapter pulled out) is announced once through portLost, after which the port reads as closed.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace pelmora {

// Why a port does not open. The window has one message for every kind; the port list's tooltips
// and pelmora-send name the kind.
enum class PortFailure {
    none,
    missing,          // no device by that name (or number)
    busy,             // another program, or another port object, holds it
    notPermitted,     // the device is there, but this user may not open it
    notSerialDevice,  // it opens, but it is no serial line (a plain file, /dev/null)
    other,            // settings no line can have, or a failure the system names otherwise
};

struct PortOpenResult {
    PortFailure failure = PortFailure::none;
    std::string systemText;  // the system's own words for the failure (UTF-8); "" when it said none
    explicit operator bool() const { return failure == PortFailure::none; }
};

struct LineSettings {
    enum class Parity { none, even, odd, mark, space };
    enum class StopBits { one, oneAndHalf, two };
    std::int32_t baudRate = 9600;
    int dataBits = 8;  // 5..8
    Parity parity = Parity::none;
    StopBits stopBits = StopBits::one;
    friend bool operator==(const LineSettings&, const LineSettings&) = default;
};

class SerialPort {
public:
    static constexpr int receiveEvent = 2;  // bytes have been received

    class Listener {
    public:
        virtual ~Listener() = default;
        virtual void commEvent(int code) = 0;
        virtual void portLost() = 0;
    };

    virtual ~SerialPort() = default;

    virtual void setListener(Listener* listener) = 0;
    // False where this system can reach no serial port at all (a browser without Web Serial).
    virtual bool reachable() const { return true; }

    virtual void setPortNumber(int number) = 0;  // COMn, n from 1; 0 is no port
    virtual void setSettings(const LineSettings& settings) = 0;
    virtual void setRawMode(bool raw) = 0;  // reads return bytes unchanged
    virtual void setOutBufferSize(int bytes) = 0;
    virtual void setInBufferSize(int bytes) = 0;
    virtual PortOpenResult open() = 0;
    virtual void setReadLength(int bytes) = 0;        // 0: a read returns every waiting byte
    virtual void setReceiveThreshold(int bytes) = 0;  // receive event when this many are waiting
    virtual void setSendThreshold(int bytes) = 0;     // 0: no transmit event

    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    // Queues bytes for sending without waiting for them to leave. False when the port refused them.
    virtual bool write(std::span<const std::uint8_t> bytes) = 0;
    virtual std::vector<std::uint8_t> readAll() = 0;
};

}  // namespace pelmora
