// pelmora-bench: how fast the tool is against the limits of its job. Prints one table; each row is
// a figure measured side by side with its limit or its peer in the same run.
//
//   start-up   the tool and a one-label Qt window, each started with PELMORA_EXIT_WHEN_SHOWN,
//              alternating; time from exec to the first painted expose, and peak RSS
//   import     a 64 MiB LED file through the open command and the append, against a plain read
//   latency    a request byte 0x42 written on an unpaced pty to the last byte of its chunk
//   download   a full table through the emulated controller paced at 115200 8N1, click of comsend
//              to the completion text, against the time the wire itself needs
//   send       the same table by pelmora-send, from its start to its exit status, against the wire
//
// Start-up runs first, while this program is still small: a child's peak RSS includes what the
// parent had mapped at the moment of the spawn.

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/utsname.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <QApplication>
#include <QComboBox>
#include <QEventLoop>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "download/handshake.h"
#include "expected_image.h"
#include "fakes.h"
#include "led_builder.h"
#include "platform/posix/posix_port_directory.h"
#include "platform/qt/qt_serial_port.h"
#include "session/session.h"
#include "session/texts.h"
#include "session_harness.h"
#include "ui/qt/input_form.h"
#include "ui/qt/main_window.h"

extern char** environ;

namespace pelmora::bench {
namespace {

using Clock = std::chrono::steady_clock;
using testing::TempDir;
using Bytes = std::vector<std::uint8_t>;

long long nowNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch()).count();
}

double msSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double median(std::vector<double> v) {
    if (v.empty()) return NAN;
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// Nearest-rank percentile.
double percentile(std::vector<double> v, double p) {
    if (v.empty()) return NAN;
    std::sort(v.begin(), v.end());
    const auto rank = static_cast<std::size_t>(std::ceil(p / 100.0 * static_cast<double>(v.size())));
    return v[std::clamp<std::size_t>(rank, 1, v.size()) - 1];
}

std::string format(const char* pattern, double value) {
    char text[64];
    std::snprintf(text, sizeof text, pattern, value);
    return text;
}

[[noreturn]] void fail(const std::string& what) {
    std::fprintf(stderr, "pelmora-bench: %s\n", what.c_str());
    std::exit(1);
}

// One line of the table.
struct Row {
    std::string figure, measured, peer, ratio, target;
    bool met;
};

std::vector<Row> rows;
std::vector<std::string> notes;

void addRow(std::string figure, std::string measured, std::string peer, std::string ratio, std::string target,
            bool met) {
    rows.push_back({std::move(figure), std::move(measured), std::move(peer), std::move(ratio), std::move(target), met});
}

// ---- child processes ----

struct Child {
    pid_t pid = -1;
    int out = -1;  // its stdout
};

Child spawn(const std::string& path, const std::vector<std::string>& args, const std::vector<std::string>& env,
            bool quietStderr) {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) fail("pipe failed");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
    if (quietStderr) posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    std::vector<char*> argv{const_cast<char*>(path.c_str())};
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (const auto& e : env) envp.push_back(const_cast<char*>(e.c_str()));
    envp.push_back(nullptr);
    Child child;
    const int error = ::posix_spawn(&child.pid, path.c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    ::close(fds[1]);
    if (error != 0) fail("cannot start " + path + ": " + std::strerror(error));
    child.out = fds[0];
    return child;
}

// Reads one line from fd, waiting at most timeoutMs; nothing on time-out or end of file.
std::optional<std::string> readLine(int fd, int timeoutMs) {
    std::string line;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) return std::nullopt;
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(left)) <= 0) continue;
        char c;
        const ssize_t n = ::read(fd, &c, 1);
        if (n <= 0) return std::nullopt;
        if (c == '\n') return line;
        line += c;
    }
}

