#pragma once
// One suite for the windows of every front-end: each control built, placed and styled as its row
// of the layout tables says (scaled for the DPI), the keyboard's order, every control event
// reaching the session with what it carries, and what the session writes shown. Each front-end's
// test implements the probe, which reads and works its own controls, and instantiates the suite.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "counting_events.h"
#include "fakes.h"
#include "led_builder.h"
#include "session/layout.h"
#include "session/session.h"
#include "session/views.h"

namespace pelmora {
inline void PrintTo(const Rgb& c, std::ostream* os) { *os << "RGB(" << +c.r << ", " << +c.g << ", " << +c.b << ')'; }
}  // namespace pelmora

namespace pelmora::testing {

// A window as a front-end built it.
struct ShownWindow {
    std::string title;
    int width = 0, height = 0;  // the client area, in pixels
};

// A control as a front-end built it, in the terms of a layout row.
struct ShownControl {
    std::optional<ControlKind> kind;  // none: no such control, or none of the table's kinds
    int x = 0, y = 0, w = 0, h = 0;   // in the window's client area, in pixels
    bool toolkitHeight = false;       // its height is the toolkit's own, not the row's
    bool fitsText = false;            // it is as large as its text in its font
    std::string text;                 // its caption, a drop-down's shown entry, a box's text
    std::vector<std::string> faces;   // the font's families, the first choice first
    double fontPixels = 0;            // the font's character height, in pixels
    bool bold = false;
    std::optional<Rgb> colour;  // the colour it draws its text in; none: the system's own
};

struct ShownBar {
    int minimum = 0, maximum = 0, value = 0;
};

class WindowProbe {
public:
    virtual ~WindowProbe() = default;
    virtual int dpi() = 0;  // the tables' 96 DPI, or the monitor's the windows are laid out for
    virtual MainView& mainView() = 0;
    virtual InputForm& dialog() = 0;  // the parameter dialog, made as the window makes it on first use

    virtual ShownWindow shownWindow(const WindowLayout& layout) = 0;
    virtual Rgb backgroundAt(const WindowLayout& layout, int x, int y) = 0;  // as the window paints it
    virtual Rgb systemDialogColour() = 0;
    virtual ShownControl control(const WindowLayout& layout, std::string_view name) = 0;
    // What only this toolkit asks of the control of a row.
    virtual void expectToolkitLook(const WindowLayout&, const ControlLayout&) {}

    // The window shown: the control that has the keyboard; the one Tab moves it to from `name`.
    virtual std::string firstFocus(const WindowLayout& layout) = 0;
    virtual std::string nextInTabOrder(const WindowLayout& layout, std::string_view name) = 0;

    // What the main window's controls show.
    virtual std::vector<std::string> entries(std::string_view name) = 0;  // a list's or a drop-down's
    virtual int selected(std::string_view name) = 0;                      // -1: none
    virtual std::string tooltip(std::string_view name, int entry) = 0;    // -1: the control's own
    virtual ShownBar bar(std::string_view name) = 0;
    virtual bool visible(const WindowLayout& layout, std::string_view name) = 0;  // "": the window
    virtual bool enabled(std::string_view name) = 0;
    virtual Rgb lampDrawn() = 0;  // the middle of coms

