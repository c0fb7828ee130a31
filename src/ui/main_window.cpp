#include "ui/main_window.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleFactory>
#include <array>

#include "ui/control_table.h"
#include "ui/fonts.h"
#include "ui/input_form.h"
#include "ui/window_icon.h"

namespace pelmora {

namespace {

enum class Kind { label, centredLabel, linkLabel, button, lamp, portList, dropDownList, list, progress };

struct Control {
    const char* name;
    Kind kind;
    QString text;
    QRect geometry;  // labels keep only the corner and size themselves to their text
    TextLook look;
};

const QColor purple(192, 0, 192);
const QColor red(255, 0, 0);
const QColor background(255, 224, 192);

QString fromStd(const std::string& text) { return QString::fromStdString(text); }

QStringList fromStd(const std::vector<std::string>& texts) {
    QStringList list;
    for (const auto& t : texts) list << fromStd(t);
    return list;
}

void fillList(QComboBox* box, const std::vector<std::string>& entries, int selected) {
    box->clear();
    box->addItems(fromStd(entries));
    box->setCurrentIndex(selected);
}

}  // namespace

Lamp::Lamp(QWidget* parent) : QWidget(parent) { setAttribute(Qt::WA_OpaquePaintEvent, false); }

void Lamp::setColour(const QColor& colour) {
    colour_ = colour;
    update();
}

void Lamp::paintEvent(QPaintEvent*) {
    // A circle as wide as the shorter side, in the middle of the control.
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const int d = qMin(width(), height());
    const QRectF circle((width() - d) / 2.0, (height() - d) / 2.0, d, d);
    painter.setPen(QPen(colour_, 1));
    painter.setBrush(colour_);
    painter.drawEllipse(circle.adjusted(0.5, 0.5, -0.5, -0.5));
}

PortComboBox::PortComboBox(QWidget* parent) : QComboBox(parent) {
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    // Typed text must not pick an entry: no completion, and no match of the text when editing ends.
    setCompleter(nullptr);
    disconnect(lineEdit(), &QLineEdit::editingFinished, this, nullptr);
    connect(lineEdit(), &QLineEdit::textEdited, this, [this] { typed_ = true; });
    connect(this, &QComboBox::activated, this, [this] { typed_ = false; });
}

void PortComboBox::setEntries(const QStringList& entries, int selected) {
    clear();
    addItems(entries);
    setCurrentIndex(selected);
    typed_ = false;
}

void PortComboBox::showPopup() {
    emit listOpening();
    QComboBox::showPopup();
}

LinkLabel::LinkLabel(QWidget* parent) : QLabel(parent) { setCursor(Qt::PointingHandCursor); }

void LinkLabel::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) emit clicked();
    QLabel::mouseReleaseEvent(event);
}

MainWindow::MainWindow(const SessionFactory& makeSession, QWidget* parent)
    : QWidget(parent), endProgram_([] { QCoreApplication::exit(0); }) {
    setWindowTitle(QString::fromUtf8(pelmora::windowTitle));
    setWindowIcon(appIcon());
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(809, 265);
    setFont(songFont());
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, background);
    setPalette(palette);
    setAutoFillBackground(true);

    buildControls();
    session_ = makeSession(*this);
    connectEvents();
    session_->startUp();
}

MainWindow::~MainWindow() {
    session_.reset();
    delete form_;
    for (const auto& retired : retired_) delete retired.data();
}

