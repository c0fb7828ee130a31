#pragma once
// Turning the session's layout rows into Win32 controls: place and size at the monitor's DPI,
// the font, the text colour, the name a test finds a control by, and the focus order.

#include <windows.h>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "session/layout.h"
#include "session/preview_layout.h"

namespace pelmora {

// The layout tables are made for 96 DPI; every length scales with the monitor's DPI (scaled).
RECT scaledRect(const ControlLayout& row, int dpi);
// The LOGFONT height of a point size: negative, a character height in pixels.
int fontHeight(double pointSize, int dpi);

inline COLORREF colourRef(Rgb colour) { return RGB(colour.r, colour.g, colour.b); }

// The DPI of the monitor a window is on (96 where the system cannot tell), and the outer size of
// a window whose client area is width x height at that DPI.
int windowDpi(HWND window);
SIZE outerSize(int width, int height, DWORD style, DWORD exStyle, int dpi);

// 宋体 in the Chinese character set at a row's size and weight (9 pt where the row gives none).
HFONT createSongFont(double pointSize, bool bold, int dpi);

// Every control keeps the row of its layout table; a test finds a control by its name.
void nameControl(HWND control, std::size_t row);
// The row of a control, or of the control a part belongs to (a drop-down's edit field and list);
// -1 for a window that is no control of a layout.
int controlRow(HWND hwnd);
HWND findControl(HWND window, const WindowLayout& layout, std::string_view name);

std::wstring windowText(HWND hwnd);

// A label takes the size of its text, keeping its top-left corner.
void fitLabelToText(HWND label);

// The control of a layout row, named, with the command id of its row; placed by placeControls.
constexpr int controlId(std::size_t row) { return 100 + static_cast<int>(row); }
HWND createControl(HWND parent, const ControlLayout& row, std::size_t rowIndex);
// Every control of a window at its place for the DPI, each with a new font (the old ones are
// freed); labels take the size of their text.
void placeControls(const WindowLayout& layout, const HWND* controls, std::vector<HFONT>& fonts, int dpi);
void freeFonts(std::vector<HFONT>& fonts);
// The WM_CTLCOLOR* answer for a control of the layout: its text colour, on the window's
// background (labels) or on white (edit fields and lists). 0 for anything else.
HBRUSH controlColours(const WindowLayout& layout, UINT message, HDC dc, HWND control, HBRUSH background,
                      COLORREF backgroundColour, HBRUSH white);
// The window class of a top-level window of the tool, registered once.
void registerWindowClass(const wchar_t* name, WNDPROC proc, HBRUSH background);

// A window owned by the main window, as it comes up: next to the main window, clear of it and of
// the main window's other windows on screen; one that was up before where it was, if that is
// still clear (placeBeside).
void placeBesideOwner(HWND window, bool upBefore);

// WM_DPICHANGED of a window: it moves to where Windows suggests and answers the new DPI.
int moveForNewDpi(HWND window, WPARAM wParam, LPARAM lParam);

// The window procedure of a window object, which comes with CreateWindowEx's last parameter and
// stays in GWLP_USERDATA until the window is gone. It keeps the object's window_ (the handle,
// null once the window is gone) and dpi_, moving the window and calling its place() for a new
// DPI; every other message goes to the object's handle().
template <class Window>
LRESULT CALLBACK windowObjectProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE)
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA,
                            reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
    auto* window = reinterpret_cast<Window*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!window) return ::DefWindowProcW(hwnd, message, wParam, lParam);
    switch (message) {
        case WM_NCCREATE:
            window->window_ = hwnd;
            break;
        case WM_DPICHANGED:
            window->dpi_ = moveForNewDpi(hwnd, wParam, lParam);
            window->place();
            return 0;
        case WM_NCDESTROY: {
            ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
            const LRESULT result = window->handle(hwnd, message, wParam, lParam);
            window->window_ = nullptr;
            return result;
        }
        default:
            break;
    }
    return window->handle(hwnd, message, wParam, lParam);
}

// WM_ACTIVATE of a window: the control that had the keyboard when the window went inactive gets
// it back when it is active again (the fallback until one has had it), never the window's frame.
void keepKeyboardOnActivation(HWND window, WPARAM activation, HWND& lastFocus, HWND fallback);

// A context menu of these items at a point of the screen, answered by the user: the position of
// the item chosen, -1 for none. The windows show the real one; tests answer in its place.
using ContextMenu = std::function<int(HWND owner, POINT screen, const std::vector<std::wstring>& items)>;
int popupContextMenu(HWND owner, POINT screen, const std::vector<std::wstring>& items);
// The menu of the one item 预览 at a point of the screen: whether the user chose it.
bool previewChosen(const ContextMenu& menu, HWND owner, POINT screen);
// WM_CONTEXTMENU from the keyboard's menu key (or Shift+F10) rather than the mouse: no point.
inline bool menuFromKeyboard(LPARAM lParam) {
    return static_cast<short>(LOWORD(lParam)) == -1 && static_cast<short>(HIWORD(lParam)) == -1;
}
// Where WM_CONTEXTMENU asks for a menu: the point it gives, or from the keyboard the top-left
// corner of `fallback` in the window.
POINT contextMenuPoint(LPARAM lParam, HWND window, RECT fallback);

// Tab moves through the controls in this order (each a tab stop, in this z-order).
void setTabOrder(const std::vector<HWND>& order);

// Asks Windows for the common controls used here; once per process.
void initCommonControls();

}  // namespace pelmora
