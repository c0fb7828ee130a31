#pragma once
// Why a serial device does not open on a Unix system, from the system's error numbers: for the
// port, which asks once Qt has failed, and for the port list, which asks without opening.

#include <string>

#include "platform/serial_port.h"

namespace pelmora {

// The kind an errno of opening a device stands for (ENOENT missing, EBUSY busy, EACCES not
// permitted, ENOTTY not a serial device, ...), with the system's text for it.
PortOpenResult portFailureOfErrno(int error);

// Opens the device as a serial port would (read and write, not as the controlling terminal, not
// blocking), looks whether it is a terminal, and closes it again. Nothing is changed on the line.
PortOpenResult probeSerialDevice(const std::string& path);

// What opening the device would fail with, as far as the file system tells without opening it:
// missing (a link whose device has gone), not permitted, or not a serial device (no character
// device at all); none otherwise.
PortFailure deviceFailureWithoutOpening(const std::string& path);

}  // namespace pelmora
