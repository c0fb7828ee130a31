#include "ui/win32/controls.h"

#include <commctrl.h>

#include <algorithm>
#include <cmath>

#include "platform/win32/utf.h"
#include "session/texts.h"

namespace pelmora {

namespace {

constexpr wchar_t rowProperty[] = L"pelmora.row";

// Present from Windows 10 on; looked up so that the program still starts on older systems.
template <typename Function>
Function user32Function(const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"user32"), name)));
}

}  // namespace

RECT scaledRect(const ControlLayout& row, int dpi) {
    const int left = scaled(row.x, dpi), top = scaled(row.y, dpi);
    return RECT{left, top, left + scaled(row.w, dpi), top + scaled(row.h, dpi)};
}

int fontHeight(double pointSize, int dpi) { return -static_cast<int>(std::lround(pointSize * dpi / 72.0)); }

int windowDpi(HWND window) {
    using GetDpiForWindow = UINT(WINAPI*)(HWND);
    static const auto forWindow = user32Function<GetDpiForWindow>("GetDpiForWindow");
    if (forWindow && window) {
        if (const UINT dpi = forWindow(window)) return static_cast<int>(dpi);
    }
    HDC screen = ::GetDC(nullptr);
    const int dpi = screen ? ::GetDeviceCaps(screen, LOGPIXELSY) : 96;
    if (screen) ::ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : 96;
}

SIZE outerSize(int width, int height, DWORD style, DWORD exStyle, int dpi) {
    using AdjustForDpi = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);
    static const auto adjustForDpi = user32Function<AdjustForDpi>("AdjustWindowRectExForDpi");
    RECT r{0, 0, scaled(width, dpi), scaled(height, dpi)};
    if (!adjustForDpi || !adjustForDpi(&r, style, FALSE, exStyle, static_cast<UINT>(dpi)))
        ::AdjustWindowRectEx(&r, style, FALSE, exStyle);
    return SIZE{r.right - r.left, r.bottom - r.top};
}

HFONT createSongFont(double pointSize, bool bold, int dpi) {
    LOGFONTW font{};
    font.lfHeight = fontHeight(pointSize > 0 ? pointSize : defaultPointSize, dpi);
    font.lfWeight = bold ? FW_BOLD : FW_NORMAL;
    font.lfCharSet = GB2312_CHARSET;
    font.lfOutPrecision = OUT_DEFAULT_PRECIS;
    font.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    font.lfQuality = DEFAULT_QUALITY;
    font.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
    const std::wstring family = toWide(defaultFontFamily);
    family.copy(font.lfFaceName, LF_FACESIZE - 1);
    return ::CreateFontIndirectW(&font);
}

void nameControl(HWND control, std::size_t row) {
    const auto value = reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(row + 1));
    ::SetPropW(control, rowProperty, value);
    COMBOBOXINFO parts{};
    parts.cbSize = sizeof parts;
    if (::GetComboBoxInfo(control, &parts)) {
        if (parts.hwndItem && parts.hwndItem != control) ::SetPropW(parts.hwndItem, rowProperty, value);
        if (parts.hwndList) ::SetPropW(parts.hwndList, rowProperty, value);
    }
}

int controlRow(HWND hwnd) {
    if (!hwnd) return -1;
    const auto value = reinterpret_cast<std::uintptr_t>(::GetPropW(hwnd, rowProperty));
    return value == 0 ? -1 : static_cast<int>(value - 1);
}

HWND findControl(HWND window, const WindowLayout& layout, std::string_view name) {
    const ControlLayout* row = pelmora::findControl(layout, name);
    if (!row || !window) return nullptr;
    struct Search {
        HWND window;
        int row;
        HWND found = nullptr;
    } search{window, static_cast<int>(row - layout.controls.data())};
    ::EnumChildWindows(
        window,
        [](HWND child, LPARAM parameter) -> BOOL {
            auto& s = *reinterpret_cast<Search*>(parameter);
            if (::GetParent(child) != s.window || controlRow(child) != s.row) return TRUE;
            s.found = child;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::wstring windowText(HWND hwnd) {
    std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(hwnd)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(::GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()))));
    return text;
}

void fitLabelToText(HWND label) {
    const std::wstring text = windowText(label);
    HDC dc = ::GetDC(label);
    HGDIOBJ previous = ::SelectObject(dc, reinterpret_cast<HGDIOBJ>(::SendMessageW(label, WM_GETFONT, 0, 0)));
    RECT r{0, 0, 0, 0};
    if (!text.empty()) ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, DT_CALCRECT | DT_NOPREFIX);
    ::SelectObject(dc, previous);
    ::ReleaseDC(label, dc);
    ::SetWindowPos(label, nullptr, 0, 0, r.right - r.left, r.bottom - r.top,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    ::InvalidateRect(label, nullptr, TRUE);
}