void MainWindow::buildControls() {
    const QString shopCaption = QStringLiteral("点此购买配套控制器或致电") + QString::fromUtf8(shopPhone);
    const std::array<Control, 18> controls{{
        {"Label3", Kind::centredLabel, QStringLiteral("Pelmora发送软件 Ver1.2"), {280, 18, 245, 21},
         {15.75, true, QColor(128, 64, 64)}},
        {"open", Kind::button, QStringLiteral("一.导入LED文件"), {12, 69, 127, 34}, {}},
        {"comsend", Kind::button, QStringLiteral("二.发送到控制器"), {150, 69, 115, 34}, {}},
        {"Label4", Kind::label, QStringLiteral("发送至串口"), {276, 75, 65, 12}, {9, true, purple}},
        {"coms", Kind::lamp, {}, {303, 90, 10, 13}, {}},
        {"cbcom", Kind::portList, {}, {345, 78, 70, 22}, {10.5, true, QColor(192, 0, 0)}},
        {"opencom", Kind::button, QStringLiteral("打开串口"), {417, 75, 61, 28}, {}},
        {"Label1", Kind::centredLabel, QStringLiteral("RGB顺序"), {486, 84, 54, 14}, {10.5, true, purple}},
        {"cbrgb", Kind::dropDownList, {}, {543, 81, 94, 22}, {10.5, false, purple}},
        {"Label2", Kind::centredLabel, QStringLiteral("每帧时间"), {651, 84, 60, 14}, {10.5, true, purple}},
        {"inputcbspeed", Kind::dropDownList, {}, {714, 81, 82, 22}, {10.5, false, purple}},
        {"datList", Kind::list, {}, {12, 120, 781, 64}, {}},
        {"ProgressBar", Kind::progress, {}, {15, 192, 778, 13}, {}},
        {"prossstates", Kind::centredLabel, {}, {378, 216, 0, 0}, {0, false, red}},
        {"epprom", Kind::progress, {}, {648, 234, 142, 10}, {}},
        {"Label6", Kind::label, QStringLiteral("已使用空间"), {660, 246, 60, 12}, {0, false, red}},
        {"size", Kind::label, {}, {726, 246, 0, 0}, {0, false, red}},
        {"Label5", Kind::linkLabel, shopCaption, {237, 240, 280, 16}, {12, false, QColor(0, 0, 255)}},
    }};

    for (const Control& c : controls) {
        QWidget* control = nullptr;
        switch (c.kind) {
            case Kind::label:
            case Kind::centredLabel:
            case Kind::linkLabel: {
                auto* label = c.kind == Kind::linkLabel ? new LinkLabel(this) : new QLabel(this);
                if (c.kind == Kind::centredLabel) label->setAlignment(Qt::AlignCenter);
                placeControl(label, c.name, c.geometry, c.look);
                setCaption(label, c.text);
                control = label;
                break;
            }
            case Kind::button:
                control = new QPushButton(c.text, this);
                break;
            case Kind::lamp:
                control = new Lamp(this);
                break;
            case Kind::portList:
                control = new PortComboBox(this);
                break;
            case Kind::dropDownList:
                control = new QComboBox(this);
                break;
            case Kind::list: {
                auto* list = new QListWidget(this);
                QPalette palette = list->palette();
                palette.setColor(QPalette::Base, Qt::white);
                list->setPalette(palette);
                list->setAutoFillBackground(true);
                control = list;
                break;
            }
            case Kind::progress: {
                auto* bar = new QProgressBar(this);
                // The plain segmented bar of the Windows style: Fusion's antialiased stripes cost a
                // repaint of about 0.4 ms on every chunk, while the controller waits for the next.
                if (!blockStyle_) {
                    blockStyle_ = QStyleFactory::create(QStringLiteral("Windows"));
                    if (blockStyle_) blockStyle_->setParent(this);
                }
                if (blockStyle_) bar->setStyle(blockStyle_);
                bar->setTextVisible(false);
                bar->setRange(0, 100);
                bar->setValue(0);
                control = bar;
                break;
            }
        }
        if (!qobject_cast<QLabel*>(control)) placeControl(control, c.name, c.geometry, c.look);
    }

    open_ = findChild<QPushButton*>(QStringLiteral("open"));
    comsend_ = findChild<QPushButton*>(QStringLiteral("comsend"));
    coms_ = findChild<Lamp*>(QStringLiteral("coms"));
    cbcom_ = findChild<PortComboBox*>(QStringLiteral("cbcom"));
    opencom_ = findChild<QPushButton*>(QStringLiteral("opencom"));
    cbrgb_ = findChild<QComboBox*>(QStringLiteral("cbrgb"));
    inputcbspeed_ = findChild<QComboBox*>(QStringLiteral("inputcbspeed"));
    datList_ = findChild<QListWidget*>(QStringLiteral("datList"));
    progressBar_ = findChild<QProgressBar*>(QStringLiteral("ProgressBar"));
    prossstates_ = findChild<QLabel*>(QStringLiteral("prossstates"));
    epprom_ = findChild<QProgressBar*>(QStringLiteral("epprom"));
    size_ = findChild<QLabel*>(QStringLiteral("size"));
    label5_ = findChild<LinkLabel*>(QStringLiteral("Label5"));

    // Buttons act on a click or the space bar, never as a default button on Enter.
    for (QPushButton* button : {open_, comsend_, opencom_}) button->setAutoDefault(false);
    for (QWidget* passive : std::initializer_list<QWidget*>{coms_, progressBar_, epprom_})
        passive->setFocusPolicy(Qt::NoFocus);

    setTabOrder(open_, comsend_);
    setTabOrder(comsend_, cbcom_);
    setTabOrder(cbcom_, opencom_);
    setTabOrder(opencom_, datList_);
    setTabOrder(datList_, cbrgb_);
    setTabOrder(cbrgb_, inputcbspeed_);
    open_->setFocus();
}

