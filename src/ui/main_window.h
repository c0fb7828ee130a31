#pragma once
// The main window: the controls of the tool laid out from one table, each event forwarded to the
// Session, and the MainView through which the Session writes the controls. The window itself
// knows no rule of the tool.

#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QWidget>
#include <functional>
#include <memory>
#include <vector>

#include "app/session.h"
#include "platform/views.h"

namespace pelmora {

class InputFormWindow;

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

// cbcom: a port list with an edit field. Typed text is never a port and never becomes an entry;
// once the user types, no entry counts as chosen until one is picked from the list again.
class PortComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit PortComboBox(QWidget* parent = nullptr);
    void setEntries(const QStringList& entries, int selected);
    int chosenIndex() const { return typed_ ? -1 : currentIndex(); }
    void showPopup() override;

signals:
    void listOpening();  // the list is about to drop down

private:
    bool typed_ = false;
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
    // The Session is made once the controls exist, with this window as its view; start-up runs
    // before the constructor returns, so the window is ready to be shown.
    using SessionFactory = std::function<std::unique_ptr<Session>(MainView& view)>;
    explicit MainWindow(const SessionFactory& makeSession, QWidget* parent = nullptr);
    ~MainWindow() override;

    Session& session() { return *session_; }
    // How the program ends when the window closes: QCoreApplication::exit unless replaced.
    void setProgramEnd(std::function<void()> end) { endProgram_ = std::move(end); }

    // MainView
    InputForm& inputForm() override;
    bool hasInputForm() const override;
    void destroyInputForm() override;
    void setStatus(const std::string& text) override;
    std::string status() const override;
    void addShowEntry(const std::string& path) override;
    void removeShowEntry(int position) override;
    int showEntryCount() const override;
    std::string showEntry(int position) const override;
    void selectShowEntry(int position) override;
    int selectedShowEntry() const override;
    void setUsedMemoryMaximum(int maximum) override;
    void setUsedMemory(float value, const std::string& sizeText) override;
    void setProgressRange(int minimum, int maximum) override;
    int progressMaximum() const override;
    void setProgressValue(int value) override;
    void setProgressVisible(bool visible) override;
    void setPortEntries(const std::vector<std::string>& entries, int selected) override;
    int portIndex() const override;
    void setPortListEnabled(bool enabled) override;
    void setPortTooltips(const std::vector<std::string>& tooltips) override;
    void setLamp(Rgb colour) override;
    void setPortButtonCaption(const std::string& text) override;
    void setColourOrderEntries(const std::vector<std::string>& entries, int selected) override;
    int colourOrderIndex() const override;
    void setFrameTimeEntries(const std::vector<std::string>& entries, int selected) override;
    int frameTimeIndex() const override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildControls();
    void connectEvents();

    QPushButton* open_ = nullptr;
    QPushButton* comsend_ = nullptr;
    Lamp* coms_ = nullptr;
    PortComboBox* cbcom_ = nullptr;
    QPushButton* opencom_ = nullptr;
    QComboBox* cbrgb_ = nullptr;
    QComboBox* inputcbspeed_ = nullptr;
    QListWidget* datList_ = nullptr;
    QProgressBar* progressBar_ = nullptr;
    QLabel* prossstates_ = nullptr;
    QProgressBar* epprom_ = nullptr;
    QLabel* size_ = nullptr;
    LinkLabel* label5_ = nullptr;
    QStyle* blockStyle_ = nullptr;  // the progress bars' style, owned by the window

    InputFormWindow* form_ = nullptr;                   // a window of its own: no Qt parent
    std::vector<QPointer<InputFormWindow>> retired_;    // closed dialogs waiting for deleteLater
    std::unique_ptr<Session> session_;
    std::function<void()> endProgram_;
};

}  // namespace pelmora