    // The user.
    virtual void click(const WindowLayout& layout, std::string_view name) = 0;
    virtual void doubleClickEntry(int entry) = 0;                  // on datList
    virtual void choose(std::string_view name, int position) = 0;  // an entry of a drop-down
    virtual void type(const WindowLayout& layout, std::string_view name, const std::string& text) = 0;
    virtual void openList(std::string_view name) = 0;
    virtual void close(const WindowLayout& layout) = 0;
};

inline bool isLabelKind(ControlKind kind) {
    return kind == ControlKind::label || kind == ControlKind::centredLabel || kind == ControlKind::linkLabel;
}

// A length of the tables, at 96 DPI, at another.
inline int atDpi(int length, int dpi) { return static_cast<int>(std::lround(length * dpi / 96.0)); }

// Every control of a window as its row says: kind, place, text, font and colour.
inline void expectBuiltAsTheTableSays(WindowProbe& probe, const WindowLayout& layout) {
    const int dpi = probe.dpi();
    for (const ControlLayout& row : layout.controls) {
        SCOPED_TRACE(std::string(layout.name) + "." + std::string(row.name));
        const ShownControl shown = probe.control(layout, row.name);
        ASSERT_EQ(shown.kind, row.kind);
        EXPECT_EQ(shown.x, atDpi(row.x, dpi));
        EXPECT_EQ(shown.y, atDpi(row.y, dpi));
        if (isLabelKind(row.kind)) {
            EXPECT_TRUE(shown.fitsText) << "a label takes the size of its text";
        } else {
            EXPECT_EQ(shown.w, atDpi(row.w, dpi));
            if (!shown.toolkitHeight) {
                EXPECT_EQ(shown.h, atDpi(row.h, dpi));
            }
        }
        if (!row.text.empty()) {
            EXPECT_EQ(shown.text, row.text);
        }
        EXPECT_NE(std::find(shown.faces.begin(), shown.faces.end(), "宋体"), shown.faces.end());
        const double points = row.pointSize > 0 ? row.pointSize : 9;
        EXPECT_DOUBLE_EQ(shown.fontPixels, std::round(points * dpi / 72));
        EXPECT_EQ(shown.bold, row.bold);
        if (row.colour) {
            EXPECT_EQ(shown.colour, row.colour);
        }
        probe.expectToolkitLook(layout, row);
    }
}

// Front is a front-end's fixture: a WindowProbe on the fake platform, its window wired to the
// session through CountingEvents `events`, started up; with `folder` and `programEnds`.
template <class Front>
class WindowSuite : public Front {
protected:
    const WindowLayout& main = mainWindowLayout;
    const WindowLayout& form = inputFormLayout;

