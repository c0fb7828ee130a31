#include "session/send_command.h"

#include <charconv>

#include "download/memory_image.h"
#include "platform/port_directory.h"
#include "session/texts.h"
#include "show/colour_order.h"
#include "show/led_file.h"

namespace pelmora {

namespace {

std::optional<std::int64_t> number(const std::string& text) {
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || text.empty() || text[0] == '-') return std::nullopt;
    return value;
}

// FILE@DOTSxFRAMES, unless the whole argument names a file.
std::optional<ShowArgument> showArgument(const std::string& arg,
                                         const std::function<bool(const std::string&)>& exists) {
    if (arg.empty()) return std::nullopt;
    const auto at = arg.rfind('@');
    if (at == std::string::npos || exists(arg)) return ShowArgument{arg, {}, {}};
    const std::string numbers = arg.substr(at + 1);
    const auto x = numbers.find_first_of("xX");
    if (at == 0 || x == std::string::npos) return std::nullopt;
    const auto dots = number(numbers.substr(0, x));
    const auto frames = number(numbers.substr(x + 1));
    if (!dots || !frames || *dots < 1 || *frames < 1) return std::nullopt;
    return ShowArgument{arg.substr(0, at), dots, frames};
}

}  // namespace

std::string sendUsage() {
    return "用法: pelmora-send [选项] 文件[@点数x帧数]...\n"
           "把 1 到 5 个 LED 文件按顺序下载到控制器中.\n"
           "\n"
           "  -p, --port 串口        COM3, 或设备路径 (/dev/ttyUSB0, \\\\.\\COM12); 不给出时使用唯一的串口设备\n"
           "  -o, --order 顺序       RGB, RBG, GRB, GBR, BRG 或 BGR (默认 RGB)\n"
           "  -t, --frame-time 毫秒  每帧时间, 10 到 300, 以 10 为单位 (默认 50)\n"
           "      --timeout 秒       控制器沉默超过这么多秒时放弃 (默认 5)\n"
           "      --image 文件       同时把控制器的内存映像写入文件, - 为标准输出\n"
           "      --dry-run          只生成映像, 不打开串口\n"
           "      --wait-port        等待串口出现后再打开\n"
           "      --list-ports       列出 COM1 到 COM16 及其设备\n"
           "  -q, --quiet            不显示进度\n"
           "  -h, --help             显示本帮助\n"
           "      --version          显示版本\n"
           "\n"
           "退出状态: 0 控制器已接收全部数据; 1 参数错误或文件被拒绝; 2 串口无法打开;\n"
           "3 控制器超时无应答或线路中断.\n";
}

ParsedArguments parseSendArguments(const std::vector<std::string>& args,
                                   const std::function<bool(const std::string&)>& exists) {
    SendOptions options;
    auto fail = [](std::string error) { return ParsedArguments{std::nullopt, std::move(error)}; };
    bool onlyFiles = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        auto value = [&](std::string& into) {
            if (i + 1 >= args.size()) return false;
            into = args[++i];
            return true;
        };
        std::string text;
        if (onlyFiles || arg.empty() || arg[0] != '-' || arg == "-") {
            const auto show = showArgument(arg, exists);
            if (!show) return fail("无法识别的文件参数: " + arg);
            options.shows.push_back(*show);
        } else if (arg == "--") {
            onlyFiles = true;
        } else if (arg == "-p" || arg == "--port") {
            if (!value(options.port) || options.port.empty()) return fail("--port 需要一个串口");
        } else if (arg == "-o" || arg == "--order") {
            if (!value(text)) return fail("--order 需要一个颜色顺序");
            int found = -1;
            for (int o = 0; o < colourOrderCount; ++o)
                if (colourOrderTable[static_cast<std::size_t>(o)].item.substr(0, 3) == text) found = o;
            if (found < 0) return fail("颜色顺序必须是 RGB, RBG, GRB, GBR, BRG 或 BGR: " + text);
            options.order = found;
        } else if (arg == "-t" || arg == "--frame-time") {
            const auto ms = value(text) ? number(text) : std::nullopt;
            if (!ms || *ms < 10 || *ms > 300 || *ms % 10 != 0)
                return fail("每帧时间必须是 10 到 300 之间 10 的倍数 (毫秒): " + text);
            options.frameTimeMs = static_cast<int>(*ms);
        } else if (arg == "--timeout") {
            const auto s = value(text) ? number(text) : std::nullopt;
            if (!s || *s < 1 || *s > 3600) return fail("--timeout 必须是 1 到 3600 之间的秒数: " + text);
            options.timeoutSeconds = static_cast<int>(*s);
        } else if (arg == "--image") {
            if (!value(options.imagePath) || options.imagePath.empty()) return fail("--image 需要一个文件");
        } else if (arg == "--dry-run") {
            options.dryRun = true;
        } else if (arg == "--wait-port") {
            options.waitPort = true;
        } else if (arg == "--list-ports") {
            options.listPorts = true;
        } else if (arg == "-q" || arg == "--quiet") {
            options.quiet = true;
        } else if (arg == "-h" || arg == "--help") {
            options.help = true;
        } else if (arg == "--version") {
            options.version = true;
        } else {
            return fail("未知选项: " + arg);
        }
    }
    if (options.help || options.version || options.listPorts) return {options, {}};
    if (options.shows.empty()) return fail("请给出至少一个 LED 文件");
    if (options.shows.size() > static_cast<std::size_t>(maxShows)) return fail(texts::tooManyShows());
    return {options, {}};
}

PreparedShows prepareShows(const SendOptions& options,
                           const std::function<std::optional<std::vector<std::uint8_t>>(const std::string&)>& read) {
    ShowTable table;
    for (const ShowArgument& show : options.shows) {
        const auto bytes = read(show.path);
        const auto header = bytes ? readLedHeader(*bytes) : std::nullopt;
        if (!header) return {std::nullopt, show.path + ": " + std::string(texts::wrongFile)};
        // The dialog's presets, kept at its minimum of one.
        const std::int64_t dots = show.dots.value_or(std::max<std::int64_t>(header->headerDots, 1));
        const std::int64_t frames = show.frames.value_or(std::max<std::int64_t>(header->frameEstimate, 1));
        switch (table.append(dots, frames, *bytes, options.order)) {
            case ShowTable::AppendResult::added:
                break;
            case ShowTable::AppendResult::tooManyShows:
                return {std::nullopt, texts::tooManyShows()};
            case ShowTable::AppendResult::overCapacity:
                return {std::nullopt, show.path + ": " + std::string(texts::overCapacity)};
            case ShowTable::AppendResult::beyondFile:
                return {std::nullopt, show.path + ": " + std::string(texts::beyondFile)};
        }
    }
    return {buildMemoryImage(table, options.frameTimeCode()), {}};
}

std::vector<std::string> portListLines(const std::vector<PortDevice>& devices) {
    std::vector<std::string> lines;
    for (std::size_t i = 0; i < devices.size(); ++i)
        lines.push_back("COM" + std::to_string(i + 1) + "  " +
                        (devices[i].path.empty() ? std::string(texts::noDeviceTooltip) : devices[i].description));
    return lines;
}

std::vector<std::uint8_t> imageBytes(const MemoryImage& image) {
    std::vector<std::uint8_t> bytes(image.sendBuffer.begin(), image.sendBuffer.end());
    bytes.insert(bytes.end(), image.imageBuffer.begin(),
                 image.imageBuffer.begin() +
                     std::min<std::size_t>(image.imageBuffer.size(), static_cast<std::size_t>(image.dataLength)));
    return bytes;
}

}  // namespace pelmora
