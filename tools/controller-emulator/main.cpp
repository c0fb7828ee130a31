// controller-emulator: plays the LED controller's part of a download, so the tool can be
// tried without a controller. It runs on a serial device, or on a pseudo-terminal pair it
// creates and whose slave side the tool opens like any serial port.

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "emulator.h"

namespace {

using Clock = std::chrono::steady_clock;
using pelmora::emulator::ControllerEmulator;

// 115200 baud, 8N1: a start bit, eight data bits and a stop bit, 10 bits a byte.
constexpr auto byteTime = std::chrono::nanoseconds(10'000'000'000LL / 115200);

const char* const usage =
    "usage: controller-emulator [--device PATH | --link PATH] [--out FILE] [--paced] [--repeat] [--idle MS]\n"
    "                           [--unplug [--replug MS]] [--early BYTES] [--noise MS]\n"
    "\n"
    "Plays the LED controller's part of a download at 115200 baud 8N1: answers the start byte 0x41\n"
    "with 0x41, reads the 38-byte header, asks with 0x42 for every chunk of at most 4096 bytes and\n"
    "answers 0x16 when the header's data length has arrived.\n"
    "\n"
    "  --device PATH  use this serial device; without it a pseudo-terminal pair is created and the\n"
    "                 path of its slave side is printed on the first line\n"
    "  --link PATH    also make PATH a symbolic link to the slave side (e.g. /dev/ttyUSB7, which\n"
    "                 needs root); it must not exist yet and is removed again on exit\n"
    "  --out FILE     write each received image (header + data) to FILE\n"
    "  --paced        take bytes in and send them out no faster than a real 115200 baud line\n"
    "  --repeat       keep serving downloads until interrupted; otherwise stop after one\n"
    "  --idle MS      forget a half-done download after MS ms of silence (default 3000, 0: never)\n"
    "  --unplug       one controller after another on a pseudo-terminal: after its download each one\n"
    "                 is unplugged (the link removed, the pty closed) and the next one plugged in (a\n"
    "                 new pty, the link made again, its path printed) on SIGUSR1, or after --replug MS\n"
    "  --out FILE     with %d in FILE: that is the download's number, one file each\n"
    "  --early BYTES  a faulty controller: 0x16 once BYTES bytes of the download have come (0: in\n"
    "                 answer to the start byte), before the data is all there\n"
    "  --noise MS     no controller at all: a device that sends a byte 0x55 every MS ms and answers\n"
    "                 nothing (a wrong device, or the right one at the wrong speed)\n";

volatile sig_atomic_t stopRequested = 0;
volatile sig_atomic_t plugRequested = 0;

void onSignal(int) { stopRequested = 1; }
void onPlug(int) { plugRequested = 1; }

struct Options {
    std::string device, link, out;
    bool paced = false, repeat = false, unplug = false;
    long idleMs = 3000, replugMs = 0, noiseMs = 0, earlyAfter = -1;
};

// A number of at least 0.
bool readNumber(const std::string& text, long& into) {
    char* end = nullptr;
    into = std::strtol(text.c_str(), &end, 10);
    return !text.empty() && *end == '\0' && into >= 0;
}

// An option with a number: false when it is not one of them, or its value is bad (ok then false).
bool numberOption(const std::string& arg, const std::optional<std::string>& value, Options& options, bool& ok) {
    const std::pair<const char*, long Options::*> numbers[] = {{"--idle", &Options::idleMs},
                                                               {"--replug", &Options::replugMs},
                                                               {"--noise", &Options::noiseMs},
                                                               {"--early", &Options::earlyAfter}};
    for (const auto& [name, field] : numbers)
        if (arg == name) {
            ok = value && readNumber(*value, options.*field);
            return true;
        }
    return false;
}

std::optional<Options> parse(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const std::optional<std::string> value = i + 1 < argc ? std::optional<std::string>(argv[i + 1]) : std::nullopt;
        bool ok = true;
        if (numberOption(arg, value, options, ok)) {
            ++i;
        } else if (arg == "--device" || arg == "--link" || arg == "--out") {
            std::string& into = arg == "--device" ? options.device : arg == "--link" ? options.link : options.out;
            into = value.value_or("");
            ok = !into.empty();
            ++i;
        } else if (arg == "--paced" || arg == "--repeat" || arg == "--unplug") {
            (arg == "--paced" ? options.paced : arg == "--repeat" ? options.repeat : options.unplug) = true;
        } else {
            ok = false;
        }
        if (!ok) return std::nullopt;
    }
    if (!options.device.empty() && (!options.link.empty() || options.unplug)) return std::nullopt;
    return options;
}

// Raw bytes at 115200 8N1, no flow control, reads that return whatever is there.
bool makeRaw(int fd) {
    termios t{};
    if (::tcgetattr(fd, &t) != 0) return false;
    ::cfmakeraw(&t);
    t.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | CSTOPB | CRTSCTS);
    t.c_cflag |= CS8 | CLOCAL | CREAD;
    t.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
    t.c_cc[VMIN] = 1;
    t.c_cc[VTIME] = 0;
    ::cfsetispeed(&t, B115200);
    ::cfsetospeed(&t, B115200);
    return ::tcsetattr(fd, TCSANOW, &t) == 0;
}

