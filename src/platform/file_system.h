#pragma once
// Reading a whole file by its path (UTF-8). Each platform builds its own implementation.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace pelmora {

// A file's whole content. Only regular files are read (a folder, a FIFO or a device is refused
// without blocking), and only files whose length fits a signed 32-bit count. The file is opened
// read-only and always closed again.
std::optional<std::vector<std::uint8_t>> readWholeFile(const std::string& path);

// The folder of the running program, where the file dialog opens.
std::string programFolder();

}  // namespace pelmora
