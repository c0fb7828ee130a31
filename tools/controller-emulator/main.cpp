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
    "  --idle MS      forget a half-done download after MS ms of silence (default 3000, 0: never)\n";

volatile sig_atomic_t stopRequested = 0;

void onSignal(int) { stopRequested = 1; }

struct Options {
    std::string device, link, out;
    bool paced = false, repeat = false;
    long idleMs = 3000;
};

std::optional<Options> parse(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&](std::string& into) {
            if (i + 1 >= argc) return false;
            into = argv[++i];
            return !into.empty();
        };
        if (arg == "--device") {
            if (!value(options.device)) return std::nullopt;
        } else if (arg == "--link") {
            if (!value(options.link)) return std::nullopt;
        } else if (arg == "--out") {
            if (!value(options.out)) return std::nullopt;
        } else if (arg == "--idle") {
            std::string text;
            if (!value(text)) return std::nullopt;
            char* end = nullptr;
            options.idleMs = std::strtol(text.c_str(), &end, 10);
            if (*end != '\0' || options.idleMs < 0) return std::nullopt;
        } else if (arg == "--paced") {
            options.paced = true;
        } else if (arg == "--repeat") {
            options.repeat = true;
        } else {
            return std::nullopt;
        }
    }
    if (!options.device.empty() && !options.link.empty()) return std::nullopt;
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
    Line(int fd, const Options& options, int slaveFd) : fd_(fd), slaveFd_(slaveFd), options_(options) {
        controller_.onRequest = [](const std::string& line) {
            std::printf("%s\n", line.c_str());
            std::fflush(stdout);
        };
    }

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
    int reported_ = 0;
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
    const bool wasIdle = controller_.state() == ControllerEmulator::State::waitingForStart || controller_.complete();
    const auto answers = controller_.feed(bytes);
    if (wasIdle && controller_.state() == ControllerEmulator::State::readingHeader) started_ = now;
    queueAnswers(answers, now);
    if (controller_.downloadsCompleted() != reported_) finished(now);
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
        std::ofstream file(options_.out, std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char*>(image.data()), static_cast<std::streamsize>(image.size()));
        where = file ? " -> " + options_.out : " (could not write " + options_.out + ")";
    }
    std::printf(
        "download %d: %zu bytes (header 38 + data %zu), %u shows, %u ms a frame, %zu chunks, %zu unexpected "
        "bytes, %.3f s%s\n",
        reported_, image.size(), controller_.dataLength(), static_cast<unsigned>(image[2]),
        static_cast<unsigned>(image[3]) * 10, controller_.chunksAsked(), controller_.unexpectedBytes(),
        seconds(now - started_), where.c_str());
    std::fflush(stdout);
    if (!options_.repeat) done_ = true;
}