timespec toTimespec(Clock::duration d) {
    if (d < Clock::duration::zero()) d = Clock::duration::zero();
    const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(d).count();
    return timespec{static_cast<time_t>(ns / 1'000'000'000), static_cast<long>(ns % 1'000'000'000)};
}

double seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

class Line {
public:
    // downloadsBefore: those of the controllers unplugged before this one.
    Line(int fd, const Options& options, int slaveFd, int downloadsBefore)
        : fd_(fd), slaveFd_(slaveFd), options_(options), downloadsBefore_(downloadsBefore) {
        controller_.onRequest = [](const std::string& line) {
            std::printf("%s\n", line.c_str());
            std::fflush(stdout);
        };
        if (options.earlyAfter >= 0) controller_.earlyCompletionAfter = static_cast<std::size_t>(options.earlyAfter);
        if (options.noiseMs > 0) nextNoise_ = Clock::now() + std::chrono::milliseconds(options.noiseMs);
    }
    int downloads() const { return controller_.downloadsCompleted(); }

    // Serves until interrupted, until the one download is done (without --repeat), or until
    // the device breaks. Returns the exit status.
    int run(const sigset_t& waitMask);

private:
    struct Timed {
        Clock::time_point due;
        std::uint8_t byte;
    };

    void received(const std::uint8_t* data, std::size_t n, Clock::time_point now);
    void deliverDue(Clock::time_point now);
    void feed(const std::vector<std::uint8_t>& bytes, Clock::time_point now);
    void queueAnswers(const std::vector<std::uint8_t>& answers, Clock::time_point now);
    bool flushOutput(Clock::time_point now);
    void finished(Clock::time_point now);
    void makeNoise(Clock::time_point now);
    bool take(const pollfd& p, Clock::time_point now);
    void abandonIfQuiet(Clock::time_point now);
    std::string outPath() const;
    std::optional<Clock::time_point> nextDeadline() const;
    void drain();

    int fd_;
    int slaveFd_;  // our own hold on the pty's slave side (-1 on a device)
    const Options& options_;
    ControllerEmulator controller_;
    std::deque<Timed> incoming_;  // paced: bytes on the wire towards the controller
    std::deque<Timed> outgoing_;  // answers waiting for their time (paced) or for room
    Clock::time_point inFree_{}, outFree_{};
    Clock::time_point lastActivity_ = Clock::now();
    Clock::time_point started_{};
    int downloadsBefore_;
    int reported_ = 0;
    int earlyReported_ = 0;
    std::optional<Clock::time_point> nextNoise_;  // --noise: when the next byte goes out
    bool done_ = false;
};

void Line::received(const std::uint8_t* data, std::size_t n, Clock::time_point now) {
    lastActivity_ = now;
    if (!options_.paced) {
        feed(std::vector<std::uint8_t>(data, data + n), now);
        return;
    }
    // A byte has arrived only once the wire could have carried it.
    for (std::size_t i = 0; i < n; ++i) {
        inFree_ = std::max(inFree_, now) + byteTime;
        incoming_.push_back({inFree_, data[i]});
    }
}