    void importShow(const std::string& name, int dots, int frames) {
        this->files.choose(this->folder.write(name, makeLedFile({.dots = dots, .frames = frames})));
        this->click(main, "open");
        this->click(form, "inputok");
    }
    std::string name(const WindowLayout& layout, std::size_t row) { return std::string(layout.controls[row].name); }
};

TYPED_TEST_SUITE_P(WindowSuite);

TYPED_TEST_P(WindowSuite, EachWindowHasItsTitleClientAreaAndBackground) {
    for (const WindowLayout* layout : {&this->main, &this->form}) {
        SCOPED_TRACE(layout->name);
        const ShownWindow shown = this->shownWindow(*layout);
        EXPECT_EQ(shown.title, layout->title);
        EXPECT_EQ(shown.width, atDpi(layout->width, this->dpi()));
        EXPECT_EQ(shown.height, atDpi(layout->height, this->dpi()));
        // In corners no control covers.
        const Rgb background = layout->background.value_or(this->systemDialogColour());
        EXPECT_EQ(this->backgroundAt(*layout, 3, 3), background);
        EXPECT_EQ(this->backgroundAt(*layout, layout->width - 4, layout->height / 2), background);
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
        SCOPED_TRACE(layout->name);
        const auto& order = layout->focusOrder;
        EXPECT_EQ(this->firstFocus(*layout), this->name(*layout, order[0]));
        for (std::size_t i = 0; i < order.size(); ++i) {
            const std::string from = this->name(*layout, order[i]);
            EXPECT_EQ(this->nextInTabOrder(*layout, from), this->name(*layout, order[(i + 1) % order.size()]))
                << "after " << from;
        }
    }
}

// Each action of the user's raises its one event, with what it carries, and nothing else.
TYPED_TEST_P(WindowSuite, EveryControlEventReachesTheSessionWithWhatItCarries) {
    this->importShow("a.led", 10, 2);
    this->importShow("b.led", 10, 2);
    this->files.choose(this->folder.write("c.led", makeLedFile({.dots = 4, .frames = 3})));
    enum class Act { click, doubleClick, choose, type, openList, close };
    struct Case {
        const WindowLayout* window;
        std::string control;
        Act act;
        int position;  // the entry chosen or double-clicked
        std::string event;
        std::optional<int> carries = std::nullopt;
    };
    const WindowLayout* main = &this->main;
    const WindowLayout* form = &this->form;
    const std::vector<Case> cases{
        {main, "open", Act::click, 0, "openLedFile"},  // the parameter dialog for c.led
        {form, "inputdots", Act::type, 0, "numberTextEdited", 0},
        {form, "inputframes", Act::type, 0, "numberTextEdited", 1},
        {form, "inputok", Act::click, 0, "appendShow"},
        {main, "cbrgb", Act::choose, 2, "changeColourOrder", 2},
        {main, "inputcbspeed", Act::choose, 3, "changeFrameTime", 3},
        {main, "cbcom", Act::choose, 2, "choosePort", 2},
        {main, "cbcom", Act::type, 0, "typePortText"},
        {main, "cbcom", Act::openList, 0, "portListOpening"},
        {main, "cbrgb", Act::choose, 0, "changeColourOrder", 0},
        {main, "datList", Act::doubleClick, 1, "removeShow", 1},
        {main, "Label5", Act::click, 0, "openShopLink"},
        {main, "Label3", Act::click, 0, ""},
        {main, "Label4", Act::click, 0, ""},
        {main, "Label6", Act::click, 0, ""},
        {main, "opencom", Act::click, 0, "togglePort"},
        {main, "comsend", Act::click, 0, "send"},
        {main, "opencom", Act::click, 0, "togglePort"},
        {form, "", Act::close, 0, "closeInputForm"},
        {main, "", Act::close, 0, "shutdown"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.window->name) + "." + c.control + ": " + c.event);
        auto expected = this->events.counts;
        if (!c.event.empty()) ++expected[c.event];
        switch (c.act) {
            case Act::click:
                this->click(*c.window, c.control);
                break;
            case Act::doubleClick:
                this->doubleClickEntry(c.position);
                break;
            case Act::choose:
                this->choose(c.control, c.position);
                break;
            case Act::type:
                this->type(*c.window, c.control, "3");
                break;
            case Act::openList:
                this->openList(c.control);
                break;
            case Act::close:
                this->close(*c.window);
                break;
        }
        std::erase_if(this->events.counts, [](const auto& count) { return count.second == 0; });
        EXPECT_EQ(this->events.counts, expected);
        if (c.carries) {
            EXPECT_EQ(this->events.carried[c.event], *c.carries);
        }
    }
    EXPECT_EQ(this->entries("cbcom").size(), 16u) << "typed text adds no entry";
    EXPECT_EQ(this->web.opened, std::vector<std::string>{"https://example.com/led-controller"});
    EXPECT_EQ(this->programEnds, 1);
}

