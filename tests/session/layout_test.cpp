// The two windows' layout tables, written out here once: every control's name, kind, text, place,
// font and colour, each window's title, client area, background and focus order. The window tests
// of every front-end check that it builds what these tables say.

#include "session/layout.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace pelmora {
namespace {

using K = ControlKind;
constexpr Rgb purple{192, 0, 192};
constexpr Rgb red{255, 0, 0};
constexpr std::string_view hint = "(如不正确,请手动输入)";

struct Window {
    const WindowLayout& layout;
    std::string name, title;
    int width, height;
    std::optional<Rgb> background;  // none: the system's dialog colour
    std::vector<std::string> focusOrder;
    std::vector<ControlLayout> rows;
};

// clang-format off
const std::vector<Window> windows{
    {mainWindowLayout, "main", "Pelmora发送软件", 809, 265, Rgb{255, 224, 192},
     {"open", "comsend", "cbcom", "opencom", "datList", "cbrgb", "inputcbspeed"},
     {
         {"Label3", K::centredLabel, "Pelmora发送软件 Ver1.2", 280, 18, 245, 21, 15.75, true, Rgb{128, 64, 64}},
         {"open", K::button, "一.导入LED文件", 12, 69, 127, 34, 0, false, {}},
         {"comsend", K::button, "二.发送到控制器", 150, 69, 115, 34, 0, false, {}},
         {"Label4", K::label, "发送至串口", 276, 75, 65, 12, 9, true, purple},
         {"coms", K::lamp, "", 303, 90, 10, 13, 0, false, {}},
         {"cbcom", K::portList, "", 345, 78, 70, 22, 10.5, true, Rgb{192, 0, 0}},
         {"opencom", K::button, "打开串口", 417, 75, 61, 28, 0, false, {}},
         {"Label1", K::centredLabel, "RGB顺序", 486, 84, 54, 14, 10.5, true, purple},
         {"cbrgb", K::dropDownList, "", 543, 81, 94, 22, 10.5, false, purple},
         {"Label2", K::centredLabel, "每帧时间", 651, 84, 60, 14, 10.5, true, purple},
         {"inputcbspeed", K::dropDownList, "", 714, 81, 82, 22, 10.5, false, purple},
         {"datList", K::showList, "", 12, 120, 781, 64, 0, false, {}},
         {"ProgressBar", K::progressBar, "", 15, 192, 778, 13, 0, false, {}},
         {"prossstates", K::centredLabel, "", 378, 216, 0, 0, 0, false, red},
         {"epprom", K::progressBar, "", 648, 234, 142, 10, 0, false, {}},
         {"Label6", K::label, "已使用空间", 660, 246, 60, 12, 0, false, red},
         {"size", K::label, "", 726, 246, 0, 0, 0, false, red},
         {"Label5", K::linkLabel, "点此购买配套控制器或致电400-000-0000", 237, 240, 280, 16, 12, false, Rgb{0, 0, 255}},
     }},
    {inputFormLayout, "inputform", "设置参数", 269, 152, std::nullopt,
     {"inputdots", "inputframes", "inputok"},
     {
         {"inputformcaption", K::centredLabel, "参数", 120, 15, 31, 14, 10.5, true, red},
         {"Label1", K::label, "全彩点数", 18, 51, 56, 14, 10.5, false, purple},
         {"inputdots", K::numberBox, "1", 81, 48, 52, 19, 10.5, true, purple},
         {"Label5", K::label, hint, 135, 51, 126, 12, 0, false, purple},
         {"Label2", K::label, "节目帧数", 18, 78, 56, 14, 10.5, false, purple},
         {"inputframes", K::numberBox, "1", 81, 75, 52, 21, 10.5, true, purple},
         {"Label6", K::label, hint, 135, 81, 126, 12, 0, false, purple},
         {"inputok", K::button, "确定", 93, 114, 76, 28, 0, false, {}},
     }},
};
// clang-format on

TEST(LayoutTables, EachWindowHasItsTitleClientAreaBackgroundAndFocusOrder) {
    for (const Window& w : windows) {
        SCOPED_TRACE(w.name);
        EXPECT_EQ(w.layout.name, w.name);
        EXPECT_EQ(w.layout.title, w.title);
        EXPECT_EQ(w.layout.width, w.width);
        EXPECT_EQ(w.layout.height, w.height);
        EXPECT_EQ(w.layout.background, w.background);
        std::vector<std::string> focus;
        for (const std::size_t row : w.layout.focusOrder) focus.emplace_back(w.layout.controls[row].name);
        EXPECT_EQ(focus, w.focusOrder);
    }
}

TEST(LayoutTables, EveryControlHasItsKindTextPlaceFontAndColourInThisOrder) {
    for (const Window& w : windows) {
        ASSERT_EQ(w.layout.controls.size(), w.rows.size()) << w.name;
        for (std::size_t i = 0; i < w.rows.size(); ++i) {
            const ControlLayout& e = w.rows[i];
            const ControlLayout& row = w.layout.controls[i];
            SCOPED_TRACE(w.name + "." + std::string(e.name));
            EXPECT_EQ(row.name, e.name);
            EXPECT_EQ(row.kind, e.kind);
            EXPECT_EQ(row.text, e.text);
            EXPECT_EQ((std::vector<int>{row.x, row.y, row.w, row.h}), (std::vector<int>{e.x, e.y, e.w, e.h}));
            EXPECT_DOUBLE_EQ(row.pointSize, e.pointSize);
            EXPECT_EQ(row.bold, e.bold);
            EXPECT_EQ(row.colour, e.colour);
            EXPECT_EQ(findControl(w.layout, e.name), &row) << "found by its name";
        }
        EXPECT_EQ(findControl(w.layout, "nothing"), nullptr);
    }
}

}  // namespace
}  // namespace pelmora
