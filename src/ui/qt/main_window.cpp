#include "ui/qt/main_window.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleFactory>
#include <QStyledItemDelegate>
#include <QTimer>
#include <QUrl>
#include <array>

#include "show/show_table.h"
#include "ui/qt/control_table.h"
#include "ui/qt/input_form.h"
#include "ui/qt/preview_window.h"
#include "ui/qt/window_icon.h"

namespace pelmora {

namespace {

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
}

void PortComboBox::setEntries(const QStringList& entries, int selected) {
    clear();
    addItems(entries);
    setCurrentIndex(selected);
}

void PortComboBox::showPopup() {
    emit listOpening();
    QComboBox::showPopup();
}

namespace {

// Draws datList's rows as the session's row rules say. The baseline sits where the ink of every
// glyph fits below the row's top (a CJK character reaches 11 px above it, an underscore 1 px
// below). Where a row is lower than that ink, its lowest pixel row (an underscore) is drawn over
// the edge of the row below, unclipped.
class ShowEntryDelegate : public QStyledItemDelegate {
public:
    explicit ShowEntryDelegate(const QFont& font, QObject* parent) : QStyledItemDelegate(parent) {
        const QFontMetrics metrics(font);
        QRect ink;
        for (const QString& sample : {QStringLiteral("国发"), QStringLiteral("_"), QStringLiteral("gjpqy|()")})
            ink = ink.united(metrics.tightBoundingRect(sample));
        inkTop_ = ink.top();
        inkHeight_ = qMax(ink.height(), 1);
    }
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        int height = inkHeight_;
        if (const auto* list = qobject_cast<const QAbstractScrollArea*>(option.widget))
            height = showListRowHeight(inkHeight_, list->viewport()->height());
        return {QStyledItemDelegate::sizeHint(option, index).width(), height};
    }
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QStyleOptionViewItem plain = option;
        initStyleOption(&plain, index);
        plain.text.clear();
        const QWidget* widget = option.widget;
        QStyle* style = widget ? widget->style() : QApplication::style();
        style->drawControl(QStyle::CE_ItemViewItem, &plain, painter, widget);  // background, selection, focus

        const std::string text = index.data(Qt::DisplayRole).toString().toStdString();
        const QRect row = option.rect.adjusted(2, 0, -2, 0);
        const QFontMetrics& metrics = option.fontMetrics;
        const QString shown = QString::fromStdString(showListRowText(text, row.width(), [&metrics](std::string_view t) {
            return metrics.horizontalAdvance(QString::fromUtf8(t.data(), static_cast<qsizetype>(t.size())));
        }));
        const bool selected = option.state & QStyle::State_Selected;
        painter->save();
        painter->setPen(option.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
        painter->drawText(QPoint(row.left(), row.top() - inkTop_), shown);
        painter->restore();
    }

private:
    int inkTop_ = 0;
    int inkHeight_ = 1;
};

}  // namespace

ShowList::ShowList(QWidget* parent) : QListWidget(parent) {
    QPalette palette = this->palette();
    palette.setColor(QPalette::Base, Qt::white);
    setPalette(palette);
    setAutoFillBackground(true);
    // Long paths are shortened in the middle instead of scrolling sideways.
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setTextElideMode(Qt::ElideMiddle);
    setUniformItemSizes(true);
    setItemDelegate(new ShowEntryDelegate(font(), this));
}

void ShowList::addEntry(const ShowEntry& entry) {
    auto* item = new QListWidgetItem(QString::fromStdString(entry.text), this);
    item->setToolTip(QString::fromStdString(entry.tooltip));
}

void ShowList::mouseDoubleClickEvent(QMouseEvent* event) {
    QListWidget::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton) emit doubleClicked(currentRow());
}