std::vector<std::string> environmentWith(const std::vector<std::string>& extra) {
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) {
        const std::string entry = *e;
        const bool replaced = std::any_of(extra.begin(), extra.end(), [&](const std::string& x) {
            return entry.compare(0, x.find('=') + 1, x, 0, x.find('=') + 1) == 0;
        });
        if (!replaced) env.push_back(entry);
    }
    env.insert(env.end(), extra.begin(), extra.end());
    return env;
}

long selfRssKb() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmRSS:", 0) == 0) return std::atol(line.c_str() + 6);
    return 0;
}

// ---- start-up ----

struct StartRun {
    double ms = 0;
    long peakRssKb = 0;
    double cpuMs = 0;  // user + system
};

std::optional<StartRun> startOnce(const std::string& program, const std::vector<std::string>& env) {
    const long long spawned = nowNs();
    Child child = spawn(program, {}, env, true);
    std::optional<std::string> line = readLine(child.out, 20000);
    if (!line) ::kill(child.pid, SIGKILL);
    ::close(child.out);
    int status = 0;
    rusage usage{};
    ::wait4(child.pid, &status, 0, &usage);
    long long shown = 0;
    if (!line || std::sscanf(line->c_str(), "shown %lld", &shown) != 1) return std::nullopt;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return std::nullopt;
    auto msOf = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_usec) / 1e3;
    };
    return StartRun{static_cast<double>(shown - spawned) / 1e6, usage.ru_maxrss,
                    msOf(usage.ru_utime) + msOf(usage.ru_stime)};
}

void benchStartUp(const std::string& tool, const std::string& minimal, int runs) {
    const bool x11 = std::getenv("DISPLAY") && *std::getenv("DISPLAY");
    const std::string platform = x11 ? "xcb" : "offscreen";
    const auto env = environmentWith({"QT_QPA_PLATFORM=" + platform, "PELMORA_EXIT_WHEN_SHOWN=1"});
    const long ownRss = selfRssKb();

    // One start of each first, so both find the libraries and fonts in the page cache.
    if (!startOnce(tool, env) || !startOnce(minimal, env)) fail("a start-up run did not show its window");
    std::vector<double> toolMs, minimalMs, toolRss, minimalRss, toolCpu, minimalCpu;
    for (int i = 0; i < runs; ++i) {
        for (int which = 0; which < 2; ++which) {
            // Alternate which of the two goes first in a round.
            const bool toolTurn = (which == 0) == (i % 2 == 0);
            const auto run = startOnce(toolTurn ? tool : minimal, env);
            if (!run) fail("a start-up run did not show its window");
            (toolTurn ? toolMs : minimalMs).push_back(run->ms);
            (toolTurn ? toolRss : minimalRss).push_back(static_cast<double>(run->peakRssKb));
            (toolTurn ? toolCpu : minimalCpu).push_back(run->cpuMs);
        }
    }
    const double t = median(toolMs), m = median(minimalMs);
    const double rt = median(toolRss) / 1024, rm = median(minimalRss) / 1024;
    addRow("start-up to window shown, median of " + std::to_string(runs), format("%.1f ms", t),
           format("one-label window %.1f ms", m), format("%.3fx", t / m), "<= 1.15x", t / m <= 1.15);
    addRow("start-up peak RSS, median", format("%.1f MiB", rt), format("one-label window %.1f MiB", rm),
           format("%.3fx", rt / rm), "<= 1.2x", rt / rm <= 1.2);
    notes.push_back("start-up: QT_QPA_PLATFORM=" + platform + (x11 ? " (under xvfb-run)" : "") +
                    "; \"shown\" = first expose of the window handled (painted), printed by both programs; " +
                    "time from posix_spawn; RSS from wait4, this runner was " + format("%.1f MiB", ownRss / 1024.0) +
                    " when it spawned them");
    notes.push_back("start-up spread: tool " + format("%.1f", *std::min_element(toolMs.begin(), toolMs.end())) + ".." +
                    format("%.1f ms", *std::max_element(toolMs.begin(), toolMs.end())) + ", one-label window " +
                    format("%.1f", *std::min_element(minimalMs.begin(), minimalMs.end())) + ".." +
                    format("%.1f ms", *std::max_element(minimalMs.begin(), minimalMs.end())) +
                    "; CPU time (user + system, to exit), median: tool " + format("%.1f ms", median(toolCpu)) +
                    ", one-label window " + format("%.1f ms", median(minimalCpu)));
}

