#pragma once
// The main window: the controls of the tool laid out from the session's table, each event
// forwarded to the session, and the MainView through which the session writes the controls.
// The window itself knows no rule of the tool.

#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QWidget>
#include <array>
#include <functional>
#include <memory>
#include <vector>

#include "session/events.h"
#include "session/layout.h"
#include "session/views.h"

namespace pelmora {

class InputFormWindow;
class PreviewWindow;

// The port-open lamp coms: a filled circle in the lamp colour.
class Lamp : public QWidget {
    Q_OBJECT
public:
    explicit Lamp(QWidget* parent = nullptr);
    void setColour(const QColor& colour);
    QColor colour() const { return colour_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor colour_{Qt::black};
};

// cbcom: a port list with an edit field. Typed text never becomes an entry; what it means is the
// session's business.
class PortComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit PortComboBox(QWidget* parent = nullptr);
    void setEntries(const QStringList& entries, int selected);
    void showPopup() override;

signals:
    void listOpening();  // the list is about to drop down
};

// datList: the list of shows. A double-click anywhere in it, on an entry or below them, is
// reported; which show it removes is the session's business.
class ShowList : public QListWidget {
    Q_OBJECT
public:
    explicit ShowList(QWidget* parent = nullptr);
    void addEntry(const ShowEntry& entry);

signals:
    void doubleClicked(int selected);

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;
};

// epprom: a bar filled in proportion to its value, to the pixel (the style's bar fills whole blocks).
class MemoryBar : public QProgressBar {
    Q_OBJECT
public:
    explicit MemoryBar(QWidget* parent = nullptr);
    // The filled width, in pixels, of the bar's inside.
    int filledWidth() const;

protected:
    void paintEvent(QPaintEvent* event) override;
};

// Label5: a label that reacts to a click.
class LinkLabel : public QLabel {
    Q_OBJECT
public:
    explicit LinkLabel(QWidget* parent = nullptr);

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
};

class MainWindow : public QWidget, public MainView {
    Q_OBJECT
public:
    MainWindow();
    ~MainWindow() override;

    // Where the window's events go; set once, before start-up.
    void setEvents(ControlEvents& events);
    // How the program ends when the window closes: QCoreApplication::exit unless replaced.
    void setProgramEnd(std::function<void()> end) { endProgram_ = std::move(end); }

    // The parameter dialog while it exists, else nullptr.
    InputFormWindow* inputFormWindow() const { return form_; }

    // MainView
    InputForm& inputForm() override;
    void destroyInputForm() override;
    PreviewView* preview() override;
    void setStatus(const std::string& text) override;
    void addShowEntry(const ShowEntry& entry) override;
    void removeShowEntry(int position) override;
    void selectShowEntry(int position) override;
    void setUsedMemoryMaximum(int maximum) override;
    void setUsedMemory(int value, const std::string& sizeText) override;
    void setProgressRange(int minimum, int maximum) override;
    void setProgressValue(int value) override;
    void setProgressVisible(bool visible) override;
    void setPortEntries(const std::vector<std::string>& entries, int selected) override;
    void setPortListEnabled(bool enabled) override;
    void setPortTooltips(const std::vector<std::string>& tooltips) override;
    void setPortBoxTooltip(const std::string& tooltip) override;
    void setLamp(Rgb colour) override;
    void setPortButtonCaption(const std::string& text) override;
    void setColourOrderEntries(const std::vector<std::string>& entries, int selected) override;
    void setFrameTimeEntries(const std::vector<std::string>& entries, int selected) override;

protected:
    void closeEvent(QCloseEvent* event) override;
    // LED files dropped onto the window run the open command with them.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    std::vector<std::string> dragged_;  // the local files of the drag over the window

    QWidget* build(const ControlLayout& row);
    QProgressBar* makeProgressBar();
    void styleDropDown(QComboBox* box);
    void keepTypedPointers();
    void connectEvents();

    std::array<QWidget*, index(MainControl::count)> built_{};
    QPushButton* open_ = nullptr;
    QPushButton* comsend_ = nullptr;
    Lamp* coms_ = nullptr;
    PortComboBox* cbcom_ = nullptr;
    QPushButton* opencom_ = nullptr;
    QComboBox* cbrgb_ = nullptr;
    QComboBox* inputcbspeed_ = nullptr;
    ShowList* datList_ = nullptr;
    QProgressBar* progressBar_ = nullptr;
    QLabel* prossstates_ = nullptr;
    MemoryBar* epprom_ = nullptr;
    QLabel* size_ = nullptr;
    LinkLabel* label5_ = nullptr;
    QStyle* blockStyle_ = nullptr;  // the progress bars' style, owned by the window

    InputFormWindow* form_ = nullptr;
    PreviewWindow* preview_ = nullptr;                // made on first use, a window of its own owned by this one
    std::vector<QPointer<InputFormWindow>> retired_;  // closed dialogs waiting for deleteLater
    ControlEvents* events_ = nullptr;
    std::function<void()> endProgram_;
};

}  // namespace pelmora
