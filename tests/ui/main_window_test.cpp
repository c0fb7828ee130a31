// The main window and its parameter dialog through the suite of both front-ends (tests/support/
// window_suite.h), and what only the Qt window does.

#include <QComboBox>
#include <QFontMetrics>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>

#include "qt_printers.h"
#include "session/texts.h"
#include "window_fixture.h"
#include "window_suite.h"

namespace pelmora::testing {
namespace {

QString qt(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }
Rgb rgb(const QColor& c) { return Rgb{std::uint8_t(c.red()), std::uint8_t(c.green()), std::uint8_t(c.blue())}; }

std::optional<ControlKind> kindOf(QWidget* w) {
    using K = ControlKind;
    if (qobject_cast<LinkLabel*>(w)) return K::linkLabel;
    if (auto* label = qobject_cast<QLabel*>(w))
        return label->alignment().testFlag(Qt::AlignHCenter) ? K::centredLabel : K::label;
    if (qobject_cast<QPushButton*>(w)) return K::button;
    if (qobject_cast<Lamp*>(w)) return K::lamp;
    if (auto* box = qobject_cast<QComboBox*>(w)) return box->isEditable() ? K::portList : K::dropDownList;
    if (qobject_cast<QListWidget*>(w)) return K::showList;
    if (qobject_cast<QProgressBar*>(w)) return K::progressBar;
    if (qobject_cast<QLineEdit*>(w)) return K::numberBox;
    return std::nullopt;
}

// The probe of the shared suite: the Qt windows read and worked as the user and the eye meet them.
class QtWindows : public WindowTest, public WindowProbe {
protected:
    int dpi() override { return 96; }  // Qt lays out in device-independent pixels, the tables' own
    MainView& mainView() override { return *window; }
    InputForm& dialog() override { return window->inputForm(); }
    QWidget* top(const WindowLayout& layout) {
        if (&layout == &mainWindowLayout) return window.get();
        window->inputForm();
        return window->inputFormWindow();
    }
    QWidget* widget(const WindowLayout& layout, std::string_view name) {
        if (name.empty()) return top(layout);
        auto* w = top(layout)->findChild<QWidget*>(qt(name), Qt::FindDirectChildrenOnly);
        EXPECT_NE(w, nullptr) << "no control " << name;
        return w;
    }
    template <class T>
    T* main(std::string_view name) {
        return qobject_cast<T*>(widget(mainWindowLayout, name));
    }

    Shown control(const WindowLayout& layout, std::string_view name) override {
        Shown shown;
        QWidget* w = widget(layout, name);
        if (!w) return shown;
        shown.kind = kindOf(w);
        std::tie(shown.x, shown.y, shown.w, shown.h) = std::tuple(w->x(), w->y(), w->width(), w->height());
        shown.shown = name.empty() ? w->isVisible() : !w->isHidden();  // a control whether its window is shown or not
        shown.enabled = w->isEnabled();
        shown.tooltip = w->toolTip().toStdString();
        auto role = QPalette::WindowText;
        if (name.empty()) {
            shown.text = w->windowTitle().toStdString();
        } else if (auto* label = qobject_cast<QLabel*>(w)) {
            shown.text = label->text().toStdString();
            shown.fitsText = label->size() == label->sizeHint();
        } else if (auto* button = qobject_cast<QPushButton*>(w)) {
            shown.text = button->text().toStdString();
        } else if (auto* box = qobject_cast<QComboBox*>(w)) {
            shown.text = box->currentText().toStdString();
            shown.selected = box->currentIndex();
            for (int i = 0; i < box->count(); ++i) shown.entries.push_back(box->itemText(i).toStdString());
            role = QPalette::ButtonText;
        } else if (auto* edit = qobject_cast<QLineEdit*>(w)) {
            shown.text = edit->text().toStdString();
            role = QPalette::Text;
        } else if (auto* list = qobject_cast<QListWidget*>(w)) {
            for (int i = 0; i < list->count(); ++i) {
                shown.entries.push_back(list->item(i)->text().toStdString());
                shown.tooltips.push_back(list->item(i)->toolTip().toStdString());
                shown.entriesInSight += list->viewport()->rect().contains(list->visualItemRect(list->item(i)));
            }
            shown.selected = list->currentRow();
            shown.scrollBar = list->horizontalScrollBar()->isVisible() || list->verticalScrollBar()->isVisible();
        } else if (auto* bar = qobject_cast<QProgressBar*>(w)) {
            std::tie(shown.minimum, shown.maximum, shown.value) =
                std::tuple(bar->minimum(), bar->maximum(), bar->value());
        }
        for (const QString& face : w->font().families()) shown.faces.push_back(face.toStdString());
        shown.fontPixels = w->font().pointSizeF() * dpi() / 72;
        shown.bold = w->font().bold();
        shown.colour = rgb(w->palette().color(role));
        return shown;
    }
    Rgb painted(const WindowLayout& layout, std::string_view name, int x, int y) override {
        return rgb(widget(layout, name)->grab().toImage().pixelColor(x, y));
    }
    Rgb systemDialogColour() override { return rgb(QApplication::palette().color(QPalette::Window)); }

