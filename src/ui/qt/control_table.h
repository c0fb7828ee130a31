#pragma once
// Turning the session's layout rows into Qt widgets: name, place, font and text colour.

#include <QColor>
#include <QLabel>
#include <QPalette>
#include <QString>
#include <QWidget>
#include <string_view>

#include "session/layout.h"
#include "ui/qt/fonts.h"

namespace pelmora {

inline QString qtText(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}
inline QColor qtColour(Rgb colour) { return QColor(colour.r, colour.g, colour.b); }

// Names the control, places it and gives it its font and text colour.
inline void placeControl(QWidget* control, const ControlLayout& row) {
    control->setObjectName(qtText(row.name));
    control->setGeometry(row.x, row.y, row.w, row.h);
    if (row.pointSize > 0 || row.bold) control->setFont(songFont(row.pointSize, row.bold));
    if (row.colour) {
        QPalette palette = control->palette();
        for (const auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
            palette.setColor(role, qtColour(*row.colour));
        control->setPalette(palette);
    }
}

// Labels keep their top-left corner and take the size of their text, on every new caption.
inline void setCaption(QLabel* label, const QString& text) {
    label->setText(text);
    label->adjustSize();
}

// A label of a layout row, plain or centred, placed and captioned.
inline QLabel* placeLabel(QLabel* label, const ControlLayout& row) {
    if (row.kind == ControlKind::centredLabel) label->setAlignment(Qt::AlignCenter);
    placeControl(label, row);
    setCaption(label, qtText(row.text));
    return label;
}

// The client area and the fixed border of a window of the layout.
inline void placeWindow(QWidget* window, const WindowLayout& layout) {
    window->setObjectName(qtText(layout.name));
    window->setWindowTitle(qtText(layout.title));
    window->setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                           Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    window->setFixedSize(layout.width, layout.height);
    window->setFont(songFont());
    if (layout.background) {
        QPalette palette = window->palette();
        palette.setColor(QPalette::Window, qtColour(*layout.background));
        window->setPalette(palette);
        window->setAutoFillBackground(true);
    }
}

// Tab moves through the rows in the layout's focus order; the first has the focus.
template <typename Built>
void setFocusOrder(const WindowLayout& layout, const Built& built) {
    const auto& order = layout.focusOrder;
    for (std::size_t i = 1; i < order.size(); ++i) QWidget::setTabOrder(built[order[i - 1]], built[order[i]]);
    if (!order.empty()) built[order[0]]->setFocus();
}

}  // namespace pelmora
