#pragma once
// One suite for the windows of every front-end: each control built, placed and styled as its row
// of the layout tables says (scaled for the DPI), the keyboard's order, every control event
// reaching the session with what it carries, and what the session writes shown. A front-end's
// test implements the probe, which reads and works its own controls, and instantiates the suite.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "counting_events.h"
#include "fakes.h"
#include "session/layout.h"
#include "session/session.h"
#include "session/views.h"

namespace pelmora {
inline void PrintTo(const Rgb& c, std::ostream* os) { *os << "RGB(" << +c.r << ", " << +c.g << ", " << +c.b << ')'; }
}  // namespace pelmora

namespace pelmora::testing {

// A control, or a window, as a front-end built it, in the terms of the layout tables.
struct Shown {
    std::optional<ControlKind> kind;  // none: a window, or none of the tables' kinds
    int x = 0, y = 0, w = 0, h = 0;   // in the window's client area; a window: its client area's size
    bool toolkitHeight = false;       // its height is the toolkit's own, not the row's
    bool fitsText = false;            // it is as large as its text in its font
    std::string text;                 // caption, title, a drop-down's shown entry, a box's text
    std::vector<std::string> faces;   // the font's families, the first choice first
    double fontPixels = 0;            // the font's character height
    bool bold = false;
    std::optional<Rgb> colour;                   // of its text; none: the system's own
    std::vector<std::string> entries, tooltips;  // a list's or a drop-down's, and each entry's tooltip
    int selected = -1;
    int entriesInSight = 0;  // datList's entries wholly inside it
    bool scrollBar = false;
    std::string tooltip;                      // the control's own
    int minimum = 0, maximum = 0, value = 0;  // a bar's
    bool shown = false, enabled = false;      // shown: not hidden itself; a window: on the screen
};

class WindowProbe {
public:
    virtual ~WindowProbe() = default;
    virtual int dpi() = 0;  // the tables' 96, or the DPI the windows are laid out for
    virtual MainView& mainView() = 0;
    virtual InputForm& dialog() = 0;  // the parameter dialog, made as the main window makes it on first use
    virtual Shown control(const WindowLayout& layout, std::string_view name) = 0;              // "": the window
    virtual Rgb painted(const WindowLayout& layout, std::string_view name, int x, int y) = 0;  // a pixel as drawn
    virtual Rgb systemDialogColour() = 0;
    virtual void expectToolkitLook(const WindowLayout&, const ControlLayout&) {}  // what only this toolkit asks
    // The window shown: the control with the keyboard; and the one Tab moves it to from `name`.
    virtual std::string firstFocus(const WindowLayout& layout) = 0;
    virtual std::string nextInTabOrder(const WindowLayout& layout, std::string_view name) = 0;
    // The user's actions.
    virtual void click(const WindowLayout& layout, std::string_view name) = 0;
    virtual void doubleClickEntry(int entry) = 0;                  // of datList; -1: below the entries
    virtual void choose(std::string_view name, int position) = 0;  // an entry of a drop-down
    // Typed at the end of a box, key by key; or committed by an input method.
    virtual void type(const WindowLayout& layout, std::string_view name, const std::string& text) = 0;
    virtual void commit(const WindowLayout& layout, std::string_view name, const std::string& text) = 0;
    virtual void openList(std::string_view name) = 0;
    virtual void close(const WindowLayout& layout) = 0;
};

inline int atDpi(int length, int dpi) { return static_cast<int>(std::lround(length * dpi / 96.0)); }

// Every control of a window as its row says: kind, place, text, font and colour.
inline void expectBuiltAsTheTableSays(WindowProbe& probe, const WindowLayout& layout) {
    const int dpi = probe.dpi();
    for (const ControlLayout& row : layout.controls) {
        SCOPED_TRACE(std::string(layout.name) + "." + std::string(row.name));
        const Shown shown = probe.control(layout, row.name);
        ASSERT_EQ(shown.kind, row.kind);
        EXPECT_EQ(shown.x, atDpi(row.x, dpi));
        EXPECT_EQ(shown.y, atDpi(row.y, dpi));
        const bool label = row.kind == ControlKind::label || row.kind == ControlKind::centredLabel ||
                           row.kind == ControlKind::linkLabel;
        if (label) {
            EXPECT_TRUE(shown.fitsText) << "a label takes the size of its text";
        } else {
            EXPECT_EQ(shown.w, atDpi(row.w, dpi));
            EXPECT_EQ(shown.toolkitHeight ? atDpi(row.h, dpi) : shown.h, atDpi(row.h, dpi));
        }
        EXPECT_EQ(row.text.empty() ? "" : shown.text, row.text);
        EXPECT_NE(std::find(shown.faces.begin(), shown.faces.end(), "宋体"), shown.faces.end());
        EXPECT_DOUBLE_EQ(shown.fontPixels, std::round((row.pointSize > 0 ? row.pointSize : 9) * dpi / 72));
        EXPECT_EQ(shown.bold, row.bold);
        EXPECT_EQ(row.colour ? shown.colour : std::nullopt, row.colour);
        probe.expectToolkitLook(layout, row);
    }
}

// Front: a front-end's fixture and probe on the fake platform, its window wired to the session
// through CountingEvents `events` and started up; with `folder` and `programEnds`.
template <class Front>
class WindowSuite : public Front {
protected:
    const WindowLayout& main = mainWindowLayout;
    const WindowLayout& form = inputFormLayout;

