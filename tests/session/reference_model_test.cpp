// Long random sessions of commands against a deliberately simple model of what the tool must
// hold and send (ShowModel, which knows nothing of slots, offsets or the production code's
// helpers: each show's file bytes as they were at import, its dots and frames, the colour order
// and the frame time). The model predicts every message, the list, the table and each download.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <random>

#include "led_builder.h"
#include "same_bytes.h"
#include "session_harness.h"
#include "show_model.h"

namespace pelmora {
namespace {

using namespace pelmora::testing;

// The messages the model predicts, as the user reads them.
constexpr const char* wrongFileMessage = "你没有打开任何文件或找开了错误的文件!";
constexpr const char* tooManyShowsMessage = "最多只能5个文件";
constexpr const char* beyondFileMessage = "点数或帧数超出了文件中的数据,请重新输入.";
constexpr const char* overCapacityMessage = "文件长度超出了控制器的容量.";
constexpr const char* sentStatus = "所有数据已经发送到控制器中.";

std::int64_t roundHalfEven(double x) {
    const double down = std::floor(x);
    const double rest = x - down;
    auto whole = static_cast<std::int64_t>(down);
    if (rest > 0.5 || (rest == 0.5 && whole % 2 != 0)) ++whole;
    return whole;
}

class RandomSession {
public:
    explicit RandomSession(unsigned seed) : rng_(seed) {}

    // One random command; returns false when the tool and the model disagree.
    void step() {
        const int pick = between(0, 99);
        if (pick < 22)
            openGoodFile();
        else if (pick < 27)
            openBadFile();
        else if (pick < 52)
            pressOk();
        else if (pick < 55)
            closeDialog();
        else if (pick < 65)
            removeEntry();
        else if (pick < 75)
            chooseColourOrder();
        else if (pick < 80)
            chooseFrameTime();
        else if (pick < 88)
            damageAFile();
        else
            sendAndCheck();
        ++commands;
        checkTable();
    }

    int commands = 0, sends = 0, imports = 0, refusals = 0;

private:
    int between(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }

    void openGoodFile() {
        LedFileSpec led;
        led.dots = between(1, 4) == 1 ? between(300, 5000) : between(1, 120);
        led.frames = between(1, 12);
        led.sectorsMinusOne = static_cast<std::uint8_t>(std::max(between(0, 3), (led.dots * 3 - 1) / 512));
        led.headerPixelBytes = led.dots * 3 + between(0, 2);
        if (between(0, 4) == 0) led.lastFrameShortBy = static_cast<std::size_t>(between(1, 600));
        std::vector<std::uint8_t> bytes =
            makeLedFile(led, [&](int, int, int) { return static_cast<std::uint8_t>(between(0, 255)); });
        const std::string path = dir_.write("show" + std::to_string(fileNumber_++) + ".led", bytes);
        files_.choose(path);
        session_.openLedFile();
        ASSERT_TRUE(view_.input() && view_.input()->shown);
        pending_ = KnownShow{path, bytes, 0, 0};
    }

    void openBadFile() {
        std::vector<std::uint8_t> bytes(static_cast<std::size_t>(between(0, 700)), 0);
        if (bytes.size() > 16) (between(0, 1) ? bytes[1] : bytes[16]) = static_cast<std::uint8_t>(between(128, 255));
        switch (between(0, 3)) {
            case 0:
                files_.cancel();
                break;
            case 1:
                files_.chooseSeveral();
                break;
            case 2:
                files_.choose((dir_.path() / "nothing-here.led").string());
                break;
            default:
                files_.choose(dir_.write("bad.led", bytes));
                break;
        }
        const auto before = messages_.shown.size();
        session_.openLedFile();
        ASSERT_EQ(messages_.shown.size(), before + 1);
        EXPECT_EQ(messages_.shown.back().text, wrongFileMessage);
    }

    void pressOk() {
        if (!view_.input() || !view_.input()->shown) return;  // nothing to click
        // Sometimes the preset, sometimes numbers of our own, some beyond the file or the capacity.
        if (between(0, 2) > 0) {
            const int choice = between(0, 9);
            std::string dots = std::to_string(between(1, 150)), frames = std::to_string(between(1, 14));
            if (choice == 0) dots = std::to_string(between(5000, 30000));
            if (choice == 1) frames = "2147483647";
            if (choice == 2) dots = "1e400";
            testing::typeNumber(session_, view_, NumberField::dots, dots);
            testing::typeNumber(session_, view_, NumberField::frames, frames);
        }
        predictOk();
    }

    void predictOk() {
        const std::string dotsText = view_.input()->dots, framesText = view_.input()->frames;
        const auto before = messages_.shown.size();
        session_.appendShow();
        const bool messaged = messages_.shown.size() > before;
        const std::string message = messaged ? messages_.shown.back().text : "";

        std::string expected;
        KnownShow show = *pending_;
        std::int64_t dots = 0, frames = 0;
        const double d = std::strtod(dotsText.c_str(), nullptr), f = std::strtod(framesText.c_str(), nullptr);
        const std::size_t stride = (show.file[16] + 1u) * 512u;
        if (model_.shows.size() == 5) {
            expected = tooManyShowsMessage;
        } else if (!(d < 1e15 && f < 1e15)) {
            expected = beyondFileMessage;
        } else {
            dots = roundHalfEven(d);
            frames = roundHalfEven(f);
            const std::int64_t size = dots * 3 * frames;
            if (dots * 3 > 2147483647 || size > 2147483647)
                expected = beyondFileMessage;
            else if (model_.used() + size > 60378)
                expected = overCapacityMessage;
            else if (512 + (frames - 1) * static_cast<std::int64_t>(stride) + dots * 3 >
                     static_cast<std::int64_t>(show.file.size()))
                expected = beyondFileMessage;
        }
        ASSERT_EQ(message, expected) << "dots " << dotsText << " frames " << framesText;
        if (expected.empty()) {
            // Added: both numbers are small now (the show fits the controller).
            show.dots = static_cast<int>(dots);
            show.frames = static_cast<int>(frames);
            model_.shows.push_back(show);
            ++imports;
        } else {
            ++refusals;
        }
    }