MemoryBar::MemoryBar(QWidget* parent) : QProgressBar(parent) {
    // QProgressBar repaints for a new value only when its own drawing would change (the
    // percentage by a whole step, or a chunk); this bar's fill moves with every value.
    connect(this, &QProgressBar::valueChanged, this, [this] { update(); });
}

int MemoryBar::filledWidth() const {
    const int inside = width() - 2;
    const qint64 range = qint64(maximum()) - minimum();
    if (range <= 0 || inside <= 0) return 0;
    return static_cast<int>((qint64(value() - minimum()) * inside + range / 2) / range);
}

void MemoryBar::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::Mid));
    painter.setBrush(palette().color(QPalette::Base));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    painter.fillRect(QRect(1, 1, filledWidth(), height() - 2), palette().color(QPalette::Highlight));
}

LinkLabel::LinkLabel(QWidget* parent) : QLabel(parent) { setCursor(Qt::PointingHandCursor); }

void LinkLabel::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) emit clicked();
    QLabel::mouseReleaseEvent(event);
}

MainWindow::MainWindow() : QWidget(nullptr), endProgram_([] { QCoreApplication::exit(0); }) {
    placeWindow(this, mainWindowLayout);
    setWindowIcon(appIcon());
    for (std::size_t i = 0; i < mainWindowLayout.controls.size(); ++i) built_[i] = build(mainWindowLayout.controls[i]);
    keepTypedPointers();

    // Buttons act on a click or the space bar, never as a default button on Enter.
    for (QPushButton* button : {open_, comsend_, opencom_}) button->setAutoDefault(false);
    for (QWidget* passive : std::initializer_list<QWidget*>{coms_, progressBar_, epprom_})
        passive->setFocusPolicy(Qt::NoFocus);
    setFocusOrder(mainWindowLayout, built_);
    // The port box's field would take a dropped file as typed text: the window opens it instead.
    setAcceptDrops(true);
    cbcom_->lineEdit()->setAcceptDrops(false);
}

namespace {

// The local files of a drag, as paths; none when anything dragged is not a local file.
std::vector<std::string> droppedFiles(const QMimeData* data) {
    std::vector<std::string> paths;
    if (!data || !data->hasUrls()) return paths;
    for (const QUrl& url : data->urls()) {
        if (!url.isLocalFile()) return {};
        paths.push_back(url.toLocalFile().toStdString());
    }
    return paths;
}

}  // namespace

// The files are read when the drag comes in, and kept: over X the drop's own data is asked of
// the other program after its button was released, and a program whose drag ended with the
// release answers with nothing.
void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
    dragged_ = droppedFiles(event->mimeData());
    if (!dragged_.empty()) event->acceptProposedAction();
}

void MainWindow::dragMoveEvent(QDragMoveEvent* event) {
    if (!dragged_.empty()) event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event) {
    std::vector<std::string> paths = droppedFiles(event->mimeData());
    if (paths.empty()) paths = dragged_;
    dragged_.clear();
    if (paths.empty() || !events_) return;
    event->acceptProposedAction();
    // Once the drop is over: the open command may show the dialog or a message box, which must
    // not run inside the drag and drop's own handling.
    QTimer::singleShot(0, this, [this, paths] {
        if (events_) events_->openDroppedFiles(paths);
    });
}

MainWindow::~MainWindow() {
    delete form_;
    for (const auto& retired : retired_) delete retired.data();
}

QProgressBar* MainWindow::makeProgressBar() {
    auto* bar = new QProgressBar(this);
    // The plain segmented bar of the Windows style: Fusion's antialiased stripes cost a repaint
    // of about 0.4 ms on every chunk, while the controller waits for the next.
    if (!blockStyle_) {
        blockStyle_ = QStyleFactory::create(QStringLiteral("Windows"));
        if (blockStyle_) blockStyle_->setParent(this);
    }
    if (blockStyle_) bar->setStyle(blockStyle_);
    bar->setTextVisible(false);
    bar->setRange(0, 100);
    bar->setValue(0);
    return bar;
}

