// The window's built-in font: it is registered under its own family, the windows ask for it first,
// it holds every character of their texts, and a character it lacks still draws from the system.

#include "ui/qt/embedded_font.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QRawFont>
#include <QStringList>

#include "ui/qt/fonts.h"

namespace pelmora::testing {
namespace {

// Every text the two windows show, typed here by hand from what the user sees: a text the font
// lacks, whatever source file it comes from, fails here.
// clang-format off
const QStringList visibleTexts{
    "Pelmora发送软件 Ver1.2", "一.导入LED文件", "二.发送到控制器", "发送至串口", "打开串口", "关闭串口",
    "RGB顺序", "每帧时间", "已使用空间", "点此购买配套控制器或致电", "RGB红绿蓝", "RBG红蓝绿",
    "GRB绿红蓝", "GBR绿蓝红", "BRG蓝红绿", "BGR蓝绿红", "毫秒", "设置参数", "全彩点数", "节目帧数",
    "(如不正确,请手动输入)", "确定", "输入第 1 个节目参数", "开始发送中......", "所有数据已经发送到控制器中.",
    "你没有打开任何文件或找开了错误的文件!", "文件长度超出了控制器的容量.",
    "点数或帧数超出了文件中的数据,请重新输入.", "最多只能5个文件", "不存在该串口,请重新选择.",
    "请先导入文件后再发送数据。", "串口没有打开或被占用了, 请换另一个串口或关闭占用该串口的程序。",
    "没有对应的串口设备", "注意", "提示", "出错了!", "0.00%", "…",
};
// clang-format on

// A character of a file name, not of any text of the windows.
constexpr char32_t notInTexts = U'测';

QByteArray embeddedFontData() {
    QFile file(QStringLiteral(":/fonts/pelmora-song.ttf"));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString uncovered(const QRawFont& font, const QString& text) {
    QString missing;
    for (const char32_t c : text.toUcs4())
        if (!font.supportsCharacter(c)) missing += QString::fromUcs4(&c, 1);
    return missing;
}

TEST(EmbeddedFont, IsRegisteredUnderItsOwnFamily) {
    ASSERT_TRUE(registerEmbeddedSong());
    EXPECT_TRUE(registerEmbeddedSong()) << "a second call must give the same answer";
    EXPECT_EQ(embeddedSongFamily(), QStringLiteral("Pelmora Song"));
    EXPECT_TRUE(QFontDatabase::families().contains(embeddedSongFamily()));
    // Its own name, not the installed font's: the two cannot be mistaken for each other.
    const QRawFont raw(embeddedFontData(), 12);
    ASSERT_TRUE(raw.isValid());
    EXPECT_EQ(raw.familyName(), embeddedSongFamily());
}

TEST(EmbeddedFont, IsTheFirstFamilyTheWindowsAskFor) {
    EXPECT_EQ(songFamilies().value(0), embeddedSongFamily());
    EXPECT_GT(songFamilies().size(), 2) << "the system's families must stay behind it, for file names";
    const QFont font = songFont();
    EXPECT_EQ(font.families().value(0), embeddedSongFamily());
    EXPECT_EQ(QFontInfo(font).family(), embeddedSongFamily());
    EXPECT_EQ(QFontInfo(songFont(15.75, true)).family(), embeddedSongFamily());
}

TEST(EmbeddedFont, HoldsEveryCharacterOfTheWindowsTexts) {
    const QRawFont raw(embeddedFontData(), 12);
    ASSERT_TRUE(raw.isValid());
    for (const QString& text : visibleTexts) EXPECT_EQ(uncovered(raw, text), QString()) << text.toStdString();
    for (char32_t c = 0x20; c < 0x7F; ++c) EXPECT_TRUE(raw.supportsCharacter(c)) << "ASCII " << int(c);
}

TEST(EmbeddedFont, HoldsEveryCharacterTheBuildFoundInTheSources) {
    QFile list(QStringLiteral(PELMORA_SONG_CHARS));
    ASSERT_TRUE(list.open(QIODevice::ReadOnly)) << PELMORA_SONG_CHARS;
    QString found = QString::fromUtf8(list.readAll());
    found.chop(found.endsWith(u'\n') ? 1 : 0);  // the line end, not the space the line starts with
    // The scan found the windows' texts (so the list is not empty or ASCII only) ...
    for (const QString& text : visibleTexts)
        for (const QChar c : text) EXPECT_TRUE(found.contains(c)) << text.toStdString();
    // ... and the font holds all it found.
    const QRawFont raw(embeddedFontData(), 12);
    EXPECT_EQ(uncovered(raw, found), QString());
}

TEST(EmbeddedFont, FileNamesFallBackToTheSystemsFonts) {
    const QRawFont raw(embeddedFontData(), 12);
    ASSERT_TRUE(raw.isValid());
    EXPECT_FALSE(raw.supportsCharacter(notInTexts)) << "the subset holds more than the windows' texts";
    if (!QFontDatabase::families().contains(QStringLiteral("AR PL UMing CN")))
        GTEST_SKIP() << "no CJK font installed to fall back to";
    EXPECT_TRUE(QFontMetrics(songFont()).inFontUcs4(notInTexts));
}

}  // namespace
}  // namespace pelmora::testing