// ---- import of a large file ----

// The peer: the file into memory with open, fstat and read, nothing else.
double plainRead(const std::string& path, std::uint64_t& checksum) {
    const auto start = Clock::now();
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat info {};
    if (fd < 0 || ::fstat(fd, &info) != 0) fail("cannot read " + path);
    const auto size = static_cast<std::size_t>(info.st_size);
    std::unique_ptr<std::uint8_t[]> buffer(new std::uint8_t[size]);
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::read(fd, buffer.get() + done, size - done);
        if (n <= 0) break;
        done += static_cast<std::size_t>(n);
    }
    ::close(fd);
    const double ms = msSince(start);
    if (done != size) fail("short read of " + path);
    checksum += buffer[size - 1];
    return ms;
}

// The tool: the open command (file dialog answered with the path), the parameter dialog set to a
// show that fits, and the append.
double toolImport(const std::string& path, int frames, std::int32_t expectedBytes) {
    testing::SessionHarness tool(std::filesystem::path(path).parent_path().string());

    const auto start = Clock::now();
    const bool added = testing::importShow(tool.session, tool.files, tool.view, path, std::nullopt, frames);
    const double ms = msSince(start);

    if (!added || tool.session.table().showCount() != 1 || tool.session.table().usedBytes() != expectedBytes ||
        !tool.messages.shown.empty())
        fail("the large file was not appended as expected");
    return ms;
}

void benchImport(int runs) {
    TempDir folder;
    // 1000 dots a frame, 6 sectors (3072 bytes) a frame: 21845 frames fill 64 MiB; 20 of them fit the controller.
    constexpr std::size_t fileSize = 64u << 20;
    constexpr int dots = 1000, framesInFile = 21845, framesTaken = 20;
    std::string path;
    {
        Bytes bytes =
            testing::makeLedFile({.dots = dots, .frames = framesInFile, .sectorsMinusOne = 5},
                                 [](int f, int d, int k) { return static_cast<std::uint8_t>(f + d * 3 + k); });
        bytes.resize(fileSize, 0);
        path = folder.write("large.led", bytes);
    }
    const std::int32_t expected = dots * 3 * framesTaken;
    std::uint64_t checksum = 0;
    plainRead(path, checksum);  // into the page cache, and each side once before counting
    toolImport(path, framesTaken, expected);
    std::vector<double> plain, tool;
    for (int i = 0; i < runs; ++i) {
        if (i % 2 == 0) {
            plain.push_back(plainRead(path, checksum));
            tool.push_back(toolImport(path, framesTaken, expected));
        } else {
            tool.push_back(toolImport(path, framesTaken, expected));
            plain.push_back(plainRead(path, checksum));
        }
    }
    const double t = median(tool), p = median(plain);
    addRow("import 64 MiB LED file, median of " + std::to_string(runs), format("%.1f ms", t),
           format("plain read %.1f ms", p), format("%.3fx", t / p), "<= 1.3x", t / p <= 1.3);
    notes.push_back(
        "import: Qt-free Session on the fake platform and views; open command + append of 20 of "
        "21845 frames (60000 bytes); the file is in the page cache; peer = open, fstat, read into an "
        "uninitialised buffer");
}

// ---- the window, in-process ----

struct ToolWindow {
    explicit ToolWindow(const std::filesystem::path& devices)
        : directory(devices.string()),
          port(directory),
          session(window, Platform{fakes.messages, fakes.files, fakes.web, port, directory}, folder.path().string()) {
        window.setEvents(session);
        window.setProgramEnd([] {});
        session.startUp();
        window.show();
        if (!QTest::qWaitForWindowExposed(&window)) fail("the main window was not shown");
    }

