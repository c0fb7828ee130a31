#pragma once
// Which device each COM number reaches on a Unix system: COMn is the n-th serial device of a
// device folder, USB adapters first (ttyUSB*), then modems (ttyACM*), then built-in ports
// (ttyS*), each family in numeric order (ttyUSB2 before ttyUSB10). Symbolic links count.

#include <string>
#include <vector>

#include "platform/port_directory.h"

namespace pelmora {

// Full paths, in COM order (entry 0 is COM1).
std::vector<std::string> listSerialDevices(const std::string& folder);

class PosixPortDirectory : public PortDirectory {
public:
    explicit PosixPortDirectory(std::string folder = "/dev") : folder_(std::move(folder)) {}
    PortDevice device(int portNumber) const override;
    std::vector<PortDevice> devices(int count) const override;

private:
    std::string folder_;
};

}  // namespace pelmora