void MainWindow::connectEvents() {
    Session& s = *session_;
    connect(open_, &QPushButton::clicked, this, [&s] { s.openLedFile(); });
    connect(comsend_, &QPushButton::clicked, this, [&s] { s.send(); });
    connect(opencom_, &QPushButton::clicked, this, [&s] { s.togglePort(); });
    connect(cbrgb_, &QComboBox::activated, this, [&s] { s.changeColourOrder(); });
    connect(cbcom_, &PortComboBox::listOpening, this, [&s] { s.portListOpening(); });
    // Only a double-click on an entry removes a show; the blank part of the list does nothing.
    connect(datList_, &QListWidget::itemDoubleClicked, this, [&s] { s.removeShow(); });
    connect(label5_, &LinkLabel::clicked, this, [&s] { s.openShopLink(); });
}

void MainWindow::closeEvent(QCloseEvent* event) {
    // Closing cannot be refused and ends the program at once, also from inside a message box's
    // or the file dialog's own event loop: exit() leaves every running loop.
    event->accept();
    session_->shutdown();
    if (endProgram_) endProgram_();
}

InputForm& MainWindow::inputForm() {
    if (!form_) {
        form_ = new InputFormWindow({[this] { session_->appendShow(); }, [this] { session_->closeInputForm(); }});
    }
    return *form_;
}

bool MainWindow::hasInputForm() const { return form_ != nullptr; }

void MainWindow::destroyInputForm() {
    if (!form_) return;
    // The dialog may be inside its own close event: let Qt delete it once that is over.
    form_->hide();
    form_->deleteLater();
    retired_.emplace_back(form_);
    form_ = nullptr;
}

void MainWindow::setStatus(const std::string& text) { setCaption(prossstates_, fromStd(text)); }
std::string MainWindow::status() const { return prossstates_->text().toStdString(); }

void MainWindow::addShowEntry(const std::string& path) { datList_->addItem(fromStd(path)); }
void MainWindow::removeShowEntry(int position) { delete datList_->takeItem(position); }
int MainWindow::showEntryCount() const { return datList_->count(); }
std::string MainWindow::showEntry(int position) const {
    const QListWidgetItem* item = datList_->item(position);
    return item ? item->text().toStdString() : std::string();
}
void MainWindow::selectShowEntry(int position) { datList_->setCurrentRow(position); }
int MainWindow::selectedShowEntry() const { return datList_->currentRow(); }

void MainWindow::setUsedMemoryMaximum(int maximum) { epprom_->setRange(0, maximum); }
void MainWindow::setUsedMemory(float value, const std::string& sizeText) {
    epprom_->setValue(qRound(value));
    setCaption(size_, fromStd(sizeText));
}

void MainWindow::setProgressRange(int minimum, int maximum) { progressBar_->setRange(minimum, maximum); }
int MainWindow::progressMaximum() const { return progressBar_->maximum(); }
void MainWindow::setProgressValue(int value) { progressBar_->setValue(value); }
void MainWindow::setProgressVisible(bool visible) { progressBar_->setVisible(visible); }

void MainWindow::setPortEntries(const std::vector<std::string>& entries, int selected) {
    cbcom_->setEntries(fromStd(entries), selected);
}
int MainWindow::portIndex() const { return cbcom_->chosenIndex(); }
void MainWindow::setPortListEnabled(bool enabled) { cbcom_->setEnabled(enabled); }
void MainWindow::setPortTooltips(const std::vector<std::string>& tooltips) {
    for (int i = 0; i < cbcom_->count() && i < static_cast<int>(tooltips.size()); ++i)
        cbcom_->setItemData(i, fromStd(tooltips[static_cast<std::size_t>(i)]), Qt::ToolTipRole);
}
void MainWindow::setLamp(Rgb colour) { coms_->setColour(QColor(colour.r, colour.g, colour.b)); }
void MainWindow::setPortButtonCaption(const std::string& text) { opencom_->setText(fromStd(text)); }

void MainWindow::setColourOrderEntries(const std::vector<std::string>& entries, int selected) {
    fillList(cbrgb_, entries, selected);
}
int MainWindow::colourOrderIndex() const { return cbrgb_->currentIndex(); }
void MainWindow::setFrameTimeEntries(const std::vector<std::string>& entries, int selected) {
    fillList(inputcbspeed_, entries, selected);
}
int MainWindow::frameTimeIndex() const { return inputcbspeed_->currentIndex(); }

}  // namespace pelmora