namespace {

// The window class and styles of a kind of control.
struct ControlClass {
    const wchar_t* name = WC_STATICW;
    DWORD style = 0, exStyle = 0;
};

ControlClass controlClass(ControlKind kind) {
    switch (kind) {
        case ControlKind::label:
            return {WC_STATICW, SS_LEFT | SS_NOPREFIX};
        case ControlKind::centredLabel:
            return {WC_STATICW, SS_CENTER | SS_NOPREFIX};
        case ControlKind::linkLabel:
            return {WC_STATICW, SS_LEFT | SS_NOPREFIX | SS_NOTIFY};
        case ControlKind::button:
            return {WC_BUTTONW, BS_PUSHBUTTON};
        case ControlKind::lamp:
            return {WC_STATICW, SS_OWNERDRAW};
        case ControlKind::portList:
            return {WC_COMBOBOXW, CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL};
        case ControlKind::dropDownList:
            return {WC_COMBOBOXW, CBS_DROPDOWNLIST | WS_VSCROLL};
        case ControlKind::showList:
            // A thin edge: the five rows and the ink of the last one's underscores need the room.
            return {WC_LISTBOXW, LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT,
                    WS_EX_STATICEDGE};
        case ControlKind::progressBar:
            return {PROGRESS_CLASSW, PBS_SMOOTH};
        case ControlKind::numberBox:
            return {WC_EDITW, ES_CENTER | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE};
    }
    return {};
}

}  // namespace

HWND createControl(HWND parent, const ControlLayout& row, std::size_t rowIndex) {
    const ControlClass kind = controlClass(row.kind);
    const std::wstring text = toWide(row.text);
    HWND control = ::CreateWindowExW(kind.exStyle, kind.name, text.c_str(), WS_CHILD | WS_VISIBLE | kind.style, 0, 0, 0,
                                     0, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(controlId(rowIndex))),
                                     ::GetModuleHandleW(nullptr), nullptr);
    nameControl(control, rowIndex);
    return control;
}

namespace {

bool isLabel(ControlKind kind) {
    return kind == ControlKind::label || kind == ControlKind::centredLabel || kind == ControlKind::linkLabel;
}
bool isDropDown(ControlKind kind) { return kind == ControlKind::portList || kind == ControlKind::dropDownList; }

// How far a drop-down's list reaches below its field, at 96 DPI.
constexpr int dropDownListHeight = 220;

}  // namespace

void freeFonts(std::vector<HFONT>& fonts) {
    for (HFONT font : fonts)
        if (font) ::DeleteObject(font);
    fonts.clear();
}

void placeControls(const WindowLayout& layout, const HWND* controls, std::vector<HFONT>& fonts, int dpi) {
    std::vector<HFONT> previous;
    previous.swap(fonts);
    for (std::size_t i = 0; i < layout.controls.size(); ++i) {
        const ControlLayout& row = layout.controls[i];
        HWND control = controls[i];
        const RECT r = scaledRect(row, dpi);
        const int height = r.bottom - r.top;
        HFONT font = createSongFont(row.pointSize, row.bold, dpi);
        fonts.push_back(font);
        ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        if (isDropDown(row.kind)) {
            // The height given is the field's and the list's together; the field's own is set.
            ::SetWindowPos(control, nullptr, r.left, r.top, r.right - r.left, height + scaled(dropDownListHeight, dpi),
                           SWP_NOZORDER | SWP_NOACTIVATE);
            ::SendMessageW(control, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), std::max(height - 6, 1));
        } else {
            ::SetWindowPos(control, nullptr, r.left, r.top, r.right - r.left, height, SWP_NOZORDER | SWP_NOACTIVATE);
        }
        if (isLabel(row.kind)) fitLabelToText(control);
        ::InvalidateRect(control, nullptr, TRUE);
    }
    freeFonts(previous);
}

HBRUSH controlColours(const WindowLayout& layout, UINT message, HDC dc, HWND control, HBRUSH background,
                      COLORREF backgroundColour, HBRUSH white) {
    const int row = controlRow(control);
    if (row < 0 || static_cast<std::size_t>(row) >= layout.controls.size()) return nullptr;
    const ControlLayout& r = layout.controls[static_cast<std::size_t>(row)];
    if (message == WM_CTLCOLORSTATIC) {
        // A label on the window's background; a disabled or read-only field keeps the system's look.
        if (!isLabel(r.kind)) return nullptr;
        ::SetTextColor(dc, r.colour ? colourRef(*r.colour) : ::GetSysColor(COLOR_WINDOWTEXT));
        ::SetBkColor(dc, backgroundColour);
        ::SetBkMode(dc, TRANSPARENT);
        return background;
    }
    if (message != WM_CTLCOLOREDIT && message != WM_CTLCOLORLISTBOX) return nullptr;
    ::SetTextColor(dc, r.colour ? colourRef(*r.colour) : ::GetSysColor(COLOR_WINDOWTEXT));
    ::SetBkColor(dc, RGB(255, 255, 255));
    return white;
}

