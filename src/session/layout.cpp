#include "session/layout.h"

#include "session/texts.h"

namespace pelmora {

const WindowLayout mainWindowLayout{
    "main", texts::windowTitle, 809, 265, Rgb{255, 224, 192}, layout::mainControls, layout::mainFocus};
const WindowLayout inputFormLayout{"inputform",           texts::inputFormTitle, 269, 152, std::nullopt,
                                   layout::inputControls, layout::inputFocus};

const ControlLayout* findControl(const WindowLayout& window, std::string_view name) {
    for (const auto& control : window.controls)
        if (control.name == name) return &control;
    return nullptr;
}

}  // namespace pelmora
