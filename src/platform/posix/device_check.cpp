#include "platform/posix/device_check.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

namespace pelmora {

PortOpenResult portFailureOfErrno(int error) {
    PortFailure failure = PortFailure::other;
    switch (error) {
        case 0:
            return {};
        case ENOENT:
        case ENOTDIR:
        case ENODEV:
        case ENXIO:
            failure = PortFailure::missing;
            break;
        case EBUSY:
            failure = PortFailure::busy;
            break;
        case EACCES:
        case EPERM:
            failure = PortFailure::notPermitted;
            break;
        case ENOTTY:
            failure = PortFailure::notSerialDevice;
            break;
        default:
            break;
    }
    return {failure, std::generic_category().message(error)};
}

PortOpenResult probeSerialDevice(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return portFailureOfErrno(errno);
    const bool terminal = ::isatty(fd) == 1;
    ::close(fd);
    return terminal ? PortOpenResult{} : portFailureOfErrno(ENOTTY);
}

PortFailure deviceFailureWithoutOpening(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return portFailureOfErrno(errno).failure;
    // What the open would say first: a device this user may not read and write fails there.
    if (::access(path.c_str(), R_OK | W_OK) != 0 && (errno == EACCES || errno == EPERM))
        return PortFailure::notPermitted;
    return S_ISCHR(info.st_mode) ? PortFailure::none : PortFailure::notSerialDevice;
}

}  // namespace pelmora