    template <class T>
    T* control(const char* name) {
        T* found = window.findChild<T*>(QString::fromLatin1(name));
        if (!found) fail(std::string("no control ") + name);
        return found;
    }
    void click(const char* name) { QTest::mouseClick(control<QPushButton>(name), Qt::LeftButton); }

    // Five shows that fill the controller: four of 805 dots x 5 frames, one of 2013 dots x 2 frames.
    void importFullTable() {
        const struct {
            int dots, frames;
            std::uint8_t sectorsMinusOne;
        } shows[] = {{805, 5, 4}, {805, 5, 4}, {805, 5, 4}, {805, 5, 4}, {2013, 2, 11}};
        int n = 0;
        for (const auto& s : shows) {
            testing::KnownShow show{
                {},
                testing::makeLedFile({.dots = s.dots, .frames = s.frames, .sectorsMinusOne = s.sectorsMinusOne}),
                s.dots,
                s.frames};
            show.path = folder.write("show" + std::to_string(++n) + ".led", show.file);
            fakes.files.choose(show.path);
            click("open");
            if (!window.inputFormWindow()) fail("no parameter dialog after open");
            auto* form = dynamic_cast<InputFormWindow*>(&window.inputForm());
            QTest::mouseClick(form->findChild<QPushButton*>(QStringLiteral("inputok")), Qt::LeftButton);
            known.push_back(std::move(show));
        }
        if (session.table().usedBytes() != controllerCapacity || !fakes.messages.shown.empty())
            fail("the five shows do not fill the table");
    }

    void openPort() {
        click("opencom");
        if (!port.isOpen()) fail("the port did not open");
    }
    void closePort() {
        click("opencom");
        if (port.isOpen()) fail("the port did not close");
    }

    // Header and data the controller must get for the shows imported, in the colour order selected
    // at start-up (RGB) and this frame time code (5: 50 ms, the one selected at start-up).
    Bytes image(int frameTimeCode = 5) const { return testing::expectedImage(known, 0, frameTimeCode); }

    TempDir folder;
    testing::FakePlatform fakes;  // its message box, file dialog and web opener
    PosixPortDirectory directory;
    QtSerialPort port;
    MainWindow window;
    Session session;
    std::vector<testing::KnownShow> known;
};

// A device folder whose ttyUSB0 (so COM1, the entry selected at start-up) is the given pty slave.
void linkAsCom1(const TempDir& devices, const std::string& slave) {
    std::filesystem::create_symlink(slave, devices.path() / "ttyUSB0");
}

// ---- response latency ----

bool readExactly(int fd, std::uint8_t* into, std::size_t n) {
    std::size_t done = 0;
    while (done < n) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 5000) <= 0) return false;
        const ssize_t got = ::read(fd, into + done, n - done);
        if (got <= 0) return false;
        done += static_cast<std::size_t>(got);
    }
    return true;
}

// The floor under the figure: the same requests answered by a bare thread on the slave side,
// with no event loop, no window and no tool in between.
std::vector<double> ptyFloor(int requests) {
    int master = -1, slave = -1;
    if (::openpty(&master, &slave, nullptr, nullptr, nullptr) != 0) fail("openpty failed");
    termios t{};
    ::tcgetattr(slave, &t);
    ::cfmakeraw(&t);
    ::tcsetattr(slave, TCSANOW, &t);
    std::thread answerer([slave] {
        std::uint8_t chunk[chunkSize] = {}, request = 0;
        while (readExactly(slave, &request, 1) && request == chunkRequest)
            if (::write(slave, chunk, sizeof chunk) != static_cast<ssize_t>(sizeof chunk)) return;
    });
    std::vector<double> latencyMs;
    std::uint8_t buffer[chunkSize];
    for (int i = 0; i < requests; ++i) {
        const std::uint8_t ask = chunkRequest;
        const auto start = Clock::now();
        if (::write(master, &ask, 1) != 1 || !readExactly(master, buffer, chunkSize)) fail("the pty floor broke off");
        latencyMs.push_back(msSince(start));
    }
    const std::uint8_t done = allReceived;
    if (::write(master, &done, 1) != 1) fail("the pty floor broke off");
    answerer.join();
    ::close(master);
    ::close(slave);
    return latencyMs;
}

