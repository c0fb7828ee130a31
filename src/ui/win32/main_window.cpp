#include "ui/win32/main_window.h"

#include <commctrl.h>
#include <shellapi.h>
#include <uxtheme.h>

#include <algorithm>
#include <string_view>

#include "platform/win32/utf.h"
#include "show/show_table.h"
#include "ui/win32/controls.h"

namespace pelmora {

namespace {

constexpr wchar_t mainClass[] = L"PelmoraMain";
// A fixed single border with a close button, neither maximise nor minimise.
constexpr DWORD mainStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
constexpr DWORD mainExStyle = WS_EX_CONTROLPARENT | WS_EX_ACCEPTFILES;

constexpr int rowOf(MainControl c) { return static_cast<int>(index(c)); }

void fillList(HWND box, const std::vector<std::string>& entries, int selected) {
    ::SendMessageW(box, CB_RESETCONTENT, 0, 0);
    for (const auto& entry : entries)
        ::SendMessageW(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(toWide(entry).c_str()));
    ::SendMessageW(box, CB_SETCURSEL, static_cast<WPARAM>(selected), 0);
}

int listSelection(HWND box) { return static_cast<int>(::SendMessageW(box, CB_GETCURSEL, 0, 0)); }

}  // namespace

Win32MainWindow::Win32MainWindow(std::function<void()> endProgram) : endProgram_(std::move(endProgram)) {
    const Rgb colour = *mainWindowLayout.background;
    background_ = ::CreateSolidBrush(colourRef(colour));
    white_ = ::CreateSolidBrush(RGB(255, 255, 255));
    initCommonControls();
    // The class has no brush of its own: each window paints its background with its own brush.
    registerWindowClass(mainClass, windowObjectProc<Win32MainWindow>, nullptr);
    const std::wstring title = toWide(mainWindowLayout.title);
    window_ = ::CreateWindowExW(mainExStyle, mainClass, title.c_str(), mainStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                                mainWindowLayout.width, mainWindowLayout.height, nullptr, nullptr,
                                ::GetModuleHandleW(nullptr), this);
    dpi_ = windowDpi(window_);
    build();
}

Win32MainWindow::~Win32MainWindow() {
    // The session may be gone already: what the controls still say while they go, nobody hears.
    events_ = nullptr;
    preview_.reset();
    form_.reset();
    retired_.clear();
    if (window_) ::DestroyWindow(window_);
    freeFonts(fonts_);
    ::DeleteObject(background_);
    ::DeleteObject(white_);
}

void Win32MainWindow::build() {
    for (std::size_t i = 0; i < controls_.size(); ++i) controls_[i] = create(i);
    place();
    std::vector<HWND> order;
    for (std::size_t row : mainWindowLayout.focusOrder) order.push_back(controls_[row]);
    setTabOrder(order);
    addTooltips();
}

HWND Win32MainWindow::create(std::size_t row) {
    HWND control = createControl(window_, mainWindowLayout.controls[row], row);
    if (row == index(MainControl::datList)) {
        ::SetWindowSubclass(control, showListProc, 1, reinterpret_cast<DWORD_PTR>(this));
    } else if (row == index(MainControl::Label5)) {
        ::SetWindowSubclass(control, linkProc, 1, reinterpret_cast<DWORD_PTR>(this));
    } else if (row == index(MainControl::epprom)) {
        // The plain bar fills in exact proportion; a themed one may round to its blocks.
        ::SetWindowTheme(control, L"", L"");
    }
    return control;
}

void Win32MainWindow::place() {
    const SIZE outer = outerSize(mainWindowLayout.width, mainWindowLayout.height, mainStyle, mainExStyle, dpi_);
    ::SetWindowPos(window_, nullptr, 0, 0, outer.cx, outer.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    placeControls(mainWindowLayout, controls_.data(), fonts_, dpi_);

    HWND list = control(MainControl::datList);
    HDC dc = ::GetDC(list);
    HGDIOBJ previous = ::SelectObject(dc, fonts_[index(MainControl::datList)]);
    TEXTMETRICW metrics{};
    ::GetTextMetricsW(dc, &metrics);
    ::SelectObject(dc, previous);
    ::ReleaseDC(list, dc);
    RECT inside{};
    ::GetClientRect(list, &inside);
    const int rowHeight = showListRowHeight(metrics.tmHeight, inside.bottom - inside.top);
    entryInkHeight_ = metrics.tmHeight;
    ::SendMessageW(list, LB_SETITEMHEIGHT, 0, rowHeight);
}

void Win32MainWindow::addTooltips() {
    tooltip_ = ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                                 CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, window_, nullptr,
                                 ::GetModuleHandleW(nullptr), nullptr);
    std::vector<HWND> tools{control(MainControl::datList), control(MainControl::cbcom)};
    COMBOBOXINFO parts{};
    parts.cbSize = sizeof parts;
    if (::GetComboBoxInfo(control(MainControl::cbcom), &parts) && parts.hwndItem) tools.push_back(parts.hwndItem);
    for (HWND tool : tools) {
        TOOLINFOW info{};
        info.cbSize = sizeof info;
        info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        info.hwnd = window_;
        info.uId = reinterpret_cast<UINT_PTR>(tool);
        info.lpszText = LPSTR_TEXTCALLBACKW;
        ::SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
    }
    ::SendMessageW(tooltip_, TTM_SETMAXTIPWIDTH, 0, scaled(600, dpi_));
}

void Win32MainWindow::show() {
    ::ShowWindow(window_, SW_SHOW);
    ::UpdateWindow(window_);
    ::SetFocus(controls_[mainWindowLayout.focusOrder.front()]);
}

bool Win32MainWindow::dialogMessage(MSG& message) {
    // Back in the program's own loop, outside every dialog's: dialogs closed meanwhile go now.
    retired_.clear();
    // Enter on a focused button clicks nothing: no button of either window is a default button.
    if ((message.message == WM_KEYDOWN || message.message == WM_CHAR) && message.wParam == VK_RETURN) {
        HWND focus = ::GetFocus();
        wchar_t name[16] = {};
        if (focus && ::GetClassNameW(focus, name, 16) && std::wstring_view(name) == L"Button") return true;
    }
    if (form_ && form_->handle() && ::IsDialogMessageW(form_->handle(), &message)) return true;
    return window_ && ::IsDialogMessageW(window_, &message);
}

InputForm& Win32MainWindow::inputForm() {
    // Owned by the main window, so that it stays in front of it while shown; still not modal.
    if (!form_) form_ = std::make_unique<Win32InputForm>(*events_, window_, contextMenu_);
    return *form_;
}

// A window of its own, owned by the main window so that it stays in front of it.
PreviewView* Win32MainWindow::preview() {
    if (!preview_ && events_) preview_ = std::make_unique<Win32PreviewWindow>(*events_, window_);
    return preview_.get();
}

void Win32MainWindow::destroyInputForm() {
    if (!form_) return;
    // The dialog may be inside its own close message: it goes once that is over.
    form_->hide();
    retired_.push_back(std::move(form_));
}

void Win32MainWindow::setStatus(const std::string& text) {
    HWND status = control(MainControl::prossstates);
    ::SetWindowTextW(status, toWide(text).c_str());
    fitLabelToText(status);
}

// The list box keeps the text too (for the keyboard's search and a screen reader); rows are drawn
// from entries_.
void Win32MainWindow::addShowEntry(const ShowEntry& entry) {
    entries_.push_back(entry);
    ::SendMessageW(control(MainControl::datList), LB_ADDSTRING, 0,
                   reinterpret_cast<LPARAM>(toWide(entry.text).c_str()));
}
void Win32MainWindow::removeShowEntry(int position) {
    if (position < 0 || static_cast<std::size_t>(position) >= entries_.size()) return;
    entries_.erase(entries_.begin() + position);
    ::SendMessageW(control(MainControl::datList), LB_DELETESTRING, static_cast<WPARAM>(position), 0);
}
void Win32MainWindow::selectShowEntry(int position) {
    ::SendMessageW(control(MainControl::datList), LB_SETCURSEL, static_cast<WPARAM>(position), 0);
}
int Win32MainWindow::selectedEntry() const {
    return static_cast<int>(::SendMessageW(control(MainControl::datList), LB_GETCURSEL, 0, 0));
}

void Win32MainWindow::setUsedMemoryMaximum(int maximum) {
    ::SendMessageW(control(MainControl::epprom), PBM_SETRANGE32, 0, maximum);
}
void Win32MainWindow::setUsedMemory(int value, const std::string& sizeText) {
    ::SendMessageW(control(MainControl::epprom), PBM_SETPOS, static_cast<WPARAM>(value), 0);
    HWND size = control(MainControl::size);
    ::SetWindowTextW(size, toWide(sizeText).c_str());
    fitLabelToText(size);
}

void Win32MainWindow::setProgressRange(int minimum, int maximum) {
    ::SendMessageW(control(MainControl::ProgressBar), PBM_SETRANGE32, static_cast<WPARAM>(minimum), maximum);
}
void Win32MainWindow::setProgressValue(int value) {
    ::SendMessageW(control(MainControl::ProgressBar), PBM_SETPOS, static_cast<WPARAM>(value), 0);
}
void Win32MainWindow::setProgressVisible(bool visible) {
    ::ShowWindow(control(MainControl::ProgressBar), visible ? SW_SHOWNA : SW_HIDE);
}

void Win32MainWindow::setPortEntries(const std::vector<std::string>& entries, int selected) {
    fillList(control(MainControl::cbcom), entries, selected);
}
void Win32MainWindow::setPortListEnabled(bool enabled) { ::EnableWindow(control(MainControl::cbcom), enabled); }
// A Win32 combo box shows no tooltip per entry of its open list: only the box's own one.
void Win32MainWindow::setPortTooltips(const std::vector<std::string>&) {}
void Win32MainWindow::setPortBoxTooltip(const std::string& tooltip) { portBoxTooltip_ = toWide(tooltip); }
void Win32MainWindow::setLamp(Rgb colour) {
    lamp_ = colour;
    ::InvalidateRect(control(MainControl::coms), nullptr, TRUE);
}
void Win32MainWindow::setPortButtonCaption(const std::string& text) {
    ::SetWindowTextW(control(MainControl::opencom), toWide(text).c_str());
}

void Win32MainWindow::setColourOrderEntries(const std::vector<std::string>& entries, int selected) {
    fillList(control(MainControl::cbrgb), entries, selected);
}
void Win32MainWindow::setFrameTimeEntries(const std::vector<std::string>& entries, int selected) {
    fillList(control(MainControl::inputcbspeed), entries, selected);
}

std::wstring Win32MainWindow::tooltipAt(HWND hwnd, POINT client) const {
    if (hwnd == control(MainControl::datList)) {
        const int entry = entryAt(client);
        return entry < 0 ? std::wstring() : toWide(entries_[static_cast<std::size_t>(entry)].tooltip);
    }
    if (controlRow(hwnd) == rowOf(MainControl::cbcom)) return portBoxTooltip_;
    return {};
}

int Win32MainWindow::entryAt(POINT client) const {
    HWND list = control(MainControl::datList);
    // The list names the nearest entry also for a point below the last one.
    const LRESULT hit = ::SendMessageW(list, LB_ITEMFROMPOINT, 0, MAKELPARAM(client.x, client.y));
    RECT entry{};
    if (HIWORD(hit) != 0 ||
        ::SendMessageW(list, LB_GETITEMRECT, LOWORD(hit), reinterpret_cast<LPARAM>(&entry)) == LB_ERR ||
        !::PtInRect(&entry, client))
        return -1;
    return LOWORD(hit);
}

// 预览 in the context menu of an entry of datList, for the entry under the pointer; from the
// keyboard's menu key, for the selected entry. Elsewhere in the list there is no menu.
void Win32MainWindow::showListMenu(LPARAM lParam) {
    HWND list = control(MainControl::datList);
    int entry = selectedEntry();
    RECT place{};
    ::SendMessageW(list, LB_GETITEMRECT, static_cast<WPARAM>(std::max(entry, 0)), reinterpret_cast<LPARAM>(&place));
    place.top = place.bottom;
    const POINT at = contextMenuPoint(lParam, list, place);
    if (!menuFromKeyboard(lParam)) {
        POINT client = at;
        ::ScreenToClient(list, &client);
        entry = entryAt(client);
    }
    if (entry >= 0 && previewChosen(contextMenu_, window_, at) && events_) events_->previewShow(entry);
}

void Win32MainWindow::command(int row, int code) {
    if (!events_) return;
    switch (row) {
        case rowOf(MainControl::open):
            if (code == BN_CLICKED) events_->openLedFile();
            break;
        case rowOf(MainControl::comsend):
            if (code == BN_CLICKED) events_->send();
            break;
        case rowOf(MainControl::opencom):
            if (code == BN_CLICKED) events_->togglePort();
            break;
        case rowOf(MainControl::cbrgb):
            colourOrderNotified(code);
            break;
        case rowOf(MainControl::inputcbspeed):
            if (code == CBN_SELCHANGE) events_->changeFrameTime(listSelection(control(MainControl::inputcbspeed)));
            break;
        case rowOf(MainControl::cbcom):
            if (code == CBN_DROPDOWN) events_->portListOpening();
            if (code == CBN_EDITCHANGE) events_->typePortText();
            if (code == CBN_SELCHANGE) events_->choosePort(listSelection(control(MainControl::cbcom)));
            break;
        default:
            break;
    }
}

// A row of datList is lower than the font's ink where five must fit: the lowest pixel row of the
// ink (an underscore) lies on the next row. Each row therefore also draws what reaches into it
// from the row above, and what it reaches into the row below, in that row's text colour.
void Win32MainWindow::drawShowEntry(const DRAWITEMSTRUCT& item) {
    const int selection = selectedEntry();
    auto textColour = [&](int entry) {
        return ::GetSysColor(entry == selection ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT);
    };
    const bool selected = (item.itemState & ODS_SELECTED) != 0;
    ::FillRect(item.hDC, &item.rcItem, selected ? ::GetSysColorBrush(COLOR_HIGHLIGHT) : white_);
    if (item.itemID != static_cast<UINT>(-1)) {
        const int entry = static_cast<int>(item.itemID);
        const int height = item.rcItem.bottom - item.rcItem.top;
        RECT above = item.rcItem, below = item.rcItem;
        ::OffsetRect(&above, 0, -height);
        ::OffsetRect(&below, 0, height);
        const COLORREF own = selected ? ::GetSysColor(COLOR_HIGHLIGHTTEXT) : ::GetSysColor(COLOR_WINDOWTEXT);
        if (entry > 0) drawEntryText(item.hDC, entry - 1, above, item.rcItem, own);
        drawEntryText(item.hDC, entry, item.rcItem, item.rcItem, own);
        drawEntryText(item.hDC, entry, item.rcItem, below, textColour(entry + 1));
    }
    if (item.itemState & ODS_FOCUS) ::DrawFocusRect(item.hDC, &item.rcItem);
}

void Win32MainWindow::drawEntryText(HDC dc, int entry, RECT row, const RECT& clip, COLORREF colour) {
    if (entry < 0 || static_cast<std::size_t>(entry) >= entries_.size()) return;
    row.left += scaled(2, dpi_);
    row.right -= scaled(2, dpi_);
    row.bottom = row.top + entryInkHeight_;
    const std::wstring shown = toWide(showListRowText(
        entries_[static_cast<std::size_t>(entry)].text, row.right - row.left, [dc](std::string_view text) {
            const std::wstring wide = toWide(text);
            SIZE size{};
            ::GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &size);
            return static_cast<int>(size.cx);
        }));
    const int saved = ::SaveDC(dc);
    ::IntersectClipRect(dc, clip.left, clip.top, clip.right, clip.bottom);
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, colour);
    ::DrawTextW(dc, shown.c_str(), static_cast<int>(shown.size()), &row,
                DT_SINGLELINE | DT_NOPREFIX | DT_TOP | DT_NOCLIP);
    ::RestoreDC(dc, saved);
}

