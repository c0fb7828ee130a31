// Starts the tool in the page: the browser's seams, the page's windows and the session. The page's
// script calls the functions below for every event; each runs one command of the session, which
// may wait (a message box, the file input, the port chooser) before it returns.

#include <emscripten.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "platform/web/web_platform.h"
#include "session/session.h"
#include "ui/web/web_ports.h"
#include "ui/web/web_window.h"

namespace {

// The page's events, in the order of PelmoraWeb.events in pelmora.js.
enum class PageEvent {
    openLedFile,
    appendShow,
    closeInputForm,
    removeShow,
    changeColourOrder,
    changeFrameTime,
    choosePort,
    typePortText,
    send,
    togglePort,
    portListOpening,
    openShopLink,
    shutdown,
    previewShow,
    previewPending,
    previewTick,
    previewClosed,
    received,
    portLost,
};

struct Page {
    pelmora::WebMessageBox messages;
    pelmora::WebFileDialog files;
    pelmora::PageWebOpener web;
    pelmora::WebSerialPort port;
    pelmora::WebPortDirectory ports;
    pelmora::WebMainView window;
    pelmora::Session session{window, {messages, files, web, port, ports}, pelmora::programFolder()};
};

std::unique_ptr<Page> page;

void runPortEvent(PageEvent event) {
    if (event == PageEvent::received) page->port.received();
    if (event == PageEvent::portLost) page->port.lost();
}

void runPreviewEvent(PageEvent event, int argument) {
    pelmora::ControlEvents& s = page->session;
    switch (event) {
        case PageEvent::previewShow:
            return s.previewShow(argument);
        case PageEvent::previewPending:
            return s.previewPending();
        case PageEvent::previewTick:
            return s.previewTick();
        case PageEvent::previewClosed:
            return s.previewClosed();
        default:
            return runPortEvent(event);
    }
}

void runEvent(PageEvent event, int argument) {
    pelmora::ControlEvents& s = page->session;
    switch (event) {
        case PageEvent::openLedFile:
            return s.openLedFile();
        case PageEvent::appendShow:
            return s.appendShow();
        case PageEvent::closeInputForm:
            return s.closeInputForm();
        case PageEvent::removeShow:
            return s.removeShow(argument);
        case PageEvent::changeColourOrder:
            return s.changeColourOrder(argument);
        case PageEvent::changeFrameTime:
            return s.changeFrameTime(argument);
        case PageEvent::choosePort:
            return s.choosePort(argument);
        case PageEvent::typePortText:
            return s.typePortText();
        case PageEvent::send:
            return s.send();
        case PageEvent::togglePort:
            return s.togglePort();
        case PageEvent::portListOpening:
            return s.portListOpening();
        case PageEvent::openShopLink:
            return s.openShopLink();
        case PageEvent::shutdown:
            return s.shutdown();
        default:
            return runPreviewEvent(event, argument);
    }
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    for (std::size_t from = 0; from <= text.size();) {
        const std::size_t end = std::min(text.find('\n', from), text.size());
        if (end > from) out.push_back(text.substr(from, end - from));
        from = end + 1;
    }
    return out;
}

}  // namespace

extern "C" {

EMSCRIPTEN_KEEPALIVE const char* pelmora_page_description() {
    static const std::string description = pelmora::pageDescription();
    return description.c_str();
}

EMSCRIPTEN_KEEPALIVE void pelmora_start() {
    page = std::make_unique<Page>();
    page->session.startUp();
}

EMSCRIPTEN_KEEPALIVE void pelmora_event(int event, int argument) { runEvent(static_cast<PageEvent>(event), argument); }

// Files dropped on the page, by the names it keeps them under, one a line.
EMSCRIPTEN_KEEPALIVE void pelmora_drop(const char* names) { page->session.openDroppedFiles(lines(names)); }

EMSCRIPTEN_KEEPALIVE int pelmora_typed_accepted(const char16_t* typed, int length) {
    return page->session.typedTextAccepted(std::u16string_view(typed, static_cast<std::size_t>(length))) ? 1 : 0;
}

EMSCRIPTEN_KEEPALIVE void pelmora_number_edited(int field, const char* text) {
    page->session.numberTextEdited(field == 0 ? pelmora::NumberField::dots : pelmora::NumberField::frames, text);
}
}

int main() { return 0; }
