#include "ui/input_form.h"

#include <QCloseEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <array>
#include <cstdint>

#include "show/dialog_value.h"
#include "ui/control_table.h"
#include "ui/fonts.h"
#include "ui/window_icon.h"

namespace pelmora {

namespace {

// A typed character as the key filter sees it: its UTF-16 code read as a signed 16-bit number,
// so that characters from U+8000 up arrive as negative codes.
bool typedCharacterAccepted(const QString& text) {
    return text.isEmpty() || keyFilterAccepts(static_cast<std::int16_t>(text.front().unicode()));
}

enum class Kind { label, centredLabel, numberBox, button };

struct Control {
    const char* name;
    Kind kind;
    QString text;
    QRect geometry;
    TextLook look;
};

const QColor purple(192, 0, 192);
const QColor red(255, 0, 0);

}  // namespace

NumberBox::NumberBox(QWidget* parent) : QLineEdit(parent) {
    setAlignment(Qt::AlignCenter);
    connect(this, &QLineEdit::textChanged, this, &NumberBox::keepAtLeastOne);
}

void NumberBox::keyPressEvent(QKeyEvent* event) {
    // Refused characters are swallowed here, shortcuts such as Ctrl+V (code 22) among them.
    if (!typedCharacterAccepted(event->text())) {
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void NumberBox::inputMethodEvent(QInputMethodEvent* event) {
    if (typedCharacterAccepted(event->commitString())) {
        QLineEdit::inputMethodEvent(event);
        return;
    }
    // Keep the input method's composition, drop the refused commit.
    QInputMethodEvent withoutCommit(event->preeditString(), event->attributes());
    QLineEdit::inputMethodEvent(&withoutCommit);
}

void NumberBox::keepAtLeastOne(const QString& text) {
    if (belowMinimum(text.toStdString())) setText(QString::fromUtf8(minimumText.data(), minimumText.size()));
}

InputFormWindow::InputFormWindow(Events events) : QWidget(nullptr), events_(std::move(events)) {
    setObjectName(QStringLiteral("inputform"));
    setWindowTitle(QStringLiteral("设置参数"));
    setWindowIcon(appIcon());
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(269, 152);
    setFont(songFont());

    const QString hint = QStringLiteral("(如不正确,请手动输入)");
    const std::array<Control, 8> controls{{
        {"inputformcaption", Kind::centredLabel, QStringLiteral("参数"), {120, 15, 31, 14}, {10.5, true, red}},
        {"Label1", Kind::label, QStringLiteral("全彩点数"), {18, 51, 56, 14}, {10.5, false, purple}},
        {"inputdots", Kind::numberBox, QStringLiteral("1"), {81, 48, 52, 19}, {10.5, true, purple}},
        {"Label5", Kind::label, hint, {135, 51, 126, 12}, {0, false, purple}},
        {"Label2", Kind::label, QStringLiteral("节目帧数"), {18, 78, 56, 14}, {10.5, false, purple}},
        {"inputframes", Kind::numberBox, QStringLiteral("1"), {81, 75, 52, 21}, {10.5, true, purple}},
        {"Label6", Kind::label, hint, {135, 81, 126, 12}, {0, false, purple}},
        {"inputok", Kind::button, QStringLiteral("确定"), {93, 114, 76, 28}, {}},
    }};

    for (const Control& c : controls) {
        switch (c.kind) {
            case Kind::label:
            case Kind::centredLabel: {
                auto* label = new QLabel(this);
                if (c.kind == Kind::centredLabel) label->setAlignment(Qt::AlignCenter);
                placeControl(label, c.name, c.geometry, c.look);
                pelmora::setCaption(label, c.text);
                if (c.kind == Kind::centredLabel) caption_ = label;
                break;
            }
            case Kind::numberBox: {
                auto* box = new NumberBox(this);
                placeControl(box, c.name, c.geometry, c.look);
                box->setText(c.text);
                (QLatin1String(c.name) == QLatin1String("inputdots") ? dots_ : frames_) = box;
                break;
            }
            case Kind::button: {
                ok_ = new QPushButton(c.text, this);
                placeControl(ok_, c.name, c.geometry, c.look);
                break;
            }
        }
    }

    // No default button: Enter and Escape do nothing here.
    ok_->setAutoDefault(false);
    ok_->setDefault(false);
    connect(ok_, &QPushButton::clicked, this, [this] {
        if (events_.ok) events_.ok();
    });

    setTabOrder(dots_, frames_);
    setTabOrder(frames_, ok_);
    dots_->setFocus();
}

void InputFormWindow::show() {
    QWidget::show();
    raise();
}

void InputFormWindow::hide() { QWidget::hide(); }
bool InputFormWindow::isShown() const { return isVisible(); }

void InputFormWindow::setCaption(const std::string& text) {
    pelmora::setCaption(caption_, QString::fromStdString(text));
}
std::string InputFormWindow::caption() const { return caption_->text().toStdString(); }
void InputFormWindow::setDots(const std::string& text) { dots_->setText(QString::fromStdString(text)); }
std::string InputFormWindow::dots() const { return dots_->text().toStdString(); }
void InputFormWindow::setFrames(const std::string& text) { frames_->setText(QString::fromStdString(text)); }
std::string InputFormWindow::frames() const { return frames_->text().toStdString(); }

void InputFormWindow::closeEvent(QCloseEvent* event) {
    // Closing cannot be refused; the session hides the dialog, empties the status line and
    // has the main window discard it.
    event->accept();
    if (events_.closed) events_.closed();
}

}  // namespace pelmora
