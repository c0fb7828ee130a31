// pelmora-send on Linux: the arguments, the files and the shows from the session's rules, the Qt
// serial port on a Qt core event loop (no display needed), progress on standard error.

#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <thread>

#include "download/handshake.h"
#include "platform/file_system.h"
#include "platform/posix/posix_port_directory.h"
#include "platform/qt/qt_serial_port.h"
#include "session/send_command.h"
#include "session/session.h"
#include "session/texts.h"

namespace {

using pelmora::SendStatus;

int status(SendStatus s) { return static_cast<int>(s); }

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

// The device a --port value names now; "" when there is none (yet). `why` says what is wrong.
std::string resolvePort(const std::string& port, std::string& why) {
    if (port.empty()) {
        const auto devices = pelmora::listSerialDevices("/dev");
        if (devices.size() == 1) return devices.front();
        why = devices.empty() ? "没有找到串口设备, 请用 --port 指定" : "有多个串口设备, 请用 --port 指定其中一个:";
        for (const auto& d : devices) why += "\n  " + d;
        return {};
    }
    if (const int n = pelmora::comNumberOf(port); n > 0) {
        const std::string path = pelmora::PosixPortDirectory().device(n).path;
        if (path.empty()) why = port + ": " + std::string(pelmora::texts::noSuchPort);
        return path;
    }
    if (!std::filesystem::exists(port)) {
        why = port + ": " + std::string(pelmora::texts::noSuchPort);
        return {};
    }
    return port;
}

class Progress {
public:
    Progress(bool quiet, int chunks) : quiet_(quiet), chunks_(chunks), terminal_(::isatty(STDERR_FILENO) == 1) {}
    void chunk(int k) {
        if (quiet_) return;
        if (!terminal_) {
            std::fprintf(stderr, "块 %d / %d\n", k, chunks_);
            return;
        }
        constexpr int width = 30;
        const int filled = chunks_ > 0 ? k * width / chunks_ : width;
        std::string bar(static_cast<std::size_t>(filled), '#');
        bar.resize(width, '.');
        std::fprintf(stderr, "\r[%s] 块 %d / %d", bar.c_str(), k, chunks_);
        if (k == chunks_) std::fputc('\n', stderr);
    }

private:
    bool quiet_;
    int chunks_;
    bool terminal_;
};

// One download: answers the controller through the handshake until it has everything.
class Upload : public pelmora::SerialPort::Listener {
public:
    Upload(pelmora::SerialPort& port, pelmora::MemoryImage image, const pelmora::SendOptions& options)
        : port_(port), options_(options) {
        handshake_.load(std::move(image));
        port_.setListener(this);
    }
    int run() {
        const auto start = handshake_.start();
        progress_.emplace(options_.quiet, handshake_.chunks());
        port_.write(start);
        quiet_.start();
        QTimer watch;
        QObject::connect(&watch, &QTimer::timeout, [&] {
            if (quiet_.elapsed() > options_.timeoutSeconds * 1000LL)
                finish(SendStatus::silent, "控制器在 " + std::to_string(options_.timeoutSeconds) + " 秒内没有应答");
        });
        watch.start(100);
        QCoreApplication::exec();
        port_.setListener(nullptr);
        return status(result_);
    }

private:
    void commEvent(int code) override {
        if (code != pelmora::SerialPort::receiveEvent) return;
        const auto bytes = port_.readAll();
        if (bytes.empty()) return;
        quiet_.restart();
        const pelmora::HandshakeStep step = handshake_.receive(bytes);
        if (!step.write.empty()) port_.write(step.write);
        if (step.chunk > 0) progress_->chunk(step.chunk);
        if (step.completed) finish(SendStatus::done, options_.quiet ? "" : std::string(pelmora::texts::sent));
    }
    void portLost() override { finish(SendStatus::silent, "线路中断: " + std::string(pelmora::texts::noSuchPort)); }
    void finish(SendStatus s, const std::string& message) {
        if (finished_) return;
        finished_ = true;
        result_ = s;
        if (!message.empty()) std::cerr << message << '\n';
        QCoreApplication::exit(status(s));
    }

    pelmora::SerialPort& port_;
    const pelmora::SendOptions& options_;
    pelmora::Handshake handshake_;
    std::optional<Progress> progress_;
    QElapsedTimer quiet_;
    SendStatus result_ = SendStatus::silent;
    bool finished_ = false;
};

bool writeImage(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::FILE* out = path == "-" ? stdout : std::fopen(path.c_str(), "wb");
    if (!out) return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
    return (path == "-" ? std::fflush(out) == 0 : std::fclose(out) == 0) && ok;
}

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const std::vector<std::string> args(argv + 1, argv + argc);
    const auto parsed = pelmora::parseSendArguments(args, [](const std::string& path) {
        std::error_code error;
        return std::filesystem::is_regular_file(path, error);
    });
    if (!parsed.options) {
        std::cerr << "pelmora-send: " << parsed.error << "\n用 --help 查看用法.\n";
        return status(SendStatus::refused);
    }
    const pelmora::SendOptions& options = *parsed.options;
    if (options.help) {
        std::cout << pelmora::sendUsage();
        return 0;
    }
    if (options.version) {
        std::cout << "pelmora-send " << PELMORA_VERSION << '\n';
        return 0;
    }
    if (options.listPorts) {
        const auto devices = pelmora::PosixPortDirectory().devices(pelmora::portEntryCount);
        for (std::size_t i = 0; i < devices.size(); ++i)
            std::cout << "COM" << i + 1 << "  "
                      << (devices[i].path.empty() ? std::string(pelmora::texts::noDeviceTooltip)
                                                  : devices[i].description)
                      << '\n';
        return 0;
    }

    const auto prepared = pelmora::prepareShows(options, pelmora::readWholeFile);
    if (!prepared.image) {
        std::cerr << "pelmora-send: " << prepared.error << '\n';
        return status(SendStatus::refused);
    }
    if (!options.imagePath.empty() && !writeImage(options.imagePath, pelmora::imageBytes(*prepared.image))) {
        std::cerr << "pelmora-send: " << options.imagePath << ": 无法写入映像\n";
        return status(SendStatus::refused);
    }
    if (options.dryRun) return 0;

    std::string why, device = resolvePort(options.port, why);
    while (device.empty() && options.waitPort) {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        device = resolvePort(options.port, why);
    }
    if (device.empty()) {
        std::cerr << "pelmora-send: " << why << '\n';
        return status(SendStatus::noPort);
    }

    OneDevice directory(device);
    pelmora::QtSerialPort port(directory);
    // The window's open sequence.
    port.setPortNumber(1);
    port.setSettings(pelmora::controllerLine);
    port.setRawMode(true);
    port.setOutBufferSize(pelmora::portOutBufferSize);
    port.setInBufferSize(pelmora::portInBufferSize);
    if (!port.open()) {
        std::cerr << "pelmora-send: " << device << ": " << pelmora::texts::noSuchPort << '\n';
        return status(SendStatus::noPort);
    }
    port.setReadLength(0);
    port.setReceiveThreshold(1);
    port.setSendThreshold(0);
    Upload upload(port, *prepared.image, options);
    return upload.run();
}
