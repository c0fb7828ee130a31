#include "ui/qt/preview_window.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "session/texts.h"
#include "ui/qt/control_table.h"
#include "ui/qt/fonts.h"
#include "ui/qt/window_icon.h"

namespace pelmora {

namespace {

constexpr int windowWidth = 640, windowHeight = 400;
constexpr int margin = 10;
const QRect stripArea(margin, 56, windowWidth - 2 * margin, 190);     // the current frame's dots
const QRect overviewArea(margin, 256, windowWidth - 2 * margin, 134);  // the whole show
const QColor missingColour(160, 160, 160);

QColor colourOf(const PreviewDot& dot) { return QColor(dot.red, dot.green, dot.blue); }

}  // namespace

PreviewWindow::PreviewWindow(ControlEvents& events, QWidget* owner)
    : QWidget(owner, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      events_(events) {
    setObjectName(QStringLiteral("preview"));
    setWindowTitle(qtText(texts::previewTitle));
    setWindowIcon(appIcon());
    setFixedSize(windowWidth, windowHeight);
    setFont(songFont());
    caption_ = new QLabel(this);
    caption_->setObjectName(QStringLiteral("previewCaption"));
    caption_->setFont(songFont(10.5, true));
    caption_->setGeometry(margin, 8, windowWidth - 2 * margin, 20);
    description_ = new QLabel(this);
    description_->setObjectName(QStringLiteral("previewDescription"));
    description_->setGeometry(margin, 30, windowWidth - 2 * margin, 18);
    connect(&timer_, &QTimer::timeout, this, [this] { events_.previewTick(); });
}

void PreviewWindow::showPreview(int frameTimeMs) {
    timer_.start(std::max(frameTimeMs, 1));
    show();
    raise();
}

void PreviewWindow::closePreview() {
    timer_.stop();
    hide();
}

void PreviewWindow::setOverview(const std::vector<PreviewFrame>& frames) {
    std::size_t width = 1;
    for (const auto& frame : frames) width = std::max(width, frame.dots.size());
    QImage image(static_cast<int>(width), std::max<int>(static_cast<int>(frames.size()), 1), QImage::Format_RGB32);
    image.fill(Qt::white);
    for (std::size_t f = 0; f < frames.size(); ++f)
        for (std::size_t d = 0; d < frames[f].dots.size(); ++d) {
            const PreviewDot& dot = frames[f].dots[d];
            image.setPixelColor(static_cast<int>(d), static_cast<int>(f), dot.present ? colourOf(dot) : missingColour);
        }
    // Scaled once here, so that each frame's paint only copies it: the paints share the thread
    // that answers the controller during a download.
    overview_ = image.scaled(overviewArea.size(), Qt::IgnoreAspectRatio, Qt::FastTransformation);
    overviewRows_ = image.height();
    update();
}

void PreviewWindow::setPicture(const PreviewPicture& picture) {
    picture_ = picture;
    caption_->setText(QString::fromStdString(picture.caption));
    description_->setText(QString::fromStdString(picture.description));
    update();
}

// Dots as large as the strip allows for this many, from 3 to 12 pixels a cell.
int PreviewWindow::dotCell() const {
    const auto count = std::max<std::size_t>(picture_.frame.dots.size(), 1);
    const double fit = std::sqrt(double(stripArea.width()) * stripArea.height() / double(count));
    return std::clamp(static_cast<int>(fit), 3, 12);
}

QPoint PreviewWindow::dotCentre(std::size_t d) const {
    const int cell = dotCell();
    const int perRow = std::max(stripArea.width() / cell, 1);
    const int row = static_cast<int>(d) / perRow, column = static_cast<int>(d) % perRow;
    return {stripArea.left() + column * cell + cell / 2, stripArea.top() + row * cell + cell / 2};
}

void PreviewWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Window));
    painter.fillRect(stripArea, Qt::black);
    // The dots of the frame as round dots, wrapped into rows; a dot the file does not hold is an
    // empty grey ring, never a black dot.
    const int cell = dotCell();
    const int radius = std::max(cell / 2 - 1, 1);
    for (std::size_t d = 0; d < picture_.frame.dots.size(); ++d) {
        const QPoint centre = dotCentre(d);
        if (centre.y() + radius > stripArea.bottom()) break;  // no more rows fit
        const PreviewDot& dot = picture_.frame.dots[d];
        if (dot.present) {
            painter.setPen(Qt::NoPen);
            painter.setBrush(colourOf(dot));
        } else {
            painter.setPen(QPen(missingColour, 1));
            painter.setBrush(Qt::NoBrush);
        }
        painter.drawEllipse(centre, radius, radius);
    }
    // The whole show at a glance, the current frame marked.
    if (!overview_.isNull()) {
        painter.drawImage(overviewArea.topLeft(), overview_);
        if (picture_.frames > 0 && picture_.current < overviewRows_) {
            const double rowHeight = double(overviewArea.height()) / overviewRows_;
            const int y = overviewArea.top() + static_cast<int>(picture_.current * rowHeight);
            painter.setPen(QPen(Qt::red, 1));
            painter.setBrush(Qt::NoBrush);
            painter.drawRect(overviewArea.left() - 1, y - 1, overviewArea.width() + 1,
                             std::max(static_cast<int>(rowHeight), 1) + 1);
        }
    }
}

void PreviewWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

void PreviewWindow::closeEvent(QCloseEvent* event) {
    timer_.stop();
    event->accept();
    events_.previewClosed();
}

}  // namespace pelmora