// A Win32 combo box reports every entry its open list passes under the pointer or the arrow keys,
// so a choice in cbrgb is read once, when the open list closes on an entry, or at each arrow key
// while it is closed; an open list left with Escape chooses nothing and keeps the entry it had.
void Win32MainWindow::colourOrderNotified(int code) {
    HWND box = control(MainControl::cbrgb);
    switch (code) {
        case CBN_DROPDOWN:
            colourListOpen_ = true;
            colourBeforeOpen_ = listSelection(box);
            break;
        case CBN_SELCHANGE:
            if (!colourListOpen_ && !::SendMessageW(box, CB_GETDROPPEDSTATE, 0, 0))
                events_->changeColourOrder(listSelection(box));
            break;
        case CBN_SELENDOK:
            if (colourListOpen_) {
                colourListOpen_ = false;
                events_->changeColourOrder(listSelection(box));
            }
            break;
        case CBN_SELENDCANCEL:
            if (colourListOpen_) {
                colourListOpen_ = false;
                ::SendMessageW(box, CB_SETCURSEL, static_cast<WPARAM>(colourBeforeOpen_), 0);
            }
            break;
        default:
            break;
    }
}

// Label5 acts on a release of the left button inside it, after a press inside it, as a link does.
LRESULT CALLBACK Win32MainWindow::linkProc(HWND label, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                           DWORD_PTR data) {
    auto* window = reinterpret_cast<Win32MainWindow*>(data);
    switch (message) {
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
            window->linkPressed_ = true;
            ::SetCapture(label);
            return 0;
        case WM_LBUTTONUP: {
            if (!window->linkPressed_) break;
            window->linkPressed_ = false;
            ::ReleaseCapture();
            RECT inside{};
            ::GetClientRect(label, &inside);
            const POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
            if (::PtInRect(&inside, at) && window->events_) window->events_->openShopLink();
            return 0;
        }
        case WM_CAPTURECHANGED:
            window->linkPressed_ = false;
            break;
        default:
            break;
    }
    return ::DefSubclassProc(label, message, wParam, lParam);
}

