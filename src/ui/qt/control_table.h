#pragma once
// Turning the session's layout rows into Qt widgets: name, place, font and text colour.

#include <QColor>
#include <QLabel>
#include <QPalette>
#include <QScreen>
#include <QString>
#include <QWidget>
#include <string_view>
#include <vector>

#include "session/layout.h"
#include "session/preview_layout.h"
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

inline Area areaOf(const QRect& r) { return Area{r.x(), r.y(), r.width(), r.height()}; }

// A window owned by the main window, as it comes up: next to the main window, clear of it and of
// the main window's other windows on screen; one that was up before where it was, if that is
// still clear (placeBeside).
inline void placeBesideOwner(QWidget* window, bool upBefore) {
    const QWidget* main = window->parentWidget();
    if (!main) return;
    std::vector<Area> shown;
    for (const QWidget* other : main->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (other != window && other->windowType() == Qt::Window && other->isVisible())
            shown.push_back(areaOf(other->frameGeometry()));
    const QRect frame = main->frameGeometry();
    const QSize margins = frame.size() - main->size();  // its own frame will be as wide
    const std::optional<Point> last = upBefore ? std::optional(Point{window->x(), window->y()}) : std::nullopt;
    const Point at = placeBeside(areaOf(frame), window->width() + margins.width(), window->height() + margins.height(),
                                 areaOf(main->screen()->availableGeometry()), shown, last);
    window->move(at.x, at.y);
}

// Tab moves through the rows in the layout's focus order; the first has the focus.
template <typename Built>
void setFocusOrder(const WindowLayout& layout, const Built& built) {
    const auto& order = layout.focusOrder;
    for (std::size_t i = 1; i < order.size(); ++i) QWidget::setTabOrder(built[order[i - 1]], built[order[i]]);
    if (!order.empty()) built[order[0]]->setFocus();
}

}  // namespace pelmora
