#include "session/send_program.h"

#include "session/send_run.h"
#include "session/texts.h"

namespace pelmora {

namespace {

int status(SendStatus s) { return static_cast<int>(s); }

// A bar with chunk k of n on a terminal; one plain line per chunk otherwise.
void showProgress(std::ostream& err, bool terminal, int chunk, int chunks) {
    if (!terminal) {
        err << "块 " << chunk << " / " << chunks << '\n' << std::flush;
        return;
    }
    constexpr int width = 30;
    const int filled = chunks > 0 ? chunk * width / chunks : width;
    err << "\r[" << std::string(static_cast<std::size_t>(filled), '#')
        << std::string(static_cast<std::size_t>(width - filled), '.') << "] 块 " << chunk << " / " << chunks
        << (chunk == chunks ? "\n" : "") << std::flush;
}

}  // namespace

int runSendProgram(const std::vector<std::string>& args, SendPlatform& platform, std::ostream& out, std::ostream& err,
                   const std::string& version) {
    const auto parsed = parseSendArguments(args, [&](const std::string& path) { return platform.isFile(path); });
    if (!parsed.options) {
        err << "pelmora-send: " << parsed.error << "\n用 --help 查看用法.\n";
        return status(SendStatus::refused);
    }
    const SendOptions& options = *parsed.options;
    if (options.help) {
        out << sendUsage();
        return 0;
    }
    if (options.version) {
        out << "pelmora-send " << version << '\n';
        return 0;
    }
    if (options.listPorts) {
        for (const auto& line : platform.portList()) out << line << '\n';
        return 0;
    }

    const auto prepared = prepareShows(options, [&](const std::string& path) { return platform.readFile(path); });
    if (!prepared.image) {
        err << "pelmora-send: " << prepared.error << '\n';
        return status(SendStatus::refused);
    }
    if (!options.imagePath.empty() && !platform.writeFile(options.imagePath, imageBytes(*prepared.image))) {
        err << "pelmora-send: " << options.imagePath << ": 无法写入映像文件\n";
        return status(SendStatus::refused);
    }
    if (options.dryRun) return 0;

    std::string why;
    std::string device = platform.findPort(options.port, why);
    while (device.empty() && options.waitPort) {
        platform.pause();
        device = platform.findPort(options.port, why);
    }
    if (device.empty()) {
        err << "pelmora-send: " << why << '\n';
        return status(SendStatus::noPort);
    }
    SerialPort* port = platform.openPort(device);
    if (!port) {
        err << "pelmora-send: " << device << ": " << texts::noSuchPort << '\n';
        return status(SendStatus::noPort);
    }

    const bool terminal = platform.errorIsTerminal();
    SendRun run(
        *port, *prepared.image, options.timeoutSeconds, [&] { return platform.nowMs(); },
        [&](int chunk, int chunks) {
            if (!options.quiet) showProgress(err, terminal, chunk, chunks);
        });
    run.start();
    platform.runUntil([&] { return run.result().has_value(); }, [&] { run.check(); });
    if (*run.result() != SendStatus::done || !options.quiet) err << run.message() << '\n';
    port->close();
    return status(*run.result());
}

}  // namespace pelmora
