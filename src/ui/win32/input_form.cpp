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

// The caret goes to the end of the new text, where typing on continues it.
void Win32InputForm::setNumberText(NumberField field, const std::string& text) {
    HWND box = control(field == NumberField::dots ? InputControl::inputdots : InputControl::inputframes);
    const std::wstring wide = toWide(text);
    settingText_ = true;
    ::SetWindowTextW(box, wide.c_str());
    settingText_ = false;
    ::SendMessageW(box, EM_SETSEL, wide.size(), wide.size());
}

// The user typed, deleted or pasted: the session keeps the text and puts back what its rule says.
void Win32InputForm::textChanged(HWND box) {
    if (settingText_ || !events_) return;
    const NumberField field = box == control(InputControl::inputdots) ? NumberField::dots : NumberField::frames;
    events_->numberTextEdited(field, toUtf8(windowText(box)));
}

// 预览 for the waiting file, with the numbers as typed, anywhere in the client area; the text
// boxes have their own menu, the title bar the window's (false: not ours).
bool Win32InputForm::contextMenu(HWND hwnd, LPARAM lParam) {
    RECT client{};
    ::GetClientRect(hwnd, &client);
    const POINT at = contextMenuPoint(lParam, hwnd, client);
    POINT inside = at;
    ::ScreenToClient(hwnd, &inside);
    if (!::PtInRect(&client, inside)) return false;
    if (previewChosen(menu_, hwnd, at) && events_) events_->previewPending();
    return true;
}

LRESULT CALLBACK Win32InputForm::numberBoxProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                               DWORD_PTR data) {
    auto* form = reinterpret_cast<Win32InputForm*>(data);
    const auto accepted = [form](const wchar_t* typed, std::size_t length) {
        return form->events_ &&
               form->events_->typedTextAccepted(std::u16string_view(reinterpret_cast<const char16_t*>(typed), length));
    };
    // A refused character is swallowed, Ctrl+V (code 22) among them.
    const auto typed = static_cast<wchar_t>(wParam);
    if ((message == WM_CHAR || message == WM_IME_CHAR) && !accepted(&typed, 1)) return 0;
    // A refused commit of an input method is dropped and the text stays as it was.
    if (message == WM_IME_COMPOSITION && (lParam & GCS_RESULTSTR)) {
        if (HIMC context = ::ImmGetContext(box)) {
            wchar_t committed[2] = {};
            const LONG bytes = ::ImmGetCompositionStringW(context, GCS_RESULTSTR, committed, sizeof committed);
            const bool refused = bytes >= static_cast<LONG>(sizeof(wchar_t)) && !accepted(committed, 1);
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
        case WM_CONTEXTMENU:
            if (!contextMenu(hwnd, lParam)) break;
            return 0;
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
