// pelmora-send on Linux: the program around the shared command, with the files of this system,
// its /dev serial devices and the Qt serial port on a Qt core event loop (no display needed).
// Its messages go out in the terminal's encoding; Ctrl-C ends it through the command's own steps.

#include <libintl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <iostream>
#include <memory>
#include <thread>

#include "platform/file_system.h"
#include "platform/posix/posix_port_directory.h"
#include "platform/posix/terminal_text.h"
#include "platform/qt/qt_serial_port.h"
#include "session/send_program.h"
#include "session/session.h"
#include "session/texts.h"

namespace {

volatile std::sig_atomic_t interruptedBySignal = 0;

void onInterrupt(int) { interruptedBySignal = 1; }

// The one device the command was given, as COM1.
class OneDevice : public pelmora::PortDirectory {
public:
    explicit OneDevice(std::string path) : path_(std::move(path)) {}
    pelmora::PortDevice device(int n) const override {
        return n == 1 ? pelmora::PortDevice{path_, path_} : pelmora::PortDevice{};
    }
    std::vector<pelmora::PortDevice> devices(int count) const override {
        std::vector<pelmora::PortDevice> all;
        for (int n = 1; n <= count; ++n) all.push_back(device(n));
        return all;
    }

private:
    std::string path_;
};

class LinuxSendPlatform : public pelmora::SendPlatform {
public:
    LinuxSendPlatform() { clock_.start(); }

    bool isFile(const std::string& path) override {
        std::error_code error;
        return std::filesystem::is_regular_file(path, error);
    }
    bool exists(const std::string& path) override {
        std::error_code error;
        return std::filesystem::exists(std::filesystem::symlink_status(path, error));
    }
    bool sameFile(const std::string& a, const std::string& b) override {
        std::error_code error;
        return std::filesystem::equivalent(a, b, error);
    }
    pelmora::FileRead readFile(const std::string& path) override { return pelmora::readWholeFile(path); }
    bool writeFile(const std::string& path, const std::vector<std::uint8_t>& bytes) override {
        if (path != "-") return pelmora::writeWholeFile(path, bytes);
        std::cout.flush();
        const bool written = std::fwrite(bytes.data(), 1, bytes.size(), stdout) == bytes.size();
        return std::fflush(stdout) == 0 && written;
    }
    std::vector<std::string> portList() override {
        return pelmora::portListLines(pelmora::PosixPortDirectory().devices(pelmora::portEntryCount));
    }
    pelmora::FoundPort findPort(const std::string& port) override {
        if (port.empty()) {
            std::string why;
            const std::string device = pelmora::onlyDevice(pelmora::PosixPortDirectory().devices(255), why);
            return {device, why, why == pelmora::texts::noPortFound};
        }
        // COMn by the window's own rule, else a device path; whether that is there, opening it tells.
        const int n = pelmora::comNumberOf(port);
        const std::string path = n > 0 ? pelmora::PosixPortDirectory().device(n).path : port;
        return {path, path.empty() ? port + ": " + std::string(pelmora::texts::noSuchPort) : "", true};
    }
    // The device node it reaches and that node's number: a new adapter, or a new pseudo-terminal
    // behind the same link, differs.
    std::string deviceIdentity(const std::string& device) override {
        struct stat info {};
        std::error_code error;
        if (::stat(device.c_str(), &info) != 0) return {};
        return std::filesystem::canonical(device, error).string() + " " + std::to_string(info.st_rdev);
    }
    pelmora::PortOpenResult openPort(const std::string& device) override {
        directory_ = std::make_unique<OneDevice>(device);
        port_ = std::make_unique<pelmora::QtSerialPort>(*directory_);
        return pelmora::openControllerPort(*port_, 1);
    }
    pelmora::SerialPort& port() override { return *port_; }
    void pause() override { std::this_thread::sleep_for(std::chrono::milliseconds(200)); }
    std::int64_t nowMs() override { return clock_.elapsed(); }
    std::string localTime() override {
        const std::time_t now = std::time(nullptr);
        std::tm local{};
        char text[32] = {};
        ::localtime_r(&now, &local);
        std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
        return text;
    }
    bool interrupted() override { return interruptedBySignal != 0; }
    void runUntil(const std::function<bool()>& done, const std::function<void()>& tick) override {
        QEventLoop loop;
        QTimer timer;
        QObject::connect(&timer, &QTimer::timeout, [&] {
            tick();
            if (done()) loop.quit();
        });
        timer.start(20);
        while (!done()) loop.processEvents(QEventLoop::WaitForMoreEvents);
    }
    bool errorIsTerminal() override { return ::isatty(STDERR_FILENO) == 1; }

private:
    QElapsedTimer clock_;
    std::unique_ptr<OneDevice> directory_;
    std::unique_ptr<pelmora::QtSerialPort> port_;
};

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);  // also takes the locale from the environment
    struct sigaction action {};
    action.sa_handler = onInterrupt;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGINT, &action, nullptr);
    // Messages in the terminal's encoding where that is not UTF-8. The system's own words come
    // in UTF-8 like the command's, whatever the locale, and are converted with them.
    ::bind_textdomain_codeset("libc", "UTF-8");
    const std::string encoding = pelmora::terminalEncoding();
    pelmora::EncodedTextBuffer outText(STDOUT_FILENO, encoding), errText(STDERR_FILENO, encoding);
    std::ostream out(encoding.empty() ? std::cout.rdbuf() : &outText);
    std::ostream err(encoding.empty() ? std::cerr.rdbuf() : &errText);
    LinuxSendPlatform platform;
    const int status = pelmora::runSendProgram({argv + 1, argv + argc}, platform, out, err, PELMORA_VERSION);
    out.flush();
    err.flush();
    return status;
}