LRESULT CALLBACK Win32MainWindow::showListProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                               DWORD_PTR data) {
    auto* window = reinterpret_cast<Win32MainWindow*>(data);
    // A double-click anywhere in the list, on an entry or below the last: the session decides
    // from the list's state what it removes.
    if (message == WM_LBUTTONDBLCLK) {
        const LRESULT result = ::DefSubclassProc(list, message, wParam, lParam);
        if (window->events_) window->events_->removeShow(window->selectedEntry());
        return result;
    }
    if (message == WM_MOUSEMOVE && window->tooltip_) {
        // Another entry under the pointer: its own path in the tooltip.
        const LRESULT hit = ::SendMessageW(list, LB_ITEMFROMPOINT, 0, lParam);
        if (hit != window->hoveredEntry_) {
            window->hoveredEntry_ = hit;
            ::SendMessageW(window->tooltip_, TTM_UPDATE, 0, 0);
        }
    }
    return ::DefSubclassProc(list, message, wParam, lParam);
}

// The lamp coms: a circle as wide as the shorter side, in the middle of the control.
void Win32MainWindow::drawLamp(const DRAWITEMSTRUCT& item) {
    ::FillRect(item.hDC, &item.rcItem, background_);
    const RECT& r = item.rcItem;
    const int d = std::min(r.right - r.left, r.bottom - r.top);
    const int left = r.left + (r.right - r.left - d) / 2, top = r.top + (r.bottom - r.top - d) / 2;
    HBRUSH brush = ::CreateSolidBrush(colourRef(lamp_));
    HPEN pen = ::CreatePen(PS_SOLID, 1, colourRef(lamp_));
    HGDIOBJ oldBrush = ::SelectObject(item.hDC, brush), oldPen = ::SelectObject(item.hDC, pen);
    ::Ellipse(item.hDC, left, top, left + d, top + d);
    ::SelectObject(item.hDC, oldBrush);
    ::SelectObject(item.hDC, oldPen);
    ::DeleteObject(brush);
    ::DeleteObject(pen);
}