    Shown at(std::string_view name) { return this->control(main, name); }
    std::string name(const WindowLayout& layout, std::size_t row) { return std::string(layout.controls[row].name); }
};

TYPED_TEST_SUITE_P(WindowSuite);

TYPED_TEST_P(WindowSuite, EachWindowHasItsTitleClientAreaAndBackground) {
    this->dialog();
    for (const WindowLayout* layout : {&this->main, &this->form}) {
        SCOPED_TRACE(layout->name);
        const Shown shown = this->control(*layout, "");
        EXPECT_EQ(shown.text, layout->title);
        EXPECT_EQ(shown.w, atDpi(layout->width, this->dpi()));
        EXPECT_EQ(shown.h, atDpi(layout->height, this->dpi()));
        // In corners no control covers.
        const Rgb background = layout->background.value_or(this->systemDialogColour());
        EXPECT_EQ(this->painted(*layout, "", 3, 3), background);
        EXPECT_EQ(this->painted(*layout, "", layout->width - 4, layout->height / 2), background);
    }
}

TYPED_TEST_P(WindowSuite, EveryControlIsBuiltPlacedAndStyledAsItsRowSays) {
    expectBuiltAsTheTableSays(*this, this->main);
    this->dialog();
    expectBuiltAsTheTableSays(*this, this->form);
}

TYPED_TEST_P(WindowSuite, TheKeyboardStartsAtTheFirstControlAndTabFollowsTheFocusOrder) {
    this->dialog();
    for (const WindowLayout* layout : {&this->main, &this->form}) {
        const auto& order = layout->focusOrder;
        EXPECT_EQ(this->firstFocus(*layout), this->name(*layout, order[0]));
        for (std::size_t i = 0; i < order.size(); ++i)
            EXPECT_EQ(this->nextInTabOrder(*layout, this->name(*layout, order[i])),
                      this->name(*layout, order[(i + 1) % order.size()]))
                << "after " << this->name(*layout, order[i]);
    }
}

// Each action of the user's raises its one event, with what it carries, and nothing else.
TYPED_TEST_P(WindowSuite, EveryControlEventReachesTheSessionWithWhatItCarries) {
    this->importShow(this->ledFile("a.led", 10, 2));
    this->importShow(this->ledFile("b.led", 10, 2));
    this->files.choose(this->ledFile("c.led", 4, 3));
    enum class Act { click, doubleClick, choose, type, openList, close };
    struct Case {
        const WindowLayout* window;
        std::string control;
        Act act;
        std::string event;  // none: nothing reaches the session
        std::optional<int> carries = std::nullopt;
    };
    const WindowLayout* m = &this->main;
    const WindowLayout* f = &this->form;
    const std::vector<Case> cases{
        {m, "open", Act::click, "openLedFile"},  // the parameter dialog for c.led
        {f, "inputdots", Act::type, "numberTextEdited", 0},
        {f, "inputframes", Act::type, "numberTextEdited", 1},
        {f, "inputok", Act::click, "appendShow"},
        {m, "cbrgb", Act::choose, "changeColourOrder", 2},
        {m, "inputcbspeed", Act::choose, "changeFrameTime", 3},
        {m, "cbcom", Act::choose, "choosePort", 2},
        {m, "cbcom", Act::type, "typePortText"},
        {m, "cbcom", Act::openList, "portListOpening"},
        {m, "cbrgb", Act::choose, "changeColourOrder", 0},
        {m, "datList", Act::doubleClick, "removeShow", 1},
        {m, "Label5", Act::click, "openShopLink"},
        {m, "Label3", Act::click, ""},
        {m, "Label4", Act::click, ""},
        {m, "Label6", Act::click, ""},
        {m, "size", Act::click, ""},
        {m, "opencom", Act::click, "togglePort"},
        {m, "comsend", Act::click, "send"},
        {m, "opencom", Act::click, "togglePort"},
        {f, "", Act::close, "closeInputForm"},
        {m, "", Act::close, "shutdown"},
    };
    auto& counts = this->events.counts;
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.window->name) + "." + c.control + ": " + c.event);
        std::erase_if(counts, [](const auto& count) { return count.second == 0; });
        auto expected = counts;
        if (!c.event.empty()) ++expected[c.event];
        const int position = c.carries.value_or(1);
        if (c.act == Act::click)
            this->click(*c.window, c.control);
        else if (c.act == Act::doubleClick)
            this->doubleClickEntry(position);
        else if (c.act == Act::choose)
            this->choose(c.control, position);
        else if (c.act == Act::type)
            this->type(*c.window, c.control, "3");
        else if (c.act == Act::openList)
            this->openList(c.control);
        else
            this->close(*c.window);
        EXPECT_EQ(counts, expected);
        EXPECT_EQ(c.carries ? this->events.carried[c.event] : 0, c.carries.value_or(0));
    }
    EXPECT_EQ(this->at("cbcom").entries.size(), 16u) << "typed text adds no entry";
    EXPECT_EQ(this->web.opened, std::vector<std::string>{"https://example.com/led-controller"});
    EXPECT_EQ(this->programEnds, 1);
}

