#pragma once
// The parameter dialog inputform: a small window of its own (no owner, not modal) with the two
// number boxes for dots and frames and the OK button. It forwards OK and its closing; the
// numbers stay texts, which the append reads.

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QWidget>
#include <functional>

#include "platform/views.h"

namespace pelmora {

// One number box. A typed character reaches the text only when the key filter lets its code in;
// keys that type nothing (arrows, Delete, Home) pass. Whatever changes the text, a value below 1
// becomes "1".
class NumberBox : public QLineEdit {
    Q_OBJECT
public:
    explicit NumberBox(QWidget* parent = nullptr);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;

private:
    void keepAtLeastOne(const QString& text);
};

class InputFormWindow : public QWidget, public InputForm {
    Q_OBJECT
public:
    struct Events {
        std::function<void()> ok;      // inputok clicked
        std::function<void()> closed;  // the user closes the dialog
    };
    explicit InputFormWindow(Events events);

    void show() override;
    void hide() override;
    bool isShown() const override;
    void setCaption(const std::string& text) override;
    std::string caption() const override;
    void setDots(const std::string& text) override;
    std::string dots() const override;
    void setFrames(const std::string& text) override;
    std::string frames() const override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    Events events_;
    QLabel* caption_ = nullptr;
    NumberBox* dots_ = nullptr;
    NumberBox* frames_ = nullptr;
    QPushButton* ok_ = nullptr;
};

}  // namespace pelmora