std::optional<Clock::time_point> Line::nextDeadline() const {
    std::optional<Clock::time_point> next;
    auto consider = [&](Clock::time_point t) {
        if (!next || t < *next) next = t;
    };
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

int Line::run(const sigset_t& waitMask) {
    std::uint8_t buffer[4096];
    while (!stopRequested && !done_) {
        const auto deadline = nextDeadline();
        timespec timeout{};
        if (deadline) timeout = toTimespec(*deadline - Clock::now());
        pollfd p{fd_, POLLIN, 0};
        if (!outgoing_.empty() && outgoing_.front().due <= Clock::now()) p.events |= POLLOUT;
        const int ready = ::ppoll(&p, 1, deadline ? &timeout : nullptr, &waitMask);
        if (ready < 0) {
            if (errno == EINTR) continue;
            std::perror("controller-emulator: poll");
            return 1;
        }
        auto now = Clock::now();
        if (p.revents & POLLIN) {
            const ssize_t n = ::read(fd_, buffer, sizeof buffer);
            if (n > 0) {
                received(buffer, static_cast<std::size_t>(n), now);
            } else if (n == 0 || (errno != EAGAIN && errno != EINTR)) {
                std::fprintf(stderr, "controller-emulator: the line is gone\n");
                return 1;
            }
        } else if (p.revents & (POLLHUP | POLLERR | POLLNVAL)) {
            std::fprintf(stderr, "controller-emulator: the line is gone\n");
            return 1;
        }
        now = Clock::now();
        deliverDue(now);
        if (!flushOutput(now)) {
            std::fprintf(stderr, "controller-emulator: cannot write to the line\n");
            return 1;
        }
        const auto state = controller_.state();
        const bool midDownload =
            state == ControllerEmulator::State::readingHeader || state == ControllerEmulator::State::readingData;
        if (midDownload && options_.idleMs > 0 && incoming_.empty() &&
            now - lastActivity_ >= std::chrono::milliseconds(options_.idleMs)) {
            std::printf("line quiet for %ld ms after %zu of %zu bytes: download abandoned, waiting for 0x41\n",
                        options_.idleMs, controller_.received(),
                        pelmora::emulator::headerSize + controller_.dataLength());
            std::fflush(stdout);
            controller_.reset();
        }
    }
    if (done_) drain();
    if (controller_.unexpectedBytes() > 0) {
        std::printf("%zu bytes arrived that were not asked for\n", controller_.unexpectedBytes());
        std::fflush(stdout);
    }
    return done_ || stopRequested ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    const auto options = parse(argc, argv);
    if (!options) {
        std::fputs(usage, stderr);
        return 2;
    }

    // SIGINT, SIGTERM and SIGHUP are only taken while waiting, so the link is always removed.
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    for (int s : {SIGINT, SIGTERM, SIGHUP}) ::sigaction(s, &action, nullptr);
    ::signal(SIGPIPE, SIG_IGN);
    sigset_t blocked, waitMask;
    sigemptyset(&blocked);
    for (int s : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&blocked, s);
    ::sigprocmask(SIG_BLOCK, &blocked, &waitMask);

    int fd = -1, slave = -1;
    std::string slavePath;
    if (!options->device.empty()) {
        fd = ::open(options->device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (fd < 0) {
            std::fprintf(stderr, "controller-emulator: %s: %s\n", options->device.c_str(), std::strerror(errno));
            return 1;
        }
        if (!makeRaw(fd)) {
            std::fprintf(stderr, "controller-emulator: %s is not a serial device\n", options->device.c_str());
            return 1;
        }
        std::printf("%s\n", options->device.c_str());
    } else {
        char name[256] = {};
        if (::openpty(&fd, &slave, name, nullptr, nullptr) != 0) {
            std::perror("controller-emulator: openpty");
            return 1;
        }
        // The slave stays open here as well, so the tool closing its port is no hang-up for us.
        if (!makeRaw(fd) || !makeRaw(slave)) {
            std::perror("controller-emulator: termios");
            return 1;
        }
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
        slavePath = name;
        std::printf("%s\n", slavePath.c_str());
        if (!options->link.empty()) {
            if (::symlink(slavePath.c_str(), options->link.c_str()) != 0) {
                std::fprintf(stderr, "controller-emulator: cannot link %s: %s\n", options->link.c_str(),
                             std::strerror(errno));
                return 1;
            }
        }
    }
    std::printf("controller on %s%s%s, 115200 8N1%s, waiting for the start byte 0x41\n",
                options->device.empty() ? slavePath.c_str() : options->device.c_str(),
                options->link.empty() ? "" : " linked as ", options->link.c_str(), options->paced ? ", paced" : "");
    std::fflush(stdout);

    const int status = Line(fd, *options, slave).run(waitMask);

    if (!options->link.empty()) {
        // Remove the link only while it is still ours.
        char target[512] = {};
        const ssize_t n = ::readlink(options->link.c_str(), target, sizeof target - 1);
        if (n > 0 && slavePath == std::string(target, static_cast<std::size_t>(n))) ::unlink(options->link.c_str());
    }
    ::close(fd);
    if (slave >= 0) ::close(slave);
    return status;
}