TYPED_TEST_P(WindowSuite, AfterStartUpTheListsAreFilledAndNothingIsLoaded) {
    EXPECT_EQ(this->firstFocus(this->main), "open");  // shows the window
    EXPECT_TRUE(this->entries("datList").empty());
    EXPECT_EQ(this->control(this->main, "size").text, "0.00%");
    EXPECT_EQ(this->control(this->main, "prossstates").text, "");
    EXPECT_EQ(this->control(this->main, "opencom").text, "打开串口");
    const ShownBar epprom = this->bar("epprom");
    EXPECT_EQ(std::vector<int>({epprom.minimum, epprom.maximum, epprom.value}), std::vector<int>({0, 60378, 0}));
    EXPECT_EQ(this->bar("ProgressBar").value, 0);
    EXPECT_FALSE(this->visible(this->main, "ProgressBar"));
    EXPECT_TRUE(this->visible(this->main, "epprom"));
    EXPECT_TRUE(this->visible(this->main, "datList"));
    EXPECT_EQ(this->lampDrawn(), (Rgb{0, 0, 0}));
    EXPECT_TRUE(this->enabled("cbcom"));

    std::vector<std::string> ports;
    for (int n = 1; n <= 16; ++n) ports.push_back("COM" + std::to_string(n));
    EXPECT_EQ(this->entries("cbcom"), ports);
    EXPECT_EQ(this->selected("cbcom"), 0);
    EXPECT_EQ(this->control(this->main, "cbcom").text, "COM1");
    EXPECT_EQ(this->entries("cbrgb"),
              (std::vector<std::string>{"RGB红绿蓝", "RBG红蓝绿", "GRB绿红蓝", "GBR绿蓝红", "BRG蓝红绿", "BGR蓝绿红"}));
    EXPECT_EQ(this->selected("cbrgb"), 0);
    EXPECT_EQ(this->control(this->main, "cbrgb").text, "RGB红绿蓝");
    const std::vector<std::string> times = this->entries("inputcbspeed");
    ASSERT_EQ(times.size(), 30u);
    EXPECT_EQ(times.front(), "10毫秒");
    EXPECT_EQ(times[4], "50毫秒");
    EXPECT_EQ(times.back(), "300毫秒");
    EXPECT_EQ(this->selected("inputcbspeed"), 4);
    EXPECT_EQ(this->control(this->main, "inputcbspeed").text, "50毫秒");
}

// The view contract: each control shows what the session writes, as written.
TYPED_TEST_P(WindowSuite, WhatTheSessionWritesIsShown) {
    MainView& view = this->mainView();
    view.addShowEntry({"C:\\shows\\彩虹_渐变.led", "整个路径"});
    EXPECT_EQ(this->entries("datList"), std::vector<std::string>{"C:\\shows\\彩虹_渐变.led"});
    EXPECT_EQ(this->tooltip("datList", 0), "整个路径");
    EXPECT_EQ(this->selected("datList"), -1);
    view.selectShowEntry(0);
    EXPECT_EQ(this->selected("datList"), 0);
    view.removeShowEntry(0);
    EXPECT_TRUE(this->entries("datList").empty());

    view.setUsedMemoryMaximum(60378);
    view.setUsedMemory(3000, "4.97%");
    EXPECT_EQ(this->bar("epprom").maximum, 60378);
    EXPECT_EQ(this->bar("epprom").value, 3000);
    EXPECT_EQ(this->control(this->main, "size").text, "4.97%");
    view.setProgressRange(0, 15);
    view.setProgressValue(7);
    EXPECT_EQ(this->bar("ProgressBar").maximum, 15);
    EXPECT_EQ(this->bar("ProgressBar").value, 7);
    view.setProgressVisible(true);
    EXPECT_TRUE(this->visible(this->main, "ProgressBar"));
    view.setProgressVisible(false);
    EXPECT_FALSE(this->visible(this->main, "ProgressBar"));

    view.setPortEntries({"COM1", "COM2"}, 1);
    EXPECT_EQ(this->entries("cbcom"), (std::vector<std::string>{"COM1", "COM2"}));
    EXPECT_EQ(this->selected("cbcom"), 1);
    view.setPortBoxTooltip("串口");
    EXPECT_EQ(this->tooltip("cbcom", -1), "串口");
    view.setPortListEnabled(false);
    EXPECT_FALSE(this->enabled("cbcom"));
    view.setLamp({255, 0, 0});
    EXPECT_EQ(this->lampDrawn(), (Rgb{255, 0, 0}));
    view.setPortButtonCaption("关闭串口");
    EXPECT_EQ(this->control(this->main, "opencom").text, "关闭串口");
    view.setColourOrderEntries({"RGB红绿蓝", "RBG红蓝绿"}, 1);
    EXPECT_EQ(this->control(this->main, "cbrgb").text, "RBG红蓝绿");
    view.setFrameTimeEntries({"10毫秒", "20毫秒"}, 1);
    EXPECT_EQ(this->selected("inputcbspeed"), 1);
    EXPECT_EQ(this->entries("inputcbspeed"), (std::vector<std::string>{"10毫秒", "20毫秒"}));

    // A label keeps its corner and takes the size of its new text.
    view.setStatus("开始发送中......");
    const ShownControl status = this->control(this->main, "prossstates");
    EXPECT_EQ(status.text, "开始发送中......");
    EXPECT_EQ(status.x, atDpi(378, this->dpi()));
    EXPECT_TRUE(status.fitsText);
    EXPECT_GT(status.w, 40);
    EXPECT_GT(status.h, 8);
}

