#pragma once
// Which device each COM number reaches on a Unix system: COMn is the n-th serial device of a
// device folder, USB adapters first (ttyUSB*), then modems (ttyACM*), then built-in ports
// (ttyS*), each family in numeric order (ttyUSB2 before ttyUSB10). Symbolic links count.

#include <string>
#include <vector>

namespace pelmora {

inline constexpr const char* defaultDeviceFolder = "/dev";

// Full paths, in COM order (entry 0 is COM1).
std::vector<std::string> listSerialDevices(const std::string& folder);

// The device COMn reaches, or "" when there is none (n < 1 or beyond the devices found).
std::string serialDeviceFor(const std::string& folder, int portNumber);

}  // namespace pelmora