TYPED_TEST_P(WindowSuite, AfterStartUpTheListsAreFilledAndNothingIsLoaded) {
    EXPECT_EQ(this->firstFocus(this->main), "open");  // the window shown
    EXPECT_TRUE(this->at("datList").entries.empty());
    EXPECT_EQ(this->at("size").text, "0.00%");
    EXPECT_EQ(this->at("prossstates").text, "");
    EXPECT_EQ(this->at("opencom").text, "打开串口");
    const Shown epprom = this->at("epprom");
    EXPECT_EQ(std::vector<int>({epprom.minimum, epprom.maximum, epprom.value}), std::vector<int>({0, 60378, 0}));
    EXPECT_EQ(this->at("ProgressBar").value, 0);
    EXPECT_FALSE(this->at("ProgressBar").shown);
    EXPECT_TRUE(this->at("epprom").shown && this->at("datList").shown);
    EXPECT_EQ(this->painted(this->main, "coms", 5, 6), (Rgb{0, 0, 0})) << "the middle of the lamp";
    EXPECT_TRUE(this->at("cbcom").enabled);

    std::vector<std::string> ports;
    for (int n = 1; n <= 16; ++n) ports.push_back("COM" + std::to_string(n));
    const Shown cbcom = this->at("cbcom"), cbrgb = this->at("cbrgb"), speed = this->at("inputcbspeed");
    EXPECT_EQ(cbcom.entries, ports);
    EXPECT_EQ(cbcom.selected, 0);
    EXPECT_EQ(cbcom.text, "COM1");
    EXPECT_EQ(cbrgb.entries,
              (std::vector<std::string>{"RGB红绿蓝", "RBG红蓝绿", "GRB绿红蓝", "GBR绿蓝红", "BRG蓝红绿", "BGR蓝绿红"}));
    EXPECT_EQ(cbrgb.selected, 0);
    EXPECT_EQ(cbrgb.text, "RGB红绿蓝");
    ASSERT_EQ(speed.entries.size(), 30u);
    EXPECT_EQ(std::vector<std::string>({speed.entries[0], speed.entries[4], speed.entries[29], speed.text}),
              std::vector<std::string>({"10毫秒", "50毫秒", "300毫秒", "50毫秒"}));
    EXPECT_EQ(speed.selected, 4);
}

