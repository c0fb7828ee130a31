#include "session/send_command.h"

#include <gtest/gtest.h>

#include <map>
#include <tuple>

#include "expected_image.h"
#include "led_builder.h"
#include "session/sha256.h"
#include "session/texts.h"

namespace pelmora {
namespace {

using testing::Bytes;

ParsedArguments parse(const std::vector<std::string>& args, const std::vector<std::string>& files = {}) {
    return parseSendArguments(
        args, [&](const std::string& path) { return std::find(files.begin(), files.end(), path) != files.end(); });
}

TEST(SendArguments, OptionsAndShowsAreReadAsTheCommandDescribesThem) {
    const auto parsed = parse(
        {"-p", "COM3",  "-o",           "GBR",     "-t",         "120", "--timeout", "9",  "--image", "-",
         "-q", "a.led", "b.led@100x10", "c@d.led", "--deadline", "30",  "--repeat",  "-v", "--",      "-dash.led"},
        {"c@d.led"});
    ASSERT_TRUE(parsed.options) << parsed.error;
    const SendOptions& o = *parsed.options;
    EXPECT_EQ(o.port, "COM3");
    EXPECT_EQ(o.order, 3);
    EXPECT_EQ(o.frameTimeMs, 120);
    EXPECT_EQ(o.frameTimeCode(), 12);
    EXPECT_EQ(o.timeoutSeconds, 9);
    EXPECT_EQ(o.imagePath, "-");
    EXPECT_EQ(std::tuple(o.deadlineSeconds, o.quiet, o.repeat, o.verbose, o.json),
              std::tuple(30, true, true, true, false));
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
    EXPECT_EQ(std::pair(defaults.options->deadlineSeconds, defaults.options->repeat), std::pair(0, false));
    EXPECT_TRUE(parse({"--list-ports"}).options);  // needs no file
    EXPECT_TRUE(parse({"--help"}).options);
}

// A value joined to its option, and the last of an option given twice.
TEST(SendArguments, AValueMayBeJoinedToItsOption) {
    const std::vector<std::vector<std::string>> forms = {
        {"--frame-time=70", "--port=COM2", "--order=BRG", "a"},
        {"-t70", "-pCOM2", "-oBRG", "a"},
        {"-t", "30", "-t", "70", "-p", "x", "--port", "COM2", "-o", "BRG", "a"},
    };
    for (const auto& args : forms) {
        const auto parsed = parse(args);
        ASSERT_TRUE(parsed.options) << args[0] << ": " << parsed.error;
        EXPECT_EQ(parsed.options->frameTimeMs, 70) << args[0];
        EXPECT_EQ(parsed.options->port, "COM2") << args[0];
        EXPECT_EQ(parsed.options->order, 4) << args[0];
    }
}

TEST(SendArguments, BadArgumentsAreRefusedWithAReason) {
    std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{}, "请给出至少一个 LED 文件"},
        {{"a", "b", "c", "d", "e", "f"}, "最多只能5个文件"},
        {{"-o", "RGBW", "a"}, "--order: 颜色顺序必须是 RGB, RBG, GRB, GBR, BRG 或 BGR: RGBW"},
        {{"-t", "55", "a"}, "--frame-time: 每帧时间必须是 10 到 300 之间 10 的倍数 (毫秒): 55"},
        {{"-t0", "a"}, "--frame-time: 每帧时间必须是 10 到 300 之间 10 的倍数 (毫秒): 0"},
        {{"--frame-time=310", "a"}, "--frame-time: 每帧时间必须是 10 到 300 之间 10 的倍数 (毫秒): 310"},
        {{"-t", "x", "a"}, "--frame-time: 每帧时间必须是 10 到 300 之间 10 的倍数 (毫秒): x"},
        {{"--timeout", "0", "a"}, "--timeout: 必须是 1 到 3600 之间的秒数: 0"},
        {{"--deadline", "86401", "a"}, "--deadline: 必须是 1 到 86400 之间的秒数: 86401"},
        // A value that is missing: at the end, after "=", or where another option follows.
        {{"-p"}, "-p 需要一个值"},
        {{"a", "--image"}, "--image 需要一个值"},
        {{"--port=", "a"}, "--port 需要一个值"},
        {{"-t", "--dry-run", "a"}, "-t 需要一个值"},
        {{"--order", "--", "a"}, "--order 需要一个值"},
        {{"a@10", "b"}, "无法识别的文件参数: a@10"},
        {{"--unknown", "a"}, "未知选项: --unknown"},
        {{"--json", "--image", "-", "a"}, "--json 和 --image - 不能同时使用: 两者都写标准输出"},
    };
    for (const std::string show : {"a@0x10", "a@10x-1", "a@x", "@10x10"})
        cases.push_back({{show}, "无法识别的文件参数: " + show});
    for (const auto& [args, error] : cases) {
        const auto parsed = parse(args);
        std::string joined;
        for (const auto& a : args) joined += a + " ";
        EXPECT_FALSE(parsed.options) << joined;
        EXPECT_EQ(parsed.error, error) << joined;
    }
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

TEST(SendMessages, WithoutPortTheOneDevicePresentIsTakenAndOtherwiseTheyAreListedWithTheirComNames) {
    const PortDevice usb{"/dev/ttyUSB0", "/dev/ttyUSB0"}, builtIn{"/dev/ttyS0", "/dev/ttyS0"};
    const std::vector<std::tuple<std::vector<PortDevice>, std::string, std::string>> cases = {
        {{usb, {}}, "/dev/ttyUSB0", ""},
        {{{}, {}, builtIn}, "/dev/ttyS0", ""},
        {{{}, {}}, "", "没有找到串口设备, 请用 --port 指定"},
        {{usb, {}, builtIn}, "", "有多个串口设备, 请用 --port 指定其中一个:\n  COM1  /dev/ttyUSB0\n  COM3  /dev/ttyS0"},
    };
    for (const auto& [devices, device, why] : cases) {
        std::string said;
        EXPECT_EQ(onlyDevice(devices, said), device);
        EXPECT_EQ(said, why);
    }
}

// One object per controller, in plain ASCII whatever the port's name.
TEST(SendMessages, TheJsonOfAUnitIsOneLineOfAscii) {
    const std::vector<std::pair<UnitRecord, std::string>> cases = {
        {{3, "2026-12-08 19:36:14", "/dev/ttyUSB0", SendResult::done, 60416, 5271, "ab12"},
         R"({"unit":3,"time":"2026-12-08 19:36:14","port":"/dev/ttyUSB0","result":"done","exit":0,"bytes":60416,)"
         R"("seconds":5.271,"sha256":"ab12"})"},
        {{1, "t", "/tmp/端口 \"1\"\\", SendResult::earlyEnd, 38, 40, ""},
         R"({"unit":1,"time":"t","port":"/tmp/\u7aef\u53e3 \"1\"\\","result":"early-end","exit":3,"bytes":38,)"
         R"("seconds":0.040,"sha256":""})"},
        {{1, "t", "COM3", SendResult::interrupted, 0, 0, ""},
         R"({"unit":1,"time":"t","port":"COM3","result":"interrupted","exit":130,"bytes":0,"seconds":0.000,)"
         R"("sha256":""})"},
        {{1, "t", "\xF0\x9F\x92\xA1", SendResult::noPort, 0, 0, ""},
         R"({"unit":1,"time":"t","port":"\ud83d\udca1","result":"no-port","exit":2,"bytes":0,"seconds":0.000,)"
         R"("sha256":""})"},
    };
    for (const auto& [record, json] : cases) EXPECT_EQ(unitJson(record), json);
}

TEST(SendMessages, TheImagesDigestIsSha256) {
    const std::string twoBlocks = "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq";
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {twoBlocks, "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
        {std::string(1000000, 'a'), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
    };
    for (const auto& [text, digest] : cases)
        EXPECT_EQ(sha256Hex(std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size())), digest)
            << text.size() << " bytes";
}

}  // namespace
}  // namespace pelmora
