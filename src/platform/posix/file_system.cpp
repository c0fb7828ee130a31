#include "platform/file_system.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <filesystem>
#include <limits>
#include <system_error>

namespace pelmora {

namespace {

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

}  // namespace

namespace {

FileRead failed(FileFailure failure, int error = 0) {
    return {{}, failure, error != 0 ? std::generic_category().message(error) : std::string()};
}

FileFailure openFailureOf(int error) {
    switch (error) {
        case ENOENT:
        case ENOTDIR:
            return FileFailure::missing;
        case EACCES:
        case EPERM:
            return FileFailure::notPermitted;
        default:
            return FileFailure::readError;
    }
}

}  // namespace

FileRead readWholeFile(const std::string& path) {
    // O_NONBLOCK so that a FIFO without a writer cannot hold the open; such files are refused below.
    FileDescriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (file.get() < 0) {
        const int error = errno;
        return failed(openFailureOf(error), error);
    }
    struct stat info {};
    if (::fstat(file.get(), &info) != 0) return failed(FileFailure::readError, errno);
    if (!S_ISREG(info.st_mode)) return failed(FileFailure::notRegularFile);
    if (info.st_size < 0 || info.st_size > std::numeric_limits<std::int32_t>::max())
        return failed(FileFailure::tooLarge);

    // Allocated once at the file's length and filled through a small buffer: sizing the vector
    // up front would first write zeros over all of it, which made a 64 MiB import take 1.4 times
    // as long as the read itself.
    const auto length = static_cast<std::size_t>(info.st_size);
    FileRead read;
    read.bytes.reserve(length);
    std::array<std::uint8_t, 64 * 1024> buffer;
    while (read.bytes.size() < length) {
        const ssize_t got = ::read(file.get(), buffer.data(), std::min(buffer.size(), length - read.bytes.size()));
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return failed(FileFailure::readError, errno);
        if (got == 0) break;  // the file shrank while we read it
        read.bytes.insert(read.bytes.end(), buffer.begin(), buffer.begin() + got);
    }
    return read;
}

namespace {

bool writeAll(int fd, const std::vector<std::uint8_t>& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

bool writeWholeFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    // Created with the mode a plain new file would get (0666 less the umask), under a name of its own.
    const std::string temporary = path + ".tmp" + std::to_string(::getpid());
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) return false;
    const bool written = writeAll(fd, bytes) && ::fsync(fd) == 0;
    if (::close(fd) == 0 && written && ::rename(temporary.c_str(), path.c_str()) == 0) return true;
    ::unlink(temporary.c_str());
    return false;
}

std::string programFolder() {
    std::error_code error;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string(".") : exe.parent_path().string();
}

}  // namespace pelmora
