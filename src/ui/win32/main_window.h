#pragma once
// The main window as a native Win32 window, built from its layout table. It implements the view
// contract for the session and hands every control event to it; it holds no rule of the tool.

#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "session/events.h"
#include "session/layout.h"
#include "session/views.h"
#include "ui/win32/controls.h"
#include "ui/win32/input_form.h"
#include "ui/win32/preview_window.h"

namespace pelmora {

class Win32MainWindow : public MainView {
public:
    // endProgram runs once the window has been closed and the session shut down; by default it
    // ends the message loop, also from inside a message box's or the file dialog's own loop.
    explicit Win32MainWindow(std::function<void()> endProgram = [] { ::PostQuitMessage(0); });
    ~Win32MainWindow() override;
    Win32MainWindow(const Win32MainWindow&) = delete;
    Win32MainWindow& operator=(const Win32MainWindow&) = delete;

    void setEvents(ControlEvents& events) { events_ = &events; }
    HWND handle() const { return window_; }
    HWND control(MainControl c) const { return controls_[index(c)]; }
    int dpi() const { return dpi_; }
    void show();
    // Tab, Shift+Tab and the arrow keys between the controls of either window.
    bool dialogMessage(MSG& message);
    // Runs once, after the window has first been painted.
    void onFirstPaint(std::function<void()> run) { firstPaint_ = std::move(run); }

    InputForm& inputForm() override;
    void destroyInputForm() override;
    Win32InputForm* form() const { return form_.get(); }

    PreviewView* preview() override;
    Win32PreviewWindow* previewWindow() const { return preview_.get(); }
    // How both windows' context menus are answered: by the user, unless a test answers.
    void setContextMenu(ContextMenu menu) { contextMenu_ = std::move(menu); }

    void setStatus(const std::string& text) override;
    void addShowEntry(const ShowEntry& entry) override;
    void removeShowEntry(int position) override;
    void selectShowEntry(int position) override;
    void setUsedMemoryMaximum(int maximum) override;
    void setUsedMemory(int value, const std::string& sizeText) override;
    void setProgressRange(int minimum, int maximum) override;
    void setProgressValue(int value) override;
    void setProgressVisible(bool visible) override;
    void setPortEntries(const std::vector<std::string>& entries, int selected) override;
    void setPortListEnabled(bool enabled) override;
    void setPortTooltips(const std::vector<std::string>& tooltips) override;
    void setPortBoxTooltip(const std::string& tooltip) override;
    void setLamp(Rgb colour) override;
    void setPortButtonCaption(const std::string& text) override;
    void setColourOrderEntries(const std::vector<std::string>& entries, int selected) override;
    void setFrameTimeEntries(const std::vector<std::string>& entries, int selected) override;

    // The tooltip a control shows where the pointer is now (datList: the entry under it).
    std::wstring tooltipAt(HWND control, POINT client) const;

private:
    static LRESULT CALLBACK showListProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
    static LRESULT CALLBACK linkProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
    void colourOrderNotified(int code);
    template <class Window>
    friend LRESULT CALLBACK windowObjectProc(HWND, UINT, WPARAM, LPARAM);
    LRESULT handle(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    std::optional<LRESULT> controlMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void build();
    HWND create(std::size_t row);
    void place();  // every control at the current DPI, with its font
    void command(int row, int code);
    void drawShowEntry(const DRAWITEMSTRUCT& item);
    void drawEntryText(HDC dc, int entry, RECT row, const RECT& clip, COLORREF colour);
    void drawLamp(const DRAWITEMSTRUCT& item);
    bool tooltipNeeded(LPARAM lParam);
    void filesDropped(HDROP drop);
    int selectedEntry() const;
    void addTooltips();
    int entryAt(POINT client) const;  // the entry of datList under a point of it, -1 for none
    void showListMenu(LPARAM lParam);

    HWND window_ = nullptr;
    int dpi_ = 96;
    std::array<HWND, static_cast<std::size_t>(MainControl::count)> controls_{};
    std::vector<HFONT> fonts_;
    HBRUSH background_ = nullptr;
    HBRUSH white_ = nullptr;
    HWND tooltip_ = nullptr;
    Rgb lamp_{0, 0, 0};
    bool colourListOpen_ = false;
    int colourBeforeOpen_ = 0;
    bool linkPressed_ = false;
    HWND lastFocus_ = nullptr;
    std::wstring portBoxTooltip_;
    std::vector<ShowEntry> entries_;  // what datList's rows show
    std::wstring tooltipText_;
    LRESULT hoveredEntry_ = -1;
    int entryInkHeight_ = 1;  // the font's height, which a row of datList may be lower than
    ControlEvents* events_ = nullptr;
    std::function<void()> endProgram_;
    std::function<void()> firstPaint_;
    std::unique_ptr<Win32InputForm> form_;
    std::vector<std::unique_ptr<Win32InputForm>> retired_;
    ContextMenu contextMenu_ = popupContextMenu;
    std::unique_ptr<Win32PreviewWindow> preview_;  // made on first use
};

}  // namespace pelmora
