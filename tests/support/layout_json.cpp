// layout-json: prints the session's layout tables as JSON, for the tests that drive a window from
// outside with X input: each window's title, client area and background, and each control's
// x, y, w, h in the client area at 96 DPI; the preview window's size and its overview area.

#include <cstdio>
#include <string>
#include <string_view>

#include "session/layout.h"
#include "session/preview_layout.h"

namespace {

using namespace pelmora;

std::string quoted(std::string_view text) {
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\') out += '\\';
        out += c;
    }
    return out + '"';
}

std::string box(int x, int y, int w, int h) {
    return "[" + std::to_string(x) + ", " + std::to_string(y) + ", " + std::to_string(w) + ", " + std::to_string(h) +
           "]";
}

std::string window(const WindowLayout& layout) {
    std::string out = "{\"title\": " + quoted(layout.title) + ", \"width\": " + std::to_string(layout.width) +
                      ", \"height\": " + std::to_string(layout.height) + ", \"background\": ";
    const auto& b = layout.background;
    out += b ? "[" + std::to_string(b->r) + ", " + std::to_string(b->g) + ", " + std::to_string(b->b) + "]" : "null";
    out += ", \"controls\": {";
    for (std::size_t i = 0; i < layout.controls.size(); ++i) {
        const ControlLayout& row = layout.controls[i];
        out += (i ? ", " : "") + quoted(row.name) + ": " + box(row.x, row.y, row.w, row.h);
    }
    return out + "}}";
}

}  // namespace

int main() {
    namespace p = previewLayout;
    std::printf(
        "{\"main\": %s,\n \"inputform\": %s,\n \"preview\": {\"width\": %d, \"height\": %d, \"overview\": %s}}\n",
        window(mainWindowLayout).c_str(), window(inputFormLayout).c_str(), p::width, p::height,
        box(p::overview.x, p::overview.y, p::overview.w, p::overview.h).c_str());
    return 0;
}
