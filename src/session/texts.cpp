#include "session/texts.h"

#include "platform/file_system.h"
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

}  // namespace pelmora::texts
