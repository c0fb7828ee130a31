// The two Win32 windows on the fake platform, wired to their session as the tool's wWinMain wires
// them: the suite of both front-ends (tests/support/window_suite.h) through a probe of Win32's
// own, and what only Win32 does.

#include <windows.h>
//
#include <commctrl.h>
#include <gtest/gtest.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "counting_events.h"
#include "fakes.h"
#include "led_builder.h"
#include "message_loop.h"
#include "platform/win32/utf.h"
#include "platform/win32/win32_dialogs.h"
#include "session/session.h"
#include "ui/win32/controls.h"
#include "ui/win32/main_window.h"
#include "window_suite.h"

namespace pelmora::testing {
namespace {

std::wstring className(HWND hwnd) {
    wchar_t name[64] = {};
    ::GetClassNameW(hwnd, name, 64);
    return name;
}

RECT placeInParent(HWND control) {
    RECT r{};
    ::GetWindowRect(control, &r);
    ::MapWindowPoints(HWND_DESKTOP, ::GetParent(control), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

SIZE clientSize(HWND window) {
    RECT r{};
    ::GetClientRect(window, &r);
    return {r.right, r.bottom};
}

LOGFONTW fontOf(HWND control) {
    LOGFONTW font{};
    ::GetObjectW(reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0)), sizeof font, &font);
    return font;
}

Rgb rgb(COLORREF c) { return {GetRValue(c), GetGValue(c), GetBValue(c)}; }

// The text colour the window gives a control when the control asks how to draw; none when the
// window leaves it to the system.
std::optional<Rgb> textColourOf(HWND window, HWND control, UINT message) {
    HDC dc = ::CreateCompatibleDC(nullptr);
    ::SetTextColor(dc, RGB(1, 2, 3));
    const LRESULT brush =
        ::SendMessageW(window, message, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(control));
    const COLORREF colour = ::GetTextColor(dc);
    ::DeleteDC(dc);
    return brush ? std::optional(rgb(colour)) : std::nullopt;
}

// A pixel of what a window paints when asked to (WM_ERASEBKGND, WM_PRINTCLIENT) into a bitmap.
Rgb paintedAt(HWND window, UINT message, int x, int y) {
    HDC screen = ::GetDC(nullptr);
    HDC dc = ::CreateCompatibleDC(screen);
    HBITMAP bitmap = ::CreateCompatibleBitmap(screen, x + 1, y + 1);
    HGDIOBJ previous = ::SelectObject(dc, bitmap);
    ::SendMessageW(window, message, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    const COLORREF pixel = ::GetPixel(dc, x, y);
    ::SelectObject(dc, previous);
    ::DeleteObject(bitmap);
    ::DeleteDC(dc);
    ::ReleaseDC(nullptr, screen);
    return rgb(pixel);
}

// A label as large as its text in its font.
bool fitsItsText(HWND label) {
    const std::wstring text = windowText(label);
    HDC dc = ::GetDC(label);
    HGDIOBJ previous = ::SelectObject(dc, reinterpret_cast<HGDIOBJ>(::SendMessageW(label, WM_GETFONT, 0, 0)));
    SIZE size{0, 0};
    if (!text.empty()) ::GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    ::SelectObject(dc, previous);
    ::ReleaseDC(label, dc);
    const RECT r = placeInParent(label);
    return r.right - r.left == size.cx && r.bottom - r.top == size.cy;
}

// The texts of a list box's or a combo box's entries.
std::vector<std::string> entryTexts(HWND box, UINT count, UINT length, UINT get) {
    std::vector<std::string> entries;
    for (int i = 0; i < static_cast<int>(::SendMessageW(box, count, 0, 0)); ++i) {
        std::wstring text(static_cast<std::size_t>(::SendMessageW(box, length, i, 0)) + 1, L'\0');
        text.resize(static_cast<std::size_t>(::SendMessageW(box, get, i, reinterpret_cast<LPARAM>(text.data()))));
        entries.push_back(toUtf8(text));
    }
    return entries;
}

std::optional<ControlKind> kindOf(HWND control) {
    using K = ControlKind;
    const std::wstring name = className(control);
    const auto style = static_cast<DWORD>(::GetWindowLongPtrW(control, GWL_STYLE));
    if (name == L"Static") {
        if ((style & SS_TYPEMASK) == SS_OWNERDRAW) return K::lamp;
        if ((style & SS_TYPEMASK) == SS_CENTER) return K::centredLabel;
        return style & SS_NOTIFY ? K::linkLabel : K::label;
    }
    if (name == L"ComboBox") return (style & 3) == CBS_DROPDOWN ? K::portList : K::dropDownList;
    if (name == L"Button") return K::button;
    if (name == L"ListBox") return K::showList;
    if (name == L"msctls_progress32") return K::progressBar;
    if (name == L"Edit") return K::numberBox;
    return std::nullopt;
}

class Win32WindowTest : public ::testing::Test, protected FakePlatform {
protected:
    void SetUp() override {
        window = std::make_unique<Win32MainWindow>([this] { ++programEnds; });
        // A context menu answered as the test says, item menuAnswer (none unless set).
        window->setContextMenu([this](HWND owner, POINT at, const std::vector<std::wstring>& items) {
            menus.push_back({owner, at, items});
            return menuAnswer;
        });
        session = std::make_unique<Session>(*window, platform(), folder.path().string());
        events.inner = session.get();
        window->setEvents(events);
        session->startUp();
    }
    void TearDown() override {
        session.reset();
        window.reset();
        pumpMessages();
    }
    // A key as the program's message loop hands it on: first to the windows' dialog handling.
    void key(HWND target, UINT message, WPARAM code) {
        MSG m{target, message, code, 1, 0, {}};
        if (!window->dialogMessage(m)) {
            ::TranslateMessage(&m);
            ::DispatchMessageW(&m);
        }
        pumpMessages();
    }

    // A window of the layout, the parameter dialog made as on first use; and a control of it.
    HWND top(const WindowLayout& layout) {
        if (&layout == &mainWindowLayout) return window->handle();
        window->inputForm();
        return window->form()->handle();
    }
    HWND handle(const WindowLayout& layout, std::string_view name) {
        if (name.empty()) return top(layout);
        HWND found = findControl(top(layout), layout, name);
        EXPECT_NE(found, nullptr) << "no control " << name;
        return found;
    }
    HWND control(const char* name) { return handle(mainWindowLayout, name); }
    HWND dialogControl(const char* name) { return handle(inputFormLayout, name); }
    POINT entryCentre(int entry) {
        RECT r{};
        ::SendMessageW(control("datList"), LB_GETITEMRECT, static_cast<WPARAM>(entry), reinterpret_cast<LPARAM>(&r));
        return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    }
    void click(HWND button) {
        ::SendMessageW(button, BM_CLICK, 0, 0);
        pumpMessages();
    }
    // A notification as the control sends it to its window.
    void notify(HWND control, int code) {
        ::SendMessageW(::GetParent(control), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(control), code),
                       reinterpret_cast<LPARAM>(control));
    }
    // datList's entries, as the list box holds them.
    std::vector<std::string> listEntries() {
        return entryTexts(window->control(MainControl::datList), LB_GETCOUNT, LB_GETTEXTLEN, LB_GETTEXT);
    }
    std::string ledFile(const std::string& name, int dots, int frames) {
        return folder.write(name, makeLedFile({.dots = dots, .frames = frames}));
    }
    // Open, the file dialog choosing `path`, then inputok with the preset numbers.
    // Open, the file dialog choosing `path`: the parameter dialog, or nullptr.
    HWND openDialog(const std::string& path) {
        files.choose(path);
        click(control("open"));
        return window->form() ? window->form()->handle() : nullptr;
    }
    void importShow(const std::string& path) {
        ASSERT_TRUE(openDialog(path));
        click(dialogControl("inputok"));
    }

    struct AskedMenu {
        HWND owner;
        POINT at;  // on the screen
        std::vector<std::wstring> items;
    };
    std::vector<AskedMenu> menus;
    int menuAnswer = -1;
    TempDir folder;
    CountingEvents events;
    int programEnds = 0;
    std::unique_ptr<Win32MainWindow> window;
    std::unique_ptr<Session> session;
};

// The probe of the shared suite: the Win32 windows read through their handles and worked with
// the messages the user's input sends.
class Win32Windows : public Win32WindowTest, public WindowProbe {
protected:
    using Win32WindowTest::click;
    using Win32WindowTest::control;
    int dpi() override { return window->dpi(); }
    MainView& mainView() override { return *window; }
    InputForm& dialog() override { return window->inputForm(); }
    std::string nameOf(const WindowLayout& layout, HWND hwnd) {
        const int row = controlRow(hwnd);
        if (row < 0 || ::GetAncestor(hwnd, GA_ROOT) != top(layout)) return {};
        return std::string(layout.controls[static_cast<std::size_t>(row)].name);
    }

