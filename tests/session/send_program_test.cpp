// pelmora-send above the platform, on a faked one: the station's operator plugs controllers in
// and pulls them out as each test's script says, the emulated controller answers on the fake
// port, and the clock moves only while the program waits.

#include "session/send_program.h"

#include <gtest/gtest.h>

#include <deque>
#include <map>
#include <sstream>

#include "emulator.h"
#include "expected_image.h"
#include "fakes.h"
#include "led_builder.h"

namespace pelmora {
namespace {

using testing::Bytes;

class FakeSendPlatform : public SendPlatform {
public:
    bool isFile(const std::string& path) override { return files.count(path) > 0; }
    bool exists(const std::string& path) override { return isFile(path); }
    bool sameFile(const std::string& a, const std::string& b) override { return a == b && isFile(a); }
    FileRead readFile(const std::string& path) override {
        return isFile(path) ? FileRead{files[path], FileFailure::none, ""} : FileRead{{}, FileFailure::missing, ""};
    }
    bool writeFile(const std::string&, const std::vector<std::uint8_t>&) override { return true; }
    std::vector<std::string> portList() override { return {}; }
    FoundPort findPort(const std::string& port) override { return {port, {}, true}; }
    std::string deviceIdentity(const std::string&) override { return plugged ? std::to_string(plugged) : ""; }
    PortOpenResult openPort(const std::string&) override {
        if (plugged == 0) return {PortFailure::missing, "gone"};
        if (!failures.empty()) {
            const PortFailure failure = failures.front();
            failures.pop_front();
            return {failure, "said"};
        }
        return fakePort.open();
    }
    SerialPort& port() override { return fakePort; }
    void pause() override {
        now += 200;
        if (onPause) onPause();
    }
    std::int64_t nowMs() override { return now; }
    std::string localTime() override { return "12:00"; }
    bool interrupted() override { return interrupt; }
    // The controller plugged in answers what the program writes.
    void runUntil(const std::function<bool()>& done, const std::function<void()>& tick) override {
        for (int guard = 0; guard < 100000 && !done(); ++guard) {
            for (; answered < fakePort.writes.size(); ++answered)
                if (plugged && answering) fakePort.receive(controllers[plugged].feed(fakePort.writes[answered]));
            now += 20;
            if (onTick) onTick();
            tick();
        }
    }
    bool errorIsTerminal() override { return false; }

    std::map<std::string, Bytes> files;
    testing::FakeSerialPort fakePort;
    std::map<int, emulator::ControllerEmulator> controllers;  // by the number each is plugged in as
    int plugged = 0;                                          // 0: nothing at the port
    bool answering = true;
    std::deque<PortFailure> failures;  // what the next opens fail with, when something is plugged in
    bool interrupt = false;
    std::int64_t now = 0;
    std::size_t answered = 0;
    std::function<void()> onPause, onTick;
};

struct Station {
    Station() {
        platform.files["a.led"] = testing::makeLedFile({.dots = 10, .frames = 2});
        platform.fakePort.opens = true;
        platform.plugged = 1;
    }
    int run(const std::string& option) {  // to COM1, with one option or none
        std::vector<std::string> args = {"-p", "COM1", "a.led"};
        if (!option.empty()) args.insert(args.begin(), option);
        return runSendProgram(args, platform, out, err, "1");
    }
    FakeSendPlatform platform;
    std::ostringstream out, err;
};

// Ctrl-C while a controller is being programmed: the port is closed, then exit 130; in repeat mode
// with the count.
TEST(SendStation, CtrlCDuringADownloadClosesThePortAndExits130) {
    for (const bool repeat : {false, true}) {
        Station s;
        s.platform.answering = false;
        s.platform.onTick = [&] { s.platform.interrupt = s.platform.now > 1000; };
        EXPECT_EQ(s.run(repeat ? "--repeat" : ""), 130) << repeat;
        EXPECT_FALSE(s.platform.fakePort.isOpen());
        EXPECT_EQ(s.platform.fakePort.calls.back(), "close");
        const std::string last = repeat ? "pelmora-send: 共 1 台控制器, 0 台完成" : "pelmora-send: 已中断 (Ctrl-C)";
        EXPECT_TRUE(("\n" + s.err.str()).ends_with("\n" + last + "\n")) << s.err.str();  // the last line
    }
}

// Waiting, a port that is there but does not open is tried again for two seconds (a device just
// plugged in may not be ready); one that still fails then ends the command with exit 2.
TEST(SendStation, WaitingAPortThatFailsToOpenIsTriedAgainForTwoSeconds) {
    const std::vector<std::tuple<std::string, int, int>> cases = {
        // option, failed opens before one succeeds, exit status
        {"--wait-port", 5, 0},
        {"--wait-port", 50, 2},
        {"--repeat", 50, 2},
        {"", 1, 2},  // no waiting: the first failure ends it
    };
    for (const auto& [option, failing, exit] : cases) {
        Station s;
        s.platform.failures.assign(static_cast<std::size_t>(failing), PortFailure::notPermitted);
        s.platform.onPause = [&] { s.platform.interrupt = s.platform.controllers[1].downloadsCompleted() == 1; };
        EXPECT_EQ(s.run(option), exit) << failing;
        const std::string said = "COM1: 当前用户无权打开该串口: 请把用户加入 dialout 组, 然后重新登录 (said)";
        EXPECT_EQ(s.err.str().find(said) != std::string::npos, exit == 2) << s.err.str();
    }
}

}  // namespace
}  // namespace pelmora
