#include "platform/file_system.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "led_builder.h"

namespace pelmora {
namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(Win32ReadWholeFile, ReadsARegularFileWholeWhateverItsName) {
    testing::TempDir dir;
    testing::LedFileSpec led;
    led.dots = 100;
    led.frames = 3;
    const Bytes content = testing::makeLedFile(led);
    EXPECT_EQ(readWholeFile(dir.write("a.led", content)).content(), content);
    EXPECT_EQ(readWholeFile(dir.write("彩虹_渐变.led", content)).content(), content);
    EXPECT_EQ(readWholeFile(dir.write("empty.led", {})).content(), Bytes{});
}

// The bytes replace the file whole, under any name, and nothing is left beside it.
TEST(Win32WriteWholeFile, ReplacesTheFileWholeAndLeavesNothingElse) {
    testing::TempDir dir;
    const std::string path = dir.write("映像.img", Bytes(5000, 9));
    ASSERT_TRUE(writeWholeFile(path, {1, 2, 3}));
    EXPECT_EQ(readWholeFile(path).content(), (Bytes{1, 2, 3}));
    EXPECT_FALSE(writeWholeFile(testing::utf8Of(dir.path() / "no-such-folder" / "image.img"), {1}));
    int entries = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
        (void)entry;
        ++entries;
    }
    EXPECT_EQ(entries, 1);
}

// What is not read, and why, with the system's own words where it gave some.
TEST(Win32ReadWholeFile, SaysWhyItRefusesAFile) {
    testing::TempDir dir;
    const struct {
        std::string path;
        FileFailure failure;
        bool systemText;
    } cases[] = {
        {testing::utf8Of(dir.path() / "missing.led"), FileFailure::missing, true},
        {testing::utf8Of(dir.path() / "no-folder" / "missing.led"), FileFailure::missing, true},
        {testing::utf8Of(dir.path()), FileFailure::notRegularFile, false},  // a folder
        {"NUL", FileFailure::notRegularFile, false},                        // a device
        {"", FileFailure::missing, false},
    };
    for (const auto& c : cases) {
        const FileRead read = readWholeFile(c.path);
        EXPECT_FALSE(read) << c.path;
        EXPECT_EQ(read.failure, c.failure) << c.path;
        EXPECT_EQ(read.systemText.empty(), !c.systemText) << c.path << ": " << read.systemText;
    }
}

TEST(Win32ProgramFolder, IsTheFolderOfTheRunningProgram) {
    const std::filesystem::path folder = testing::pathOf(programFolder());
    EXPECT_TRUE(folder.is_absolute());
    EXPECT_TRUE(std::filesystem::exists(folder / "win32_platform_tests.exe"));
}

}  // namespace
}  // namespace pelmora
