// The demo's two sample animations, written by tools/make-samples from the LED file format:
// they read as the tool reads LED files, show what their names promise, and import into one table.

#include <gtest/gtest.h>

#include <array>
#include <string>

#include "led_builder.h"
#include "platform/file_system.h"
#include "run_program.h"
#include "session_harness.h"
#include "show/led_file.h"

namespace pelmora::testing {
namespace {

using Rgb3 = std::array<std::uint8_t, 3>;

struct Sample {
    Bytes bytes;
    LedHeader header;
    Rgb3 dot(int frame, int d) const {
        const auto at = static_cast<std::size_t>(ledHeaderSize + frame * header.stride + 3 * d);
        return {bytes[at], bytes[at + 1], bytes[at + 2]};
    }
};

class Samples : public ::testing::Test {
protected:
    void SetUp() override {
        const auto result =
            runProgram("/usr/bin/python3 " + quoted(PELMORA_MAKE_SAMPLES) + " " + quoted(dir.path().string()));
        ASSERT_EQ(result.status, 0) << result.output;
        output = result.output;
        wipePath = (dir.path() / "colour-wipe.led").string();
        chaserPath = (dir.path() / "chaser.led").string();
    }
    static Sample read(const std::string& path) {
        Sample sample;
        auto bytes = readWholeFile(path);
        EXPECT_TRUE(bytes) << path;
        if (bytes) sample.bytes = std::move(*bytes);
        auto header = readLedHeader(sample.bytes);
        EXPECT_TRUE(header.has_value()) << path;
        if (header) sample.header = *header;
        return sample;
    }
    TempDir dir;
    std::string output, wipePath, chaserPath;
};

constexpr Rgb3 off{0, 0, 0}, red{255, 0, 0}, green{0, 255, 0}, blue{0, 0, 255}, white{255, 255, 255};

TEST_F(Samples, TheScriptSaysWhereItWroteBothFiles) {
    EXPECT_NE(output.find(wipePath), std::string::npos) << output;
    EXPECT_NE(output.find(chaserPath), std::string::npos) << output;
}

TEST_F(Samples, ColourWipeFillsRedThenGreenThenBlueOneDotPerFrame) {
    const auto wipe = read(wipePath);
    const int dots = wipe.header.headerDots;
    ASSERT_EQ(dots, 30);
    ASSERT_EQ(wipe.header.stride, 512);  // 90 pixel bytes fit one sector
    ASSERT_EQ(wipe.header.frameEstimate, 3 * dots);
    ASSERT_EQ(wipe.bytes.size(), static_cast<std::size_t>(512 + 3 * dots * 512));

    const std::array<Rgb3, 3> colours{red, green, blue};
    for (int f = 0; f < 3 * dots; ++f) {
        const Rgb3 now = colours[static_cast<std::size_t>(f / dots)];
        const Rgb3 before = f < dots ? off : colours[static_cast<std::size_t>(f / dots - 1)];
        const int lit = f % dots + 1;
        for (int d = 0; d < dots; ++d)
            ASSERT_EQ(wipe.dot(f, d), d < lit ? now : before) << "frame " << f << " dot " << d;
    }
}

TEST_F(Samples, ChaserRunsOneWhiteHeadAlongTheStripWithAFadingTail) {
    const auto chaser = read(chaserPath);
    const int dots = chaser.header.headerDots;
    ASSERT_EQ(dots, 180);
    ASSERT_EQ(chaser.header.stride, 1024);  // 540 pixel bytes take two sectors: stride and frame size differ
    const int frames = chaser.header.frameEstimate;
    ASSERT_EQ(chaser.bytes.size(), static_cast<std::size_t>(512 + frames * 1024));
    ASSERT_GE(frames, 10);

    int previousHead = -1;
    for (int f = 0; f < frames; ++f) {
        int head = -1, lit = 0;
        for (int d = 0; d < dots; ++d) {
            if (chaser.dot(f, d) == white) {
                EXPECT_EQ(head, -1) << "two heads in frame " << f;
                head = d;
            }
            if (chaser.dot(f, d) != off) ++lit;
        }
        ASSERT_GE(head, 0) << "no head in frame " << f;
        EXPECT_GT(lit, 1) << "no tail in frame " << f;
        EXPECT_LT(lit, dots / 4) << "frame " << f << " is not a chaser";
        // The tail brightens towards the head.
        const Rgb3 behind = chaser.dot(f, (head + dots - 1) % dots), further = chaser.dot(f, (head + dots - 2) % dots);
        EXPECT_GT(behind[0], further[0]) << "frame " << f;
        if (previousHead >= 0) {
            EXPECT_EQ(head, previousHead + dots / frames) << "frame " << f;
        }
        previousHead = head;
        // The rest of the frame's second sector is zero.
        for (std::size_t at = 512 + f * 1024 + 540; at < static_cast<std::size_t>(512 + (f + 1) * 1024); ++at)
            ASSERT_EQ(chaser.bytes[at], 0) << "padding byte " << at;
    }
}

TEST_F(Samples, BothImportIntoTheToolWithoutAMessageAndFitTheController) {
    SessionHarness tool(dir.path().string());
    // The numbers the dialog presets are taken as they are.
    for (const auto& path : {wipePath, chaserPath}) EXPECT_TRUE(tool.import(path)) << path;
    EXPECT_TRUE(tool.messages.shown.empty()) << tool.messages.shown.front().text;
    EXPECT_EQ(tool.view.entries, (std::vector<std::string>{wipePath, chaserPath}));
    const ShowTable& table = tool.session.table();
    ASSERT_EQ(table.showCount(), 2);
    EXPECT_EQ(table.showSize(1), 30 * 3 * 90);
    EXPECT_EQ(table.showSize(2), 180 * 3 * table.showFrames(2));
    EXPECT_EQ(table.usedBytes(), table.showSize(1) + table.showSize(2));
    EXPECT_LE(table.usedBytes(), controllerCapacity / 2);  // small: a demo download takes a few seconds
}

}  // namespace
}  // namespace pelmora::testing
