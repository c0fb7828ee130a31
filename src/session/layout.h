#pragma once
// The two windows as data: every control with its name, kind, text, place and look, at 96 DPI
// and relative to the client area. Each front-end turns these rows into its own controls.

#include <array>
#include <optional>
#include <span>
#include <string_view>

#include "session/rgb.h"
#include "session/texts.h"

namespace pelmora {

enum class ControlKind {
    label,         // sizes itself to its text, keeping its top-left corner
    centredLabel,  // the same, its text centred
    linkLabel,     // a label that reacts to a click, with the hand cursor
    button,
    lamp,          // a filled circle in the lamp colour
    portList,      // a drop-down list with an edit field
    dropDownList,  // a drop-down list without an edit field
    showList,      // the list box of shows
    progressBar,
    numberBox,  // a one-line text box for a whole number
};

struct ControlLayout {
    std::string_view name;
    ControlKind kind;
    std::string_view text;
    int x, y, w, h;
    double pointSize = 0;  // 0: the window's default font (宋体 9 pt)
    bool bold = false;
    std::optional<Rgb> colour = std::nullopt;  // text colour; none: the system's own
};

struct WindowLayout {
    std::string_view name;
    std::string_view title;
    int width, height;              // the client area
    std::optional<Rgb> background;  // none: the system's dialog colour
    std::span<const ControlLayout> controls;
    std::span<const std::size_t> focusOrder;  // rows, in the order Tab moves; the first has the focus
};

// The controls of each window in the order of its table: a front-end keeps what it built for
// row i at index i and reaches a control by its enumerator, never by its name.
enum class MainControl : std::size_t {
    Label3,
    open,
    comsend,
    Label4,
    coms,
    cbcom,
    opencom,
    Label1,
    cbrgb,
    Label2,
    inputcbspeed,
    datList,
    ProgressBar,
    prossstates,
    epprom,
    Label6,
    size,
    Label5,
    count
};
enum class InputControl : std::size_t {
    inputformcaption,
    Label1,
    inputdots,
    Label5,
    Label2,
    inputframes,
    Label6,
    inputok,
    count
};

namespace layout {

constexpr Rgb purple{192, 0, 192};
constexpr Rgb red{255, 0, 0};
using K = ControlKind;

inline constexpr std::array<ControlLayout, static_cast<std::size_t>(MainControl::count)> mainControls{{
    {"Label3", K::centredLabel, texts::titleLine, 280, 18, 245, 21, 15.75, true, Rgb{128, 64, 64}},
    {"open", K::button, texts::openButton, 12, 69, 127, 34},
    {"comsend", K::button, texts::sendButton, 150, 69, 115, 34},
    {"Label4", K::label, texts::portGroup, 276, 75, 65, 12, 9, true, purple},
    {"coms", K::lamp, {}, 303, 90, 10, 13},
    {"cbcom", K::portList, {}, 345, 78, 70, 22, 10.5, true, Rgb{192, 0, 0}},
    {"opencom", K::button, texts::openPort, 417, 75, 61, 28},
    {"Label1", K::centredLabel, texts::colourOrderCaption, 486, 84, 54, 14, 10.5, true, purple},
    {"cbrgb", K::dropDownList, {}, 543, 81, 94, 22, 10.5, false, purple},
    {"Label2", K::centredLabel, texts::frameTimeCaption, 651, 84, 60, 14, 10.5, true, purple},
    {"inputcbspeed", K::dropDownList, {}, 714, 81, 82, 22, 10.5, false, purple},
    {"datList", K::showList, {}, 12, 120, 781, 64},
    {"ProgressBar", K::progressBar, {}, 15, 192, 778, 13},
    {"prossstates", K::centredLabel, {}, 378, 216, 0, 0, 0, false, red},
    {"epprom", K::progressBar, {}, 648, 234, 142, 10},
    {"Label6", K::label, texts::usedMemoryCaption, 660, 246, 60, 12, 0, false, red},
    {"size", K::label, {}, 726, 246, 0, 0, 0, false, red},
    {"Label5", K::linkLabel, texts::shopCaption, 237, 240, 280, 16, 12, false, Rgb{0, 0, 255}},
}};

inline constexpr std::array<std::size_t, 7> mainFocus{
    std::size_t(MainControl::open),        std::size_t(MainControl::comsend), std::size_t(MainControl::cbcom),
    std::size_t(MainControl::opencom),     std::size_t(MainControl::datList), std::size_t(MainControl::cbrgb),
    std::size_t(MainControl::inputcbspeed)};

inline constexpr std::array<ControlLayout, static_cast<std::size_t>(InputControl::count)> inputControls{{
    {"inputformcaption", K::centredLabel, texts::inputFormCaption, 120, 15, 31, 14, 10.5, true, red},
    {"Label1", K::label, texts::dotsCaption, 18, 51, 56, 14, 10.5, false, purple},
    {"inputdots", K::numberBox, "1", 81, 48, 52, 19, 10.5, true, purple},
    {"Label5", K::label, texts::checkHint, 135, 51, 126, 12, 0, false, purple},
    {"Label2", K::label, texts::framesCaption, 18, 78, 56, 14, 10.5, false, purple},
    {"inputframes", K::numberBox, "1", 81, 75, 52, 21, 10.5, true, purple},
    {"Label6", K::label, texts::checkHint, 135, 81, 126, 12, 0, false, purple},
    {"inputok", K::button, texts::okButton, 93, 114, 76, 28},
}};

inline constexpr std::array<std::size_t, 3> inputFocus{
    std::size_t(InputControl::inputdots), std::size_t(InputControl::inputframes), std::size_t(InputControl::inputok)};

}  // namespace layout

constexpr std::size_t index(MainControl c) { return static_cast<std::size_t>(c); }
constexpr std::size_t index(InputControl c) { return static_cast<std::size_t>(c); }
static_assert(layout::mainControls[index(MainControl::Label5)].name == "Label5");
static_assert(layout::mainControls[index(MainControl::datList)].name == "datList");
static_assert(layout::inputControls[index(InputControl::inputok)].name == "inputok");

inline constexpr std::string_view defaultFontFamily = "宋体";
constexpr double defaultPointSize = 9;

extern const WindowLayout mainWindowLayout;
extern const WindowLayout inputFormLayout;

// The row of a window's control by name; nullptr when there is none.
const ControlLayout* findControl(const WindowLayout& window, std::string_view name);

}  // namespace pelmora
