#include "ui/qt/preview_window.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QPainter>
#include <algorithm>

#include "session/preview_layout.h"
#include "session/texts.h"
#include "ui/qt/control_table.h"
#include "ui/qt/fonts.h"
#include "ui/qt/window_icon.h"

namespace pelmora {

namespace {

QRect rectOf(const Area& a) { return QRect(a.x, a.y, a.w, a.h); }
QColor colourOf(Rgb c) { return QColor(c.r, c.g, c.b); }

// The overview's pixels scaled to their area.
QImage scaledOverview(const OverviewPixels& pixels, QSize size) {
    QImage image(pixels.width, pixels.height, QImage::Format_RGB32);
    for (int y = 0; y < pixels.height; ++y)
        for (int x = 0; x < pixels.width; ++x) image.setPixelColor(x, y, colourOf(pixels.at(x, y)));
    return image.scaled(size, Qt::IgnoreAspectRatio, Qt::FastTransformation);
}

}  // namespace

PreviewWindow::PreviewWindow(ControlEvents& events, QWidget* owner)
    : QWidget(owner, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      events_(events) {
    setObjectName(QStringLiteral("preview"));
    setWindowTitle(qtText(texts::previewTitle));
    setWindowIcon(appIcon());
    setFixedSize(previewLayout::width, previewLayout::height);
    setFont(songFont());
    caption_ = new QLabel(this);
    caption_->setObjectName(QStringLiteral("previewCaption"));
    caption_->setFont(songFont(previewLayout::captionPointSize, true));
    caption_->setGeometry(rectOf(previewLayout::caption));
    description_ = new QLabel(this);
    description_->setObjectName(QStringLiteral("previewDescription"));
    description_->setGeometry(rectOf(previewLayout::description));
    connect(&timer_, &QTimer::timeout, this, [this] { events_.previewTick(); });
}

void PreviewWindow::showPreview(int frameTimeMs) {
    if (!isVisible()) {
        // Clear of the main window and the dialog where the screen has room; later where the user left it.
        placeBesideOwner(this, placed_);
        placed_ = true;
    }
    timer_.start(std::max(frameTimeMs, 1));
    show();
    raise();
    activateWindow();  // opened from the keyboard too: Escape must reach it without a click
}

void PreviewWindow::setFrameTime(int frameTimeMs) {
    if (timer_.isActive()) timer_.start(std::max(frameTimeMs, 1));
}

void PreviewWindow::closePreview() {
    timer_.stop();
    hide();
}

void PreviewWindow::setOverview(const std::vector<PreviewFrame>& frames) {
    overview_.set(frames);
    update();
}

void PreviewWindow::setPicture(const PreviewPicture& picture) {
    picture_ = picture;
    caption_->setText(QString::fromStdString(picture.caption));
    description_->setText(QString::fromStdString(picture.description));
    update();
}

QPoint PreviewWindow::dotCentre(std::size_t d) const {
    const DotPlace place = previewDotPlace(picture_.frame.dots.size(), d);
    return {place.x, place.y};
}

void PreviewWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    for (const PreviewShape& shape : previewShapes(picture_, overview_, 96)) paintShape(painter, shape);
}

void PreviewWindow::paintShape(QPainter& painter, const PreviewShape& shape) {
    using Kind = PreviewShape::Kind;
    const QRect area = rectOf(shape.area);
    const QColor colour = colourOf(shape.colour);
    switch (shape.kind) {
        case Kind::face:
            painter.fillRect(area, palette().color(QPalette::Window));
            break;
        case Kind::fill:
            painter.fillRect(area, colour);
            break;
        case Kind::disc:
            painter.setPen(Qt::NoPen);
            painter.setBrush(colour);
            painter.drawEllipse(area);
            break;
        case Kind::ring:
            painter.setPen(QPen(colour, 1));
            painter.setBrush(Qt::NoBrush);
            painter.drawEllipse(area);
            break;
        case Kind::frame:
            painter.setPen(QPen(colour, 1));
            painter.setBrush(Qt::NoBrush);
            painter.drawRect(area.adjusted(0, 0, -1, -1));  // the pen's right and bottom edge inside the area
            break;
        case Kind::overview:
            // Scaled once for each show, so that each frame's paint only copies it: the paints
            // share the thread that answers the controller during a download.
            if (scaledImage_ != shape.image || scaled_.size() != area.size()) {
                scaled_ = scaledOverview(overview_.pixels, area.size());
                scaledImage_ = shape.image;
            }
            painter.drawImage(area.topLeft(), scaled_);
            break;
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
