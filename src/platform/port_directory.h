#pragma once
// Which device each COM number reaches on this system, for opening a port and for the tooltips
// of the port list. Each platform has its own rule (see posix/ and win32/).

#include <string>
#include <vector>

namespace pelmora {

struct PortDevice {
    std::string path;         // what the serial port opens; "" when COMn reaches nothing
    std::string description;  // a name for people ("USB-SERIAL CH340 (COM3)"), or the path
    bool permitted = true;    // false: the device is there but this user may not open it
};

class PortDirectory {
public:
    virtual ~PortDirectory() = default;
    // The device behind COMn, n from 1; an empty path for n < 1 or no such device.
    virtual PortDevice device(int portNumber) const = 0;
    // COM1 .. COMcount, entry 0 for COM1.
    virtual std::vector<PortDevice> devices(int count) const = 0;
};

}  // namespace pelmora
