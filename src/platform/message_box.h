#pragma once
// A modal message box with one OK button. Returns when the user has pressed OK.

#include <string>

namespace pelmora {

class MessageBox {
public:
    enum class Icon { none, exclamation };
    virtual ~MessageBox() = default;
    virtual void show(const std::string& title, const std::string& text, Icon icon) = 0;
};

}  // namespace pelmora
