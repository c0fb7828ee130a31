#include "session/send_command.h"

#include <gtest/gtest.h>

#include <map>
#include <tuple>

#include "expected_image.h"
#include "led_builder.h"
#include "session/texts.h"

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

// Files by name; any other is missing, or fails as `unreadable` says.
struct Files {
    std::map<std::string, Bytes> content;
    std::map<std::string, FileFailure> unreadable;
    FileRead operator()(const std::string& path) const {
        if (const auto found = content.find(path); found != content.end())
            return {found->second, FileFailure::none, ""};
        const auto failed = unreadable.find(path);
        return {{}, failed == unreadable.end() ? FileFailure::missing : failed->second, "said " + path};
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
    files.unreadable["locked.led"] = FileFailure::notPermitted;
    files.unreadable["folder.led"] = FileFailure::notRegularFile;
    files.unreadable["huge.led"] = FileFailure::tooLarge;
    files.unreadable["broken.led"] = FileFailure::readError;
    const std::vector<std::pair<ShowArgument, std::string>> cases = {
        {{"big.led", {}, {}}, "big.led: 文件长度超出了控制器的容量."},
        {{"small.led", 10, 3}, "small.led: 点数或帧数超出了文件中的数据,请重新输入."},
        {{"wrong.led", {}, {}}, "wrong.led: 你没有打开任何文件或找开了错误的文件!"},
        // A file that is not read says why, with the system's own words.
        {{"missing.led", {}, {}}, "missing.led: 文件不存在 (said missing.led)"},
        {{"locked.led", {}, {}}, "locked.led: 当前用户无权读取该文件 (said locked.led)"},
        {{"folder.led", {}, {}}, "folder.led: 不是普通文件 (said folder.led)"},
        {{"huge.led", {}, {}}, "huge.led: 文件太大 (said huge.led)"},
        {{"broken.led", {}, {}}, "broken.led: 读取文件时出错 (said broken.led)"},
    };
    for (const auto& [show, text] : cases) {
        const auto prepared = prepareShows(optionsFor({show}), std::ref(files));
        EXPECT_FALSE(prepared.image) << show.path;
        EXPECT_EQ(prepared.error, text);
    }
}

// Why the port did not open, by kind; the system's words follow in brackets when it gave some.
TEST(SendMessages, ThePortFailureSaysItsKind) {
    const std::vector<std::tuple<PortFailure, std::string, std::string>> cases = {
        {PortFailure::missing, "No such file or directory", "不存在该串口,请重新选择. (No such file or directory)"},
        {PortFailure::busy, "", "该串口被其他程序占用, 请关闭占用该串口的程序"},
        {PortFailure::notPermitted, "Permission denied",
         "当前用户无权打开该串口: 请把用户加入 dialout 组, 然后重新登录 (Permission denied)"},
        {PortFailure::notSerialDevice, "x", "这不是串口设备 (x)"},
        {PortFailure::other, "", "无法打开该串口"},
    };
    for (const auto& [kind, systemText, message] : cases)
        EXPECT_EQ(texts::portFailure(kind, systemText), message) << static_cast<int>(kind);
}

// --list-ports says of each device what the port list's tooltip says.
TEST(SendMessages, ThePortListNamesEachDeviceAndWhatOpeningItWouldFailWith) {
    const std::vector<PortDevice> devices = {{"/dev/ttyUSB0", "/dev/ttyUSB0", PortFailure::none},
                                             {"/dev/ttyUSB1", "/dev/ttyUSB1", PortFailure::notPermitted},
                                             {}};
    EXPECT_EQ(portListLines(devices),
              (std::vector<std::string>{
                  "COM1  /dev/ttyUSB0",
                  "COM2  /dev/ttyUSB1 (设备存在,但当前用户无权打开:请把用户加入 dialout 组,然后重新登录)",
                  "COM3  没有对应的串口设备"}));
}

TEST(SendMessages, WithoutPortTheOneDevicePresentIsTakenAndOtherwiseTheyAreListed) {
    const std::vector<std::tuple<std::vector<std::string>, std::string, std::string>> cases = {
        {{"/dev/ttyUSB0"}, "/dev/ttyUSB0", ""},
        {{}, "", "没有找到串口设备, 请用 --port 指定"},
        {{"/dev/ttyUSB0", "/dev/ttyS0"}, "", "有多个串口设备, 请用 --port 指定其中一个:\n  /dev/ttyUSB0\n  /dev/ttyS0"},
    };
    for (const auto& [present, device, why] : cases) {
        std::string said;
        EXPECT_EQ(onlyDevice(present, said), device);
        EXPECT_EQ(said, why);
    }
}

}  // namespace
}  // namespace pelmora
