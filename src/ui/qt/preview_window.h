#pragma once
// The preview window 节目预览: a window of its own, owned by the main window, that plays a show's
// frames as the session hands them over. It draws and forwards; it decides nothing.

#include <QImage>
#include <QLabel>
#include <QTimer>
#include <QWidget>
#include <vector>

#include "session/events.h"
#include "session/preview_layout.h"
#include "session/views.h"

namespace pelmora {

class PreviewWindow : public QWidget, public PreviewView {
    Q_OBJECT
public:
    PreviewWindow(ControlEvents& events, QWidget* owner);

    void showPreview(int frameTimeMs) override;
    void setFrameTime(int frameTimeMs) override;
    int frameTimeMs() const { return timer_.interval(); }  // for the tests
    void closePreview() override;
    bool previewShown() const { return isVisible(); }
    void setOverview(const std::vector<PreviewFrame>& frames) override;
    void setPicture(const PreviewPicture& picture) override;

    // Where dot d of the current frame is drawn (its centre), for the tests.
    QPoint dotCentre(std::size_t d) const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void paintShape(QPainter& painter, const PreviewShape& shape);

    ControlEvents& events_;
    QTimer timer_;
    QLabel* caption_ = nullptr;
    QLabel* description_ = nullptr;
    PreviewPicture picture_;
    PreviewOverview overview_;
    QImage scaled_;        // the overview scaled to its area, once for each show
    int scaledImage_ = 0;  // the overview's generation it holds
    bool placed_ = false;  // up before: placed beside the main window
};

}  // namespace pelmora
