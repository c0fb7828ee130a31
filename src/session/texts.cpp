#include "session/texts.h"

#include <cstdio>

#include "platform/file_system.h"
#include "show/decimal.h"
#include "platform/serial_port.h"

namespace pelmora::texts {

namespace {
std::string withSystemText(std::string_view text, const std::string& systemText) {
    return std::string(text) + (systemText.empty() ? "" : " (" + systemText + ")");
}
}  // namespace

std::string usbPortDescription(int vendorId, int productId) {
    if (vendorId < 0 || productId < 0) return "串口";
    static constexpr char hex[] = "0123456789ABCDEF";
    std::string text = "USB 串口 ";
    for (int value : {vendorId, productId}) {
        for (int shift = 12; shift >= 0; shift -= 4) text += hex[(value >> shift) & 0xF];
        text += ':';
    }
    text.pop_back();
    return text;
}

std::string_view portFailureTooltip(PortFailure failure) {
    switch (failure) {
        case PortFailure::missing:
            return missingTooltip;
        case PortFailure::notPermitted:
            return notPermittedTooltip;
        case PortFailure::notSerialDevice:
            return notSerialDeviceTooltip;
        default:
            return {};  // none, and what only opening tells
    }
}

std::string portFailure(PortFailure failure, const std::string& systemText) {
    switch (failure) {
        case PortFailure::missing:
            return withSystemText(noSuchPort, systemText);
        case PortFailure::busy:
            return withSystemText(portBusy, systemText);
        case PortFailure::notPermitted:
            return withSystemText(portNotPermitted, systemText);
        case PortFailure::notSerialDevice:
            return withSystemText(notSerialDevice, systemText);
        default:
            return withSystemText(portNotOpened, systemText);
    }
}

std::string fileFailure(FileFailure failure, const std::string& systemText) {
    switch (failure) {
        case FileFailure::missing:
            return withSystemText(fileMissing, systemText);
        case FileFailure::notPermitted:
            return withSystemText(fileNotPermitted, systemText);
        case FileFailure::notRegularFile:
            return withSystemText(notRegularFile, systemText);
        case FileFailure::tooLarge:
            return withSystemText(fileTooLarge, systemText);
        default:
            return withSystemText(fileNotRead, systemText);
    }
}

std::string seconds(std::int64_t ms) { return fixedDecimal(static_cast<double>(ms) / 1000.0, 1); }

std::string controllerSilent(std::int64_t waitedMs, std::int64_t ignoredBytes) {
    std::string text = "控制器已经 " + seconds(waitedMs) + " 秒没有发出请求";
    if (ignoredBytes > 0) text += " (其间收到 " + std::to_string(ignoredBytes) + " 个无法识别的字节)";
    return text;
}

std::string deadlinePassed(std::int64_t deadlineMs, std::int64_t sent, std::int64_t total) {
    return "下载没有在 --deadline 的 " + seconds(deadlineMs) + " 秒内完成 (已发送 " + std::to_string(sent) + " / " +
           std::to_string(total) + " 字节)";
}

std::string traceReceived(std::uint8_t byte, std::string_view meaning) {
    char hex[8];
    std::snprintf(hex, sizeof hex, "0x%02X", static_cast<unsigned>(byte));
    return "<- " + std::string(hex) + " " + std::string(meaning);
}

}  // namespace pelmora::texts