    void expectToolkitLook(const WindowLayout& layout, const ControlLayout& row) override {
        QWidget* w = widget(layout, row.name);
        EXPECT_EQ(w->parentWidget(), top(layout));
        // The built-in Song face first, then the families a system may have.
        EXPECT_EQ(w->font().families().mid(0, 2), QStringList({"Pelmora Song", "宋体"}));
        EXPECT_EQ(w->font().weight(), row.bold ? QFont::Bold : QFont::Normal);
        // Without a CJK font Chinese would draw as empty boxes.
        const QFontMetrics metrics(w->font());
        for (const QChar c : qt(control(layout, row.name).text))
            EXPECT_TRUE(metrics.inFont(c)) << "no glyph for U+" << std::hex << static_cast<int>(c.unicode());
        if (auto* box = qobject_cast<QComboBox*>(w)) {
            // The open list draws its entries in the control's own font and colour, on white.
            EXPECT_EQ(rgb(box->palette().color(QPalette::Text)),
                      row.colour.value_or(rgb(box->palette().color(QPalette::Text))));
            EXPECT_EQ(box->view()->font(), box->font());
            EXPECT_EQ(box->view()->palette().color(QPalette::Text), box->palette().color(QPalette::Text));
            EXPECT_EQ(box->view()->palette().color(QPalette::Base), QColor(Qt::white));
        }
        if (auto* button = qobject_cast<QPushButton*>(w)) {
            EXPECT_FALSE(button->isDefault() || button->autoDefault());
        }
        if (auto* edit = qobject_cast<QLineEdit*>(w)) {
            EXPECT_TRUE(edit->alignment().testFlag(Qt::AlignHCenter) && !edit->isReadOnly());
        }
        if (qobject_cast<QListWidget*>(w)) {
            EXPECT_EQ(w->palette().color(QPalette::Base), QColor(Qt::white));
        }
    }

    void showAndActivate(QWidget* w) {
        w->show();
        QApplication::setActiveWindow(w);
        ASSERT_TRUE(QTest::qWaitForWindowActive(w));
    }
    std::string focusName() {
        QWidget* w = QApplication::focusWidget();
        // The edit field of cbcom takes the focus on behalf of its combo box.
        while (w && w->objectName().isEmpty() && w->parentWidget()) w = w->parentWidget();
        return w ? w->objectName().toStdString() : std::string();
    }
    std::string firstFocus(const WindowLayout& layout) override {
        showAndActivate(top(layout));
        return focusName();
    }
    std::string nextInTabOrder(const WindowLayout& layout, std::string_view name) override {
        if (!top(layout)->isActiveWindow()) showAndActivate(top(layout));
        widget(layout, name)->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        return focusName();
    }

    void click(const WindowLayout& layout, std::string_view name) override {
        QWidget* w = widget(layout, name);
        QTest::mouseClick(w, Qt::LeftButton, {}, w->rect().center());
    }
    // What the mouse sends for a double-click: press, release, double-click, release.
    void doubleClickEntry(int entry) override {
        auto* list = main<QListWidget>("datList");
        QWidget* viewport = list->viewport();
        const QPoint at = entry < 0 ? QPoint(viewport->width() / 2, viewport->height() - 3)
                                    : list->visualItemRect(list->item(entry)).center();
        ASSERT_TRUE(entry >= 0 || list->itemAt(at) == nullptr);
        QTest::mousePress(viewport, Qt::LeftButton, {}, at);
        QTest::mouseRelease(viewport, Qt::LeftButton, {}, at);
        QTest::mouseDClick(viewport, Qt::LeftButton, {}, at);
        QTest::mouseRelease(viewport, Qt::LeftButton, {}, at);
    }
    // An arrow key on the closed list picks the entry next to the one shown.
    void choose(std::string_view name, int position) override {
        auto* box = main<QComboBox>(name);
        box->setCurrentIndex(position > 0 ? position - 1 : position + 1);
        QTest::keyClick(box, position > 0 ? Qt::Key_Down : Qt::Key_Up);
    }
    // A key press as the keyboard delivers it: a key and the character it types.
    void type(const WindowLayout& layout, std::string_view name, const std::string& text) override {
        QWidget* w = widget(layout, name);
        if (auto* box = qobject_cast<QComboBox*>(w)) w = box->lineEdit();
        for (const QChar c : qt(text)) QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString(c), {});
    }
    void commit(const WindowLayout& layout, std::string_view name, const std::string& text) override {
        QInputMethodEvent committed;
        committed.setCommitString(qt(text));
        QApplication::sendEvent(widget(layout, name), &committed);
    }
    void openList(std::string_view name) override {
        main<QComboBox>(name)->showPopup();
        main<QComboBox>(name)->hidePopup();
    }
    void close(const WindowLayout& layout) override { top(layout)->close(); }
};

}  // namespace

INSTANTIATE_TYPED_TEST_SUITE_P(Qt, WindowSuite, QtWindows);

