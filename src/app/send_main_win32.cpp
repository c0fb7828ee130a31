// pelmora-send.exe: the program around the shared command on Windows, with the wide file calls,
// the COM ports as Windows names them and the Win32 serial port on a message loop. A console
// program: its texts go out as UTF-8, with the console told so.

#include <windows.h>
//
#include <fcntl.h>
#include <io.h>

#include <chrono>
#include <cstdio>
#include <iostream>
#include <memory>
#include <thread>

#include "platform/file_system.h"
#include "platform/win32/utf.h"
#include "platform/win32/win32_port_directory.h"
#include "platform/win32/win32_serial_port.h"
#include "session/send_program.h"
#include "session/session.h"
#include "session/texts.h"

namespace {

// "COM12" or "\\.\COM12": 12; 0 for anything else.
int comNumberOfDevice(const std::string& device) {
    const std::string prefix = "\\\\.\\";
    return pelmora::comNumberOf(device.rfind(prefix, 0) == 0 ? device.substr(prefix.size()) : device);
}

class WindowsSendPlatform : public pelmora::SendPlatform {
public:
    bool isFile(const std::string& path) override {
        const DWORD attributes = ::GetFileAttributesW(pelmora::toWide(path).c_str());
        return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
    }
    pelmora::FileRead readFile(const std::string& path) override { return pelmora::readWholeFile(path); }
    bool writeFile(const std::string& path, const std::vector<std::uint8_t>& bytes) override {
        if (path == "-") {
            std::cout.flush();
            ::_setmode(::_fileno(stdout), _O_BINARY);
            const bool written = std::fwrite(bytes.data(), 1, bytes.size(), stdout) == bytes.size();
            return std::fflush(stdout) == 0 && written;
        }
        std::FILE* out = ::_wfopen(pelmora::toWide(path).c_str(), L"wb");
        if (!out) return false;
        const bool written = std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
        return std::fclose(out) == 0 && written;
    }
    std::vector<std::string> portList() override {
        return pelmora::portListLines(pelmora::Win32PortDirectory().devices(pelmora::portEntryCount));
    }
    std::string findPort(const std::string& port, std::string& why) override {
        if (port.empty()) {
            std::vector<std::string> present;
            for (const auto& device : pelmora::Win32PortDirectory().devices(255))
                if (!device.path.empty()) present.push_back(device.path);
            return pelmora::onlyDevice(present, why);
        }
        const int number = comNumberOfDevice(port);
        if (number == 0) {
            why = port + ": " + std::string(pelmora::texts::noSuchPort);
            return {};
        }
        // Whether it is there, only opening it tells; --wait-port tries until it opens.
        return pelmora::comDevicePath(number);
    }
    pelmora::PortOpenResult openPort(const std::string& device) override {
        port_ = std::make_unique<pelmora::Win32SerialPort>();
        return pelmora::openControllerPort(*port_, comNumberOfDevice(device));
    }
    pelmora::SerialPort& port() override { return *port_; }
    void pause() override { ::Sleep(200); }
    std::int64_t nowMs() override { return static_cast<std::int64_t>(::GetTickCount64()); }
    void runUntil(const std::function<bool()>& done, const std::function<void()>& tick) override {
        while (!done()) {
            ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
            MSG message;
            while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
                ::TranslateMessage(&message);
                ::DispatchMessageW(&message);
            }
            tick();
        }
    }
    bool errorIsTerminal() override { return ::_isatty(::_fileno(stderr)) != 0; }

private:
    std::unique_ptr<pelmora::Win32SerialPort> port_;
};

}  // namespace

int wmain(int argc, wchar_t* argv[]) {
    ::SetConsoleOutputCP(CP_UTF8);
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) args.push_back(pelmora::toUtf8(argv[i]));
    WindowsSendPlatform platform;
    return pelmora::runSendProgram(args, platform, std::cout, std::cerr, PELMORA_VERSION);
}
