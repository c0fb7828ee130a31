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

NumberBox::NumberBox(ControlEvents& events, QWidget* parent) : QLineEdit(parent), events_(events) {
    setAlignment(Qt::AlignCenter);
    connect(this, &QLineEdit::textChanged, this, &NumberBox::textChangedByAnyone);
}

// A typed character as the key filter sees it: its UTF-16 code read as a signed 16-bit number,
// so that characters from U+8000 up arrive as negative codes.
bool NumberBox::accepted(const QString& typed) const {
    return typed.isEmpty() || events_.characterAccepted(static_cast<std::int16_t>(typed.front().unicode()));
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

void NumberBox::textChangedByAnyone(const QString& text) {
    const QString ruled = QString::fromStdString(events_.numberTextChanged(text.toStdString()));
    if (ruled != text) setText(ruled);
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
            auto* box = new NumberBox(events_, this);
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
void InputFormWindow::setDots(const std::string& text) { dots_->setText(QString::fromStdString(text)); }
std::string InputFormWindow::dots() const { return dots_->text().toStdString(); }
void InputFormWindow::setFrames(const std::string& text) { frames_->setText(QString::fromStdString(text)); }
std::string InputFormWindow::frames() const { return frames_->text().toStdString(); }

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
