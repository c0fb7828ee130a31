#include "session/send_command.h"

#include <algorithm>
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

using Refusal = std::optional<std::string>;  // why an argument was refused; nothing when it was taken

std::string refusal(std::string_view text, const std::string& argument = {}) { return std::string(text) + argument; }

// The options without a value.
bool readFlag(const std::string& arg, SendOptions& options) {
    static const std::vector<std::pair<std::vector<std::string>, bool SendOptions::*>> flags = {
        {{"--dry-run"}, &SendOptions::dryRun},       {{"--wait-port"}, &SendOptions::waitPort},
        {{"--list-ports"}, &SendOptions::listPorts}, {{"-q", "--quiet"}, &SendOptions::quiet},
        {{"-h", "--help"}, &SendOptions::help},      {{"--version"}, &SendOptions::version},
    };
    for (const auto& [names, flag] : flags)
        if (std::find(names.begin(), names.end(), arg) != names.end()) {
            options.*flag = true;
            return true;
        }
    return false;
}

Refusal readOrder(const std::string& text, SendOptions& options) {
    for (int o = 0; o < colourOrderCount; ++o)
        if (colourOrderTable[static_cast<std::size_t>(o)].item.substr(0, 3) == text) {
            options.order = o;
            return std::nullopt;
        }
    return refusal(texts::badOrder, text);
}

Refusal readFrameTime(const std::string& text, SendOptions& options) {
    const auto ms = number(text);
    if (!ms || *ms < 10 || *ms > 300 || *ms % 10 != 0) return refusal(texts::badFrameTime, text);
    options.frameTimeMs = static_cast<int>(*ms);
    return std::nullopt;
}

Refusal readTimeout(const std::string& text, SendOptions& options) {
    const auto s = number(text);
    if (!s || *s < 1 || *s > 3600) return refusal(texts::badTimeout, text);
    options.timeoutSeconds = static_cast<int>(*s);
    return std::nullopt;
}

// An option with a value, the value given (nothing at the end of the arguments).
Refusal readValueOption(const std::string& arg, const std::optional<std::string>& value, SendOptions& options) {
    const std::string text = value.value_or("");
    if (arg == "-p" || arg == "--port") {
        options.port = text;
        return text.empty() ? Refusal(refusal(texts::portNeedsValue)) : std::nullopt;
    }
    if (arg == "--image") {
        options.imagePath = text;
        return text.empty() ? Refusal(refusal(texts::imageNeedsValue)) : std::nullopt;
    }
    if (arg == "-o" || arg == "--order") return value ? readOrder(text, options) : refusal(texts::orderNeedsValue);
    if (arg == "-t" || arg == "--frame-time") return readFrameTime(text, options);
    return readTimeout(text, options);
}

bool takesValue(const std::string& arg) {
    for (const char* option : {"-p", "--port", "-o", "--order", "-t", "--frame-time", "--timeout", "--image"})
        if (arg == option) return true;
    return false;
}

// The option at args[i], with its value if it takes one (i then moves onto the value).
Refusal readOption(const std::vector<std::string>& args, std::size_t& i, SendOptions& options) {
    const std::string& arg = args[i];
    if (readFlag(arg, options)) return std::nullopt;
    if (!takesValue(arg)) return refusal(texts::unknownOption, arg);
    std::optional<std::string> value;
    if (i + 1 < args.size()) value = args[++i];
    return readValueOption(arg, value, options);
}

}  // namespace

std::string sendUsage() { return std::string(texts::sendUsage); }

ParsedArguments parseSendArguments(const std::vector<std::string>& args,
                                   const std::function<bool(const std::string&)>& exists) {
    SendOptions options;
    auto fail = [](std::string error) { return ParsedArguments{std::nullopt, std::move(error)}; };
    bool onlyFiles = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (onlyFiles || arg.empty() || arg[0] != '-' || arg == "-") {
            const auto show = showArgument(arg, exists);
            if (!show) return fail(refusal(texts::badFileArgument, arg));
            options.shows.push_back(*show);
        } else if (arg == "--") {
            onlyFiles = true;
        } else if (const Refusal refused = readOption(args, i, options)) {
            return fail(*refused);
        }
    }
    if (options.help || options.version || options.listPorts) return {options, {}};
    if (options.shows.empty()) return fail(std::string(texts::noShowArgument));
    if (options.shows.size() > static_cast<std::size_t>(maxShows)) return fail(texts::tooManyShows());
    return {options, {}};
}

PreparedShows prepareShows(const SendOptions& options, const std::function<FileRead(const std::string&)>& read) {
    ShowTable table;
    for (const ShowArgument& show : options.shows) {
        const FileRead bytes = read(show.path);
        if (!bytes) return {std::nullopt, show.path + ": " + texts::fileFailure(bytes.failure, bytes.systemText)};
        const auto header = readLedHeader(*bytes);
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
    for (std::size_t i = 0; i < devices.size(); ++i) {
        const PortDevice& device = devices[i];
        lines.push_back("COM" + std::to_string(i + 1) + "  " +
                        (device.path.empty()
                             ? std::string(texts::noDeviceTooltip)
                             : device.description + std::string(texts::portFailureTooltip(device.failure))));
    }
    return lines;
}

std::string onlyDevice(const std::vector<std::string>& present, std::string& why) {
    if (present.size() == 1) return present.front();
    why = std::string(present.empty() ? texts::noPortFound : texts::severalPortsFound);
    for (const auto& device : present) why += "\n  " + device;
    return {};
}

std::vector<std::uint8_t> imageBytes(const MemoryImage& image) {
    std::vector<std::uint8_t> bytes(image.sendBuffer.begin(), image.sendBuffer.end());
    bytes.insert(bytes.end(), image.imageBuffer.begin(),
                 image.imageBuffer.begin() +
                     std::min<std::size_t>(image.imageBuffer.size(), static_cast<std::size_t>(image.dataLength)));
    return bytes;
}

}  // namespace pelmora
