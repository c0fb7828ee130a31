#include "ui/web/web_window.h"

#include <emscripten.h>

#include <array>

#include "session/layout.h"
#include "session/texts.h"
#include "show/decimal.h"

// clang-format off
EM_JS(void, pageView, (const char* method, const char* text, int a, int b), {
    PelmoraWeb.view[UTF8ToString(method)](UTF8ToString(text), a, b);
});
// The frames of the main window and of the tool's other window than `placed` (x, y, w, h; w is 0
// while that one is hidden), the viewport, and what a window's frame adds to its client area (w, h).
EM_JS(void, pageFrames, (const char* placed, int* out), {
    HEAP32.set(PelmoraWeb.view.frames(UTF8ToString(placed)), out >> 2);
});
// datList's rows: the width of a text in the list's font, a row's width, the ink height of the
// font's glyphs and the list's inside height.
EM_JS(int, pageListTextWidth, (const char* text), { return PelmoraWeb.view.listTextWidth(UTF8ToString(text)); });
EM_JS(void, pageListMetrics, (int* out), { HEAP32.set(PelmoraWeb.view.listMetrics(), out >> 2); });
EM_JS(int, pagePreviewDpi, (), { return Math.round(96 * (window.devicePixelRatio || 1)); });
EM_JS(void, pageOverview, (const std::uint8_t* rgb, int width, int height, int generation), {
    PelmoraWeb.view.overview(HEAPU8.slice(rgb, rgb + 3 * width * height), width, height, generation);
});
EM_JS(void, pagePicture, (const char* caption, const char* description, const int* shapes, int count, int dpi), {
    PelmoraWeb.view.picture(UTF8ToString(caption), UTF8ToString(description),
                            HEAP32.slice(shapes >> 2, (shapes >> 2) + 9 * count), dpi);
});
// clang-format on

namespace pelmora {

namespace {

void view(const char* method, const std::string& text = {}, int a = 0, int b = 0) {
    pageView(method, text.c_str(), a, b);
}

std::string joined(const std::vector<std::string>& lines) {
    std::string text;
    for (const auto& line : lines) text += (text.empty() ? "" : "\n") + line;
    return text;
}

std::string quoted(std::string_view text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') out += '\\';
        out += c;
    }
    return out + '"';
}

std::string colour(const std::optional<Rgb>& rgb) {
    if (!rgb) return "null";
    return "[" + std::to_string(rgb->r) + "," + std::to_string(rgb->g) + "," + std::to_string(rgb->b) + "]";
}

std::string area(int x, int y, int w, int h) {
    return "[" + std::to_string(x) + "," + std::to_string(y) + "," + std::to_string(w) + "," + std::to_string(h) + "]";
}

constexpr std::array<const char*, 10> kindNames{"label",    "centredLabel", "linkLabel", "button",      "lamp",
                                                "portList", "dropDownList", "showList",  "progressBar", "numberBox"};

std::string control(const ControlLayout& c) {
    return "{\"name\":" + quoted(c.name) + ",\"kind\":\"" + kindNames[static_cast<std::size_t>(c.kind)] +
           "\",\"text\":" + quoted(c.text) + ",\"area\":" + area(c.x, c.y, c.w, c.h) +
           ",\"pointSize\":" + fixedDecimal(c.pointSize > 0 ? c.pointSize : defaultPointSize, 2) +
           ",\"bold\":" + (c.bold ? "true" : "false") + ",\"colour\":" + colour(c.colour) + "}";
}

std::string window(const WindowLayout& w) {
    std::string controls, focus;
    for (const auto& c : w.controls) controls += (controls.empty() ? "" : ",") + control(c);
    for (std::size_t row : w.focusOrder) focus += (focus.empty() ? "" : ",") + std::to_string(row);
    return "{\"name\":" + quoted(w.name) + ",\"title\":" + quoted(w.title) + ",\"width\":" + std::to_string(w.width) +
           ",\"height\":" + std::to_string(w.height) + ",\"background\":" + colour(w.background) + ",\"controls\":[" +
           controls + "],\"focus\":[" + focus + "]}";
}

std::string previewDescriptionJson() {
    namespace p = previewLayout;
    const auto rect = [](const Area& a) { return area(a.x, a.y, a.w, a.h); };
    return "{\"title\":" + quoted(texts::previewTitle) + ",\"width\":" + std::to_string(p::width) +
           ",\"height\":" + std::to_string(p::height) + ",\"caption\":" + rect(p::caption) +
           ",\"captionPointSize\":" + fixedDecimal(p::captionPointSize, 2) +
           ",\"description\":" + rect(p::description) + ",\"menuItem\":" + quoted(texts::previewItem) + "}";
}

Point placeWindow(const char* placed, int width, int height);

}  // namespace

std::string pageDescription() {
    return "{\"main\":" + window(mainWindowLayout) + ",\"inputForm\":" + window(inputFormLayout) +
           ",\"preview\":" + previewDescriptionJson() + ",\"fontFamily\":" + quoted(defaultFontFamily) +
           ",\"defaultPointSize\":" + fixedDecimal(defaultPointSize, 2) + ",\"okText\":" + quoted(texts::okButton) +
           "}";
}