namespace {

using MainWindowLayout = WindowTest;

TEST_F(MainWindowLayout, IsAFixedWindowWithItsIconAndNoDialogYet) {
    EXPECT_EQ(window->minimumSize(), QSize(809, 265));
    EXPECT_EQ(window->maximumSize(), QSize(809, 265));
    const Qt::WindowFlags flags = window->windowFlags();
    EXPECT_TRUE(flags.testFlag(Qt::WindowCloseButtonHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowMaximizeButtonHint));
    EXPECT_TRUE(window->isWindow());

    const QIcon icon = window->windowIcon();
    ASSERT_FALSE(icon.isNull());
    EXPECT_EQ(icon.pixmap(32, 32).size(), QSize(32, 32));
    EXPECT_TRUE(icon.availableSizes().contains(QSize(32, 32)));
    EXPECT_EQ(window->inputFormWindow(), nullptr);
}

using PortList = WindowTest;

// Enter and leaving the field do not turn typed text into an entry or a choice: the port button
// then finds no port.
TEST_F(PortList, TypedTextSelectsNoPortAndAddsNoEntry) {
    showWindow();
    auto* cbcom = control<QComboBox>("cbcom");
    cbcom->lineEdit()->selectAll();
    QTest::keyClicks(cbcom->lineEdit(), "COM3");
    EXPECT_EQ(cbcom->lineEdit()->text(), QStringLiteral("COM3"));
    QTest::keyClick(cbcom->lineEdit(), Qt::Key_Return);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(cbcom->count(), 16);
    EXPECT_EQ(cbcom->findText(QStringLiteral("COM3")), 2);
    EXPECT_EQ(events.counts["choosePort"], 0);

    QTest::mouseClick(control<QPushButton>("opencom"), Qt::LeftButton);
    EXPECT_TRUE(port.calls.empty());
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown.front().text, texts::noSuchPort);
    EXPECT_EQ(control<Lamp>("coms")->colour(), QColor(Qt::black));
}

// Each entry of the open list tells where it leads.
TEST_F(PortList, OpeningTheListShowsWhereEachEntryLeads) {
    ports.listed = {{"/dev/ttyUSB0", "USB-SERIAL CH340 (COM1)"}, {"/dev/ttyS0", "/dev/ttyS0"}};
    showWindow();
    auto* cbcom = control<QComboBox>("cbcom");
    cbcom->showPopup();
    const std::vector<std::string> tips{"USB-SERIAL CH340 (COM1)", "/dev/ttyS0", std::string(texts::noDeviceTooltip)};
    for (int i = 0; i < 3; ++i) EXPECT_EQ(cbcom->itemData(i, Qt::ToolTipRole).toString().toStdString(), tips[i]) << i;
    cbcom->hidePopup();
}

using ShowListLook = WindowTest;

// Every pixel row of the font's ink lies inside a row of the list, the underscore's too.
TEST_F(ShowListLook, ARowOfTheListHoldsTheInkOfItsFont) {
    showWindow();
    ASSERT_TRUE(importShow(ledFile("a_g.led", 2, 1)));
    auto* list = control<QListWidget>("datList");
    EXPECT_LE(QFontMetrics(list->font()).tightBoundingRect(QStringLiteral("国_g")).height(),
              list->visualItemRect(list->item(0)).height() + 1);
}

// epprom fills in proportion to the memory used, to the pixel, as the label reads; what the
// window shows follows each value, also a small one after half (0.19 % and 0.83 %).
TEST_F(ShowListLook, TheUsedMemoryBarFillsInProportion) {
    showWindow();
    auto* bar = dynamic_cast<MemoryBar*>(control<QProgressBar>("epprom"));
    ASSERT_NE(bar, nullptr);
    const int inside = bar->width() - 2;
    // The filled pixels of the bar's middle row as the window last painted it: the screen's copy
    // of the window, since grab() would paint the bar afresh.
    const auto shownFill = [&] {
        QCoreApplication::processEvents();
        const QImage shown = window->screen()->grabWindow(window->winId()).toImage();
        const QPoint row = bar->mapTo(window.get(), QPoint(1, bar->height() / 2));
        const QRgb fill = bar->palette().color(QPalette::Highlight).rgb();
        int n = 0;
        while (n < inside && shown.pixel(row.x() + n, row.y()) == fill) ++n;
        return n;
    };
    const std::vector<std::pair<int, double>> shares{{0, 0.0},     {3000, 3000.0 / 60378}, {6000, 6000.0 / 60378},
                                                     {30189, 0.5}, {117, 117.0 / 60378},   {500, 500.0 / 60378},
                                                     {60378, 1.0}};
    for (const auto& [used, share] : shares) {
        bar->setValue(used);
        EXPECT_NEAR(bar->filledWidth(), share * inside, 0.5) << used;
        EXPECT_EQ(shownFill(), bar->filledWidth()) << used;
    }
    bar->setValue(3000);
    EXPECT_GT(bar->filledWidth(), 0);  // 4.97 % is not nothing
}

}  // namespace
}  // namespace pelmora::testing