void Line::deliverDue(Clock::time_point now) {
    std::vector<std::uint8_t> due;
    while (!incoming_.empty() && incoming_.front().due <= now) {
        due.push_back(incoming_.front().byte);
        incoming_.pop_front();
    }
    if (!due.empty()) {
        lastActivity_ = now;
        feed(due, now);
    }
}

void Line::feed(const std::vector<std::uint8_t>& bytes, Clock::time_point now) {
    if (nextNoise_) return;  // no controller here: nothing is answered
    const bool wasIdle = controller_.state() == ControllerEmulator::State::waitingForStart || controller_.complete();
    const auto answers = controller_.feed(bytes);
    if (wasIdle && controller_.state() == ControllerEmulator::State::readingHeader) started_ = now;
    queueAnswers(answers, now);
    if (controller_.downloadsCompleted() != reported_) finished(now);
    if (controller_.earlyCompletions() != earlyReported_) {
        earlyReported_ = controller_.earlyCompletions();
        if (!options_.repeat || options_.unplug) done_ = true;
    }
}

void Line::makeNoise(Clock::time_point now) {
    if (!nextNoise_ || now < *nextNoise_) return;
    *nextNoise_ += std::chrono::milliseconds(options_.noiseMs);
    queueAnswers({0x55}, now);
}

// The file of this download: --out, with the download's number for a %d in it.
std::string Line::outPath() const {
    const auto mark = options_.out.find("%d");
    if (mark == std::string::npos) return options_.out;
    return options_.out.substr(0, mark) + std::to_string(downloadsBefore_ + reported_) + options_.out.substr(mark + 2);
}

void Line::queueAnswers(const std::vector<std::uint8_t>& answers, Clock::time_point now) {
    for (const std::uint8_t byte : answers) {
        Clock::time_point due = now;
        if (options_.paced) due = outFree_ = std::max(outFree_, now) + byteTime;
        outgoing_.push_back({due, byte});
    }
    flushOutput(now);
}

// Writes every answer that is due; false when the line is broken.
bool Line::flushOutput(Clock::time_point now) {
    while (!outgoing_.empty() && outgoing_.front().due <= now) {
        const ssize_t n = ::write(fd_, &outgoing_.front().byte, 1);
        if (n == 1) {
            outgoing_.pop_front();
            continue;
        }
        if (n < 0 && (errno == EAGAIN || errno == EINTR)) return true;
        return false;
    }
    return true;
}

void Line::finished(Clock::time_point now) {
    reported_ = controller_.downloadsCompleted();
    const auto& image = controller_.image();
    std::string where;
    if (!options_.out.empty()) {
        const std::string path = outPath();
        std::ofstream file(path, std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char*>(image.data()), static_cast<std::streamsize>(image.size()));
        where = file ? " -> " + path : " (could not write " + path + ")";
    }
    std::printf(
        "download %d: %zu bytes (header 38 + data %zu), %u shows, %u ms a frame, %zu chunks, %zu unexpected "
        "bytes, %.3f s%s\n",
        downloadsBefore_ + reported_, image.size(), controller_.dataLength(), static_cast<unsigned>(image[2]),
        static_cast<unsigned>(image[3]) * 10, controller_.chunksAsked(), controller_.unexpectedBytes(),
        seconds(now - started_), where.c_str());
    std::fflush(stdout);
    if (!options_.repeat || options_.unplug) done_ = true;
}

std::optional<Clock::time_point> Line::nextDeadline() const {
    std::optional<Clock::time_point> next;
    auto consider = [&](Clock::time_point t) {
        if (!next || t < *next) next = t;
    };
    if (nextNoise_) consider(*nextNoise_);
    if (!incoming_.empty()) consider(incoming_.front().due);
    if (!outgoing_.empty()) consider(outgoing_.front().due);
    const auto state = controller_.state();
    const bool midDownload =
        state == ControllerEmulator::State::readingHeader || state == ControllerEmulator::State::readingData;
    if (midDownload && options_.idleMs > 0 && incoming_.empty())
        consider(lastActivity_ + std::chrono::milliseconds(options_.idleMs));
    return next;
}

