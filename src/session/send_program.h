#pragma once
// The whole of pelmora-send above the platform: arguments, messages, the image, the port and the
// download, once or for one controller after another, in the same order on every system. Each
// program supplies what its system does.

#include <cstdint>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "platform/serial_port.h"
#include "session/send_command.h"

namespace pelmora {

// The device a --port value names now.
struct FoundPort {
    std::string device;      // "" when none
    std::string why;         // when none: the reason, in the command's words
    bool mayAppear = false;  // none yet, but a device plugged in later may be it
};

class SendPlatform {
public:
    virtual ~SendPlatform() = default;
    virtual bool isFile(const std::string& path) = 0;  // a regular file
    virtual bool exists(const std::string& path) = 0;  // anything at all
    virtual bool sameFile(const std::string& a, const std::string& b) = 0;
    virtual FileRead readFile(const std::string& path) = 0;
    // "-": standard output; else through a temporary file renamed into place.
    virtual bool writeFile(const std::string& path, const std::vector<std::uint8_t>& bytes) = 0;
    // COM1 .. COM16, each with the device behind it or the text for none.
    virtual std::vector<std::string> portList() = 0;
    // The device a --port value ("" for the one present) names now.
    virtual FoundPort findPort(const std::string& port) = 0;
    // What tells this device from another plugged in under the same name; "" once it is gone.
    virtual std::string deviceIdentity(const std::string& device) = 0;
    // Opens the port on that device with the window's open sequence, or says why it did not open.
    virtual PortOpenResult openPort(const std::string& device) = 0;
    virtual SerialPort& port() = 0;  // the port openPort opened
    virtual void pause() = 0;        // a short wait before looking for a port again
    virtual std::int64_t nowMs() = 0;
    virtual std::string localTime() = 0;  // "2026-12-08 19:36:14"
    virtual bool interrupted() = 0;       // Ctrl-C was pressed
    // Runs the event loop, calling tick now and then, until done() holds.
    virtual void runUntil(const std::function<bool()>& done, const std::function<void()>& tick) = 0;
    virtual bool errorIsTerminal() = 0;
};

// Returns the exit status.
int runSendProgram(const std::vector<std::string>& args, SendPlatform& platform, std::ostream& out, std::ostream& err,
                   const std::string& version);

}  // namespace pelmora
