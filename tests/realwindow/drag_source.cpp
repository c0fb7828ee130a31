// Another program to drag files from, for the real-window test: a small window that starts a
// drag of its arguments, as file:// URLs, when a mouse button goes down on it. It writes "action
// N" when the window under the pointer takes the drag and "dropped N" when the drag has ended.
// Like many small programs it holds what it drags only while its drag runs: over X, exec()
// returns at the release, and the drag and its data go with it, before the target asks for them.

#include <QApplication>
#include <QDrag>
#include <QMimeData>
#include <QUrl>
#include <QWidget>
#include <cstdio>

namespace {

void say(const char* what, Qt::DropAction action) {
    std::printf("%s %d\n", what, static_cast<int>(action));
    std::fflush(stdout);
}

class DragSource : public QWidget {
public:
    explicit DragSource(QList<QUrl> urls) : urls_(std::move(urls)) {
        setWindowTitle(QStringLiteral("drag source"));
        setFixedSize(120, 80);
    }

protected:
    void mousePressEvent(QMouseEvent*) override {
        QDrag drag(this);
        auto* data = new QMimeData;
        data->setUrls(urls_);
        drag.setMimeData(data);
        connect(&drag, &QDrag::actionChanged, [](Qt::DropAction action) { say("action", action); });
        say("dropped", drag.exec(Qt::CopyAction));
    }

private:
    QList<QUrl> urls_;
};

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QList<QUrl> urls;
    for (int i = 1; i < argc; ++i) urls << QUrl::fromLocalFile(QString::fromLocal8Bit(argv[i]));
    DragSource source(urls);
    source.show();
    return QApplication::exec();
}
