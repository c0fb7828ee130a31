#pragma once
// Reading a whole file by its path (UTF-8). Each platform builds its own implementation.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace pelmora {

// Why a file was not read.
enum class FileFailure {
    none,
    missing,         // no file by that name
    notPermitted,    // this user may not read it
    notRegularFile,  // a folder, a FIFO or a device
    tooLarge,        // longer than a signed 32-bit count
    readError,       // it opened, or failed to open otherwise, and the system said why
};

// A file's whole content, or why it could not be read. It reads like the optional it replaces:
// true when read, and * or -> give the bytes.
struct FileRead {
    std::vector<std::uint8_t> bytes;  // empty unless read
    FileFailure failure = FileFailure::none;
    std::string systemText;  // the system's own words for the failure (UTF-8); "" when it said none

    explicit operator bool() const { return failure == FileFailure::none; }
    std::vector<std::uint8_t>& operator*() { return bytes; }
    const std::vector<std::uint8_t>& operator*() const { return bytes; }
    std::vector<std::uint8_t>* operator->() { return &bytes; }
    const std::vector<std::uint8_t>* operator->() const { return &bytes; }
    // The bytes, or nothing when the file was not read.
    std::optional<std::vector<std::uint8_t>> content() && {
        return *this ? std::optional(std::move(bytes)) : std::nullopt;
    }
};

// A file's whole content. Only regular files are read (a folder, a FIFO or a device is refused
// without blocking), and only files whose length fits a signed 32-bit count. The file is opened
// read-only and always closed again.
FileRead readWholeFile(const std::string& path);

// Writes bytes to a file through a temporary file beside it, renamed into place once the bytes
// are all there: a reader never sees half a file, and a failure leaves what was there before.
// False when any step failed (the temporary file is then removed).
bool writeWholeFile(const std::string& path, const std::vector<std::uint8_t>& bytes);

// The folder of the running program, where the file dialog opens.
std::string programFolder();

}  // namespace pelmora
