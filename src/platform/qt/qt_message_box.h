#pragma once
// The message box seam on QMessageBox: modal over the main window, one OK button.

#include <QPointer>
#include <QWidget>

#include "platform/message_box.h"

namespace pelmora {

class QtMessageBox : public MessageBox {
public:
    // The owner is the main window, set once it exists.
    void setOwner(QWidget* owner) { owner_ = owner; }
    void show(const std::string& title, const std::string& text, Icon icon) override;

private:
    QPointer<QWidget> owner_;
};

}  // namespace pelmora
