#pragma once
// Which device each COM number reaches on this system, for opening a port and for the tooltips
// of the port list. Each platform has its own rule (see posix/ and win32/).

#include <cctype>
#include <string>
#include <vector>

#include "platform/serial_port.h"

namespace pelmora {

struct PortDevice {
    std::string path;         // what the serial port opens; "" when COMn reaches nothing
    std::string description;  // a name for people ("USB-SERIAL CH340 (COM3)"), or the path
    // What opening it would fail with, where the directory can tell without opening it (missing,
    // not permitted, not a serial device); none when it cannot.
    PortFailure failure = PortFailure::none;
};

// "COM3" -> 3: COM in any letter case followed by a number from 1 to 255 without leading zeros;
// 0 for anything else.
inline int comNumberOf(const std::string& name) {
    if (name.size() < 4 || name.size() > 6) return 0;
    for (std::size_t i = 0; i < 3; ++i)
        if (std::toupper(static_cast<unsigned char>(name[i])) != "COM"[i]) return 0;
    int number = 0;
    for (std::size_t i = 3; i < name.size(); ++i) {
        if (!std::isdigit(static_cast<unsigned char>(name[i]))) return 0;
        number = number * 10 + (name[i] - '0');
    }
    return name[3] == '0' || number > 255 ? 0 : number;
}

class PortDirectory {
public:
    virtual ~PortDirectory() = default;
    // The device behind COMn, n from 1; an empty path for n < 1 or no such device.
    virtual PortDevice device(int portNumber) const = 0;
    // COM1 .. COMcount, entry 0 for COM1.
    virtual std::vector<PortDevice> devices(int count) const = 0;
};

}  // namespace pelmora