    Shown control(const WindowLayout& layout, std::string_view name) override {
        Shown shown;
        HWND c = handle(layout, name);
        if (!c) return shown;
        shown.text = toUtf8(windowText(c));
        shown.enabled = ::IsWindowEnabled(c);
        shown.shown = ::GetWindowLongPtrW(c, GWL_STYLE) & WS_VISIBLE;
        if (name.empty()) {
            std::tie(shown.w, shown.h) = std::tuple(clientSize(c).cx, clientSize(c).cy);
            return shown;
        }
        shown.kind = kindOf(c);
        const RECT r = placeInParent(c);
        std::tie(shown.x, shown.y, shown.w, shown.h) = std::tuple(r.left, r.top, r.right - r.left, r.bottom - r.top);
        const std::wstring type = className(c);
        // A drop-down's field is as high as its font; the row's height takes in the list.
        shown.toolkitHeight = type == L"ComboBox";
        shown.fitsText = fitsItsText(c);
        const LOGFONTW font = fontOf(c);
        shown.faces = {toUtf8(font.lfFaceName)};
        shown.fontPixels = -font.lfHeight;
        shown.bold = font.lfWeight == FW_BOLD;
        shown.colour = textColourOf(top(layout), c, type == L"Static" ? WM_CTLCOLORSTATIC : WM_CTLCOLOREDIT);
        shown.tooltip = toUtf8(window->tooltipAt(c, {5, 5}));
        if (type == L"ComboBox") {
            shown.entries = entryTexts(c, CB_GETCOUNT, CB_GETLBTEXTLEN, CB_GETLBTEXT);
            shown.selected = static_cast<int>(::SendMessageW(c, CB_GETCURSEL, 0, 0));
        } else if (type == L"ListBox") {
            shown.entries = entryTexts(c, LB_GETCOUNT, LB_GETTEXTLEN, LB_GETTEXT);
            for (int i = 0; i < static_cast<int>(shown.entries.size()); ++i)
                shown.tooltips.push_back(toUtf8(window->tooltipAt(c, entryCentre(i))));
            shown.selected = static_cast<int>(::SendMessageW(c, LB_GETCURSEL, 0, 0));
            RECT inside{};
            ::GetClientRect(c, &inside);
            const auto rows = inside.bottom / std::max(static_cast<int>(::SendMessageW(c, LB_GETITEMHEIGHT, 0, 0)), 1);
            shown.entriesInSight = std::min(static_cast<int>(rows), static_cast<int>(shown.entries.size()));
            shown.scrollBar = ::GetWindowLongPtrW(c, GWL_STYLE) & (WS_HSCROLL | WS_VSCROLL);
        } else if (type == L"msctls_progress32") {
            shown.minimum = static_cast<int>(::SendMessageW(c, PBM_GETRANGE, TRUE, 0));
            shown.maximum = static_cast<int>(::SendMessageW(c, PBM_GETRANGE, FALSE, 0));
            shown.value = static_cast<int>(::SendMessageW(c, PBM_GETPOS, 0, 0));
        }
        return shown;
    }
    Rgb painted(const WindowLayout& layout, std::string_view name, int x, int y) override {
        return paintedAt(handle(layout, name), name.empty() ? WM_ERASEBKGND : WM_PRINTCLIENT, x, y);
    }
    Rgb systemDialogColour() override { return rgb(::GetSysColor(COLOR_BTNFACE)); }
    void expectToolkitLook(const WindowLayout& layout, const ControlLayout& row) override {
        HWND c = handle(layout, row.name);
        EXPECT_EQ(::GetParent(c), top(layout));
        EXPECT_EQ(fontOf(c).lfCharSet, GB2312_CHARSET);
        EXPECT_EQ(fontOf(c).lfWeight, row.bold ? FW_BOLD : FW_NORMAL);
    }

