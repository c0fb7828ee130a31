// com-number DEVICE [FOLDER]: prints the COM entry of the tool's port list that reaches DEVICE
// ("COM1" for the first serial device of FOLDER, /dev by default), with the tool's own rule.
// Exit status 1 when DEVICE is not one of FOLDER's serial devices, 2 when its number lies
// beyond the tool's list, 64 on wrong usage.

#include <filesystem>
#include <iostream>
#include <string>

#include "platform/posix/posix_port_directory.h"
#include "session/session.h"

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3) {
        std::cerr << "usage: com-number DEVICE [FOLDER]\n";
        return 64;
    }
    const std::filesystem::path folder = argc == 3 ? argv[2] : "/dev";
    std::filesystem::path device = argv[1];
    if (device.is_relative() && !device.has_parent_path()) device = folder / device;

    const auto devices = pelmora::listSerialDevices(folder.string());
    for (std::size_t i = 0; i < devices.size(); ++i) {
        if (std::filesystem::path(devices[i]).lexically_normal() != device.lexically_normal()) continue;
        const int number = static_cast<int>(i) + 1;
        std::cout << "COM" << number << '\n';
        if (number > pelmora::portEntryCount) {
            std::cerr << "com-number: " << device.string() << " is COM" << number << ", but the port list ends at COM"
                      << pelmora::portEntryCount << '\n';
            return 2;
        }
        return 0;
    }
    std::cerr << "com-number: " << device.string() << " is not a serial device of " << folder.string() << '\n';
    return 1;
}
