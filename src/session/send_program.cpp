#include "session/send_program.h"

#include "session/send_report.h"
#include "session/send_run.h"
#include "session/sha256.h"
#include "session/texts.h"

namespace pelmora {

namespace {

int status(SendStatus s) { return static_cast<int>(s); }

// A device that is there but does not open, while waiting, is tried again this long: one just
// plugged in gets its permissions a moment later, and other programs may probe it first.
constexpr std::int64_t settleMs = 2000;

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

// Why --image may not be written where it says; "" when it may.
std::string imageTargetRefusal(const SendOptions& options, SendPlatform& platform) {
    const std::string& path = options.imagePath;
    if (path.empty() || path == "-") return {};
    if (platform.exists(path) && !platform.isFile(path)) return std::string(texts::imageNotRegular) + path;
    for (const ShowArgument& show : options.shows)
        if (platform.sameFile(path, show.path)) return std::string(texts::imageIsInput) + path;
    return {};
}

// The controller's image of the shows, also written where --image says; nothing once refused.
std::optional<MemoryImage> prepareImage(const SendOptions& options, SendPlatform& platform, SendReport& report) {
    if (const std::string why = imageTargetRefusal(options, platform); !why.empty()) {
        report.say(why);
        return std::nullopt;
    }
    auto prepared = prepareShows(options, [&](const std::string& path) { return platform.readFile(path); });
    if (!prepared.image) {
        report.say(prepared.error);
        return std::nullopt;
    }
    if (!options.imagePath.empty() && !platform.writeFile(options.imagePath, imageBytes(*prepared.image))) {
        report.say(options.imagePath + ": " + std::string(texts::imageNotWritten));
        return std::nullopt;
    }
    return std::move(prepared.image);
}

struct OpenedPort {
    std::string device;
    std::optional<SendResult> failed;  // noPort or interrupted
};

// Finds the port and opens it. Waiting, a port that is not there yet is looked for again, and
// one that is there but does not open is tried again for settleMs; otherwise the failure, said,
// ends the command.
OpenedPort openThePort(const SendOptions& options, SendPlatform& platform, SendReport& report, bool wait,
                       const std::string& waiting) {
    std::optional<std::int64_t> failingSince;
    for (bool announced = false;; announced = true) {
        if (platform.interrupted()) return {{}, SendResult::interrupted};
        const FoundPort found = platform.findPort(options.port);
        PortOpenResult opened{PortFailure::missing, {}};
        if (!found.device.empty()) opened = platform.openPort(found.device);
        if (opened) return {found.device, std::nullopt};
        const bool absent = found.device.empty() ? found.mayAppear : opened.failure == PortFailure::missing;
        failingSince = absent ? std::nullopt : std::optional(failingSince.value_or(platform.nowMs()));
        if (!wait || (!absent && (found.device.empty() || platform.nowMs() - *failingSince > settleMs))) {
            report.say(found.device.empty()
                           ? found.why
                           : found.device + ": " + texts::portFailure(opened.failure, opened.systemText));
            return {found.device, SendResult::noPort};
        }
        if (!announced) report.note(waiting);
        platform.pause();
    }
}

struct UnitEnd {
    SendResult result;
    std::string message;
    std::int64_t bytes = 0, ms = 0;
};

// One download on the open port, until it ends or Ctrl-C; the port is closed after either.
UnitEnd download(const SendOptions& options, const MemoryImage& image, SendPlatform& platform, SendReport& report) {
    SerialPort& port = platform.port();
    const RunLimits limits{options.timeoutSeconds * std::int64_t{1000}, options.deadlineSeconds * std::int64_t{1000}};
    SendRun::Trace trace;
    if (options.verbose) trace = [&](const std::string& line) { report.trace(line); };
    SendRun run(
        port, image, limits, [&] { return platform.nowMs(); },
        [&](int chunk, int chunks) { report.progress(chunk, chunks); }, trace);
    const std::int64_t started = platform.nowMs();
    run.start();
    platform.runUntil([&] { return run.result().has_value() || platform.interrupted(); }, [&] { run.check(); });
    port.close();
    const std::int64_t ms = platform.nowMs() - started;
    if (!run.result()) return {SendResult::interrupted, std::string(texts::interrupted), run.bytesSent(), ms};
    return {*run.result(), run.message(), run.bytesSent(), ms};
}

// Every controller's download, and what the run knows around it.
struct Station {
    const SendOptions& options;
    const MemoryImage& image;
    SendPlatform& platform;
    SendReport& report;
    std::string sha256;
    std::string portLabel() const { return options.port.empty() ? std::string(texts::anyPort) : options.port; }
    // The port as the command was given it, or else the device it found.
    std::string portName(const std::string& device) const { return options.port.empty() ? device : options.port; }
    void tell(int unit, const std::string& device, const UnitEnd& end) {
        report.unit({unit, platform.localTime(), portName(device), end.result, end.bytes, end.ms, sha256}, end.message);
    }
};

int runOnce(Station& s) {
    const OpenedPort opened =
        openThePort(s.options, s.platform, s.report, s.options.waitPort, texts::waitingForPort(s.portLabel()));
    if (opened.failed) {
        const bool interrupted = *opened.failed == SendResult::interrupted;
        s.tell(1, opened.device, {*opened.failed, interrupted ? std::string(texts::interrupted) : std::string()});
        return status(statusOf(*opened.failed));
    }
    const UnitEnd end = download(s.options, s.image, s.platform, s.report);
    s.tell(1, opened.device, end);
    return status(statusOf(end.result));
}

// Waits until the controller just programmed is unplugged: its device gone, or another one under
// its name. False when Ctrl-C came first.
bool waitForUnplug(Station& s, const std::string& device, const std::string& identity) {
    for (bool announced = false;; announced = true) {
        if (s.platform.interrupted()) return false;
        const FoundPort found = s.platform.findPort(s.options.port);
        if (found.device.empty() || s.platform.deviceIdentity(found.device) != identity) return true;
        if (!announced) s.report.note(texts::unplugController(s.portName(device)));
        s.platform.pause();
    }
}

// --repeat: one controller after another, each once, until Ctrl-C between two of them (exit 0)
// or during one (130), or a port that cannot be opened (2).
int runRepeatedly(Station& s) {
    int units = 0, done = 0;
    for (;;) {
        const OpenedPort opened =
            openThePort(s.options, s.platform, s.report, true, texts::waitingForController(units + 1, s.portLabel()));
        if (opened.failed) {
            s.report.count(units, done);
            return *opened.failed == SendResult::interrupted ? 0 : status(SendStatus::noPort);
        }
        const std::string identity = s.platform.deviceIdentity(opened.device);
        const UnitEnd end = download(s.options, s.image, s.platform, s.report);
        s.tell(++units, opened.device, end);
        if (end.result == SendResult::done) ++done;
        if (end.result == SendResult::interrupted || !waitForUnplug(s, opened.device, identity)) {
            s.report.count(units, done);
            return end.result == SendResult::interrupted ? status(SendStatus::interrupted) : 0;
        }
    }
}

}  // namespace

int runSendProgram(const std::vector<std::string>& args, SendPlatform& platform, std::ostream& out, std::ostream& err,
                   const std::string& version) {
    const auto parsed = parseSendArguments(args, [&](const std::string& path) { return platform.isFile(path); });
    SendReport report(parsed.options.value_or(SendOptions{}), out, err, platform.errorIsTerminal());
    if (!parsed.options) {
        report.say(parsed.error + "\n" + std::string(texts::seeHelp));
        return status(SendStatus::refused);
    }
    const SendOptions& options = *parsed.options;
    if (const auto answered = answerInstead(options, platform, out, version)) return *answered;
    const auto image = prepareImage(options, platform, report);
    if (!image) return status(SendStatus::refused);
    if (options.dryRun) return 0;
    Station station{options, *image, platform, report, sha256Hex(imageBytes(*image))};
    return options.repeat ? runRepeatedly(station) : runOnce(station);
}

}  // namespace pelmora