QWidget* MainWindow::build(const ControlLayout& row) {
    QWidget* control = nullptr;
    switch (row.kind) {
        case ControlKind::label:
        case ControlKind::centredLabel:
        case ControlKind::numberBox:
            return placeLabel(new QLabel(this), row);
        case ControlKind::linkLabel:
            return placeLabel(new LinkLabel(this), row);
        case ControlKind::button:
            control = new QPushButton(qtText(row.text), this);
            break;
        case ControlKind::lamp:
            control = new Lamp(this);
            break;
        case ControlKind::portList:
            control = new PortComboBox(this);
            break;
        case ControlKind::dropDownList:
            control = new QComboBox(this);
            break;
        case ControlKind::showList:
            control = new ShowList(this);
            break;
        case ControlKind::progressBar:
            // The download bar moves on every chunk and keeps the cheap block style; the used
            // memory must read as exactly as its label.
            control = row.name == "epprom" ? new MemoryBar(this) : makeProgressBar();
            break;
    }
    placeControl(control, row);
    if (auto* box = qobject_cast<QComboBox*>(control)) styleDropDown(box);
    return control;
}

// An open list draws its entries in the control's own font and text colour, on white.
void MainWindow::styleDropDown(QComboBox* box) {
    box->setItemDelegate(new QStyledItemDelegate(box));
    QAbstractItemView* list = box->view();
    list->setFont(box->font());
    QPalette palette = list->palette();
    palette.setColor(QPalette::Base, Qt::white);
    palette.setColor(QPalette::Text, box->palette().color(QPalette::Text));
    list->setPalette(palette);
}

void MainWindow::keepTypedPointers() {
    const auto at = [this](MainControl c) { return built_[index(c)]; };
    open_ = static_cast<QPushButton*>(at(MainControl::open));
    comsend_ = static_cast<QPushButton*>(at(MainControl::comsend));
    coms_ = static_cast<Lamp*>(at(MainControl::coms));
    cbcom_ = static_cast<PortComboBox*>(at(MainControl::cbcom));
    opencom_ = static_cast<QPushButton*>(at(MainControl::opencom));
    cbrgb_ = static_cast<QComboBox*>(at(MainControl::cbrgb));
    inputcbspeed_ = static_cast<QComboBox*>(at(MainControl::inputcbspeed));
    datList_ = static_cast<ShowList*>(at(MainControl::datList));
    progressBar_ = static_cast<QProgressBar*>(at(MainControl::ProgressBar));
    prossstates_ = static_cast<QLabel*>(at(MainControl::prossstates));
    epprom_ = static_cast<MemoryBar*>(at(MainControl::epprom));
    size_ = static_cast<QLabel*>(at(MainControl::size));
    label5_ = static_cast<LinkLabel*>(at(MainControl::Label5));
}

void MainWindow::setEvents(ControlEvents& events) {
    events_ = &events;
    connectEvents();
}

void MainWindow::connectEvents() {
    ControlEvents& e = *events_;
    connect(open_, &QPushButton::clicked, this, [&e] { e.openLedFile(); });
    connect(comsend_, &QPushButton::clicked, this, [&e] { e.send(); });
    connect(opencom_, &QPushButton::clicked, this, [&e] { e.togglePort(); });
    connect(cbrgb_, &QComboBox::activated, this, [&e](int position) { e.changeColourOrder(position); });
    connect(inputcbspeed_, &QComboBox::activated, this, [&e](int position) { e.changeFrameTime(position); });
    connect(cbcom_, &QComboBox::activated, this, [&e](int position) { e.choosePort(position); });
    connect(cbcom_->lineEdit(), &QLineEdit::textEdited, this, [&e] { e.typePortText(); });
    connect(cbcom_, &PortComboBox::listOpening, this, [&e] { e.portListOpening(); });
    connect(datList_, &ShowList::doubleClicked, this, [&e](int selected) { e.removeShow(selected); });
    connect(label5_, &LinkLabel::clicked, this, [&e] { e.openShopLink(); });
    // 预览 in the context menu of an entry of datList.
    datList_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(datList_, &QWidget::customContextMenuRequested, this, [this, &e](const QPoint& at) {
        const int row = datList_->indexAt(at).row();
        if (row < 0) return;
        auto* menu = new QMenu(this);
        menu->setObjectName(QStringLiteral("datListMenu"));
        menu->setAttribute(Qt::WA_DeleteOnClose);
        menu->addAction(qtText(texts::previewItem), this, [&e, row] { e.previewShow(row); });
        menu->popup(datList_->viewport()->mapToGlobal(at));
    });
}