// The tooltip asks what to say: the text for the control where the pointer is now.
bool Win32MainWindow::tooltipNeeded(LPARAM lParam) {
    auto* header = reinterpret_cast<NMHDR*>(lParam);
    if (header->hwndFrom != tooltip_ || header->code != TTN_GETDISPINFOW) return false;
    auto* info = reinterpret_cast<NMTTDISPINFOW*>(lParam);
    const auto tool = reinterpret_cast<HWND>(header->idFrom);
    POINT at{};
    ::GetCursorPos(&at);
    ::ScreenToClient(tool, &at);
    tooltipText_ = tooltipAt(tool, at);
    info->lpszText = tooltipText_.data();
    return true;
}

// LED files dropped onto the window: the open command with them, no file dialog.
void Win32MainWindow::filesDropped(HDROP drop) {
    std::vector<std::string> paths;
    const UINT count = ::DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        std::wstring path(::DragQueryFileW(drop, i, nullptr, 0) + 1, L'\0');
        path.resize(::DragQueryFileW(drop, i, path.data(), static_cast<UINT>(path.size())));
        paths.push_back(toUtf8(path));
    }
    ::DragFinish(drop);
    if (events_) events_->openDroppedFiles(paths);
}

// What the controls ask of their window or tell it; nothing when the message is none of theirs.
std::optional<LRESULT> Win32MainWindow::controlMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            if (lParam) command(LOWORD(wParam) - controlId(0), HIWORD(wParam));
            return 0;  // Enter and Escape (IDOK, IDCANCEL) do nothing
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
            if (HBRUSH brush = controlColours(mainWindowLayout, message, reinterpret_cast<HDC>(wParam),
                                              reinterpret_cast<HWND>(lParam), background_,
                                              colourRef(*mainWindowLayout.background), white_))
                return reinterpret_cast<LRESULT>(brush);
            break;
        case WM_DRAWITEM: {
            const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
            if (item.hwndItem == control(MainControl::datList)) drawShowEntry(item);
            if (item.hwndItem == control(MainControl::coms)) drawLamp(item);
            return TRUE;
        }
        case WM_NOTIFY:
            if (tooltipNeeded(lParam)) return 0;
            break;
        case WM_CONTEXTMENU:
            // datList's entries have a menu; the title bar keeps the window's own.
            if (reinterpret_cast<HWND>(wParam) != control(MainControl::datList)) break;
            showListMenu(lParam);
            return 0;
        case WM_SETCURSOR:
            if (reinterpret_cast<HWND>(wParam) == control(MainControl::Label5)) {
                ::SetCursor(::LoadCursorW(nullptr, IDC_HAND));
                return TRUE;
            }
            break;
        default:
            break;
    }
    return std::nullopt;
}

LRESULT Win32MainWindow::handle(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT: {
            const LRESULT result = ::DefWindowProcW(hwnd, message, wParam, lParam);
            if (firstPaint_) {
                auto run = std::move(firstPaint_);
                firstPaint_ = nullptr;
                run();
            }
            return result;
        }
        case WM_CLOSE:
            // Closing cannot be refused and ends the program at once.
            ::ShowWindow(hwnd, SW_HIDE);
            if (events_) events_->shutdown();
            if (endProgram_) endProgram_();
            return 0;
        case WM_DROPFILES:
            filesDropped(reinterpret_cast<HDROP>(wParam));
            return 0;
        case WM_ERASEBKGND: {
            RECT client{};
            ::GetClientRect(hwnd, &client);
            ::FillRect(reinterpret_cast<HDC>(wParam), &client, background_);
            return 1;
        }
        case WM_ACTIVATE:
            // After a message box, the file dialog or another program.
            keepKeyboardOnActivation(hwnd, wParam, lastFocus_, controls_[mainWindowLayout.focusOrder.front()]);
            return 0;
        default:
            if (const auto answer = controlMessage(message, wParam, lParam)) return *answer;
            break;
    }
    return ::DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace pelmora
