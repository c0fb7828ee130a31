#pragma once
// One row of a window's control table: what a control is called, where it sits, how its text
// looks. Both windows are laid out from such tables instead of a page of setter calls.

#include <QColor>
#include <QLabel>
#include <QPalette>
#include <QRect>
#include <QString>
#include <QWidget>

#include "ui/fonts.h"

namespace pelmora {

struct TextLook {
    qreal pointSize = 0;  // 0: the window's default font
    bool bold = false;
    QColor colour;  // text colour; invalid: the style's own
};

// Names the control, places it and gives it its font and text colour.
inline void placeControl(QWidget* control, const char* name, const QRect& geometry, const TextLook& look) {
    control->setObjectName(QString::fromLatin1(name));
    control->setGeometry(geometry);
    if (look.pointSize > 0 || look.bold) control->setFont(songFont(look.pointSize, look.bold));
    if (look.colour.isValid()) {
        QPalette palette = control->palette();
        for (const auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
            palette.setColor(role, look.colour);
        control->setPalette(palette);
    }
}

// Labels keep their top-left corner and take the size of their text, on every new caption.
inline void setCaption(QLabel* label, const QString& text) {
    label->setText(text);
    label->adjustSize();
}

}  // namespace pelmora