// Counts the paints of a window: how many frames a playing preview drew.
class PaintCounter : public QObject {
public:
    int paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) ++paints;
        return false;
    }
};

// withPreview: the preview window plays the largest show at 10 ms a frame all the while.
void benchLatency(int requests, bool withPreview) {
    int master = -1, slave = -1;
    char name[256] = {};
    if (::openpty(&master, &slave, name, nullptr, nullptr) != 0) fail("openpty failed");
    termios t{};
    ::tcgetattr(slave, &t);
    ::cfmakeraw(&t);
    ::tcsetattr(slave, TCSANOW, &t);
    TempDir devices;
    linkAsCom1(devices, name);

    ToolWindow tool(devices.path());
    tool.importFullTable();
    tool.openPort();
    PaintCounter frames;
    int frameTimeCode = 5;
    if (withPreview) {
        // 10毫秒, as a user picks it: the session takes the frame time from that event alone.
        tool.control<QComboBox>("inputcbspeed")->setCurrentIndex(0);
        tool.session.changeFrameTime(0);
        frameTimeCode = 1;
        tool.session.previewShow(4);  // 预览 on show 5, 2013 dots, the largest
        QWidget* preview = tool.window.findChild<QWidget*>(QStringLiteral("preview"));
        if (!preview || !preview->isVisible()) fail("the preview window did not open");
        preview->installEventFilter(&frames);
    }

    // The controller: asks for the header, then for chunk after chunk. After the tail the tool
    // starts over at chunk 1, so the requests can go on as long as we like.
    const int fullChunks = controllerCapacity / chunkSize, tail = controllerCapacity % chunkSize;
    std::vector<double> latencyMs;
    Bytes firstRound;
    std::atomic<bool> ok{false};
    QEventLoop loop;
    std::thread controller([&] {
        std::uint8_t buffer[chunkSize];
        if (readExactly(master, buffer, 1) && buffer[0] == startOfDownload) {
            const std::uint8_t askHeader = headerRequest;
            if (::write(master, &askHeader, 1) == 1 && readExactly(master, buffer, imageHeaderSize)) {
                firstRound.assign(buffer, buffer + imageHeaderSize);
                bool good = true;
                for (int i = 0; i < requests && good; ++i) {
                    const std::size_t expect = i % (fullChunks + 1) < fullChunks ? chunkSize : tail;
                    const std::uint8_t ask = chunkRequest;
                    const auto start = Clock::now();
                    good = ::write(master, &ask, 1) == 1 && readExactly(master, buffer, expect);
                    latencyMs.push_back(msSince(start));
                    if (good && i <= fullChunks) firstRound.insert(firstRound.end(), buffer, buffer + expect);
                }
                const std::uint8_t done = allReceived;
                ok = good && ::write(master, &done, 1) == 1;
            }
        }
        QMetaObject::invokeMethod(
            &loop, [&loop] { loop.quit(); }, Qt::QueuedConnection);
    });
    tool.click("comsend");
    loop.exec();
    controller.join();
    if (!ok) fail("the latency run broke off");
    if (firstRound != tool.image(frameTimeCode)) fail("the bytes on the pty are not the tool's image");
    if (withPreview) {
        const std::string played = "latency with the preview playing: show 5 (2013 dots) at 10 ms a frame, " +
                                   std::to_string(frames.paints) + " paints of the preview during the run";
        notes.push_back(played);
        const double med = median(latencyMs), p99 = percentile(latencyMs, 99);
        addRow("request -> chunk, preview playing, median", format("%.3f ms", med), "limit 0.1 ms",
               format("%.2fx", med / 0.1), "< 0.1 ms", med < 0.1);
        addRow("request -> chunk, preview playing, p99", format("%.3f ms", p99), "limit 1 ms",
               format("%.2fx", p99 / 1.0), "< 1 ms", p99 < 1.0);
        tool.closePort();
        ::close(master);
        ::close(slave);
        return;
    }

    const auto floor = ptyFloor(requests);
    const double med = median(latencyMs), p99 = percentile(latencyMs, 99);
    addRow("request 0x42 -> last chunk byte, median", format("%.3f ms", med), "limit 0.1 ms",
           format("%.2fx", med / 0.1), "< 0.1 ms", med < 0.1);
    addRow("request 0x42 -> last chunk byte, p99", format("%.3f ms", p99), "limit 1 ms", format("%.2fx", p99 / 1.0),
           "< 1 ms", p99 < 1.0);
    notes.push_back("latency: " + std::to_string(requests) + " requests on an unpaced pty, " +
                    std::to_string(fullChunks) + " chunks of 4096 and a tail of " + std::to_string(tail) +
                    " bytes in turn; MainWindow (offscreen) + QtSerialPort in this process, the controller in a "
                    "thread; max " +
                    format("%.3f ms", *std::max_element(latencyMs.begin(), latencyMs.end())) +
                    "; the pty itself (a bare thread answering 4096 bytes, same run): median " +
                    format("%.3f ms", median(floor)) + ", p99 " + format("%.3f ms", percentile(floor, 99)));
    tool.closePort();
    ::close(master);
    ::close(slave);
}

