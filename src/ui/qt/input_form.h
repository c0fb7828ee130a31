#pragma once
// The parameter dialog inputform: a small window of its own (no owner, not modal) with the two
// number boxes for dots and frames and the OK button, laid out from its table. It forwards OK,
// its closing, typed characters and the user's edits; the session keeps the texts.

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QWidget>
#include <array>

#include "session/events.h"
#include "session/layout.h"
#include "session/views.h"

namespace pelmora {

// One number box. A typed character reaches the text only when the session's key filter lets its
// code in; keys that type nothing (arrows, Delete, Home) pass. Each edit of the user's goes to
// the session, which writes the text back where its rule changes it.
class NumberBox : public QLineEdit {
    Q_OBJECT
public:
    NumberBox(ControlEvents& events, NumberField field, QWidget* parent);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;

private:
    bool accepted(const QString& typed) const;

    ControlEvents& events_;
};

class InputFormWindow : public QWidget, public InputForm {
    Q_OBJECT
public:
    explicit InputFormWindow(ControlEvents& events, QWidget* owner = nullptr);

    void show() override;
    void hide() override;
    void setCaption(const std::string& text) override;
    void setNumberText(NumberField field, const std::string& text) override;

protected:
    void closeEvent(QCloseEvent* event) override;
    // 预览 in the dialog's context menu: the waiting file with the numbers as typed.
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    QWidget* build(const ControlLayout& row);

    ControlEvents& events_;
    std::array<QWidget*, index(InputControl::count)> built_{};
    QLabel* caption_ = nullptr;
    NumberBox* dots_ = nullptr;
    NumberBox* frames_ = nullptr;
    QPushButton* ok_ = nullptr;
    bool placed_ = false;  // up before: placed beside the main window
};

}  // namespace pelmora