// After the last answer: let it reach the other side before the line goes away.
void Line::drain() {
    const auto limit = Clock::now() + std::chrono::seconds(2);
    while (!outgoing_.empty() && Clock::now() < limit && !stopRequested) {
        if (!flushOutput(Clock::now())) return;
        ::usleep(1000);
    }
    if (slaveFd_ < 0) {
        ::tcdrain(fd_);
        return;
    }
    // The tool has read everything once the slave side's input queue is empty. Bytes written to
    // the master reach that queue a moment later (the kernel hands them over in its own time), so
    // an empty queue right after the write says nothing: give them that moment first.
    ::usleep(50'000);
    int waiting = 0;
    while (Clock::now() < limit && !stopRequested && ::ioctl(slaveFd_, TIOCINQ, &waiting) == 0 && waiting > 0)
        ::usleep(1000);
}

// Takes what the poll found; false when the line is gone.
bool Line::take(const pollfd& p, Clock::time_point now) {
    std::uint8_t buffer[4096];
    if (p.revents & POLLIN) {
        const ssize_t n = ::read(fd_, buffer, sizeof buffer);
        if (n > 0) received(buffer, static_cast<std::size_t>(n), now);
        if (n > 0 || (n < 0 && (errno == EAGAIN || errno == EINTR))) return true;
    } else if (!(p.revents & (POLLHUP | POLLERR | POLLNVAL))) {
        return true;
    }
    std::fprintf(stderr, "controller-emulator: the line is gone\n");
    return false;
}

// A download the tool stopped answering in the middle of is forgotten after --idle.
void Line::abandonIfQuiet(Clock::time_point now) {
    const auto state = controller_.state();
    const bool midDownload =
        state == ControllerEmulator::State::readingHeader || state == ControllerEmulator::State::readingData;
    if (!midDownload || options_.idleMs == 0 || !incoming_.empty() ||
        now - lastActivity_ < std::chrono::milliseconds(options_.idleMs))
        return;
    std::printf("line quiet for %ld ms after %zu of %zu bytes: download abandoned, waiting for 0x41\n", options_.idleMs,
                controller_.received(), pelmora::emulator::headerSize + controller_.dataLength());
    std::fflush(stdout);
    controller_.reset();
}

int Line::run(const sigset_t& waitMask) {
    while (!stopRequested && !done_) {
        const auto deadline = nextDeadline();
        timespec timeout{};
        if (deadline) timeout = toTimespec(*deadline - Clock::now());
        pollfd p{fd_, POLLIN, 0};
        if (!outgoing_.empty() && outgoing_.front().due <= Clock::now()) p.events |= POLLOUT;
        const int ready = ::ppoll(&p, 1, deadline ? &timeout : nullptr, &waitMask);
        if (ready < 0 && errno == EINTR) continue;
        if (ready < 0) {
            std::perror("controller-emulator: poll");
            return 1;
        }
        if (!take(p, Clock::now())) return 1;
        const auto now = Clock::now();
        makeNoise(now);
        deliverDue(now);
        if (!flushOutput(now)) {
            std::fprintf(stderr, "controller-emulator: cannot write to the line\n");
            return 1;
        }
        abandonIfQuiet(now);
    }
    if (done_) drain();
    if (controller_.unexpectedBytes() > 0) {
        std::printf("%zu bytes arrived that were not asked for\n", controller_.unexpectedBytes());
        std::fflush(stdout);
    }
    return done_ || stopRequested ? 0 : 1;
}

// The emulator's end of the line: a serial device, or a pseudo-terminal's master with our own
// hold on its slave side (so that the tool closing its port is no hang-up for us).
struct Wire {
    int fd = -1, slave = -1;
    std::string path;  // the device, or the slave side the tool opens
};

std::optional<Wire> openDevice(const std::string& device) {
    const int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) {
        std::fprintf(stderr, "controller-emulator: %s: %s\n", device.c_str(), std::strerror(errno));
        return std::nullopt;
    }
    if (!makeRaw(fd)) {
        std::fprintf(stderr, "controller-emulator: %s is not a serial device\n", device.c_str());
        ::close(fd);
        return std::nullopt;
    }
    return Wire{fd, -1, device};
}

