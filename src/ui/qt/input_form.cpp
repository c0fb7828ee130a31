#include "ui/qt/input_form.h"

#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <cstdint>

#include "session/texts.h"
#include "ui/qt/control_table.h"
#include "ui/qt/window_icon.h"

namespace pelmora {

NumberBox::NumberBox(ControlEvents& events, NumberField field, QWidget* parent) : QLineEdit(parent), events_(events) {
    setAlignment(Qt::AlignCenter);
    // Only the user's edits: a text the session sets is its own already.
    connect(this, &QLineEdit::textEdited, this,
            [this, field](const QString& text) { events_.numberTextEdited(field, text.toStdString()); });
}

bool NumberBox::accepted(const QString& typed) const {
    return events_.typedTextAccepted(
        std::u16string_view(reinterpret_cast<const char16_t*>(typed.utf16()), static_cast<std::size_t>(typed.size())));
}

void NumberBox::keyPressEvent(QKeyEvent* event) {
    // Refused characters are swallowed here, shortcuts such as Ctrl+V (code 22) among them.
    if (!accepted(event->text())) {
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void NumberBox::inputMethodEvent(QInputMethodEvent* event) {
    if (accepted(event->commitString())) {
        QLineEdit::inputMethodEvent(event);
        return;
    }
    // Keep the input method's composition, drop the refused commit.
    QInputMethodEvent withoutCommit(event->preeditString(), event->attributes());
    QLineEdit::inputMethodEvent(&withoutCommit);
}

InputFormWindow::InputFormWindow(ControlEvents& events, QWidget* owner) : QWidget(owner), events_(events) {
    placeWindow(this, inputFormLayout);
    setWindowIcon(appIcon());
    for (std::size_t i = 0; i < inputFormLayout.controls.size(); ++i) built_[i] = build(inputFormLayout.controls[i]);

    caption_ = static_cast<QLabel*>(built_[index(InputControl::inputformcaption)]);
    dots_ = static_cast<NumberBox*>(built_[index(InputControl::inputdots)]);
    frames_ = static_cast<NumberBox*>(built_[index(InputControl::inputframes)]);
    ok_ = static_cast<QPushButton*>(built_[index(InputControl::inputok)]);

    // No default button: Enter and Escape do nothing here.
    ok_->setAutoDefault(false);
    ok_->setDefault(false);
    connect(ok_, &QPushButton::clicked, this, [this] { events_.appendShow(); });
    setFocusOrder(inputFormLayout, built_);
}

QWidget* InputFormWindow::build(const ControlLayout& row) {
    switch (row.kind) {
        case ControlKind::numberBox: {
            const bool dots = row.name == inputFormLayout.controls[index(InputControl::inputdots)].name;
            auto* box = new NumberBox(events_, dots ? NumberField::dots : NumberField::frames, this);
            placeControl(box, row);
            box->setText(qtText(row.text));
            return box;
        }
        case ControlKind::button: {
            auto* button = new QPushButton(qtText(row.text), this);
            placeControl(button, row);
            return button;
        }
        default:
            return placeLabel(new QLabel(this), row);
    }
}

void InputFormWindow::show() {
    if (!isVisible()) {
        // Clear of the main window's controls where the screen has room; later where the user left it.
        placeBesideOwner(this, placed_);
        placed_ = true;
    }
    QWidget::show();
    raise();
}

void InputFormWindow::hide() { QWidget::hide(); }

void InputFormWindow::setCaption(const std::string& text) {
    pelmora::setCaption(caption_, QString::fromStdString(text));
}
void InputFormWindow::setNumberText(NumberField field, const std::string& text) {
    (field == NumberField::dots ? dots_ : frames_)->setText(QString::fromStdString(text));
}

void InputFormWindow::contextMenuEvent(QContextMenuEvent* event) {
    auto* menu = new QMenu(this);
    menu->setObjectName(QStringLiteral("inputFormMenu"));
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->addAction(qtText(texts::previewItem), this, [this] { events_.previewPending(); });
    menu->popup(event->globalPos());
}

void InputFormWindow::closeEvent(QCloseEvent* event) {
    // Closing cannot be refused; the session hides the dialog, empties the status line and
    // has the main window discard it.
    event->accept();
    events_.closeInputForm();
}

}  // namespace pelmora