TYPED_TEST_P(WindowSuite, WhatTheSessionWritesIntoTheDialogIsShownAsWritten) {
    InputForm& dialog = this->dialog();
    dialog.setCaption("输入第 1 个节目参数");
    const ShownControl caption = this->control(this->form, "inputformcaption");
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

    EXPECT_FALSE(this->visible(this->form, ""));
    dialog.show();
    EXPECT_TRUE(this->visible(this->form, ""));
    dialog.show();  // shown already: stays shown
    EXPECT_TRUE(this->visible(this->form, ""));
    dialog.hide();
    EXPECT_FALSE(this->visible(this->form, ""));
}

// The port button lights the lamp and locks the list; a send starts with the start byte and shows
// the progress bar; the button closes the port again.
TYPED_TEST_P(WindowSuite, ThePortButtonAndTheSendWorkThroughTheSession) {
    this->importShow("a.led", 10, 2);
    this->click(this->main, "opencom");
    EXPECT_TRUE(this->port.isOpen());
    EXPECT_EQ(this->port.portNumber, 1);
    EXPECT_EQ(this->lampDrawn(), (Rgb{255, 0, 0}));
    EXPECT_EQ(this->control(this->main, "opencom").text, "关闭串口");
    EXPECT_FALSE(this->enabled("cbcom"));
    this->click(this->main, "opencom");
    EXPECT_FALSE(this->port.isOpen());
    EXPECT_EQ(this->lampDrawn(), (Rgb{0, 0, 0}));
    EXPECT_EQ(this->control(this->main, "opencom").text, "打开串口");
    EXPECT_TRUE(this->enabled("cbcom"));

    this->click(this->main, "opencom");
    this->click(this->main, "comsend");
    EXPECT_EQ(this->port.written(), std::vector<std::uint8_t>{0x41}) << "the start byte";
    EXPECT_TRUE(this->visible(this->main, "ProgressBar"));
}

TYPED_TEST_P(WindowSuite, ClosingTheMainWindowShutsTheSessionDownAndEndsTheProgramOnce) {
    this->firstFocus(this->main);  // shows it
    this->files.choose(this->folder.write("a.led", makeLedFile({.dots = 10, .frames = 2})));
    this->click(this->main, "open");
    ASSERT_TRUE(this->visible(this->form, ""));
    this->close(this->main);
    EXPECT_EQ(this->programEnds, 1);
    EXPECT_EQ(this->events.counts["shutdown"], 1);
    EXPECT_FALSE(this->visible(this->main, ""));
    EXPECT_FALSE(this->visible(this->form, "")) << "the session hides the dialog";
}

REGISTER_TYPED_TEST_SUITE_P(WindowSuite, EachWindowHasItsTitleClientAreaAndBackground,
                            EveryControlIsBuiltPlacedAndStyledAsItsRowSays,
                            TheKeyboardStartsAtTheFirstControlAndTabFollowsTheFocusOrder,
                            EveryControlEventReachesTheSessionWithWhatItCarries,
                            AfterStartUpTheListsAreFilledAndNothingIsLoaded, WhatTheSessionWritesIsShown,
                            WhatTheSessionWritesIntoTheDialogIsShownAsWritten,
                            ThePortButtonAndTheSendWorkThroughTheSession,
                            ClosingTheMainWindowShutsTheSessionDownAndEndsTheProgramOnce);

}  // namespace pelmora::testing