std::optional<Wire> openPty() {
    Wire wire;
    char name[256] = {};
    if (::openpty(&wire.fd, &wire.slave, name, nullptr, nullptr) != 0 || !makeRaw(wire.fd) || !makeRaw(wire.slave)) {
        std::perror("controller-emulator: pseudo-terminal");
        return std::nullopt;
    }
    ::fcntl(wire.fd, F_SETFL, ::fcntl(wire.fd, F_GETFL) | O_NONBLOCK);
    wire.path = name;
    return wire;
}

bool makeLink(const Options& options, const Wire& wire) {
    if (options.link.empty() || ::symlink(wire.path.c_str(), options.link.c_str()) == 0) return true;
    std::fprintf(stderr, "controller-emulator: cannot link %s: %s\n", options.link.c_str(), std::strerror(errno));
    return false;
}

// Removes the link only while it is still ours, and lets go of the line.
void unplug(const Options& options, const Wire& wire) {
    if (!options.link.empty()) {
        char target[512] = {};
        const ssize_t n = ::readlink(options.link.c_str(), target, sizeof target - 1);
        if (n > 0 && wire.path == std::string(target, static_cast<std::size_t>(n))) ::unlink(options.link.c_str());
    }
    ::close(wire.fd);
    if (wire.slave >= 0) ::close(wire.slave);
}

// Until SIGUSR1, or --replug has passed; false when asked to stop first.
bool waitForPlug(const Options& options, const sigset_t& waitMask) {
    const auto due = Clock::now() + std::chrono::milliseconds(options.replugMs);
    while (!plugRequested && !stopRequested && (options.replugMs == 0 || Clock::now() < due)) {
        const timespec timeout = toTimespec(due - Clock::now());
        ::ppoll(nullptr, 0, options.replugMs > 0 ? &timeout : nullptr, &waitMask);
    }
    return !stopRequested;
}

void announce(const Options& options, const Wire& wire, int controller) {
    const std::string which = controller == 1 ? "controller" : "controller " + std::to_string(controller);
    std::printf("%s on %s%s%s, 115200 8N1%s, waiting for the start byte 0x41\n", which.c_str(), wire.path.c_str(),
                options.link.empty() ? "" : " linked as ", options.link.c_str(), options.paced ? ", paced" : "");
    std::fflush(stdout);
}

// Serves each controller in turn (with --unplug), or the one. Returns the exit status.
int serve(const Options& options, Wire wire, const sigset_t& waitMask) {
    int downloads = 0;
    for (int controller = 1;; ++controller) {
        Line line(wire.fd, options, wire.slave, downloads);
        const int status = line.run(waitMask);
        downloads += line.downloads();
        if (!options.unplug || stopRequested || status != 0) {
            unplug(options, wire);
            return status;
        }
        // The next pseudo-terminal is made before this one is let go, so that its number differs.
        const auto next = openPty();
        plugRequested = 0;
        unplug(options, wire);
        std::printf("controller %d unplugged\n", controller);
        std::fflush(stdout);
        if (!next) return 1;
        wire = *next;
        if (!waitForPlug(options, waitMask) || !makeLink(options, wire)) {
            unplug(options, wire);
            return stopRequested ? 0 : 1;
        }
        announce(options, wire, controller + 1);
    }
}

}  // namespace

int main(int argc, char** argv) {
    const auto options = parse(argc, argv);
    if (!options) {
        std::fputs(usage, stderr);
        return 2;
    }

    // The signals are only taken while waiting, so the link is always removed.
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    for (int s : {SIGINT, SIGTERM, SIGHUP}) ::sigaction(s, &action, nullptr);
    action.sa_handler = onPlug;
    ::sigaction(SIGUSR1, &action, nullptr);
    ::signal(SIGPIPE, SIG_IGN);
    sigset_t blocked, waitMask;
    sigemptyset(&blocked);
    for (int s : {SIGINT, SIGTERM, SIGHUP, SIGUSR1}) sigaddset(&blocked, s);
    ::sigprocmask(SIG_BLOCK, &blocked, &waitMask);

    const auto wire = options->device.empty() ? openPty() : openDevice(options->device);
    if (!wire) return 1;
    std::printf("%s\n", wire->path.c_str());
    if (!makeLink(*options, *wire)) {
        unplug(Options{}, *wire);
        return 1;
    }
    announce(*options, *wire, 1);
    return serve(*options, *wire, waitMask);
}