    void closeDialog() {
        if (view_.input()) session_.closeInputForm();
    }

    void removeEntry() {
        const int count = static_cast<int>(model_.shows.size());
        const int r = between(-1, count);  // -1 and count: a double-click beside the entries
        session_.removeShow(r < count ? r : -1);
        // A list of one loses its only entry wherever the double-click falls.
        const int gone = count == 1 ? 0 : r;
        if (gone >= 0 && gone < count) model_.shows.erase(model_.shows.begin() + gone);
    }

    void chooseColourOrder() {
        model_.order = between(0, 5);
        session_.changeColourOrder(model_.order);
        if (!model_.shows.empty()) {
            EXPECT_EQ(view_.selected, static_cast<int>(model_.shows.size()) - 1);
        }
    }

    void chooseFrameTime() {
        const int position = between(0, 29);
        session_.changeFrameTime(position);
        model_.frameTime = position + 1;
    }

    // Deletes or truncates a loaded show's file; the tool must not lose the show.
    void damageAFile() {
        if (model_.shows.empty()) return;
        const auto& show =
            model_.shows[static_cast<std::size_t>(between(0, static_cast<int>(model_.shows.size()) - 1))];
        if (between(0, 1)) {
            std::filesystem::remove(show.path);
        } else {
            std::vector<std::uint8_t> cut(show.file.begin(),
                                          show.file.begin() + between(0, static_cast<int>(show.file.size())));
            dir_.write(std::filesystem::path(show.path).filename().string(), cut);
        }
    }

    // Sends through a controller that answers the handshake, and compares what it received.
    void sendAndCheck() {
        harness_.openPort();
        port_.writes.clear();
        const auto before = messages_.shown.size();
        session_.send();
        if (model_.shows.empty()) {
            ASSERT_EQ(messages_.shown.size(), before + 1);
            EXPECT_TRUE(port_.writes.empty());
            return;
        }
        ASSERT_EQ(port_.written(), std::vector<std::uint8_t>{0x41});
        port_.writes.clear();
        port_.receive({0x41});
        std::vector<std::uint8_t> received = port_.written();
        ASSERT_EQ(received.size(), 38u);
        const std::size_t length = received[0] * 256u + received[1];
        while (received.size() < 38 + length) {
            port_.writes.clear();
            port_.receive({0x42});
            const auto chunk = port_.written();
            ASSERT_FALSE(chunk.empty());
            ASSERT_LE(chunk.size(), 4096u);
            received.insert(received.end(), chunk.begin(), chunk.end());
        }
        port_.receive({0x16});
        EXPECT_EQ(view_.status, sentStatus);
        ASSERT_EQ(received, model_.image());
        ++sends;
    }

    void checkTable() {
        const ShowTable& table = session_.table();
        ASSERT_TRUE(table.consistent());
        ASSERT_EQ(table.showCount(), static_cast<int>(model_.shows.size()));
        ASSERT_EQ(view_.entries.size(), model_.shows.size());
        ASSERT_EQ(table.usedBytes(), model_.used());
        ASSERT_EQ(view_.sizeText, model_.usedText());
        for (std::size_t i = 0; i < model_.shows.size(); ++i) {
            ASSERT_EQ(view_.entries[i], model_.shows[i].path);
            ASSERT_TRUE(sameBytes(table.showPixels(static_cast<int>(i) + 1), model_.pixels(i))) << "show " << i + 1;
        }
    }

    std::mt19937 rng_;
    TempDir dir_;
    int fileNumber_ = 0;
    SessionHarness harness_{dir_.path().string()};  // started up
    FakeMainView& view_ = harness_.view;
    FakeMessageBox& messages_ = harness_.messages;
    FakeFileDialog& files_ = harness_.files;
    FakeSerialPort& port_ = harness_.port;
    Session& session_ = harness_.session;
    ShowModel model_;
    std::optional<KnownShow> pending_;
};

int fromEnvironment(const char* name, int fallback) {
    const char* value = std::getenv(name);
    return value ? std::atoi(value) : fallback;
}

TEST(ReferenceModel, RandomSessionsAgreeWithTheModel) {
    const int sequences = fromEnvironment("PELMORA_MODEL_SEQUENCES", 40);
    const int length = fromEnvironment("PELMORA_MODEL_COMMANDS", 150);
    int commands = 0, sends = 0, imports = 0, refusals = 0;
    for (int seed = 1; seed <= sequences; ++seed) {
        RandomSession run(static_cast<unsigned>(seed));
        for (int i = 0; i < length && !::testing::Test::HasFatalFailure(); ++i) {
            SCOPED_TRACE("seed " + std::to_string(seed) + ", command " + std::to_string(i));
            run.step();
        }
        if (::testing::Test::HasFailure()) return;
        commands += run.commands, sends += run.sends, imports += run.imports, refusals += run.refusals;
    }
    std::printf("%d sequences, %d commands: %d imports, %d refused appends, %d sends checked\n", sequences, commands,
                imports, refusals, sends);
    EXPECT_GT(sends, sequences);
    EXPECT_GT(imports, sequences);
    EXPECT_GT(refusals, 0);
}

}  // namespace
}  // namespace pelmora
