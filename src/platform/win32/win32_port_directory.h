#pragma once
// Which device each COM number reaches on Windows. Every COMn is opened as \\.\COMn (the plain
// "COMn" form only reaches COM1 to COM9); the directory only says what is behind a number, for
// the tooltips of the port list: the friendly name Device Manager shows ("USB-SERIAL CH340 (COM3)"),
// else the port's entry in HKLM\HARDWARE\DEVICEMAP\SERIALCOMM, else the device its DOS name
// COMn stands for (a port some drivers never enter in the registry), else nothing. Whether a port
// that is there would open (another program may hold it) only opening it tells: every device
// found is listed without a failure.

#include <map>
#include <string>
#include <vector>

#include "platform/port_directory.h"

namespace pelmora {

// The device path that opens COMn, n from 1.
std::string comDevicePath(int portNumber);

// What the system said of its ports, by COM number.
struct ComPortNames {
    std::map<int, std::string> friendlyNames;  // from SetupAPI: "USB-SERIAL CH340 (COM3)"
    std::map<int, std::string> serialComm;     // from the registry: "\Device\Serial0"
    std::map<int, std::string> dosDevices;     // from QueryDosDevice: "\Device\VCP0"
};

// COM1 .. COMcount, entry 0 for COM1, described from the names found.
std::vector<PortDevice> describeComPorts(const ComPortNames& names, int count);

// The names as this system has them now.
ComPortNames readComPortNames();

class Win32PortDirectory : public PortDirectory {
public:
    PortDevice device(int portNumber) const override;
    std::vector<PortDevice> devices(int count) const override;
};

}  // namespace pelmora