// The view contract: each control shows what the session writes, as written.
TYPED_TEST_P(WindowSuite, WhatTheSessionWritesIsShown) {
    MainView& view = this->mainView();
    view.addShowEntry({"C:\\shows\\彩虹_渐变.led", "整个路径"});
    EXPECT_EQ(this->at("datList").entries, std::vector<std::string>{"C:\\shows\\彩虹_渐变.led"});
    EXPECT_EQ(this->at("datList").tooltips, std::vector<std::string>{"整个路径"});
    EXPECT_EQ(this->at("datList").selected, -1);
    view.selectShowEntry(0);
    EXPECT_EQ(this->at("datList").selected, 0);
    view.removeShowEntry(0);
    EXPECT_TRUE(this->at("datList").entries.empty());

    view.setUsedMemoryMaximum(60378);
    view.setUsedMemory(3000, "4.97%");
    EXPECT_EQ(this->at("epprom").maximum, 60378);
    EXPECT_EQ(this->at("epprom").value, 3000);
    EXPECT_EQ(this->at("size").text, "4.97%");
    view.setProgressRange(0, 15);
    view.setProgressValue(7);
    view.setProgressVisible(true);
    EXPECT_EQ(this->at("ProgressBar").maximum, 15);
    EXPECT_EQ(this->at("ProgressBar").value, 7);
    EXPECT_TRUE(this->at("ProgressBar").shown);
    view.setProgressVisible(false);
    EXPECT_FALSE(this->at("ProgressBar").shown);

    view.setPortEntries({"COM1", "COM2"}, 1);
    view.setPortBoxTooltip("串口");
    view.setPortListEnabled(false);
    const Shown cbcom = this->at("cbcom");
    EXPECT_EQ(cbcom.entries, (std::vector<std::string>{"COM1", "COM2"}));
    EXPECT_EQ(cbcom.selected, 1);
    EXPECT_EQ(cbcom.tooltip, "串口");
    EXPECT_FALSE(cbcom.enabled);
    view.setLamp({255, 0, 0});
    EXPECT_EQ(this->painted(this->main, "coms", 5, 6), (Rgb{255, 0, 0}));
    view.setPortButtonCaption("关闭串口");
    EXPECT_EQ(this->at("opencom").text, "关闭串口");
    view.setColourOrderEntries({"RGB红绿蓝", "RBG红蓝绿"}, 1);
    EXPECT_EQ(this->at("cbrgb").text, "RBG红蓝绿");
    view.setFrameTimeEntries({"10毫秒", "20毫秒"}, 1);
    EXPECT_EQ(this->at("inputcbspeed").entries, (std::vector<std::string>{"10毫秒", "20毫秒"}));
    EXPECT_EQ(this->at("inputcbspeed").selected, 1);

    // A label keeps its corner and takes the size of its new text.
    view.setStatus("开始发送中......");
    const Shown status = this->at("prossstates");
    EXPECT_EQ(status.text, "开始发送中......");
    EXPECT_EQ(status.x, atDpi(378, this->dpi()));
    EXPECT_TRUE(status.fitsText);
    EXPECT_GT(status.w, 40);
    EXPECT_GT(status.h, 8);
}

TYPED_TEST_P(WindowSuite, WhatTheSessionWritesIntoTheDialogIsShownAsWritten) {
    InputForm& dialog = this->dialog();
    dialog.setCaption("输入第 1 个节目参数");
    const Shown caption = this->control(this->form, "inputformcaption");
    EXPECT_EQ(caption.text, "输入第 1 个节目参数");
    EXPECT_EQ(caption.x, atDpi(120, this->dpi()));
    EXPECT_EQ(caption.y, atDpi(15, this->dpi()));
    EXPECT_TRUE(caption.fitsText);
    EXPECT_GT(caption.w, atDpi(31, this->dpi()));
    // Its own texts are the session's already: they stand as written, and are no user's edit.
    dialog.setNumberText(NumberField::dots, "0");
    dialog.setNumberText(NumberField::frames, "2.5");
    EXPECT_EQ(this->control(this->form, "inputdots").text, "0");
    EXPECT_EQ(this->control(this->form, "inputframes").text, "2.5");
    EXPECT_EQ(this->events.counts["numberTextEdited"], 0);

    std::vector<bool> shown{this->control(this->form, "").shown};
    for (const bool show : {true, true, false}) {  // shown twice: stays shown
        show ? dialog.show() : dialog.hide();
        shown.push_back(this->control(this->form, "").shown);
    }
    EXPECT_EQ(shown, (std::vector<bool>{false, true, true, false}));
}

