#include "session/send_program.h"

#include "session/send_run.h"
#include "session/texts.h"

namespace pelmora {

namespace {

int status(SendStatus s) { return static_cast<int>(s); }

std::ostream& complain(std::ostream& err) { return err << texts::sendProgram << ": "; }

// A bar with chunk k of n on a terminal; one plain line per chunk otherwise.
void showProgress(std::ostream& err, bool terminal, int chunk, int chunks) {
    if (!terminal) {
        err << texts::chunkProgress(chunk, chunks) << '\n' << std::flush;
        return;
    }
    constexpr int width = 30;
    const int filled = chunks > 0 ? chunk * width / chunks : width;
    err << "\r[" << std::string(static_cast<std::size_t>(filled), '#')
        << std::string(static_cast<std::size_t>(width - filled), '.') << "] " << texts::chunkProgress(chunk, chunks)
        << (chunk == chunks ? "\n" : "") << std::flush;
}

// What --help, --version and --list-ports print instead of a download; nothing without them.
std::optional<int> answerInstead(const SendOptions& options, SendPlatform& platform, std::ostream& out,
                                 const std::string& version) {
    if (options.help)
        out << sendUsage();
    else if (options.version)
        out << texts::sendProgram << ' ' << version << '\n';
    else if (options.listPorts)
        for (const auto& line : platform.portList()) out << line << '\n';
    else
        return std::nullopt;
    return 0;
}

// The controller's image of the shows, also written where --image says; nothing once refused.
std::optional<MemoryImage> prepareImage(const SendOptions& options, SendPlatform& platform, std::ostream& err) {
    auto prepared = prepareShows(options, [&](const std::string& path) { return platform.readFile(path); });
    if (!prepared.image) {
        complain(err) << prepared.error << '\n';
        return std::nullopt;
    }
    if (!options.imagePath.empty() && !platform.writeFile(options.imagePath, imageBytes(*prepared.image))) {
        complain(err) << options.imagePath << ": " << texts::imageNotWritten << '\n';
        return std::nullopt;
    }
    return std::move(prepared.image);
}

// Finds the port and opens it. With --wait-port a port that is not there yet is looked for again,
// also where only opening it tells (a COM number on Windows); another failure ends the command.
bool openThePort(const SendOptions& options, SendPlatform& platform, std::ostream& err) {
    for (;;) {
        std::string why;
        const std::string device = platform.findPort(options.port, why);
        PortOpenResult opened{PortFailure::missing, {}};
        if (!device.empty()) opened = platform.openPort(device);
        if (opened) return true;
        if (!options.waitPort || opened.failure != PortFailure::missing) {
            if (device.empty())
                complain(err) << why << '\n';
            else
                complain(err) << device << ": " << texts::portFailure(opened.failure, opened.systemText) << '\n';
            return false;
        }
        platform.pause();
    }
}

// One download on the open port, until it ends, with progress unless --quiet.
SendStatus download(const SendOptions& options, const MemoryImage& image, SendPlatform& platform, std::ostream& err) {
    SerialPort& port = platform.port();
    const bool terminal = platform.errorIsTerminal();
    SendRun run(
        port, image, options.timeoutSeconds, [&] { return platform.nowMs(); },
        [&](int chunk, int chunks) {
            if (!options.quiet) showProgress(err, terminal, chunk, chunks);
        });
    run.start();
    platform.runUntil([&] { return run.result().has_value(); }, [&] { run.check(); });
    if (*run.result() != SendStatus::done || !options.quiet) err << run.message() << '\n';
    port.close();
    return *run.result();
}

}  // namespace

int runSendProgram(const std::vector<std::string>& args, SendPlatform& platform, std::ostream& out, std::ostream& err,
                   const std::string& version) {
    const auto parsed = parseSendArguments(args, [&](const std::string& path) { return platform.isFile(path); });
    if (!parsed.options) {
        complain(err) << parsed.error << '\n' << texts::seeHelp << '\n';
        return status(SendStatus::refused);
    }
    const SendOptions& options = *parsed.options;
    if (const auto answered = answerInstead(options, platform, out, version)) return *answered;
    const auto image = prepareImage(options, platform, err);
    if (!image) return status(SendStatus::refused);
    if (options.dryRun) return 0;
    if (!openThePort(options, platform, err)) return status(SendStatus::noPort);
    return status(download(options, *image, platform, err));
}

}  // namespace pelmora
