#include "ui/qt/preview_window.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QScreen>
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
QColor colourOf(const PreviewDot& dot) { return QColor(dot.red, dot.green, dot.blue); }

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
    if (!placed_ && parentWidget()) {
        // Clear of the main window where the screen has room; later where the user leaves it.
        placed_ = true;
        const QWidget* main = parentWidget();
        const QRect frame = main->frameGeometry(), work = main->screen()->availableGeometry();
        const QSize margins = frame.size() - main->size();  // its own frame will be as wide
        const Point at = previewWindowPlace(Area{frame.x(), frame.y(), frame.width(), frame.height()},
                                            width() + margins.width(), height() + margins.height(),
                                            Area{work.x(), work.y(), work.width(), work.height()});
        move(at.x, at.y);
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
    const OverviewPixels pixels = previewOverviewPixels(frames);
    QImage image(pixels.width, pixels.height, QImage::Format_RGB32);
    for (int y = 0; y < pixels.height; ++y)
        for (int x = 0; x < pixels.width; ++x) image.setPixelColor(x, y, colourOf(pixels.at(x, y)));
    // Scaled once here, so that each frame's paint only copies it: the paints share the thread
    // that answers the controller during a download.
    overview_ = image.scaled(rectOf(previewLayout::overview).size(), Qt::IgnoreAspectRatio, Qt::FastTransformation);
    overviewRows_ = image.height();
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
    painter.fillRect(rect(), palette().color(QPalette::Window));
    painter.fillRect(rectOf(previewLayout::strip), colourOf(previewLayout::stripBackground));
    // The dots of the frame as round dots, wrapped into rows; a dot the file does not hold is an
    // empty grey ring, never a black dot.
    const auto& dots = picture_.frame.dots;
    for (std::size_t d = 0; d < dots.size(); ++d) {
        const DotPlace place = previewDotPlace(dots.size(), d);
        if (!place.fits) break;  // no more rows fit
        if (dots[d].present) {
            painter.setPen(Qt::NoPen);
            painter.setBrush(colourOf(dots[d]));
        } else {
            painter.setPen(QPen(colourOf(previewLayout::missing), 1));
            painter.setBrush(Qt::NoBrush);
        }
        painter.drawEllipse(QPoint(place.x, place.y), place.radius, place.radius);
    }
    // The whole show at a glance, the current frame marked.
    if (!overview_.isNull()) {
        painter.drawImage(QPoint(previewLayout::overview.x, previewLayout::overview.y), overview_);
        if (picture_.frames > 0 && picture_.current < overviewRows_) {
            const Area marker = previewMarker(picture_.current, overviewRows_);
            painter.setPen(QPen(colourOf(previewLayout::marker), 1));
            painter.setBrush(Qt::NoBrush);
            painter.drawRect(marker.x, marker.y, marker.w - 1, marker.h - 1);
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