void MainWindow::closeEvent(QCloseEvent* event) {
    // Closing cannot be refused and ends the program at once, also from inside a message box's
    // or the file dialog's own event loop: exit() leaves every running loop.
    event->accept();
    if (events_) events_->shutdown();
    if (endProgram_) endProgram_();
}

InputForm& MainWindow::inputForm() {
    if (!form_) {
        // Owned by the main window, so that it stays in front of it while shown; still not modal.
        form_ = new InputFormWindow(*events_, this);
    }
    return *form_;
}

PreviewView* MainWindow::preview() {
    if (!preview_ && events_) preview_ = new PreviewWindow(*events_, this);
    return preview_;
}

void MainWindow::destroyInputForm() {
    if (!form_) return;
    // The dialog may be inside its own close event: let Qt delete it once that is over.
    form_->hide();
    form_->deleteLater();
    retired_.emplace_back(form_);
    form_ = nullptr;
}

void MainWindow::setStatus(const std::string& text) { setCaption(prossstates_, fromStd(text)); }

void MainWindow::addShowEntry(const ShowEntry& entry) { datList_->addEntry(entry); }
void MainWindow::removeShowEntry(int position) { delete datList_->takeItem(position); }
void MainWindow::selectShowEntry(int position) { datList_->setCurrentRow(position); }

void MainWindow::setUsedMemoryMaximum(int maximum) { epprom_->setRange(0, maximum); }
void MainWindow::setUsedMemory(int value, const std::string& sizeText) {
    epprom_->setValue(value);
    setCaption(size_, fromStd(sizeText));
}

void MainWindow::setProgressRange(int minimum, int maximum) { progressBar_->setRange(minimum, maximum); }
void MainWindow::setProgressValue(int value) { progressBar_->setValue(value); }
void MainWindow::setProgressVisible(bool visible) { progressBar_->setVisible(visible); }

void MainWindow::setPortEntries(const std::vector<std::string>& entries, int selected) {
    cbcom_->setEntries(fromStd(entries), selected);
}
void MainWindow::setPortListEnabled(bool enabled) { cbcom_->setEnabled(enabled); }
void MainWindow::setPortTooltips(const std::vector<std::string>& tooltips) {
    for (int i = 0; i < cbcom_->count() && i < static_cast<int>(tooltips.size()); ++i)
        cbcom_->setItemData(i, fromStd(tooltips[static_cast<std::size_t>(i)]), Qt::ToolTipRole);
}
void MainWindow::setPortBoxTooltip(const std::string& tooltip) { cbcom_->setToolTip(fromStd(tooltip)); }
void MainWindow::setLamp(Rgb colour) { coms_->setColour(QColor(colour.r, colour.g, colour.b)); }
void MainWindow::setPortButtonCaption(const std::string& text) { opencom_->setText(fromStd(text)); }

void MainWindow::setColourOrderEntries(const std::vector<std::string>& entries, int selected) {
    fillList(cbrgb_, entries, selected);
}
void MainWindow::setFrameTimeEntries(const std::vector<std::string>& entries, int selected) {
    fillList(inputcbspeed_, entries, selected);
}

}  // namespace pelmora
