#include "platform/posix/posix_port_directory.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <string_view>

#include "platform/posix/device_check.h"

namespace pelmora {

namespace {

// The number after a family's prefix, or -1 when the name is not prefix + decimal digits.
long deviceNumber(std::string_view name, std::string_view prefix) {
    if (name.size() <= prefix.size() || name.substr(0, prefix.size()) != prefix) return -1;
    long number = 0;
    for (char c : name.substr(prefix.size())) {
        if (c < '0' || c > '9' || number > 100000000) return -1;
        number = number * 10 + (c - '0');
    }
    return number;
}

}  // namespace

std::vector<std::string> listSerialDevices(const std::string& folder) {
    static constexpr std::array<std::string_view, 3> families{"ttyUSB", "ttyACM", "ttyS"};
    std::vector<std::pair<std::pair<std::size_t, long>, std::string>> found;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        const std::string name = entry.path().filename().string();
        for (std::size_t f = 0; f < families.size(); ++f) {
            const long number = deviceNumber(name, families[f]);
            if (number >= 0) found.push_back({{f, number}, entry.path().string()});
        }
    }
    std::sort(found.begin(), found.end());
    std::vector<std::string> paths;
    paths.reserve(found.size());
    for (auto& [key, path] : found) paths.push_back(std::move(path));
    return paths;
}

namespace {
// Devices that will not open are listed all the same, with what opening them would fail with.
PortDevice describe(std::string path) {
    const PortFailure failure = deviceFailureWithoutOpening(path);
    return {path, path, failure};
}
}  // namespace

PortDevice PosixPortDirectory::device(int portNumber) const {
    if (portNumber < 1) return {};
    const auto paths = listSerialDevices(folder_);
    const auto n = static_cast<std::size_t>(portNumber);
    return n <= paths.size() ? describe(paths[n - 1]) : PortDevice{};
}

std::vector<PortDevice> PosixPortDirectory::devices(int count) const {
    const auto paths = listSerialDevices(folder_);
    std::vector<PortDevice> found(static_cast<std::size_t>(count > 0 ? count : 0));
    for (std::size_t i = 0; i < found.size() && i < paths.size(); ++i) found[i] = describe(paths[i]);
    return found;
}

}  // namespace pelmora
