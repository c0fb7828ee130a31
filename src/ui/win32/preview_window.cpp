#include "ui/win32/preview_window.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdint>

#include "platform/win32/utf.h"
#include "session/texts.h"
#include "ui/win32/controls.h"

namespace pelmora {

namespace {

constexpr wchar_t previewClass[] = L"PelmoraPreview";
constexpr DWORD previewStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD previewExStyle = 0;
constexpr UINT_PTR frameTimer = 1;

RECT rectOf(const Area& a) { return RECT{a.x, a.y, a.right(), a.bottom()}; }

HWND createLabel(HWND parent) {
    return ::CreateWindowExW(0, WC_STATICW, L"", WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX, 0, 0, 0, 0, parent,
                             nullptr, ::GetModuleHandleW(nullptr), nullptr);
}

// The GDI objects a device context had before a drawing selected its own.
class Selected {
public:
    Selected(HDC dc, HGDIOBJ object) : dc_(dc), previous_(::SelectObject(dc, object)) {}
    ~Selected() { ::SelectObject(dc_, previous_); }
    Selected(const Selected&) = delete;
    Selected& operator=(const Selected&) = delete;

private:
    HDC dc_;
    HGDIOBJ previous_;
};

}  // namespace

Win32PreviewWindow::Win32PreviewWindow(ControlEvents& events, HWND owner) : events_(&events) {
    registerWindowClass(previewClass, windowObjectProc<Win32PreviewWindow>,
                        reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
    const std::wstring title = toWide(texts::previewTitle);
    window_ = ::CreateWindowExW(previewExStyle, previewClass, title.c_str(), previewStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                                previewLayout::width, previewLayout::height, owner, nullptr,
                                ::GetModuleHandleW(nullptr), this);
    caption_ = createLabel(window_);
    description_ = createLabel(window_);
    dpi_ = windowDpi(window_);
    place();
}

Win32PreviewWindow::~Win32PreviewWindow() {
    events_ = nullptr;
    if (window_) {
        ::KillTimer(window_, frameTimer);
        ::DestroyWindow(window_);
    }
    freeFonts(fonts_);
    if (stretched_) ::DeleteObject(stretched_);
}

void Win32PreviewWindow::place() {
    const SIZE outer = outerSize(previewLayout::width, previewLayout::height, previewStyle, previewExStyle, dpi_);
    ::SetWindowPos(window_, nullptr, 0, 0, outer.cx, outer.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    std::vector<HFONT> previous;
    previous.swap(fonts_);
    const auto placeLabel = [this](HWND label, const Area& area, HFONT font) {
        fonts_.push_back(font);
        ::SendMessageW(label, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        const RECT r = rectOf(scaled(area, dpi_));
        ::SetWindowPos(label, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                       SWP_NOZORDER | SWP_NOACTIVATE);
    };
    placeLabel(caption_, previewLayout::caption, createSongFont(previewLayout::captionPointSize, true, dpi_));
    placeLabel(description_, previewLayout::description, createSongFont(defaultPointSize, false, dpi_));
    freeFonts(previous);
    ::InvalidateRect(window_, nullptr, TRUE);
}

namespace {
UINT timerPeriod(int frameTimeMs) { return static_cast<UINT>(std::max<int>(frameTimeMs, USER_TIMER_MINIMUM)); }
}  // namespace

void Win32PreviewWindow::setFrameTime(int frameTimeMs) {
    // The same timer again: it starts over at the new period.
    if (previewShown()) ::SetTimer(window_, frameTimer, timerPeriod(frameTimeMs), nullptr);
}

void Win32PreviewWindow::showPreview(int frameTimeMs) {
    if (!previewShown()) {
        // Clear of the main window and the dialog where the screen has room; later where the user left it.
        placeBesideOwner(window_, placed_);
        placed_ = true;
    }
    ::SetTimer(window_, frameTimer, timerPeriod(frameTimeMs), nullptr);
    ::ShowWindow(window_, SW_SHOW);
    ::SetWindowPos(window_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

void Win32PreviewWindow::closePreview() {
    ::KillTimer(window_, frameTimer);
    ::ShowWindow(window_, SW_HIDE);
}

bool Win32PreviewWindow::previewShown() const { return window_ && ::IsWindowVisible(window_); }

void Win32PreviewWindow::setOverview(const std::vector<PreviewFrame>& frames) {
    overview_.set(frames);
    const RECT area = rectOf(scaled(previewLayout::overview, dpi_));
    ::InvalidateRect(window_, &area, FALSE);
}

// Stretched once for each show and DPI, so that each frame's paint only copies it: the paints
// share the thread that answers the controller during a download.
void Win32PreviewWindow::stretchOverview(int width, int height) {
    if (stretched_) ::DeleteObject(stretched_);
    const OverviewPixels& image = overview_.pixels;
    std::vector<std::uint32_t> bits;
    bits.reserve(image.pixels.size());
    for (const Rgb& c : image.pixels)
        bits.push_back(static_cast<std::uint32_t>(c.r) << 16 | static_cast<std::uint32_t>(c.g) << 8 | c.b);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = image.width;
    info.bmiHeader.biHeight = -image.height;  // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    HDC screen = ::GetDC(window_);
    HDC memory = ::CreateCompatibleDC(screen);
    stretched_ = ::CreateCompatibleBitmap(screen, width, height);
    {
        Selected bitmap(memory, stretched_);
        ::SetStretchBltMode(memory, COLORONCOLOR);
        ::StretchDIBits(memory, 0, 0, width, height, 0, 0, image.width, image.height, bits.data(), &info,
                        DIB_RGB_COLORS, SRCCOPY);
    }
    ::DeleteDC(memory);
    ::ReleaseDC(window_, screen);
    stretchedImage_ = overview_.generation;
    stretchedSize_ = SIZE{width, height};
}

void Win32PreviewWindow::setPicture(const PreviewPicture& picture) {
    // A label given its own text again would still redraw, and flicker at each frame.
    if (picture.caption != picture_.caption) ::SetWindowTextW(caption_, toWide(picture.caption).c_str());
    if (picture.description != picture_.description)
        ::SetWindowTextW(description_, toWide(picture.description).c_str());
    picture_ = picture;
    RECT below{0, scaled(previewLayout::strip, dpi_).y, 0, 0};
    RECT client{};
    ::GetClientRect(window_, &client);
    below.right = client.right;
    below.bottom = client.bottom;
    ::InvalidateRect(window_, &below, FALSE);
}

void Win32PreviewWindow::render(HDC dc) {
    Selected brush(dc, ::GetStockObject(DC_BRUSH));
    Selected pen(dc, ::GetStockObject(DC_PEN));
    for (const PreviewShape& shape : previewShapes(picture_, overview_, dpi_)) paintShape(dc, shape);
}

void Win32PreviewWindow::paintShape(HDC dc, const PreviewShape& shape) {
    using Kind = PreviewShape::Kind;
    const RECT r = rectOf(shape.area);
    const COLORREF colour = colourRef(shape.colour);
    switch (shape.kind) {
        case Kind::face: {
            // All of the client area: Wine's title bar at another DPI can leave it a little taller.
            RECT client{};
            ::GetClientRect(window_, &client);
            ::FillRect(dc, &client, ::GetSysColorBrush(COLOR_BTNFACE));
            break;
        }
        case Kind::fill:
            ::SetDCBrushColor(dc, colour);
            ::FillRect(dc, &r, static_cast<HBRUSH>(::GetStockObject(DC_BRUSH)));
            break;
        case Kind::disc:
        case Kind::ring:
        case Kind::frame:
            // The pen draws inside the area: Ellipse and Rectangle leave out its right and bottom edge.
            ::SelectObject(dc, ::GetStockObject(shape.kind == Kind::disc ? DC_BRUSH : NULL_BRUSH));
            ::SetDCBrushColor(dc, colour);
            ::SetDCPenColor(dc, colour);
            if (shape.kind == Kind::frame)
                ::Rectangle(dc, r.left, r.top, r.right, r.bottom);
            else
                ::Ellipse(dc, r.left, r.top, r.right, r.bottom);
            break;
        case Kind::overview:
            copyOverview(dc, shape);
            break;
    }
}

void Win32PreviewWindow::copyOverview(HDC dc, const PreviewShape& shape) {
    const int width = shape.area.w, height = shape.area.h;
    if (!stretched_ || stretchedImage_ != shape.image || stretchedSize_.cx != width || stretchedSize_.cy != height)
        stretchOverview(width, height);
    HDC memory = ::CreateCompatibleDC(dc);
    {
        Selected bitmap(memory, stretched_);
        ::BitBlt(dc, shape.area.x, shape.area.y, width, height, memory, 0, 0, SRCCOPY);
    }
    ::DeleteDC(memory);
}

// Drawn off screen first and copied at once: at 10 ms a frame a direct drawing flickers.
void Win32PreviewWindow::paint() {
    PAINTSTRUCT paint{};
    HDC dc = ::BeginPaint(window_, &paint);
    RECT client{};
    ::GetClientRect(window_, &client);
    HDC memory = ::CreateCompatibleDC(dc);
    HBITMAP canvas = ::CreateCompatibleBitmap(dc, client.right, client.bottom);
    {
        Selected bitmap(memory, canvas);
        render(memory);
        ::BitBlt(dc, 0, 0, client.right, client.bottom, memory, 0, 0, SRCCOPY);
    }
    ::DeleteObject(canvas);
    ::DeleteDC(memory);
    ::EndPaint(window_, &paint);
}

LRESULT Win32PreviewWindow::handle(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_TIMER:
            if (wParam == frameTimer && events_) events_->previewTick();
            return 0;
        case WM_PAINT:
            paint();
            return 0;
        case WM_PRINTCLIENT:
            render(reinterpret_cast<HDC>(wParam));
            return 0;
        case WM_ERASEBKGND:
            return 1;  // the paint fills everything
        case WM_KEYDOWN:
            if (wParam == VK_ESCAPE) {
                ::SendMessageW(hwnd, WM_CLOSE, 0, 0);
                return 0;
            }
            break;
        case WM_CLOSE:
            // It goes as the user asks; the session then plays nothing.
            closePreview();
            if (events_) events_->previewClosed();
            return 0;
        default:
            break;
    }
    return ::DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace pelmora
