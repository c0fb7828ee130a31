#pragma once
// The platform's seams in a browser, on the page's script (PelmoraWeb in src/ui/web/pelmora.js).
// The message box and the file dialog wait for the user as on the desktop: the session's call
// is suspended (Asyncify) until the page's dialog or file input answers. The serial port is the
// Web Serial port the user chose for an entry of cbcom.

#include <string>

#include "platform/file_dialog.h"
#include "platform/message_box.h"
#include "platform/serial_port.h"
#include "platform/web_opener.h"

namespace pelmora {

// A text the page's script left for C++ (PelmoraWeb.text), taken once.
std::string takePageText();

class WebMessageBox : public MessageBox {
public:
    void show(const std::string& title, const std::string& text, Icon icon) override;
};

// The page's file input: one file gives its name (under which the page keeps the File to read
// again), several the refusal, none a cancel.
class WebFileDialog : public FileDialog {
public:
    FileDialogResult open(const FileDialogSettings& settings) override;
};

class PageWebOpener : public WebOpener {
public:
    void open(const std::string& url) override;
};

class WebSerialPort : public SerialPort {
public:
    void setListener(Listener* listener) override { listener_ = listener; }
    bool reachable() const override;
    void setPortNumber(int number) override { portNumber_ = number; }
    void setSettings(const LineSettings& settings) override { settings_ = settings; }
    void setRawMode(bool) override {}  // a Web Serial port passes bytes unchanged
    void setOutBufferSize(int) override {}
    void setInBufferSize(int bytes) override { inBufferSize_ = bytes; }
    PortOpenResult open() override;
    void setReadLength(int) override {}  // a read always takes every waiting byte
    void setReceiveThreshold(int) override {}
    void setSendThreshold(int) override {}
    void close() override;
    bool isOpen() const override { return open_; }
    bool write(std::span<const std::uint8_t> bytes) override;
    std::vector<std::uint8_t> readAll() override;

    // From the page: bytes came in, or the open port was lost (the adapter pulled out).
    void received();
    void lost();

private:
    Listener* listener_ = nullptr;
    int portNumber_ = 0;
    LineSettings settings_;
    int inBufferSize_ = 1024;
    bool open_ = false;
};

}  // namespace pelmora