// ---- download against the wire ----

void benchDownload(const std::string& emulator, int runs) {
    TempDir work;
    const std::string received = (work.path() / "received.bin").string();
    Child controller = spawn(emulator, {"--paced", "--repeat", "--out", received}, environmentWith({}), false);
    const auto slave = readLine(controller.out, 5000);
    if (!slave || slave->rfind("/dev/", 0) != 0) fail("the emulated controller did not start");
    readLine(controller.out, 5000);  // "controller on ..."
    TempDir devices;
    linkAsCom1(devices, *slave);

    ToolWindow tool(devices.path());
    tool.importFullTable();
    tool.openPort();
    auto* status = tool.control<QLabel>("prossstates");
    const QString sent = QString::fromUtf8(texts::sent.data(), static_cast<qsizetype>(texts::sent.size()));
    QTimer wake;  // only so that a lost download cannot hang the loop below
    wake.start(100);

    // 0x41, the header and the data from the tool; 0x41 and fifteen 0x42 from the controller.
    const double wireS = (1.0 + imageHeaderSize + controllerCapacity + 16) * 10 / 115200;
    std::vector<double> seconds, emulatorSeconds;
    for (int i = 0; i < runs; ++i) {
        const auto start = Clock::now();
        tool.click("comsend");
        while (status->text() != sent) {
            if (msSince(start) > 30000) fail("the download did not complete");
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        }
        seconds.push_back(msSince(start) / 1000);

        // The controller's own account of the download, and the image it kept.
        for (std::optional<std::string> line; (line = readLine(controller.out, 2000));) {
            double s = 0;
            if (line->rfind("download ", 0) == 0 &&
                std::sscanf(line->c_str() + line->rfind(", ") + 2, "%lf s", &s) == 1) {
                emulatorSeconds.push_back(s);
                break;
            }
        }
        std::ifstream in(received, std::ios::binary);
        const Bytes image((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        if (image != tool.image()) fail("the controller did not receive the tool's image");
    }
    tool.closePort();  // before the line goes away, so the port closes cleanly
    ::kill(controller.pid, SIGTERM);
    ::close(controller.out);
    ::waitpid(controller.pid, nullptr, 0);

    const double s = median(seconds);
    addRow("download of a full table (60378 bytes), median of " + std::to_string(runs), format("%.4f s", s),
           format("wire %.4f s", wireS), format("%.4fx", s / wireS), "<= 1.01x", s / wireS <= 1.01);
    std::string each;
    for (double x : seconds) each += format(" %.4f", x);
    notes.push_back(
        "download: MainWindow (offscreen) driven in this process with QTest::mouseClick, the real "
        "QtSerialPort on a pty whose far side is the controller-emulator program --paced (115200 8N1, "
        "10 bits a byte, both directions); wire = (1 + 38 + 60378 + 16) * 10 / 115200 s; runs (s):" +
        each + "; the emulator's own count from 0x41 in to 0x16 out: " + format("%.4f s", median(emulatorSeconds)) +
        "; image checked byte for byte");
}

// ---- the command-line uploader against the wire ----

void benchSend(const std::string& send, const std::string& emulator, int runs) {
    TempDir work;
    const std::string received = (work.path() / "received.bin").string();
    const std::string written = (work.path() / "written.bin").string();
    Child controller = spawn(emulator, {"--paced", "--repeat", "--out", received}, environmentWith({}), false);
    const auto slave = readLine(controller.out, 5000);
    if (!slave || slave->rfind("/dev/", 0) != 0) fail("the emulated controller did not start");
    readLine(controller.out, 5000);  // "controller on ..."

    // Four shows of 100 dots and 40 frames and one of 2063 dots and 2 frames: 60378 bytes.
    std::vector<std::string> args{"-q", "-p", *slave, "--image", written};
    for (int i = 0; i < 4; ++i)
        args.push_back(
            work.write("show" + std::to_string(i) + ".led", testing::makeLedFile({.dots = 100, .frames = 40})));
    args.push_back(work.write("last.led", testing::makeLedFile({.dots = 2063, .frames = 2, .sectorsMinusOne = 12})));

    const double wireS = (1.0 + imageHeaderSize + controllerCapacity + 16) * 10 / 115200;
    std::vector<double> seconds;
    for (int i = 0; i < runs; ++i) {
        const auto start = Clock::now();
        Child run = spawn(send, args, environmentWith({}), true);
        int status = 0;
        ::waitpid(run.pid, &status, 0);
        seconds.push_back(msSince(start) / 1000);
        ::close(run.out);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) fail("pelmora-send did not complete the download");
        for (std::optional<std::string> line; (line = readLine(controller.out, 2000));)
            if (line->rfind("download ", 0) == 0) break;
        std::ifstream got(received, std::ios::binary), sent(written, std::ios::binary);
        const Bytes image((std::istreambuf_iterator<char>(got)), std::istreambuf_iterator<char>());
        const Bytes wanted((std::istreambuf_iterator<char>(sent)), std::istreambuf_iterator<char>());
        if (image.size() != 38u + 60378u || image != wanted)
            fail("the controller did not receive pelmora-send's image");
    }
    ::kill(controller.pid, SIGTERM);
    ::close(controller.out);
    ::waitpid(controller.pid, nullptr, 0);

    const double s = median(seconds);
    addRow("pelmora-send: full table (60378 bytes), median of " + std::to_string(runs), format("%.4f s", s),
           format("wire %.4f s", wireS), format("%.4fx", s / wireS), "<= 1.01x", s / wireS <= 1.01);
    std::string each;
    for (double x : seconds) each += format(" %.4f", x);
    notes.push_back(
        "pelmora-send: the whole program, from its start to its exit status 0, against the "
        "controller-emulator program --paced on a pty; runs (s):" +
        each + "; image checked byte for byte");
}

std::string cpuName() {
    std::ifstream cpuinfo("/proc/cpuinfo");
    for (std::string line; std::getline(cpuinfo, line);)
        if (line.rfind("model name", 0) == 0) return line.substr(line.find(':') + 2);
    return "unknown CPU";
}

void printTable() {
    const char* head[] = {"figure", "measured", "limit or peer", "ratio", "target", ""};
    std::size_t w[5] = {};
    for (int c = 0; c < 5; ++c) w[c] = std::strlen(head[c]);
    for (const auto& r : rows) {
        const std::string* cells[] = {&r.figure, &r.measured, &r.peer, &r.ratio, &r.target};
        for (int c = 0; c < 5; ++c) w[c] = std::max(w[c], cells[c]->size());
    }
    auto line = [&](const std::string* cells[5], const char* verdict) {
        std::printf("| %-*s | %*s | %-*s | %*s | %-*s | %s\n", static_cast<int>(w[0]), cells[0]->c_str(),
                    static_cast<int>(w[1]), cells[1]->c_str(), static_cast<int>(w[2]), cells[2]->c_str(),
                    static_cast<int>(w[3]), cells[3]->c_str(), static_cast<int>(w[4]), cells[4]->c_str(), verdict);
    };
    std::string hs[5];
    for (int c = 0; c < 5; ++c) hs[c] = head[c];
    const std::string* hp[] = {&hs[0], &hs[1], &hs[2], &hs[3], &hs[4]};
    line(hp, "met");
    std::string rule[5];
    for (int c = 0; c < 5; ++c) rule[c] = std::string(w[c], '-');
    const std::string* rp[] = {&rule[0], &rule[1], &rule[2], &rule[3], &rule[4]};
    line(rp, "---");
    for (const auto& r : rows) {
        const std::string* cells[] = {&r.figure, &r.measured, &r.peer, &r.ratio, &r.target};
        line(cells, r.met ? "yes" : "NO");
    }
    std::printf("\n");
    for (const auto& n : notes) std::printf("- %s\n", n.c_str());
}

}  // namespace
}  // namespace pelmora::bench