void registerWindowClass(const wchar_t* name, WNDPROC proc, HBRUSH background) {
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof existing;
    HINSTANCE instance = ::GetModuleHandleW(nullptr);
    if (::GetClassInfoExW(instance, name, &existing)) return;
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = proc;
    windowClass.hInstance = instance;
    // The program's icon is resource 1; a test program without one gets the system's.
    windowClass.hIcon = ::LoadIconW(instance, MAKEINTRESOURCEW(1));
    windowClass.hIconSm =
        static_cast<HICON>(::LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON, ::GetSystemMetrics(SM_CXSMICON),
                                        ::GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR));
    windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = background;
    windowClass.lpszClassName = name;
    ::RegisterClassExW(&windowClass);
}

namespace {

Area areaOf(const RECT& r) { return Area{r.left, r.top, r.right - r.left, r.bottom - r.top}; }

// The outer frames of the windows with a title bar that `owner` owns and that are on screen,
// but for `except`.
std::vector<Area> shownOwnedWindows(HWND owner, HWND except) {
    struct Search {
        HWND owner, except;
        std::vector<Area> shown;
    } search{owner, except, {}};
    ::EnumThreadWindows(
        ::GetCurrentThreadId(),
        [](HWND hwnd, LPARAM parameter) -> BOOL {
            auto& s = *reinterpret_cast<Search*>(parameter);
            RECT r{};
            if (hwnd != s.except && ::GetWindow(hwnd, GW_OWNER) == s.owner && ::IsWindowVisible(hwnd) &&
                (::GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_CAPTION) == WS_CAPTION && ::GetWindowRect(hwnd, &r))
                s.shown.push_back(areaOf(r));
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.shown;
}

}  // namespace

void placeBesideOwner(HWND window, bool upBefore) {
    HWND owner = ::GetWindow(window, GW_OWNER);
    RECT main{}, own{};
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    if (!owner || !::GetWindowRect(owner, &main) || !::GetWindowRect(window, &own) ||
        !::GetMonitorInfoW(::MonitorFromWindow(owner, MONITOR_DEFAULTTONEAREST), &monitor))
        return;
    const std::vector<Area> shown = shownOwnedWindows(owner, window);
    const std::optional<Point> last = upBefore ? std::optional(Point{own.left, own.top}) : std::nullopt;
    const Point at =
        placeBeside(areaOf(main), own.right - own.left, own.bottom - own.top, areaOf(monitor.rcWork), shown, last);
    ::SetWindowPos(window, nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

int moveForNewDpi(HWND window, WPARAM wParam, LPARAM lParam) {
    const RECT& suggested = *reinterpret_cast<const RECT*>(lParam);
    ::SetWindowPos(window, nullptr, suggested.left, suggested.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    return HIWORD(wParam);
}

void keepKeyboardOnActivation(HWND window, WPARAM activation, HWND& lastFocus, HWND fallback) {
    if (LOWORD(activation) == WA_INACTIVE) {
        HWND focus = ::GetFocus();
        if (focus && ::IsChild(window, focus)) lastFocus = focus;
        return;
    }
    ::SetFocus(lastFocus && ::IsWindow(lastFocus) ? lastFocus : fallback);
}

int popupContextMenu(HWND owner, POINT screen, const std::vector<std::wstring>& items) {
    HMENU menu = ::CreatePopupMenu();
    for (std::size_t i = 0; i < items.size(); ++i)
        ::AppendMenuW(menu, MF_STRING, static_cast<UINT_PTR>(i + 1), items[i].c_str());
    const BOOL chosen =
        ::TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, screen.x, screen.y, 0, owner, nullptr);
    ::DestroyMenu(menu);
    return chosen > 0 ? chosen - 1 : -1;
}

bool previewChosen(const ContextMenu& menu, HWND owner, POINT screen) {
    return menu(owner, screen, {toWide(texts::previewItem)}) == 0;
}

POINT contextMenuPoint(LPARAM lParam, HWND window, RECT fallback) {
    if (!menuFromKeyboard(lParam)) return POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    POINT at{fallback.left, fallback.top};
    ::ClientToScreen(window, &at);
    return at;
}

void setTabOrder(const std::vector<HWND>& order) {
    HWND after = HWND_TOP;
    for (HWND control : order) {
        ::SetWindowLongPtrW(control, GWL_STYLE, ::GetWindowLongPtrW(control, GWL_STYLE) | WS_TABSTOP);
        ::SetWindowPos(control, after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        after = control;
    }
}

void initCommonControls() {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS | ICC_BAR_CLASSES};
    ::InitCommonControlsEx(&controls);
}

}  // namespace pelmora