// The port button lights the lamp and locks the list, and closes the port again; a send starts
// with the start byte and shows the progress bar.
TYPED_TEST_P(WindowSuite, ThePortButtonAndTheSendWorkThroughTheSession) {
    this->importShow(this->ledFile("a.led", 10, 2));
    for (const bool open : {true, false}) {
        this->click(this->main, "opencom");
        EXPECT_EQ(this->port.isOpen(), open);
        EXPECT_EQ(this->painted(this->main, "coms", 5, 6), (open ? Rgb{255, 0, 0} : Rgb{0, 0, 0}));
        EXPECT_EQ(this->at("opencom").text, open ? "关闭串口" : "打开串口");
        EXPECT_EQ(this->at("cbcom").enabled, !open);
    }
    EXPECT_EQ(this->port.portNumber, 1) << "the port opened";

    this->click(this->main, "opencom");
    this->click(this->main, "comsend");
    EXPECT_EQ(this->port.written(), std::vector<std::uint8_t>{0x41}) << "the start byte";
    EXPECT_TRUE(this->at("ProgressBar").shown);
    EXPECT_EQ(this->at("prossstates").text, "开始发送中......");
}

TYPED_TEST_P(WindowSuite, ClosingTheMainWindowShutsTheSessionDownAndEndsTheProgramOnce) {
    this->firstFocus(this->main);  // the window shown
    this->files.choose(this->ledFile("a.led", 10, 2));
    this->click(this->main, "open");
    ASSERT_TRUE(this->control(this->form, "").shown);
    this->close(this->main);
    EXPECT_EQ(this->programEnds, 1);
    EXPECT_EQ(this->events.counts["shutdown"], 1);
    EXPECT_FALSE(this->control(this->main, "").shown);
    EXPECT_FALSE(this->control(this->form, "").shown) << "the session hides the dialog";
    EXPECT_EQ(this->session->table().showCount(), 0) << "the show being set up is not added";
}

// The dialog shows the numbers of each file opened, and OK lists the show.
TYPED_TEST_P(WindowSuite, OpenShowsTheFilesNumbersInTheDialogAndOkListsTheShow) {
    this->firstFocus(this->main);
    this->mainView().setStatus("旧的状态");
    const std::vector<std::string> paths{this->ledFile("first.led", 100, 10), this->ledFile("second.led", 20, 3)};
    const std::vector<std::vector<std::string>> dialogs{{"输入第 1 个节目参数", "100", "10"},
                                                        {"输入第 2 个节目参数", "20", "3"}};
    for (std::size_t i = 0; i < paths.size(); ++i) {
        this->files.choose(paths[i]);
        this->click(this->main, "open");
        EXPECT_EQ(this->files.asked.size(), i + 1) << "open asks the file dialog once";
        ASSERT_TRUE(this->control(this->form, "").shown);
        EXPECT_EQ(this->at("prossstates").text, "");
        EXPECT_EQ(std::vector<std::string>({this->control(this->form, "inputformcaption").text,
                                            this->control(this->form, "inputdots").text,
                                            this->control(this->form, "inputframes").text}),
                  dialogs[i]);
        this->click(this->form, "inputok");
        EXPECT_FALSE(this->control(this->form, "").shown);
    }
    EXPECT_TRUE(this->messages.shown.empty());
    EXPECT_EQ(this->files.asked[0].initialDir, this->folder.path().string());
    EXPECT_EQ(this->files.asked[0].filterName, "dat files (*.led)");
    EXPECT_EQ(this->files.asked[0].title, "打开led文件");
    EXPECT_EQ(this->at("datList").entries, paths);
    EXPECT_EQ(this->at("size").text, "5.27%");
    EXPECT_EQ(this->at("epprom").value, 3000 + 180);
    EXPECT_EQ(this->session->table().showCount(), 2);
}

// A long path keeps the list at five entries in sight, with no scroll bar; the text and the tooltip
// of an entry are the full path, only its drawing is shortened.
TYPED_TEST_P(WindowSuite, FiveEntriesFitWithLongPathsAndEachTooltipIsTheFullPath) {
    this->firstFocus(this->main);
    std::filesystem::create_directories(this->folder.path() / std::string(120, 'x'));
    std::vector<std::string> paths{this->ledFile(std::string(120, 'x') + "/d100_f10.led", 2, 1)};
    for (const char* name : {"b.led", "c.led", "d.led", "e.led"}) paths.push_back(this->ledFile(name, 2, 1));
    for (const std::string& path : paths) this->importShow(path);
    const Shown list = this->at("datList");
    EXPECT_EQ(list.entries, paths);
    EXPECT_EQ(list.tooltips, paths);
    EXPECT_EQ(list.entriesInSight, 5);
    EXPECT_FALSE(list.scrollBar);
}