    std::string firstFocus(const WindowLayout& layout) override {
        &layout == &mainWindowLayout ? window->show() : dialog().show();
        pumpMessages();
        return nameOf(layout, ::GetFocus());
    }
    std::string nextInTabOrder(const WindowLayout& layout, std::string_view name) override {
        return nameOf(layout, ::GetNextDlgTabItem(top(layout), handle(layout, name), FALSE));
    }

    void click(const WindowLayout& layout, std::string_view name) override {
        HWND c = handle(layout, name);
        if (className(c) == L"Button") {
            ::SendMessageW(c, BM_CLICK, 0, 0);
        } else {
            ::SendMessageW(c, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
            ::SendMessageW(c, WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
        }
        pumpMessages();
    }
    void doubleClickEntry(int entry) override {
        RECT inside{};
        ::GetClientRect(control("datList"), &inside);
        const POINT at = entry < 0 ? POINT{inside.right / 2, inside.bottom - 2} : entryCentre(entry);
        for (UINT m : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP})
            ::SendMessageW(control("datList"), m, m == WM_LBUTTONUP ? 0 : MK_LBUTTON, MAKELPARAM(at.x, at.y));
        pumpMessages();
    }
    // A choice with the list closed: the box selects the entry and tells its window.
    void choose(std::string_view name, int position) override {
        ::SendMessageW(handle(mainWindowLayout, name), CB_SETCURSEL, static_cast<WPARAM>(position), 0);
        notify(handle(mainWindowLayout, name), CBN_SELCHANGE);
        pumpMessages();
    }
    void type(const WindowLayout& layout, std::string_view name, const std::string& text) override {
        send(layout, name, WM_CHAR, text);
    }
    void commit(const WindowLayout& layout, std::string_view name, const std::string& text) override {
        send(layout, name, WM_IME_CHAR, text);
    }
    // Each character to the edit field, the caret at its end.
    void send(const WindowLayout& layout, std::string_view name, UINT message, const std::string& text) {
        HWND c = handle(layout, name);
        COMBOBOXINFO parts{};
        parts.cbSize = sizeof parts;
        if (::GetComboBoxInfo(c, &parts)) c = parts.hwndItem;
        const int end = ::GetWindowTextLengthW(c);
        ::SendMessageW(c, EM_SETSEL, end, end);
        for (const wchar_t typed : toWide(text)) ::SendMessageW(c, message, typed, 1);
        pumpMessages();
    }
    void openList(std::string_view name) override {
        ::SendMessageW(handle(mainWindowLayout, name), CB_SHOWDROPDOWN, TRUE, 0);
        ::SendMessageW(handle(mainWindowLayout, name), CB_SHOWDROPDOWN, FALSE, 0);
        pumpMessages();
    }
    void close(const WindowLayout& layout) override {
        ::SendMessageW(top(layout), WM_CLOSE, 0, 0);
        pumpMessages();
    }
};

}  // namespace

INSTANTIATE_TYPED_TEST_SUITE_P(Win32, WindowSuite, Win32Windows);

namespace {

// Moved to a monitor of 144 DPI, every control grows by half, and so do the fonts.
TEST_F(Win32Windows, AtAnotherDpiEveryControlIsPlacedForIt) {
    RECT suggested{};
    ::GetWindowRect(window->handle(), &suggested);
    ::SendMessageW(window->handle(), WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
    ASSERT_EQ(dpi(), 144);
    expectBuiltAsTheTableSays(*this, mainWindowLayout);
}

// Neither window can be resized, minimised or maximised; the dialog stays in front of the main
// window, which takes input while it is up.
TEST_F(Win32WindowTest, TheWindowsAreFixedAndTheDialogIsOwnedAndNotModal) {
    HWND dialog = openDialog(ledFile("a.led", 10, 2));
    ASSERT_TRUE(dialog);
    for (HWND w : {window->handle(), dialog}) {
        const LONG_PTR style = ::GetWindowLongPtrW(w, GWL_STYLE);
        EXPECT_TRUE(style & WS_SYSMENU);
        EXPECT_FALSE(style & (WS_MAXIMIZEBOX | WS_MINIMIZEBOX | WS_THICKFRAME));
    }
    EXPECT_EQ(::GetWindow(dialog, GW_OWNER), window->handle());
    EXPECT_TRUE(::IsWindowVisible(dialog));
    EXPECT_TRUE(::IsWindowEnabled(window->handle())) << "the dialog is not modal";
}

TEST_F(Win32WindowTest, TheDialogOpensWhereItCoversNoneOfTheMainWindowsButtons) {
    HWND form = openDialog(ledFile("a.led", 10, 2));
    ASSERT_TRUE(form);
    RECT dialog{}, button{}, overlap{};
    ::GetWindowRect(form, &dialog);
    for (const char* name : {"open", "comsend", "opencom"}) {
        ::GetWindowRect(control(name), &button);
        EXPECT_FALSE(::IntersectRect(&overlap, &dialog, &button)) << name;
    }
    MONITORINFO monitor{sizeof monitor, {}, {}, 0};
    ::GetMonitorInfoW(::MonitorFromWindow(window->handle(), MONITOR_DEFAULTTONEAREST), &monitor);
    EXPECT_TRUE(::IntersectRect(&overlap, &dialog, &monitor.rcWork) && ::EqualRect(&overlap, &dialog))
        << "inside the work area";
}

// The layout tables are for 96 DPI; at 144 DPI every length is one and a half times as long.
TEST(Win32Scaling, LengthsAndFontsScaleWithTheDpi) {
    struct Case {
        int length, dpi, scaled;
    };
    const Case cases[] = {{809, 96, 809}, {809, 144, 1214}, {265, 144, 398}, {13, 144, 20},
                          {22, 120, 28},  {781, 192, 1562}, {0, 144, 0}};
    for (const Case& c : cases) {
        EXPECT_EQ(scaled(c.length, c.dpi), c.scaled) << c.length << " at " << c.dpi;
    }
    ControlLayout row{"datList", ControlKind::showList, {}, 12, 120, 781, 64};
    const RECT r = scaledRect(row, 144);
    EXPECT_EQ(r.left, 18);
    EXPECT_EQ(r.top, 180);
    EXPECT_EQ(r.right, 18 + 1172);
    EXPECT_EQ(r.bottom, 180 + 96);
    EXPECT_EQ(fontHeight(9, 96), -12);
    EXPECT_EQ(fontHeight(9, 144), -18);
    EXPECT_EQ(fontHeight(10.5, 144), -21);
    EXPECT_EQ(fontHeight(15.75, 144), -32);
}

// The shop link opens on a press let go over it: a press let go outside opens nothing; a
// double-click is two clicks.
TEST_F(Win32WindowTest, TheShopLinkOpensOnAPressLetGoOverIt) {
    HWND link = control("Label5");
    ::SendMessageW(link, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
    ::SendMessageW(link, WM_LBUTTONUP, 0, MAKELPARAM(3, 300));
    EXPECT_EQ(web.opened.size(), 0u);
    for (UINT m : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP})
        ::SendMessageW(link, m, m == WM_LBUTTONUP ? 0 : MK_LBUTTON, MAKELPARAM(3, 3));
    EXPECT_EQ(web.opened.size(), 2u);
}

// Return in cbcom's field types nothing; opening the list has the session look where each entry
// leads, and the box's tooltip says it for the entry chosen.
TEST_F(Win32WindowTest, ReturnInThePortFieldTypesNothingAndTheOpenedListTellsWhereItLeads) {
    HWND box = control("cbcom");
    COMBOBOXINFO parts{};
    parts.cbSize = sizeof parts;
    ASSERT_TRUE(::GetComboBoxInfo(box, &parts));
    ::SendMessageW(box, CB_SETCURSEL, 2, 0);
    notify(box, CBN_SELCHANGE);
    ::SendMessageW(parts.hwndItem, WM_CHAR, L'\r', 1);
    EXPECT_EQ(events.counts["typePortText"], 0) << "Return types nothing";
    EXPECT_EQ(events.counts["choosePort"], 1);

    ports.listed = {{}, {}, {"\\\\.\\COM3", "USB-SERIAL (COM3)"}};
    notify(box, CBN_DROPDOWN);
    const std::wstring tip = window->tooltipAt(box, {5, 5});
    EXPECT_NE(tip.find(L"USB-SERIAL (COM3)"), std::wstring::npos) << toUtf8(tip);
}

// A row of datList is as high as its font; below the last entry there is no tooltip.
TEST_F(Win32WindowTest, ARowOfTheListIsAsHighAsItsFontAndBelowTheEntriesThereIsNoTooltip) {
    importShow(ledFile("a.led", 5, 1));
    const auto rowHeight = static_cast<int>(::SendMessageW(control("datList"), LB_GETITEMHEIGHT, 0, 0));
    EXPECT_GE(rowHeight, 12);
    EXPECT_EQ(window->tooltipAt(control("datList"), {20, rowHeight + 2}), L"");
}

TEST_F(Win32WindowTest, TheDialogRulesEveryChangeAndOnlyItsCloseEndsIt) {
    HWND dialog = openDialog(ledFile("a.led", 10, 2));
    HWND dots = dialogControl("inputdots");
    // The minimum-one rule puts back what an edit leaves too low.
    ::SetWindowTextW(dots, L"");
    EXPECT_EQ(windowText(dots), L"1");

    // Enter and Escape do nothing; inputok hands over once; closing is the session's.
    ::SendMessageW(dialog, WM_COMMAND, IDOK, 0);
    ::SendMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(::IsWindowVisible(dialog));
    EXPECT_EQ(listEntries().size(), 0u);
    ::SendMessageW(dialog, WM_CLOSE, 0, 0);
    pumpMessages();
    EXPECT_EQ(window->form(), nullptr);
    EXPECT_EQ(listEntries().size(), 0u);
}

// Enter does nothing in either window, also on a button that has the keyboard: none is a default
// button. Escape does nothing either.
TEST_F(Win32WindowTest, EnterOnAFocusedButtonClicksNothing) {
    window->show();
    ::SetFocus(control("comsend"));
    key(control("comsend"), WM_KEYDOWN, VK_RETURN);
    key(control("comsend"), WM_CHAR, VK_RETURN);
    EXPECT_EQ(events.counts["send"], 0);
    EXPECT_TRUE(messages.shown.empty());

    openDialog(ledFile("a.led", 10, 2));
    ::SetFocus(dialogControl("inputok"));
    key(dialogControl("inputok"), WM_KEYDOWN, VK_RETURN);
    key(dialogControl("inputdots"), WM_KEYDOWN, VK_RETURN);
    key(dialogControl("inputdots"), WM_KEYDOWN, VK_ESCAPE);
    EXPECT_EQ(events.counts["appendShow"], 0);
    EXPECT_EQ(listEntries().size(), 0u);
    EXPECT_TRUE(::IsWindowVisible(window->form()->handle()));
    // Space still clicks the button that has the keyboard.
    ::SetFocus(dialogControl("inputok"));
    ::SendMessageW(dialogControl("inputok"), WM_KEYDOWN, VK_SPACE, 0);
    ::SendMessageW(dialogControl("inputok"), WM_KEYUP, VK_SPACE, 0);
    EXPECT_EQ(events.counts["appendShow"], 1);
}

// cbrgb reports a choice once, when its open list closes on an entry; arrow keys in the open
// list choose nothing yet, and Escape keeps the entry it had.
TEST_F(Win32WindowTest, TheColourOrderListReportsOneChoiceWhenItsListCloses) {
    window->show();
    HWND box = control("cbrgb");
    ::SetFocus(box);
    ::SendMessageW(box, CB_SHOWDROPDOWN, TRUE, 0);
    ::SendMessageW(box, WM_KEYDOWN, VK_DOWN, 0);
    ::SendMessageW(box, WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_EQ(events.counts["changeColourOrder"], 0);
    ::SendMessageW(box, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_EQ(events.counts["changeColourOrder"], 0);
    EXPECT_EQ(::SendMessageW(box, CB_GETCURSEL, 0, 0), 0) << "Escape keeps the entry";

    ::SendMessageW(box, CB_SHOWDROPDOWN, TRUE, 0);
    ::SendMessageW(box, WM_KEYDOWN, VK_DOWN, 0);
    ::SendMessageW(box, WM_KEYDOWN, VK_DOWN, 0);
    ::SendMessageW(box, WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_EQ(events.counts["changeColourOrder"], 1);
    EXPECT_EQ(events.carried["changeColourOrder"], 2);
    // With the list closed, each arrow key is a choice, as in Qt's list.
    ::SendMessageW(box, WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_EQ(events.counts["changeColourOrder"], 2);
    EXPECT_EQ(events.carried["changeColourOrder"], 3);
}

// After another window had the keyboard, it goes back to the control that had it.
TEST_F(Win32WindowTest, TheKeyboardComesBackToTheControlThatHadIt) {
    window->show();
    ::SetFocus(control("opencom"));
    ::SendMessageW(window->handle(), WM_ACTIVATE, WA_INACTIVE, 0);
    ::SetFocus(nullptr);
    ::SendMessageW(window->handle(), WM_ACTIVATE, WA_ACTIVE, 0);
    EXPECT_EQ(::GetFocus(), control("opencom"));
}

// While a message box is up, the parameter dialog beside the main window takes no input either:
// it cannot be closed (and freed) or clicked underneath the box.
bool formEnabledDuringBox = true;
HWND formDuringBox = nullptr;
int WINAPI recordingMessageBox(HWND, LPCWSTR, LPCWSTR, UINT) {
    formEnabledDuringBox = ::IsWindowEnabled(formDuringBox);
    return IDOK;
}

TEST_F(Win32WindowTest, AMessageBoxKeepsTheParameterDialogFromInputWhileItIsUp) {
    formDuringBox = openDialog(ledFile("a.led", 10, 2));
    Win32MessageBox box(recordingMessageBox);
    box.setOwner(window->handle());
    box.show("注意", "text", MessageBox::Icon::exclamation);
    EXPECT_FALSE(formEnabledDuringBox);
    EXPECT_TRUE(::IsWindowEnabled(formDuringBox)) << "enabled again after the box";
}

// Files dropped onto the window, as the shell hands them over: the open command with them.
HDROP dropOf(const std::vector<std::wstring>& paths) {
    std::size_t characters = 1;
    for (const auto& p : paths) characters += p.size() + 1;
    HGLOBAL memory = ::GlobalAlloc(GHND, sizeof(DROPFILES) + characters * sizeof(wchar_t));
    auto* drop = static_cast<DROPFILES*>(::GlobalLock(memory));
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = TRUE;
    auto* names = reinterpret_cast<wchar_t*>(drop + 1);
    for (const auto& p : paths) names = std::copy(p.begin(), p.end(), names) + 1;  // each ended by a NUL
    ::GlobalUnlock(memory);
    return static_cast<HDROP>(memory);
}

TEST_F(Win32WindowTest, ADroppedFileOpensLikeOneChosenInTheFileDialog) {
    EXPECT_TRUE(::GetWindowLongPtrW(window->handle(), GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
    const std::string a = ledFile("彩虹_a.led", 10, 3);
    ::SendMessageW(window->handle(), WM_DROPFILES, reinterpret_cast<WPARAM>(dropOf({toWide(a)})), 0);
    ASSERT_TRUE(window->form());
    EXPECT_TRUE(::IsWindowVisible(window->form()->handle()));
    EXPECT_TRUE(files.asked.empty());
    click(dialogControl("inputok"));
    EXPECT_EQ(listEntries(), std::vector<std::string>{a});

    ::SendMessageW(window->handle(), WM_DROPFILES,
                   reinterpret_cast<WPARAM>(dropOf({toWide(ledFile("b.led", 10, 3)), toWide(ledFile("c.led", 10, 3))})),
                   0);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, "你没有打开任何文件或找开了错误的文件!");
}

class Win32PreviewTest : public Win32WindowTest {
protected:
    // A right-click on datList at a point of it, and 预览 in the menu when one comes.
    void rightClickList(POINT client) {
        HWND list = control("datList");
        ::ClientToScreen(list, &client);
        menuAnswer = 0;
        ::SendMessageW(list, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(list), MAKELPARAM(client.x, client.y));
        pumpMessages();
    }
    void previewEntry(int entry) { rightClickList(entryCentre(entry)); }
    HWND preview() { return window->previewWindow() ? window->previewWindow()->handle() : nullptr; }
    bool shown() { return preview() && ::IsWindowVisible(preview()); }
    std::wstring caption() { return windowText(window->previewWindow()->caption()); }
    // The frame shown now, from 0, as its caption "第 k / n 帧" says. The preview may have moved on
    // by a frame before a test looks (no tick is handled while it looks).
    int shownFrame() { return std::stoi(caption().substr(2)) - 1; }
    std::wstring description() { return windowText(window->previewWindow()->description()); }
    // A pixel of the preview's client area as it paints it.
    COLORREF drawn(int x, int y) {
        const Rgb c = paintedAt(preview(), WM_PRINTCLIENT, x, y);
        return RGB(c.r, c.g, c.b);
    }
};

COLORREF filePixel(int frame, int dot) {
    return RGB(patternPixel(frame, dot, 0), patternPixel(frame, dot, 1), patternPixel(frame, dot, 2));
}

TEST_F(Win32PreviewTest, TheListsMenuPlaysThatEntrysShowInTheFilesOwnColours) {
    importShow(ledFile("a.led", 10, 4));
    importShow(ledFile("b.led", 3, 2));
    // Show 2 in colour order GRB: the preview still draws the file's red, green and blue.
    ::SendMessageW(control("cbrgb"), CB_SETCURSEL, 2, 0);
    notify(control("cbrgb"), CBN_SELCHANGE);
    ASSERT_EQ(session->table().showColourOrder(2), 2);

    const int selected = static_cast<int>(::SendMessageW(control("datList"), LB_GETCURSEL, 0, 0));
    // Below the last entry there is no menu.
    rightClickList({100, 60});
    EXPECT_TRUE(menus.empty());
    EXPECT_EQ(preview(), nullptr);

    previewEntry(1);
    ASSERT_EQ(menus.size(), 1u);
    EXPECT_EQ(menus[0].owner, window->handle());
    EXPECT_EQ(menus[0].items, std::vector<std::wstring>{L"预览"});
    ASSERT_TRUE(shown());
    EXPECT_EQ(windowText(preview()), L"节目预览");
    EXPECT_EQ(::GetWindow(preview(), GW_OWNER), window->handle());
    EXPECT_EQ(clientSize(preview()).cx, 640);
    EXPECT_EQ(clientSize(preview()).cy, 400);
    // Below the main window, where the screen has room for it there.
    RECT main{}, own{};
    ::GetWindowRect(window->handle(), &main);
    ::GetWindowRect(preview(), &own);
    MONITORINFO monitor{sizeof monitor, {}, {}, 0};
    ::GetMonitorInfoW(::MonitorFromWindow(window->handle(), MONITOR_DEFAULTTONEAREST), &monitor);
    if (main.bottom + (own.bottom - own.top) <= monitor.rcWork.bottom && main.left >= monitor.rcWork.left) {
        EXPECT_EQ(own.top, main.bottom);
        EXPECT_EQ(own.left, main.left);
    }
    const int f = shownFrame();
    ASSERT_TRUE(f == 0 || f == 1);
    EXPECT_EQ(caption(), L"第 " + std::to_wstring(f + 1) + L" / 2 帧");
    EXPECT_EQ(description(), L"点数 3  帧数 2  字节 18  起始地址 158");
    // Three dots take 12-pixel cells from the strip's corner (10, 56): dot 1's centre is (28, 62).
    EXPECT_EQ(drawn(28, 62), filePixel(f, 1));
    EXPECT_EQ(drawn(16, 62), filePixel(f, 0));
    EXPECT_EQ(drawn(100, 62), RGB(0, 0, 0)) << "the strip beyond the dots";
    // The overview below: frame 0's row in the upper half, frame 1's in the lower; dot 0's column.
    EXPECT_EQ(drawn(20, 280), filePixel(0, 0));
    EXPECT_EQ(drawn(20, 360), filePixel(1, 0));
    EXPECT_EQ(drawn(9, f == 0 ? 280 : 360), RGB(255, 0, 0)) << "the current frame marked";
    EXPECT_NE(drawn(9, f == 0 ? 360 : 280), RGB(255, 0, 0)) << "the other not";

    // It plays: the next frame comes by itself, and the main window is as it was.
    EXPECT_TRUE(runUntil([&] { return shownFrame() == 1 - f; }));
    EXPECT_GT(events.counts["previewTick"], 0);
    ::SendMessageW(control("inputcbspeed"), CB_SETCURSEL, 0, 0);
    notify(control("inputcbspeed"), CBN_SELCHANGE);
    EXPECT_EQ(events.counts["changeFrameTime"], 1) << "another frame time reaches the session";
    EXPECT_EQ(listEntries().size(), 2u);
    EXPECT_EQ(static_cast<int>(::SendMessageW(control("datList"), LB_GETCURSEL, 0, 0)), selected);
}

// Moved to a monitor of 144 DPI, it grows by half, and so do its dots and labels.
TEST_F(Win32PreviewTest, AtAnotherDpiItsAreasAndDotsScale) {
    importShow(ledFile("a.led", 3, 2));
    previewEntry(0);
    ASSERT_TRUE(shown());
    RECT suggested{};
    ::GetWindowRect(preview(), &suggested);
    ::SendMessageW(preview(), WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
    // (Only the width: Wine keeps its title bar at the system's DPI, which the frame was sized for.)
    EXPECT_EQ(clientSize(preview()).cx, 960);
    EXPECT_EQ(placeInParent(window->previewWindow()->description()).top, 45);
    EXPECT_EQ(fontOf(window->previewWindow()->caption()).lfHeight, -21);  // 10.5 pt at 144 DPI
    // Dot 1 of three at (28, 62) at 96 DPI: (42, 93); radius 5 becomes 7. The strip from (15, 84).
    EXPECT_EQ(drawn(42, 93), filePixel(shownFrame(), 1));
    EXPECT_EQ(drawn(42 + 6, 93), filePixel(shownFrame(), 1));
    EXPECT_EQ(drawn(42 + 9, 93), RGB(0, 0, 0)) << "a gap before the next dot";
    EXPECT_EQ(drawn(16, 86), RGB(0, 0, 0));
    EXPECT_EQ(drawn(13, 86), ::GetSysColor(COLOR_BTNFACE));
}

TEST_F(Win32PreviewTest, EscapeItsCloseButtonAndTheRemovalOfItsShowCloseIt) {
    importShow(ledFile("a.led", 10, 4));
    importShow(ledFile("b.led", 3, 2));
    previewEntry(0);
    ASSERT_TRUE(shown());
    key(preview(), WM_KEYDOWN, VK_ESCAPE);
    EXPECT_FALSE(shown());
    EXPECT_EQ(events.counts["previewClosed"], 1);

    previewEntry(0);
    ASSERT_TRUE(shown());
    ::SendMessageW(preview(), WM_CLOSE, 0, 0);
    EXPECT_FALSE(shown());
    EXPECT_EQ(events.counts["previewClosed"], 2);
    // Six frame times of 50 ms (the preset) go by without a tick.
    const int ticks = events.counts["previewTick"];
    const ULONGLONG until = ::GetTickCount64() + 300;
    while (::GetTickCount64() < until) spin(1);
    EXPECT_EQ(events.counts["previewTick"], ticks) << "a closed preview plays no more";

    // From the keyboard's menu key: the selected entry.
    window->selectShowEntry(0);
    ::SendMessageW(control("datList"), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(control("datList")),
                   MAKELPARAM(-1, -1));
    pumpMessages();
    ASSERT_TRUE(shown());
    EXPECT_EQ(description(), L"点数 10  帧数 4  字节 120  起始地址 38");
    RECT entry{};
    ::SendMessageW(control("datList"), LB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&entry));
    POINT below{entry.left, entry.bottom};
    ::ClientToScreen(control("datList"), &below);
    EXPECT_EQ(menus.back().at.x, below.x) << "the menu under the selected entry";
    EXPECT_EQ(menus.back().at.y, below.y);
    ::SendMessageW(control("datList"), WM_LBUTTONDBLCLK, 0, MAKELPARAM(20, 5));
    pumpMessages();
    EXPECT_EQ(listEntries().size(), 1u);
    EXPECT_FALSE(shown());
}

TEST_F(Win32PreviewTest, TheDialogsMenuPreviewsTheWaitingFileAsTyped) {
    HWND dialog = openDialog(ledFile("a.led", 4, 2));
    ASSERT_TRUE(dialog);
    // The menu key on the dialog (no point), and a right-click on one of its labels.
    menuAnswer = 0;
    ::SendMessageW(dialog, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(dialog), MAKELPARAM(-1, -1));
    pumpMessages();
    ASSERT_EQ(menus.size(), 1u);
    EXPECT_EQ(menus[0].owner, dialog);
    EXPECT_EQ(menus[0].items, std::vector<std::wstring>{L"预览"});
    POINT corner{0, 0};
    ::ClientToScreen(dialog, &corner);
    EXPECT_EQ(menus[0].at.x, corner.x) << "the menu at the dialog's corner";
    EXPECT_EQ(menus[0].at.y, corner.y);
    ASSERT_TRUE(shown());
    EXPECT_EQ(description(), L"点数 4  帧数 2  字节 24  起始地址 38");
    key(preview(), WM_KEYDOWN, VK_ESCAPE);
    HWND label = dialogControl("Label1");
    POINT onLabel{5, 5};
    ::ClientToScreen(label, &onLabel);
    ::SendMessageW(label, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(label), MAKELPARAM(onLabel.x, onLabel.y));
    pumpMessages();
    EXPECT_EQ(menus.size(), 2u);
    ASSERT_TRUE(shown());
    EXPECT_TRUE(::IsWindowVisible(dialog)) << "the dialog stays";
    // Outside the client area (the title bar keeps the window's own menu) there is no 预览.
    RECT frame{};
    ::GetWindowRect(dialog, &frame);
    ::SendMessageW(dialog, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(dialog),
                   MAKELPARAM(frame.right + 40, (frame.top + frame.bottom) / 2));
    EXPECT_EQ(menus.size(), 2u);

    // It follows the typing: 400 dots of a file that holds 2 x 512 bytes of frames. Frame 0 has
    // the file's first 341 dots; the rest is missing, an empty grey ring. In 12-pixel cells, 51
    // to a row, dot 399's centre is (520, 146).
    ::SetWindowTextW(dialogControl("inputdots"), L"400");
    pumpMessages();
    EXPECT_EQ(description(), L"点数 400  帧数 2  字节 2400  起始地址 38");
    EXPECT_EQ(drawn(16, 62), filePixel(shownFrame(), 0));
    EXPECT_EQ(drawn(520, 146), RGB(0, 0, 0)) << "a missing dot is not filled";
    EXPECT_EQ(drawn(520, 141), RGB(160, 160, 160)) << "but ringed";
}

}  // namespace
}  // namespace pelmora::testing
