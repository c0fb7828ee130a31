#include "ui/win32/input_form.h"

#include <commctrl.h>
#include <imm.h>

#include <cstdint>

#include "platform/win32/utf.h"
#include "ui/win32/controls.h"

namespace pelmora {

namespace {

constexpr wchar_t formClass[] = L"PelmoraInputForm";
constexpr DWORD formStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
constexpr DWORD formExStyle = WS_EX_CONTROLPARENT;

}  // namespace

Win32InputForm::Win32InputForm(ControlEvents& events, HWND owner, ContextMenu menu)
    : events_(&events), menu_(std::move(menu)) {
    white_ = ::CreateSolidBrush(RGB(255, 255, 255));
    registerWindowClass(formClass, windowObjectProc<Win32InputForm>, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
    const std::wstring title = toWide(inputFormLayout.title);
    window_ = ::CreateWindowExW(formExStyle, formClass, title.c_str(), formStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                                inputFormLayout.width, inputFormLayout.height, owner, nullptr,
                                ::GetModuleHandleW(nullptr), this);
    for (std::size_t i = 0; i < controls_.size(); ++i) {
        controls_[i] = createControl(window_, inputFormLayout.controls[i], i);
        if (inputFormLayout.controls[i].kind == ControlKind::numberBox)
            ::SetWindowSubclass(controls_[i], numberBoxProc, 1, reinterpret_cast<DWORD_PTR>(this));
    }
    dpi_ = windowDpi(window_);
    place();
    std::vector<HWND> order;
    for (std::size_t row : inputFormLayout.focusOrder) order.push_back(controls_[row]);
    setTabOrder(order);
    lastFocus_ = control(InputControl::inputdots);
}

Win32InputForm::~Win32InputForm() {
    events_ = nullptr;  // nothing the controls say while they go reaches the session
    if (window_) ::DestroyWindow(window_);
    freeFonts(fonts_);
    ::DeleteObject(white_);
}

void Win32InputForm::place() {
    const SIZE outer = outerSize(inputFormLayout.width, inputFormLayout.height, formStyle, formExStyle, dpi_);
    ::SetWindowPos(window_, nullptr, 0, 0, outer.cx, outer.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    placeControls(inputFormLayout, controls_.data(), fonts_, dpi_);
}

// Shown and in front, the keyboard where it was (inputdots the first time).
void Win32InputForm::show() {
    if (!::IsWindowVisible(window_)) {
        // Clear of the main window's controls where the screen has room; later where the user left it.
        placeBesideOwner(window_, placed_);
        placed_ = true;
    }
    ::ShowWindow(window_, SW_SHOW);
    ::SetWindowPos(window_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    if (::GetActiveWindow() == window_) ::SetFocus(lastFocus_);
}

void Win32InputForm::hide() { ::ShowWindow(window_, SW_HIDE); }

void Win32InputForm::setCaption(const std::string& text) {
    HWND caption = control(InputControl::inputformcaption);
    ::SetWindowTextW(caption, toWide(text).c_str());
    fitLabelToText(caption);
}

void Win32InputForm::setDots(const std::string& text) {
    ::SetWindowTextW(control(InputControl::inputdots), toWide(text).c_str());
}
std::string Win32InputForm::dots() const { return toUtf8(windowText(control(InputControl::inputdots))); }
void Win32InputForm::setFrames(const std::string& text) {
    ::SetWindowTextW(control(InputControl::inputframes), toWide(text).c_str());
}
std::string Win32InputForm::frames() const { return toUtf8(windowText(control(InputControl::inputframes))); }

// Whatever changed the text (typing, pasting, the program), the rule decides what it becomes.
void Win32InputForm::textChanged(HWND box) {
    if (ruling_ || !events_) return;
    const std::string text = toUtf8(windowText(box));
    const std::string ruled = events_->numberTextChanged(text);
    if (ruled == text) return;
    ruling_ = true;
    const std::wstring wide = toWide(ruled);
    ::SetWindowTextW(box, wide.c_str());
    ::SendMessageW(box, EM_SETSEL, wide.size(), wide.size());
    ruling_ = false;
}

LRESULT CALLBACK Win32InputForm::numberBoxProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                               DWORD_PTR data) {
    auto* form = reinterpret_cast<Win32InputForm*>(data);
    const auto accepted = [form](WPARAM code) {
        return form->events_ &&
               form->events_->characterAccepted(static_cast<std::int16_t>(static_cast<std::uint16_t>(code)));
    };
    // A typed character, its UTF-16 code read as a signed 16-bit number; a refused one is
    // swallowed, Ctrl+V (code 22) among them.
    if ((message == WM_CHAR || message == WM_IME_CHAR) && !accepted(wParam)) return 0;
    // What an input method commits goes in whole when its first character passes the filter;
    // otherwise the commit is dropped and the text stays as it was.
    if (message == WM_IME_COMPOSITION && (lParam & GCS_RESULTSTR)) {
        if (HIMC context = ::ImmGetContext(box)) {
            wchar_t committed[2] = {};
            const LONG bytes = ::ImmGetCompositionStringW(context, GCS_RESULTSTR, committed, sizeof committed);
            const bool refused = bytes >= static_cast<LONG>(sizeof(wchar_t)) && !accepted(committed[0]);
            if (refused) ::ImmNotifyIME(context, NI_COMPOSITIONSTR, CPS_CANCEL, 0);
            ::ImmReleaseContext(box, context);
            if (refused) return 0;
        }
    }
    return ::DefSubclassProc(box, message, wParam, lParam);
}

LRESULT Win32InputForm::handle(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND: {
            const int id = LOWORD(wParam), code = HIWORD(wParam);
            // Enter and Escape arrive as IDOK and IDCANCEL: there is no default button, so nothing.
            if (!events_) return 0;
            if (id == controlId(index(InputControl::inputok)) && code == BN_CLICKED) events_->appendShow();
            if (code == EN_CHANGE) textChanged(reinterpret_cast<HWND>(lParam));
            return 0;
        }
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLOREDIT:
            if (HBRUSH brush = controlColours(inputFormLayout, message, reinterpret_cast<HDC>(wParam),
                                              reinterpret_cast<HWND>(lParam), ::GetSysColorBrush(COLOR_BTNFACE),
                                              ::GetSysColor(COLOR_BTNFACE), white_))
                return reinterpret_cast<LRESULT>(brush);
            break;
        case WM_CONTEXTMENU: {
            // 预览 for the waiting file, with the numbers as typed, anywhere in the client area; the
            // text boxes have their own menu, the title bar the window's.
            RECT client{};
            ::GetClientRect(hwnd, &client);
            const POINT at = contextMenuPoint(lParam, hwnd, client);
            POINT inside = at;
            ::ScreenToClient(hwnd, &inside);
            if (!::PtInRect(&client, inside)) break;
            if (previewChosen(menu_, hwnd, at) && events_) events_->previewPending();
            return 0;
        }
        case WM_CLOSE:
            // Closing cannot be refused: the session hides the dialog and discards it.
            if (events_) events_->closeInputForm();
            return 0;
        case WM_ACTIVATE:
            keepKeyboardOnActivation(hwnd, wParam, lastFocus_, control(InputControl::inputdots));
            return 0;
        default:
            break;
    }
    return ::DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace pelmora
