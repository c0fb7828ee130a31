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
    std::optional<std::vector<std::uint8_t>> readFile(const std::string& path) override {
        return pelmora::readWholeFile(path);
    }
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
        if (port.empty()) {
            const auto devices = pelmora::listSerialDevices("/dev");
            if (devices.size() == 1) return devices.front();
            why = devices.empty() ? "没有找到串口设备, 请用 --port 指定" : "有多个串口设备, 请用 --port 指定其中一个:";
            for (const auto& d : devices) why += "\n  " + d;
            return {};
        }
        // COMn by the window's own rule, else a device path.
        std::string path = port;
        if (const int n = pelmora::comNumberOf(port); n > 0) path = pelmora::PosixPortDirectory().device(n).path;
        std::error_code error;
        if (path.empty() || !std::filesystem::exists(path, error)) {
            why = port + ": " + std::string(pelmora::texts::noSuchPort);
            return {};
        }
        return path;
    }
    pelmora::SerialPort* openPort(const std::string& device) override {
        directory_ = std::make_unique<OneDevice>(device);
        port_ = std::make_unique<pelmora::QtSerialPort>(*directory_);
        return pelmora::openControllerPort(*port_, 1) ? port_.get() : nullptr;
    }
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
