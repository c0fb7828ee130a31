#pragma once
// The preview window 节目预览 as a native Win32 window owned by the main window: it plays a show's
// frames as the session hands them over, on a timer of its own. It draws and forwards; it decides
// nothing, and changes nothing of the other two windows.

#include <windows.h>

#include <vector>

#include "session/events.h"
#include "session/preview_layout.h"
#include "session/views.h"

namespace pelmora {

class Win32PreviewWindow : public PreviewView {
public:
    Win32PreviewWindow(ControlEvents& events, HWND owner);
    ~Win32PreviewWindow() override;
    Win32PreviewWindow(const Win32PreviewWindow&) = delete;
    Win32PreviewWindow& operator=(const Win32PreviewWindow&) = delete;

    HWND handle() const { return window_; }
    HWND caption() const { return caption_; }          // 第 3 / 10 帧
    HWND description() const { return description_; }  // dots, frames, bytes, start address
    int dpi() const { return dpi_; }

    void showPreview(int frameTimeMs) override;
    void setFrameTime(int frameTimeMs) override;
    void closePreview() override;
    bool previewShown() const;
    void setOverview(const std::vector<PreviewFrame>& frames) override;
    void setPicture(const PreviewPicture& picture) override;

    // Draws the client area (without the two labels) into a device context, as a paint does.
    void render(HDC dc);

private:
    template <class Window>
    friend LRESULT CALLBACK windowObjectProc(HWND, UINT, WPARAM, LPARAM);
    LRESULT handle(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    void place();
    void paintShape(HDC dc, const PreviewShape& shape);
    void copyOverview(HDC dc, const PreviewShape& shape);
    void stretchOverview(int width, int height);
    void paint();

    ControlEvents* events_;
    HWND window_ = nullptr;
    HWND caption_ = nullptr;
    HWND description_ = nullptr;
    int dpi_ = 96;
    bool placed_ = false;  // up before: placed beside the main window
    std::vector<HFONT> fonts_;
    PreviewPicture picture_;
    PreviewOverview overview_;     // kept to stretch the overview again for a new DPI
    HBITMAP stretched_ = nullptr;  // the overview stretched over its area, once for each show and DPI
    int stretchedImage_ = 0;       // the overview's generation it holds
    SIZE stretchedSize_{};
};

}  // namespace pelmora