// A double-click on an entry removes that show; below the entries, the list's selection decides.
TYPED_TEST_P(WindowSuite, ADoubleClickInTheListRemovesTheShowOfTheEntryOrOfTheSelection) {
    struct Case {
        int shows, selected, clicked;  // -1: none selected, or below the entries
        std::vector<std::string> left;
        std::string size;
    };
    const std::string a = this->ledFile("a.led", 100, 10), b = this->ledFile("b.led", 20, 3);
    for (const Case& c :
         {Case{2, -1, 0, {b}, "0.30%"}, Case{1, -1, -1, {}, "0.00%"}, Case{1, 0, -1, {}, "0.00%"},
          Case{2, 1, -1, {a}, "4.97%"}, Case{2, 0, -1, {b}, "0.30%"}, Case{2, -1, -1, {a, b}, "5.27%"}}) {
        while (this->session->table().showCount() > 0) this->session->removeShow(0);
        for (int s = 0; s < c.shows; ++s) this->importShow(s == 0 ? a : b);
        this->mainView().selectShowEntry(c.selected);
        this->doubleClickEntry(c.clicked);
        SCOPED_TRACE(std::to_string(c.shows) + " shows, selected " + std::to_string(c.selected));
        EXPECT_EQ(this->at("datList").entries, c.left);
        EXPECT_EQ(this->at("size").text, c.size);
        EXPECT_EQ(this->session->table().showCount(), static_cast<int>(c.left.size()));
    }
}

TYPED_TEST_P(WindowSuite, AChoiceInTheColourOrderListRewritesTheLoadedShows) {
    this->importShow(this->ledFile("a.led", 10, 2));
    ASSERT_EQ(this->session->table().showColourOrder(1), 0);
    this->choose("cbrgb", 1);  // RBG红蓝绿
    EXPECT_EQ(this->at("cbrgb").selected, 1);
    EXPECT_EQ(this->session->table().showColourOrder(1), 1);
}

// A typed character, or one an input method commits, reaches a number box only when the
// session's key filter lets it in.
TYPED_TEST_P(WindowSuite, TheNumberBoxesTakeOnlyWhatTheKeyFilterLetsIn) {
    InputForm& dialog = this->dialog();
    dialog.show();
    const std::string refused =
        "aZ-+. ,/:~@\r\x1b\x01\x16\x1a\x1f\u8000龍\uff10";  // 龍 and the full-width 0: codes below 0
    for (const NumberField field : {NumberField::dots, NumberField::frames}) {
        const std::string box = field == NumberField::dots ? "inputdots" : "inputframes";
        dialog.setNumberText(field, "7");
        this->type(this->form, box, refused);
        this->commit(this->form, box, "a");
        EXPECT_EQ(this->control(this->form, box).text, "7") << box;
        this->type(this->form, box, "12中\u00e9");  // 中 is 20013: codes of 127 and above pass
        this->commit(this->form, box, "4");
        this->commit(this->form, box, "一");
        EXPECT_EQ(this->control(this->form, box).text, "712中\u00e94一") << box;
    }
    EXPECT_TRUE(this->control(this->form, "").shown) << "Return and Escape neither close nor hand over";
    EXPECT_EQ(this->session->table().showCount(), 0);
}

REGISTER_TYPED_TEST_SUITE_P(
    WindowSuite, FiveEntriesFitWithLongPathsAndEachTooltipIsTheFullPath, EachWindowHasItsTitleClientAreaAndBackground,
    EveryControlIsBuiltPlacedAndStyledAsItsRowSays, TheKeyboardStartsAtTheFirstControlAndTabFollowsTheFocusOrder,
    EveryControlEventReachesTheSessionWithWhatItCarries, AfterStartUpTheListsAreFilledAndNothingIsLoaded,
    WhatTheSessionWritesIsShown, WhatTheSessionWritesIntoTheDialogIsShownAsWritten,
    ThePortButtonAndTheSendWorkThroughTheSession, ClosingTheMainWindowShutsTheSessionDownAndEndsTheProgramOnce,
    OpenShowsTheFilesNumbersInTheDialogAndOkListsTheShow, ADoubleClickInTheListRemovesTheShowOfTheEntryOrOfTheSelection,
    AChoiceInTheColourOrderListRewritesTheLoadedShows, TheNumberBoxesTakeOnlyWhatTheKeyFilterLetsIn);

}  // namespace pelmora::testing
