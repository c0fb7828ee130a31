#pragma once
// The parameter dialog as a native Win32 window owned by the main window: in front of it while
// shown, not modal. Typed characters go through the session's key filter, every edit of the
// user's to the session; Enter and Escape do nothing.

#include <windows.h>

#include <array>
#include <string>
#include <vector>

#include "session/events.h"
#include "session/layout.h"
#include "session/views.h"
#include "ui/win32/controls.h"

namespace pelmora {

class Win32InputForm : public InputForm {
public:
    // The context menu 预览 is answered by `menu`.
    Win32InputForm(ControlEvents& events, HWND owner, ContextMenu menu);
    ~Win32InputForm() override;
    Win32InputForm(const Win32InputForm&) = delete;
    Win32InputForm& operator=(const Win32InputForm&) = delete;

    HWND handle() const { return window_; }
    HWND control(InputControl c) const { return controls_[index(c)]; }
    int dpi() const { return dpi_; }

    void show() override;
    void hide() override;
    void setCaption(const std::string& text) override;
    void setNumberText(NumberField field, const std::string& text) override;

private:
    static LRESULT CALLBACK numberBoxProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
    template <class Window>
    friend LRESULT CALLBACK windowObjectProc(HWND, UINT, WPARAM, LPARAM);
    LRESULT handle(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    void place();
    void textChanged(HWND box);
    bool contextMenu(HWND hwnd, LPARAM lParam);

    ControlEvents* events_;
    ContextMenu menu_;
    HWND window_ = nullptr;
    int dpi_ = 96;
    std::array<HWND, static_cast<std::size_t>(InputControl::count)> controls_{};
    std::vector<HFONT> fonts_;
    HBRUSH white_ = nullptr;
    HWND lastFocus_ = nullptr;  // the control that gets the keyboard when the dialog is active
    // An edit box reports a text set by the program as a change too: that one is no user's edit.
    bool settingText_ = false;
    bool placed_ = false;  // up before: placed beside the main window
};

}  // namespace pelmora
