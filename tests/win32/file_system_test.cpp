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
    EXPECT_EQ(readWholeFile(dir.write("a.led", content)), content);
    EXPECT_EQ(readWholeFile(dir.write("彩虹_渐变.led", content)), content);
    EXPECT_EQ(readWholeFile(dir.write("empty.led", {})), Bytes{});
}

TEST(Win32ReadWholeFile, RefusesWhatIsNotARegularFile) {
    testing::TempDir dir;
    EXPECT_FALSE(readWholeFile(testing::utf8Of(dir.path() / "missing.led")));
    EXPECT_FALSE(readWholeFile(testing::utf8Of(dir.path())));  // a folder
    EXPECT_FALSE(readWholeFile("NUL"));                        // a device
    EXPECT_FALSE(readWholeFile(""));
}

TEST(Win32ProgramFolder, IsTheFolderOfTheRunningProgram) {
    const std::filesystem::path folder = testing::pathOf(programFolder());
    EXPECT_TRUE(folder.is_absolute());
    EXPECT_TRUE(std::filesystem::exists(folder / "win32_platform_tests.exe"));
}

}  // namespace
}  // namespace pelmora
