// pelmora-send.exe: the program around the shared command on Windows, with the wide file calls,
// the COM ports as Windows names them and the Win32 serial port on a message loop. A console
// program: its texts reach a console through the wide console calls, leaving its code page as it
// was; Ctrl-C ends it through the command's own steps.

#include <windows.h>
//
#include <fcntl.h>
#include <io.h>

#include <atomic>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <iostream>
#include <memory>

#include "platform/file_system.h"
#include "platform/win32/console_text.h"
#include "platform/win32/utf.h"
#include "platform/win32/win32_port_directory.h"
#include "platform/win32/win32_serial_port.h"
#include "session/send_program.h"
#include "session/session.h"
#include "session/texts.h"

namespace {

std::atomic<bool> interruptedByConsole{false};

BOOL WINAPI onConsoleEvent(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) return FALSE;
    interruptedByConsole = true;
    return TRUE;
}

// "COM12" or "\\.\COM12": 12; 0 for anything else.
int comNumberOfDevice(const std::string& device) {
    const std::string prefix = "\\\\.\\";
    return pelmora::comNumberOf(device.rfind(prefix, 0) == 0 ? device.substr(prefix.size()) : device);
}

std::filesystem::path widePath(const std::string& path) { return std::filesystem::path(pelmora::toWide(path)); }

// Whether COMn opens as anything but missing; the port is closed again at once.
bool comPortAnswers(int number) {
    const HANDLE handle = ::CreateFileW(pelmora::toWide(pelmora::comDevicePath(number)).c_str(),
                                        GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (handle != INVALID_HANDLE_VALUE) ::CloseHandle(handle);
    return handle != INVALID_HANDLE_VALUE || ::GetLastError() != ERROR_FILE_NOT_FOUND;
}

class WindowsSendPlatform : public pelmora::SendPlatform {
public:
    bool isFile(const std::string& path) override {
        std::error_code error;
        return std::filesystem::is_regular_file(widePath(path), error);
    }
    bool exists(const std::string& path) override {
        const DWORD attributes = ::GetFileAttributesW(pelmora::toWide(path).c_str());
        return attributes != INVALID_FILE_ATTRIBUTES || ::GetLastError() == ERROR_SHARING_VIOLATION;
    }
    bool sameFile(const std::string& a, const std::string& b) override {
        std::error_code error;
        return std::filesystem::equivalent(widePath(a), widePath(b), error);
    }
    pelmora::FileRead readFile(const std::string& path) override { return pelmora::readWholeFile(path); }
    bool writeFile(const std::string& path, const std::vector<std::uint8_t>& bytes) override {
        if (path != "-") return pelmora::writeWholeFile(path, bytes);
        std::cout.flush();
        ::_setmode(::_fileno(stdout), _O_BINARY);
        const bool written = std::fwrite(bytes.data(), 1, bytes.size(), stdout) == bytes.size();
        return std::fflush(stdout) == 0 && written;
    }
    std::vector<std::string> portList() override {
        return pelmora::portListLines(pelmora::Win32PortDirectory().devices(pelmora::portEntryCount));
    }
    pelmora::FoundPort findPort(const std::string& port) override {
        if (port.empty()) {
            std::string why;
            const std::string device = pelmora::onlyDevice(pelmora::Win32PortDirectory().devices(255), why);
            return {device, why, why == pelmora::texts::noPortFound};
        }
        const int number = comNumberOfDevice(port);
        if (number == 0) return {{}, port + ": " + std::string(pelmora::texts::noSuchPort), false};
        // Whether it is there, only opening it tells; waiting tries until it opens.
        return {pelmora::comDevicePath(number), {}, true};
    }
    // What the system names the port by, or, for a port it names nowhere, whether it opens.
    std::string deviceIdentity(const std::string& device) override {
        const int number = comNumberOfDevice(device);
        const pelmora::PortDevice found = pelmora::Win32PortDirectory().device(number);
        if (!found.path.empty()) return found.description;
        return number > 0 && comPortAnswers(number) ? device : std::string();
    }
    pelmora::PortOpenResult openPort(const std::string& device) override {
        port_ = std::make_unique<pelmora::Win32SerialPort>();
        return pelmora::openControllerPort(*port_, comNumberOfDevice(device));
    }
    pelmora::SerialPort& port() override { return *port_; }
    void pause() override { ::Sleep(200); }
    std::int64_t nowMs() override { return static_cast<std::int64_t>(::GetTickCount64()); }
    std::string localTime() override {
        const std::time_t now = std::time(nullptr);
        std::tm local{};
        char text[32] = {};
        ::localtime_s(&local, &now);
        std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
        return text;
    }
    bool interrupted() override { return interruptedByConsole; }
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
    ::SetConsoleCtrlHandler(onConsoleEvent, TRUE);
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) args.push_back(pelmora::toUtf8(argv[i]));
    pelmora::ConsoleTextBuffer outText(::GetStdHandle(STD_OUTPUT_HANDLE)), errText(::GetStdHandle(STD_ERROR_HANDLE));
    std::ostream out(&outText), err(&errText);
    WindowsSendPlatform platform;
    const int status = pelmora::runSendProgram(args, platform, out, err, PELMORA_VERSION);
    out.flush();
    err.flush();
    return status;
}
