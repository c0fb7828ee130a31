// The window icon: 32 px from the start, 256 px added once the main window has been painted.

#include "ui/qt/window_icon.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QWidget>

#include "event_loop.h"

namespace pelmora::testing {
namespace {

TEST(WindowIcon, GetsItsLargeSizeOnceTheWindowIsPainted) {
    const QIcon early = appIcon();
    ASSERT_FALSE(early.isNull());
    EXPECT_EQ(early.availableSizes(), QList<QSize>({QSize(32, 32)})) << "the 256 px PNG decoded before the first paint";

    QWidget window;
    window.setWindowIcon(appIcon());
    window.resize(100, 50);
    window.show();
    addLargeIconSizesWhenShown(window);
    ASSERT_TRUE(runUntil([&] { return window.windowIcon().availableSizes().contains(QSize(256, 256)); }))
        << "the shown window never got the 256 px icon";
    EXPECT_TRUE(window.windowIcon().availableSizes().contains(QSize(32, 32)));
    EXPECT_EQ(window.windowIcon().pixmap(256, 256).size(), QSize(256, 256));
    EXPECT_TRUE(QApplication::windowIcon().availableSizes().contains(QSize(256, 256)));
    // Windows made later get the whole icon at once.
    EXPECT_TRUE(appIcon().availableSizes().contains(QSize(256, 256)));
}

}  // namespace
}  // namespace pelmora::testing
