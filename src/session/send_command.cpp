#include "session/send_command.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

#include "download/memory_image.h"
#include "platform/port_directory.h"
#include "session/texts.h"
#include "show/colour_order.h"
#include "show/led_file.h"

namespace pelmora {

namespace {

// A JSON string of UTF-8 text, every character beyond ASCII as a \u escape.
std::string jsonString(const std::string& text) {
    std::string json = "\"";
    char escape[16];
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const int length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        std::uint32_t code = length == 1 ? lead : lead & (0x3Fu >> (length - 1));
        for (int k = 1; k < length && i + static_cast<std::size_t>(k) < text.size(); ++k)
            code = code << 6 | (static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]) & 0x3Fu);
        i += static_cast<std::size_t>(length);
        if (code == '"' || code == '\\') {
            json += '\\';
            json += static_cast<char>(code);
        } else if (code >= 0x20 && code < 0x7F) {
            json += static_cast<char>(code);
        } else if (code < 0x10000) {
            std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned>(code));
            json += escape;
        } else {
            code -= 0x10000;
            std::snprintf(escape, sizeof escape, "\\u%04x\\u%04x", 0xD800 + (code >> 10), 0xDC00 + (code & 0x3FF));
            json += escape;
        }
    }
    return json + "\"";
}

}  // namespace

SendStatus statusOf(SendResult result) {
    switch (result) {
        case SendResult::done:
            return SendStatus::done;
        case SendResult::noPort:
            return SendStatus::noPort;
        case SendResult::interrupted:
            return SendStatus::interrupted;
        default:
            return SendStatus::silent;
    }
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

std::string onlyDevice(const std::vector<PortDevice>& devices, std::string& why) {
    std::vector<std::string> present;
    for (std::size_t i = 0; i < devices.size(); ++i)
        if (!devices[i].path.empty())
            present.push_back(texts::portEntry(static_cast<int>(i) + 1) + "  " + devices[i].description);
    const auto first = std::find_if(devices.begin(), devices.end(), [](const auto& d) { return !d.path.empty(); });
    if (present.size() == 1) return first->path;
    why = std::string(present.empty() ? texts::noPortFound : texts::severalPortsFound);
    for (const auto& line : present) why += "\n  " + line;
    return {};
}

std::vector<std::uint8_t> imageBytes(const MemoryImage& image) {
    std::vector<std::uint8_t> bytes(image.sendBuffer.begin(), image.sendBuffer.end());
    bytes.insert(bytes.end(), image.imageBuffer.begin(),
                 image.imageBuffer.begin() +
                     std::min<std::size_t>(image.imageBuffer.size(), static_cast<std::size_t>(image.dataLength)));
    return bytes;
}

std::string unitJson(const UnitRecord& record) {
    const auto result = static_cast<std::size_t>(record.result);
    char seconds[32];
    const auto [end, error] = std::to_chars(seconds, seconds + sizeof seconds, static_cast<double>(record.ms) / 1000.0,
                                            std::chars_format::fixed, 3);
    return "{\"unit\":" + std::to_string(record.unit) + ",\"time\":" + jsonString(record.time) +
           ",\"port\":" + jsonString(record.port) +
           ",\"result\":" + jsonString(std::string(texts::resultNames[result])) +
           ",\"exit\":" + std::to_string(static_cast<int>(statusOf(record.result))) +
           ",\"bytes\":" + std::to_string(record.bytes) +
           ",\"seconds\":" + (error == std::errc() ? std::string(seconds, end) : "0") +
           ",\"sha256\":" + jsonString(record.sha256) + "}";
}

}  // namespace pelmora
