// pelmora-send on Linux: the program around the shared command, with the files of this system,
// its /dev serial devices and the Qt serial port on a Qt core event loop (no display needed).

#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <memory>
#include <thread>

#include "platform/file_system.h"
#include "platform/posix/posix_port_directory.h"
#include "platform/qt/qt_serial_port.h"
#include "session/send_program.h"
#include "session/session.h"
#include "session/texts.h"

namespace {

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
    pelmora::FileRead readFile(const std::string& path) override { return pelmora::readWholeFile(path); }
    bool writeFile(const std::string& path, const std::vector<std::uint8_t>& bytes) override {
        std::FILE* out = path == "-" ? stdout : std::fopen(path.c_str(), "wb");
        if (!out) return false;
        const bool written = std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
        return (path == "-" ? std::fflush(out) == 0 : std::fclose(out) == 0) && written;
    }
    std::vector<std::string> portList() override {
        return pelmora::portListLines(pelmora::PosixPortDirectory().devices(pelmora::portEntryCount));
    }
    std::string findPort(const std::string& port, std::string& why) override {
        if (port.empty()) return pelmora::onlyDevice(pelmora::listSerialDevices("/dev"), why);
        // COMn by the window's own rule, else a device path; whether that is there, opening it tells.
        const int n = pelmora::comNumberOf(port);
        const std::string path = n > 0 ? pelmora::PosixPortDirectory().device(n).path : port;
        if (path.empty()) why = port + ": " + std::string(pelmora::texts::noSuchPort);
        return path;
    }
    pelmora::PortOpenResult openPort(const std::string& device) override {
        directory_ = std::make_unique<OneDevice>(device);
        port_ = std::make_unique<pelmora::QtSerialPort>(*directory_);
        return pelmora::openControllerPort(*port_, 1);
    }
    pelmora::SerialPort& port() override { return *port_; }
    void pause() override { std::this_thread::sleep_for(std::chrono::milliseconds(200)); }
    std::int64_t nowMs() override { return clock_.elapsed(); }
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
    QCoreApplication app(argc, argv);
    LinuxSendPlatform platform;
    return pelmora::runSendProgram({argv + 1, argv + argc}, platform, std::cout, std::cerr, PELMORA_VERSION);
}