int main(int argc, char** argv) {
    using namespace pelmora::bench;
    std::string tool = PELMORA_BENCH_TOOL, minimal = PELMORA_BENCH_MINIMAL, emulator = PELMORA_BENCH_EMULATOR,
                send = PELMORA_BENCH_SEND;
    int startRuns = 15, importRuns = 15, requests = 1500, downloadRuns = 3;
    bool quick = false;
    std::string only;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--quick") {
            quick = true;
        } else if (arg == "--only" && i + 1 < argc) {
            only = argv[++i];
        } else {
            std::fprintf(stderr,
                         "usage: pelmora-bench [--quick] [--only start-up|import|latency|download|send]\n"
                         "  --quick  fewer runs of each figure (for trying the benchmark, not for reporting)\n"
                         "  --only   measure one figure\n");
            return 2;
        }
    }
    if (quick) startRuns = 10, importRuns = 3, requests = 1000, downloadRuns = 1;

    utsname host{};
    ::uname(&host);
    std::printf("pelmora-bench: %s, %u cores, Linux %s, Qt %s\n", cpuName().c_str(),
                std::thread::hardware_concurrency(), host.release, qVersion());
    std::fflush(stdout);

    auto wanted = [&](const char* name) { return only.empty() || only == name; };
    if (wanted("start-up")) {
        std::fprintf(stderr, "start-up ...\n");
        benchStartUp(tool, minimal, startRuns);
    }

    // The rest runs in this process, headless.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // The offscreen platform has no raise(); the parameter dialog asks for it on every open.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
        if (!text.contains(QStringLiteral("does not support raise()")))
            std::fprintf(stderr, "%s%s\n", type == QtDebugMsg ? "" : "qt: ", qPrintable(text));
    });
    if (wanted("import")) {
        std::fprintf(stderr, "import ...\n");
        benchImport(importRuns);
    }
    if (wanted("latency")) {
        std::fprintf(stderr, "response latency ...\n");
        benchLatency(requests, false);
        std::fprintf(stderr, "response latency with the preview playing ...\n");
        benchLatency(requests, true);
    }
    if (wanted("download")) {
        std::fprintf(stderr, "download (%d x about 5 s) ...\n", downloadRuns);
        benchDownload(emulator, downloadRuns);
    }
    if (wanted("send")) {
        std::fprintf(stderr, "pelmora-send (%d x about 5 s) ...\n", downloadRuns);
        benchSend(send, emulator, downloadRuns);
    }

    double load[3] = {};
    if (::getloadavg(load, 3) == 3) notes.push_back(format("load average at the end: %.2f", load[0]));
    printTable();
    return 0;
}