// The dialog and the preview come up beside the main window by the tool's placement rule, clear
// of each other where there is room, in the viewport.
namespace {
Point placeWindow(const char* placed, int width, int height) {
    std::array<int, 14> f{};
    pageFrames(placed, f.data());
    const Area mainFrame{f[0], f[1], f[2], f[3]}, other{f[4], f[5], f[6], f[7]}, viewport{f[8], f[9], f[10], f[11]};
    const std::vector<Area> shown = other.w > 0 ? std::vector<Area>{other} : std::vector<Area>{};
    return placeBeside(mainFrame, width + f[12], height + f[13], viewport, shown);
}
}  // namespace

void WebInputForm::show() {
    const Point at = placeWindow("inputform", inputFormLayout.width, inputFormLayout.height);
    view("showInputForm", {}, at.x, at.y);
}

void WebInputForm::hide() { view("hideInputForm"); }
void WebInputForm::setCaption(const std::string& text) { view("setInputCaption", text); }
void WebInputForm::setNumberText(NumberField field, const std::string& text) {
    view("setNumberText", text, field == NumberField::dots ? 0 : 1);
}

void WebPreviewView::showPreview(int frameTimeMs) {
    const Point at = placeWindow("preview", previewLayout::width, previewLayout::height);
    pageView("showPreview", std::to_string(frameTimeMs).c_str(), at.x, at.y);
}
void WebPreviewView::setFrameTime(int frameTimeMs) { view("setPreviewFrameTime", {}, frameTimeMs); }
void WebPreviewView::closePreview() { view("closePreview"); }

void WebPreviewView::setOverview(const std::vector<PreviewFrame>& frames) {
    static_assert(sizeof(Rgb) == 3);
    overview_.set(frames);
    const OverviewPixels& p = overview_.pixels;
    pageOverview(&p.pixels.front().r, p.width, p.height, overview_.generation);
}

void WebPreviewView::setPicture(const PreviewPicture& picture) {
    const int dpi = pagePreviewDpi();
    std::vector<int> flat;
    for (const PreviewShape& s : previewShapes(picture, overview_, dpi))
        flat.insert(flat.end(), {static_cast<int>(s.kind), s.area.x, s.area.y, s.area.w, s.area.h, s.colour.r,
                                 s.colour.g, s.colour.b, s.image});
    pagePicture(picture.caption.c_str(), picture.description.c_str(), flat.data(), static_cast<int>(flat.size() / 9),
                dpi);
}

InputForm& WebMainView::inputForm() {
    if (!inputFormMade_) view("makeInputForm");
    inputFormMade_ = true;
    return inputForm_;
}

void WebMainView::destroyInputForm() {
    if (inputFormMade_) view("destroyInputForm");
    inputFormMade_ = false;
}

void WebMainView::setStatus(const std::string& text) { view("setStatus", text); }
// A row shows its path as the session's row rules say, as high as they say.
void WebMainView::addShowEntry(const ShowEntry& entry) {
    std::array<int, 3> m{};  // row width, ink height, inside height
    pageListMetrics(m.data());
    const std::string shown =
        showListRowText(entry.text, m[0], [](std::string_view t) { return pageListTextWidth(std::string(t).c_str()); });
    view("addShowEntry", shown + "\n" + entry.tooltip, showListRowHeight(m[1], m[2]));
}
void WebMainView::removeShowEntry(int position) { view("removeShowEntry", {}, position); }
void WebMainView::selectShowEntry(int position) { view("selectShowEntry", {}, position); }
void WebMainView::setUsedMemoryMaximum(int maximum) { view("setUsedMemoryMaximum", {}, maximum); }
void WebMainView::setUsedMemory(int value, const std::string& sizeText) { view("setUsedMemory", sizeText, value); }
void WebMainView::setProgressRange(int minimum, int maximum) { view("setProgressRange", {}, minimum, maximum); }
void WebMainView::setProgressValue(int value) { view("setProgressValue", {}, value); }
void WebMainView::setProgressVisible(bool visible) { view("setProgressVisible", {}, visible ? 1 : 0); }
void WebMainView::setPortEntries(const std::vector<std::string>& entries, int selected) {
    view("setPortEntries", joined(entries), selected);
}
void WebMainView::setPortListEnabled(bool enabled) { view("setPortListEnabled", {}, enabled ? 1 : 0); }
void WebMainView::setPortTooltips(const std::vector<std::string>& tooltips) {
    view("setPortTooltips", joined(tooltips));
}
void WebMainView::setPortBoxTooltip(const std::string& tooltip) { view("setPortBoxTooltip", tooltip); }
void WebMainView::setLamp(Rgb colour) { view("setLamp", {}, colour.r << 16 | colour.g << 8 | colour.b); }
void WebMainView::setPortButtonCaption(const std::string& text) { view("setPortButtonCaption", text); }
void WebMainView::setColourOrderEntries(const std::vector<std::string>& entries, int selected) {
    view("setColourOrderEntries", joined(entries), selected);
}
void WebMainView::setFrameTimeEntries(const std::vector<std::string>& entries, int selected) {
    view("setFrameTimeEntries", joined(entries), selected);
}

}  // namespace pelmora
