#include "platform/web/web_platform.h"

#include <emscripten.h>

#include "platform/file_system.h"

// The page's side of each seam is PelmoraWeb in src/ui/web/pelmora.js; these only cross over.
// clang-format off
EM_JS(int, pageTextLength, (), { return lengthBytesUTF8(PelmoraWeb.text); });
EM_JS(void, pageTextCopy, (char* out, int size), { stringToUTF8(PelmoraWeb.text, out, size); PelmoraWeb.text = ""; });
EM_ASYNC_JS(void, pageMessageBox, (const char* title, const char* text, int icon), {
    await PelmoraWeb.messageBox(UTF8ToString(title), UTF8ToString(text), icon);
});
EM_ASYNC_JS(int, pageChooseFile, (const char* accept, const char* title, int several), {
    return await PelmoraWeb.chooseFile(UTF8ToString(accept), UTF8ToString(title), several !== 0);
});
EM_ASYNC_JS(int, pageReadFile, (const char* name), { return await PelmoraWeb.readFile(UTF8ToString(name)); });
EM_JS(int, pageReadLength, (), { return PelmoraWeb.lastRead.length; });
EM_JS(void, pageReadCopy, (std::uint8_t* out), { HEAPU8.set(PelmoraWeb.lastRead, out); PelmoraWeb.lastRead = new Uint8Array(0); });
EM_JS(void, pageOpenLink, (const char* url), { PelmoraWeb.openLink(UTF8ToString(url)); });
EM_JS(int, pageSerialReachable, (), { return PelmoraWeb.serial.reachable() ? 1 : 0; });
EM_ASYNC_JS(int, pageSerialOpen, (int entry, int baud, int dataBits, int parity, int stopBits, int inBuffer), {
    return await PelmoraWeb.serial.open(entry, {baudRate: baud, dataBits: dataBits, stopBits: stopBits,
        parity: ["none", "even", "odd", "mark", "space"][parity], bufferSize: inBuffer, flowControl: "none"});
});
EM_JS(void, pageSerialClose, (), { PelmoraWeb.serial.close(); });
EM_JS(int, pageSerialWrite, (const std::uint8_t* bytes, int length), {
    return PelmoraWeb.serial.write(HEAPU8.slice(bytes, bytes + length)) ? 1 : 0;
});
EM_JS(int, pageSerialWaiting, (), { return PelmoraWeb.serial.waiting(); });
EM_JS(void, pageSerialTake, (std::uint8_t* out, int length), { HEAPU8.set(PelmoraWeb.serial.take(length), out); });
// clang-format on

namespace pelmora {

std::string takePageText() {
    std::string text(static_cast<std::size_t>(pageTextLength()), '\0');
    pageTextCopy(text.data(), static_cast<int>(text.size()) + 1);
    return text;
}

void WebMessageBox::show(const std::string& title, const std::string& text, Icon icon) {
    pageMessageBox(title.c_str(), text.c_str(), icon == Icon::exclamation ? 1 : 0);
}

FileDialogResult WebFileDialog::open(const FileDialogSettings& settings) {
    // "*.led" -> ".led", what a file input accepts.
    const std::string accept = settings.filterPattern.substr(settings.filterPattern.find('.'));
    switch (pageChooseFile(accept.c_str(), settings.title.c_str(), settings.allowMultiSelect ? 1 : 0)) {
        case 0:
            return {FileDialogResult::Outcome::chosen, takePageText()};
        case 2:
            return {FileDialogResult::Outcome::several, {}};
        default:
            return {FileDialogResult::Outcome::cancelled, {}};
    }
}

void PageWebOpener::open(const std::string& url) { pageOpenLink(url.c_str()); }

bool WebSerialPort::reachable() const { return pageSerialReachable() != 0; }

PortOpenResult WebSerialPort::open() {
    if (open_) return {PortFailure::busy, {}};
    const int stopBits = settings_.stopBits == LineSettings::StopBits::two ? 2 : 1;
    const int failure = pageSerialOpen(portNumber_, settings_.baudRate, settings_.dataBits,
                                       static_cast<int>(settings_.parity), stopBits, inBufferSize_);
    if (failure != 0) return {static_cast<PortFailure>(failure), takePageText()};
    open_ = true;
    return {};
}

void WebSerialPort::close() {
    if (!open_) return;
    open_ = false;
    pageSerialClose();
}

bool WebSerialPort::write(std::span<const std::uint8_t> bytes) {
    return open_ && pageSerialWrite(bytes.data(), static_cast<int>(bytes.size())) != 0;
}

std::vector<std::uint8_t> WebSerialPort::readAll() {
    if (!open_) return {};
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(pageSerialWaiting()));
    if (!bytes.empty()) pageSerialTake(bytes.data(), static_cast<int>(bytes.size()));
    return bytes;
}

void WebSerialPort::received() {
    if (open_ && listener_) listener_->commEvent(receiveEvent);
}

// Reported once while the port still reads as open, so that the session closes it; closed after.
void WebSerialPort::lost() {
    if (!open_) return;
    if (listener_) listener_->portLost();
    close();
}

// A file the user chose or dropped, read again from the File the page keeps under its name.
FileRead readWholeFile(const std::string& path) {
    const int failure = pageReadFile(path.c_str());
    if (failure != 0) return {{}, static_cast<FileFailure>(failure), takePageText()};
    FileRead read;
    read.bytes.resize(static_cast<std::size_t>(pageReadLength()));
    pageReadCopy(read.bytes.data());
    return read;
}

std::string programFolder() { return {}; }

}  // namespace pelmora
