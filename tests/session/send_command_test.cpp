#include "session/send_command.h"

#include <gtest/gtest.h>

#include <map>

#include "expected_image.h"
#include "led_builder.h"

namespace pelmora {
namespace {

using testing::Bytes;

ParsedArguments parse(const std::vector<std::string>& args, const std::vector<std::string>& files = {}) {
    return parseSendArguments(
        args, [&](const std::string& path) { return std::find(files.begin(), files.end(), path) != files.end(); });
}

TEST(SendArguments, OptionsAndShowsAreReadAsTheCommandDescribesThem) {
    const auto parsed = parse({"-p", "COM3", "-o", "GBR", "-t", "120", "--timeout", "9", "--image", "-", "-q", "a.led",
                               "b.led@100x10", "c@d.led", "--", "-dash.led"},
                              {"c@d.led"});
    ASSERT_TRUE(parsed.options) << parsed.error;
    const SendOptions& o = *parsed.options;
    EXPECT_EQ(o.port, "COM3");
    EXPECT_EQ(o.order, 3);
    EXPECT_EQ(o.frameTimeMs, 120);
    EXPECT_EQ(o.frameTimeCode(), 12);
    EXPECT_EQ(o.timeoutSeconds, 9);
    EXPECT_EQ(o.imagePath, "-");
    EXPECT_TRUE(o.quiet);
    ASSERT_EQ(o.shows.size(), 4u);
    EXPECT_EQ(o.shows[0].path, "a.led");
    EXPECT_FALSE(o.shows[0].dots);
    EXPECT_EQ(o.shows[1].path, "b.led");
    EXPECT_EQ(o.shows[1].dots, 100);
    EXPECT_EQ(o.shows[1].frames, 10);
    EXPECT_EQ(o.shows[2].path, "c@d.led");  // an existing file keeps its "@"
    EXPECT_FALSE(o.shows[2].frames);
    EXPECT_EQ(o.shows[3].path, "-dash.led");

    const auto defaults = parse({"x.led"});
    ASSERT_TRUE(defaults.options);
    EXPECT_EQ(defaults.options->order, 0);
    EXPECT_EQ(defaults.options->frameTimeMs, 50);
    EXPECT_EQ(defaults.options->timeoutSeconds, 5);
    EXPECT_EQ(defaults.options->port, "");
    EXPECT_TRUE(parse({"--list-ports"}).options);  // needs no file
    EXPECT_TRUE(parse({"--help"}).options);
}

TEST(SendArguments, BadArgumentsAreRefusedWithAReason) {
    const std::vector<std::vector<std::string>> cases = {
        {},                              // no file
        {"a", "b", "c", "d", "e", "f"},  // six shows
        {"-o", "RGBW", "a"},             // not a row of the table
        {"-t", "55", "a"},               // not in steps of 10
        {"-t", "0", "a"},
        {"-t", "310", "a"},
        {"-t", "x", "a"},
        {"--timeout", "0", "a"},
        {"-p"},
        {"--image"},
        {"a@10", "b"},  // no frames
        {"a@0x10"},
        {"a@10x-1"},
        {"a@x"},
        {"@10x10"},
        {"--unknown", "a"},
    };
    for (const auto& args : cases) {
        const auto parsed = parse(args);
        std::string joined;
        for (const auto& a : args) joined += a + " ";
        EXPECT_FALSE(parsed.options) << joined;
        EXPECT_FALSE(parsed.error.empty()) << joined;
    }
    EXPECT_EQ(parse({"a", "b", "c", "d", "e", "f"}).error, "最多只能5个文件");
}

struct Files {
    std::map<std::string, Bytes> content;
    std::optional<Bytes> operator()(const std::string& path) const {
        const auto found = content.find(path);
        return found == content.end() ? std::nullopt : std::optional<Bytes>(found->second);
    }
};

SendOptions optionsFor(std::vector<ShowArgument> shows, int order = 0, int frameTimeMs = 50) {
    SendOptions options;
    options.shows = std::move(shows);
    options.order = order;
    options.frameTimeMs = frameTimeMs;
    return options;
}

TEST(PrepareShows, BuildsTheImageFromTheDialogsPresetsOrTheNumbersGiven) {
    Files files;
    files.content["wide.led"] = testing::makeLedFile({.dots = 1000, .frames = 20, .sectorsMinusOne = 5});
    files.content["narrow.led"] = testing::makeLedFile({.dots = 60, .frames = 40});
    const auto prepared =
        prepareShows(optionsFor({{"wide.led", 900, {}}, {"narrow.led", 50, {}}}, 2, 100), std::ref(files));
    ASSERT_TRUE(prepared.image) << prepared.error;
    const std::vector<testing::KnownShow> shows = {{"wide.led", files.content["wide.led"], 900, 20},
                                                   {"narrow.led", files.content["narrow.led"], 50, 40}};
    EXPECT_EQ(imageBytes(*prepared.image), testing::expectedImage(shows, 2, 10));
}

TEST(PrepareShows, RefusesWhatTheWindowRefusesWithItsText) {
    Files files;
    files.content["big.led"] = testing::makeLedFile({.dots = 1000, .frames = 21, .sectorsMinusOne = 5});
    files.content["small.led"] = testing::makeLedFile({.dots = 10, .frames = 2});
    files.content["wrong.led"] = Bytes(10, 0);
    const std::vector<std::pair<ShowArgument, std::string>> cases = {
        {{"big.led", {}, {}}, "big.led: 文件长度超出了控制器的容量."},
        {{"small.led", 10, 3}, "small.led: 点数或帧数超出了文件中的数据,请重新输入."},
        {{"wrong.led", {}, {}}, "wrong.led: 你没有打开任何文件或找开了错误的文件!"},
        {{"missing.led", {}, {}}, "missing.led: 你没有打开任何文件或找开了错误的文件!"},
    };
    for (const auto& [show, text] : cases) {
        const auto prepared = prepareShows(optionsFor({show}), std::ref(files));
        EXPECT_FALSE(prepared.image) << show.path;
        EXPECT_EQ(prepared.error, text);
    }
}

}  // namespace
}  // namespace pelmora
