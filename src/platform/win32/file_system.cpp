#include "platform/file_system.h"

#include <windows.h>

#include <algorithm>
#include <limits>

#include "platform/win32/utf.h"

namespace pelmora {

namespace {

class Handle {
public:
    explicit Handle(HANDLE handle) : handle_(handle) {}
    ~Handle() {
        if (handle_ != INVALID_HANDLE_VALUE) ::CloseHandle(handle_);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    HANDLE get() const { return handle_; }

private:
    HANDLE handle_;
};

FileRead failed(FileFailure failure, DWORD error = ERROR_SUCCESS) {
    return {{}, failure, error != ERROR_SUCCESS ? systemErrorText(error) : std::string()};
}

FileRead openFailure(const std::wstring& path, DWORD error) {
    switch (error) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_NAME:
        case ERROR_BAD_NETPATH:
            return failed(FileFailure::missing, error);
        case ERROR_ACCESS_DENIED: {
            // Also what opening a folder without backup semantics says.
            const DWORD attributes = ::GetFileAttributesW(path.c_str());
            if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
                return failed(FileFailure::notRegularFile);
            return failed(FileFailure::notPermitted, error);
        }
        default:
            return failed(FileFailure::readError, error);
    }
}

// What the opened file holds, read in steps of 1 MiB.
FileRead readOpened(HANDLE file, std::size_t length) {
    FileRead read;
    read.bytes.resize(length);
    std::size_t done = 0;
    while (done < length) {
        const auto want = static_cast<DWORD>(std::min<std::size_t>(length - done, 1u << 20));
        DWORD got = 0;
        if (!::ReadFile(file, read.bytes.data() + done, want, &got, nullptr))
            return failed(FileFailure::readError, ::GetLastError());
        if (got == 0) break;  // the file shrank while we read it
        done += got;
    }
    read.bytes.resize(done);
    return read;
}

}  // namespace

FileRead readWholeFile(const std::string& path) {
    const std::wstring widePath = toWide(path);
    if (widePath.empty()) return failed(FileFailure::missing);
    // Others may go on reading and writing the file; a folder cannot be opened this way, and a
    // device or a pipe is refused by its type before anything is read.
    Handle file(::CreateFileW(widePath.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE) return openFailure(widePath, ::GetLastError());
    if (::GetFileType(file.get()) != FILE_TYPE_DISK) return failed(FileFailure::notRegularFile);
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(file.get(), &info)) return failed(FileFailure::readError, ::GetLastError());
    if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return failed(FileFailure::notRegularFile);
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file.get(), &size)) return failed(FileFailure::readError, ::GetLastError());
    if (size.QuadPart < 0 || size.QuadPart > std::numeric_limits<std::int32_t>::max())
        return failed(FileFailure::tooLarge);
    return readOpened(file.get(), static_cast<std::size_t>(size.QuadPart));
}

bool writeWholeFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    const std::wstring target = toWide(path);
    if (target.empty()) return false;
    const std::wstring temporary = target + L".tmp" + std::to_wstring(::GetCurrentProcessId());
    bool written = false;
    {
        Handle file(
            ::CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file.get() == INVALID_HANDLE_VALUE) return false;
        DWORD done = 0;
        written = ::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr) &&
                  done == bytes.size() && ::FlushFileBuffers(file.get());
    }
    if (written && ::MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    ::DeleteFileW(temporary.c_str());
    return false;
}

std::string programFolder() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) return ".";
        if (n < path.size()) {
            path.resize(n);
            break;
        }
        path.resize(path.size() * 2);  // a long path: try again with room for it
    }
    const auto slash = path.find_last_of(L"\\/");
    if (slash == std::wstring::npos) return ".";
    // A program at the top of a drive keeps the backslash: "C:" alone names the drive's current folder.
    const bool driveRoot = slash == 2 && path[1] == L':';
    return toUtf8(std::wstring_view(path).substr(0, driveRoot ? slash + 1 : slash));
}

}  // namespace pelmora
