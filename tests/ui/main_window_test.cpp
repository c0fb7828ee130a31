// The main window right after start-up, and what its controls hand to the session.

#include <QComboBox>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <filesystem>

#include "qt_printers.h"
#include "session/texts.h"
#include "window_fixture.h"

namespace pelmora::testing {
namespace {

const QColor purple(192, 0, 192);
const QColor red(255, 0, 0);

struct ExpectedControl {
    const char* name;
    const char* className;
    QString text;    // label caption, button caption or the combo box's shown entry
    QRect geometry;  // labels: only the corner, they take the size of their text
    qreal pointSize;
    bool bold;
    QColor colour;  // invalid: the style's own
};

std::vector<ExpectedControl> layoutTable() {
    return {
        {"Label3", "QLabel", "Pelmora发送软件 Ver1.2", {280, 18, 245, 21}, 15.75, true, QColor(128, 64, 64)},
        {"open", "QPushButton", "一.导入LED文件", {12, 69, 127, 34}, 9, false, {}},
        {"comsend", "QPushButton", "二.发送到控制器", {150, 69, 115, 34}, 9, false, {}},
        {"Label4", "QLabel", "发送至串口", {276, 75, 65, 12}, 9, true, purple},
        {"coms", "pelmora::Lamp", {}, {303, 90, 10, 13}, 9, false, {}},
        {"cbcom", "QComboBox", "COM1", {345, 78, 70, 22}, 10.5, true, QColor(192, 0, 0)},
        {"opencom", "QPushButton", "打开串口", {417, 75, 61, 28}, 9, false, {}},
        {"Label1", "QLabel", "RGB顺序", {486, 84, 54, 14}, 10.5, true, purple},
        {"cbrgb", "QComboBox", "RGB红绿蓝", {543, 81, 94, 22}, 10.5, false, purple},
        {"Label2", "QLabel", "每帧时间", {651, 84, 60, 14}, 10.5, true, purple},
        {"inputcbspeed", "QComboBox", "50毫秒", {714, 81, 82, 22}, 10.5, false, purple},
        {"datList", "QListWidget", {}, {12, 120, 781, 64}, 9, false, {}},
        {"ProgressBar", "QProgressBar", {}, {15, 192, 778, 13}, 9, false, {}},
        {"prossstates", "QLabel", "", {378, 216, 0, 0}, 9, false, red},
        {"epprom", "QProgressBar", {}, {648, 234, 142, 10}, 9, false, {}},
        {"Label6", "QLabel", "已使用空间", {660, 246, 60, 12}, 9, false, red},
        {"size", "QLabel", "0.00%", {726, 246, 0, 0}, 9, false, red},
        {"Label5", "QLabel", "点此购买配套控制器或致电400-000-0000", {237, 240, 280, 16}, 12, false, QColor(0, 0, 255)},
    };
}

using MainWindowLayout = WindowTest;

TEST_F(MainWindowLayout, IsAFixedWindowWithItsCaptionBackgroundAndIcon) {
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Pelmora发送软件"));
    EXPECT_EQ(window->size(), QSize(809, 265));
    EXPECT_EQ(window->minimumSize(), QSize(809, 265));
    EXPECT_EQ(window->maximumSize(), QSize(809, 265));
    const Qt::WindowFlags flags = window->windowFlags();
    EXPECT_TRUE(flags.testFlag(Qt::WindowCloseButtonHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowMaximizeButtonHint));
    EXPECT_TRUE(window->isWindow());

    // The background as drawn, in a corner no control covers.
    const QImage drawn = window->grab().toImage();
    EXPECT_EQ(drawn.pixelColor(3, 3), QColor(255, 224, 192));
    EXPECT_EQ(drawn.pixelColor(805, 150), QColor(255, 224, 192));

    const QIcon icon = window->windowIcon();
    ASSERT_FALSE(icon.isNull());
    EXPECT_EQ(icon.pixmap(32, 32).size(), QSize(32, 32));
    EXPECT_TRUE(icon.availableSizes().contains(QSize(32, 32)));
}

TEST_F(MainWindowLayout, EveryControlHasItsKindPlaceTextFontAndColour) {
    for (const ExpectedControl& e : layoutTable()) {
        SCOPED_TRACE(e.name);
        QWidget* w = control<QWidget>(e.name);
        ASSERT_NE(w, nullptr);
        EXPECT_TRUE(w->inherits(e.className)) << w->metaObject()->className();
        EXPECT_EQ(w->parentWidget(), window.get());

        if (auto* label = qobject_cast<QLabel*>(w)) {
            EXPECT_EQ(label->text(), e.text);
            EXPECT_EQ(label->pos(), e.geometry.topLeft());
            EXPECT_EQ(label->size(), label->sizeHint()) << "a label takes the size of its text";
        } else {
            EXPECT_EQ(w->geometry(), e.geometry);
        }
        if (auto* button = qobject_cast<QPushButton*>(w)) {
            EXPECT_EQ(button->text(), e.text);
        }
        if (auto* box = qobject_cast<QComboBox*>(w)) {
            EXPECT_EQ(box->currentText(), e.text);
        }

        EXPECT_DOUBLE_EQ(w->font().pointSizeF(), e.pointSize);
        EXPECT_EQ(w->font().bold(), e.bold);
        EXPECT_EQ(w->font().weight(), e.bold ? QFont::Bold : QFont::Normal);
        // The built-in Song face first, then the families a system may have.
        EXPECT_EQ(w->font().families().mid(0, 2), QStringList({"Pelmora Song", "宋体"}));
        if (e.colour.isValid()) {
            const auto role = qobject_cast<QComboBox*>(w) ? QPalette::ButtonText : QPalette::WindowText;
            EXPECT_EQ(w->palette().color(role), e.colour);
            if (qobject_cast<QComboBox*>(w)) {
                EXPECT_EQ(w->palette().color(QPalette::Text), e.colour);
            }
        }
    }
}

TEST_F(MainWindowLayout, ChineseCaptionsHaveGlyphsInTheirFonts) {
    // Without a CJK font Chinese would draw as empty boxes.
    for (const ExpectedControl& e : layoutTable()) {
        QWidget* w = control<QWidget>(e.name);
        const QFontMetrics metrics(w->font());
        for (const QChar c : e.text)
            EXPECT_TRUE(metrics.inFont(c)) << e.name << " lacks U+" << std::hex << static_cast<int>(c.unicode());
    }
}

TEST_F(MainWindowLayout, ControlsKeepTheirNamesAndTheCentredLabelsAreCentred) {
    for (const char* name : {"Label3", "Label1", "Label2", "prossstates"})
        EXPECT_TRUE(control<QLabel>(name)->alignment().testFlag(Qt::AlignHCenter)) << name;
    EXPECT_TRUE(control<QComboBox>("cbcom")->isEditable());
    EXPECT_FALSE(control<QComboBox>("cbrgb")->isEditable());
    EXPECT_FALSE(control<QComboBox>("inputcbspeed")->isEditable());
    EXPECT_EQ(control<QListWidget>("datList")->palette().color(QPalette::Base), QColor(Qt::white));
}

using MainWindowAfterStartUp = WindowTest;

TEST_F(MainWindowAfterStartUp, ShowsAnEmptyTableAndAClosedPort) {
    EXPECT_EQ(control<QListWidget>("datList")->count(), 0);
    EXPECT_EQ(control<QLabel>("size")->text(), QStringLiteral("0.00%"));
    auto* epprom = control<QProgressBar>("epprom");
    EXPECT_EQ(epprom->minimum(), 0);
    EXPECT_EQ(epprom->maximum(), 60378);
    EXPECT_EQ(epprom->value(), 0);
    auto* progress = control<QProgressBar>("ProgressBar");
    EXPECT_TRUE(progress->isHidden());
    EXPECT_EQ(progress->value(), 0);
    EXPECT_EQ(control<QLabel>("prossstates")->text(), QString());
    EXPECT_EQ(control<QPushButton>("opencom")->text(), QStringLiteral("打开串口"));
    EXPECT_EQ(window->inputFormWindow(), nullptr);

    auto* lamp = control<Lamp>("coms");
    EXPECT_EQ(lamp->colour(), QColor(Qt::black));
    const QImage drawn = lamp->grab().toImage();
    EXPECT_EQ(drawn.pixelColor(5, 6), QColor(Qt::black)) << "the middle of the lamp is filled";
}

TEST_F(MainWindowAfterStartUp, ProgressBarStaysHiddenWhenTheWindowIsShown) {
    showWindow();
    EXPECT_FALSE(control<QProgressBar>("ProgressBar")->isVisible());
    EXPECT_TRUE(control<QProgressBar>("epprom")->isVisible());
    EXPECT_TRUE(control<QListWidget>("datList")->isVisible());
}

TEST_F(MainWindowAfterStartUp, FillsTheThreeListsAndSelectsTheDefaults) {
    auto entries = [](QComboBox* box) {
        QStringList texts;
        for (int i = 0; i < box->count(); ++i) texts << box->itemText(i);
        return texts;
    };
    auto* cbcom = control<QComboBox>("cbcom");
    QStringList ports;
    for (int n = 1; n <= 16; ++n) ports << QStringLiteral("COM%1").arg(n);
    EXPECT_EQ(entries(cbcom), ports);
    EXPECT_EQ(cbcom->currentIndex(), 0);

    auto* cbrgb = control<QComboBox>("cbrgb");
    EXPECT_EQ(entries(cbrgb),
              (QStringList{"RGB红绿蓝", "RBG红蓝绿", "GRB绿红蓝", "GBR绿蓝红", "BRG蓝红绿", "BGR蓝绿红"}));
    EXPECT_EQ(cbrgb->currentIndex(), 0);

    auto* speed = control<QComboBox>("inputcbspeed");
    const QStringList times = entries(speed);
    ASSERT_EQ(times.size(), 30);
    EXPECT_EQ(times.first(), QStringLiteral("10毫秒"));
    EXPECT_EQ(times.at(4), QStringLiteral("50毫秒"));
    EXPECT_EQ(times.last(), QStringLiteral("300毫秒"));
    EXPECT_EQ(speed->currentIndex(), 4);
}

TEST_F(MainWindowAfterStartUp, OpenHasTheFocusAndTabFollowsTheControlOrder) {
    showWindow();
    QWidget* focused = QApplication::focusWidget();
    ASSERT_NE(focused, nullptr);
    EXPECT_EQ(focused->objectName(), QStringLiteral("open"));

    QStringList order{focused->objectName()};
    for (int i = 0; i < 7; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QWidget* w = QApplication::focusWidget();
        // The edit field of cbcom takes the focus on behalf of its combo box.
        while (w && w->objectName().isEmpty() && w->parentWidget()) w = w->parentWidget();
        order << (w ? w->objectName() : QString());
    }
    EXPECT_EQ(order, (QStringList{"open", "comsend", "cbcom", "opencom", "datList", "cbrgb", "inputcbspeed", "open"}));
}

using ShopLink = WindowTest;

TEST_F(ShopLink, AClickOnLabel5AsksForTheShopPageOnceAndChangesNothingElse) {
    showWindow();
    window->setStatus("状态");
    auto* link = control<QLabel>("Label5");
    QTest::mouseClick(link, Qt::LeftButton, {}, link->rect().center());

    ASSERT_EQ(web.opened.size(), 1u);
    EXPECT_EQ(web.opened.front(), texts::shopUrl);
    EXPECT_EQ(control<QLabel>("prossstates")->text(), QStringLiteral("状态"));
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_TRUE(files.asked.empty());
    EXPECT_TRUE(port.calls.empty());
    EXPECT_EQ(control<QListWidget>("datList")->count(), 0);
    EXPECT_EQ(control<QLabel>("size")->text(), QStringLiteral("0.00%"));
    EXPECT_EQ(link->text(), QStringLiteral("点此购买配套控制器或致电400-000-0000"));
}

TEST_F(ShopLink, OtherLabelsOpenNothing) {
    showWindow();
    for (const char* name : {"Label3", "Label4", "Label6", "size"}) {
        auto* label = control<QLabel>(name);
        QTest::mouseClick(label, Qt::LeftButton, {}, label->rect().center());
    }
    EXPECT_TRUE(web.opened.empty());
}

using PortList = WindowTest;

TEST_F(PortList, TypedTextSelectsNoPortAndAddsNoEntry) {
    showWindow();
    auto* cbcom = control<QComboBox>("cbcom");
    cbcom->lineEdit()->selectAll();
    QTest::keyClicks(cbcom->lineEdit(), "COM3");
    EXPECT_EQ(cbcom->lineEdit()->text(), QStringLiteral("COM3"));

    // Enter and leaving the field do not turn the text into an entry or a choice either.
    QTest::keyClick(cbcom->lineEdit(), Qt::Key_Return);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(cbcom->count(), 16);
    EXPECT_EQ(cbcom->findText(QStringLiteral("COM3")), 2);

    // The port button then finds no port: nothing is opened.
    QTest::mouseClick(control<QPushButton>("opencom"), Qt::LeftButton);
    EXPECT_TRUE(port.calls.empty());
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown.front().text, texts::noSuchPort);
    EXPECT_EQ(control<Lamp>("coms")->colour(), QColor(Qt::black));
}

TEST_F(PortList, ChoosingFromTheListSelectsAPortAgain) {
    showWindow();
    auto* cbcom = control<QComboBox>("cbcom");
    QTest::keyClicks(cbcom->lineEdit(), "x");
    QTest::mouseClick(control<QPushButton>("opencom"), Qt::LeftButton);
    ASSERT_TRUE(port.calls.empty()) << "typed text names no port";
    messages.shown.clear();

    // Arrow down in the field picks the next entry of the list.
    cbcom->setCurrentIndex(1);
    QTest::keyClick(cbcom, Qt::Key_Down);
    EXPECT_EQ(cbcom->currentIndex(), 2);

    QTest::mouseClick(control<QPushButton>("opencom"), Qt::LeftButton);
    EXPECT_EQ(port.portNumber, 3);
}

TEST_F(PortList, OpeningTheListShowsWhereEachEntryLeads) {
    ports.listed = {{"/dev/ttyUSB0", "USB-SERIAL CH340 (COM1)"}, {"/dev/ttyS0", "/dev/ttyS0"}};
    showWindow();
    auto* cbcom = control<QComboBox>("cbcom");
    cbcom->showPopup();
    EXPECT_EQ(cbcom->itemData(0, Qt::ToolTipRole).toString().toStdString(), "USB-SERIAL CH340 (COM1)");
    EXPECT_EQ(cbcom->itemData(1, Qt::ToolTipRole).toString().toStdString(), "/dev/ttyS0");
    EXPECT_EQ(cbcom->itemData(2, Qt::ToolTipRole).toString().toStdString(), texts::noDeviceTooltip);
    cbcom->hidePopup();
}

TEST_F(PortList, ThePortButtonLightsTheLampAndLocksTheList) {
    showWindow();
    auto* opencom = control<QPushButton>("opencom");
    QTest::mouseClick(opencom, Qt::LeftButton);
    EXPECT_EQ(port.portNumber, 1);
    EXPECT_TRUE(port.isOpen());
    EXPECT_EQ(control<Lamp>("coms")->colour(), QColor(255, 0, 0));
    EXPECT_EQ(control<Lamp>("coms")->grab().toImage().pixelColor(5, 6), QColor(255, 0, 0));
    EXPECT_EQ(opencom->text(), QStringLiteral("关闭串口"));
    EXPECT_FALSE(control<QComboBox>("cbcom")->isEnabled());

    QTest::mouseClick(opencom, Qt::LeftButton);
    EXPECT_FALSE(port.isOpen());
    EXPECT_EQ(control<Lamp>("coms")->colour(), QColor(Qt::black));
    EXPECT_EQ(opencom->text(), QStringLiteral("打开串口"));
    EXPECT_TRUE(control<QComboBox>("cbcom")->isEnabled());
}

using ShowListLook = WindowTest;

// A long path keeps the list at five visible entries: no scroll bar, the text and the tooltip
// the full path, only its drawing shortened in the middle so that the file name stays in sight.
TEST_F(ShowListLook, FiveEntriesFitWithLongPathsAndEachTooltipIsTheFullPath) {
    showWindow();
    std::filesystem::create_directories(folder.path() / std::string(120, 'x'));
    std::vector<std::string> paths{
        folder.write(std::string(120, 'x') + "/d100_f10.led", makeLedFile({.dots = 2, .frames = 1}))};
    for (const char* name : {"b.led", "c.led", "d.led", "e.led"}) paths.push_back(ledFile(name, 2, 1));
    for (const auto& path : paths) ASSERT_TRUE(importShow(path));

    auto* list = control<QListWidget>("datList");
    ASSERT_EQ(list->count(), 5);
    EXPECT_FALSE(list->horizontalScrollBar()->isVisible());
    EXPECT_FALSE(list->verticalScrollBar()->isVisible());
    for (int i = 0; i < 5; ++i) {
        const QRect row = list->visualItemRect(list->item(i));
        EXPECT_TRUE(list->viewport()->rect().contains(row)) << "entry " << i << " is cut off";
        EXPECT_EQ(list->item(i)->text().toStdString(), paths[static_cast<std::size_t>(i)]);
        EXPECT_EQ(list->item(i)->toolTip().toStdString(), paths[static_cast<std::size_t>(i)]);
    }
    // Every pixel row of the font's ink lies inside the list, the underscore's too.
    const QFontMetrics metrics(list->font());
    EXPECT_GE(list->viewport()->height(), 5 * list->visualItemRect(list->item(0)).height());
    EXPECT_LE(metrics.tightBoundingRect(QStringLiteral("国_g")).height(),
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

// The open lists draw their entries in the control's own font and colour.
TEST_F(ShowListLook, EachDropDownListDrawsItsEntriesInItsOwnFontAndColour) {
    for (const char* name : {"cbcom", "cbrgb", "inputcbspeed"}) {
        auto* box = control<QComboBox>(name);
        EXPECT_EQ(box->view()->font(), box->font()) << name;
        EXPECT_EQ(box->view()->palette().color(QPalette::Text), box->palette().color(QPalette::Text)) << name;
        EXPECT_EQ(box->view()->palette().color(QPalette::Base), QColor(Qt::white)) << name;
    }
}

using Closing = WindowTest;

TEST_F(Closing, ClosingTheMainWindowEndsTheProgramOnce) {
    showWindow();
    EXPECT_TRUE(window->close());
    EXPECT_EQ(programEnds, 1);
    EXPECT_FALSE(window->isVisible());
}

}  // namespace
}  // namespace pelmora::testing
