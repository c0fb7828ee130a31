#include "platform/file_system.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "led_builder.h"

namespace pelmora {
namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(ReadWholeFile, ReadsARegularFileWhole) {
    testing::TempDir dir;
    testing::LedFileSpec led;
    led.dots = 100;
    led.frames = 3;
    const Bytes content = testing::makeLedFile(led);
    EXPECT_EQ(readWholeFile(dir.write("a.led", content)), content);
    EXPECT_EQ(readWholeFile(dir.write("empty.led", {})), Bytes{});
}

TEST(ReadWholeFile, RefusesWhatIsNotARegularFileWithoutBlocking) {
    testing::TempDir dir;
    EXPECT_FALSE(readWholeFile((dir.path() / "missing.led").string()));
    EXPECT_FALSE(readWholeFile(dir.path().string()));  // a folder
    const auto fifo = (dir.path() / "pipe.led").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_FALSE(readWholeFile(fifo));  // no writer: a blocking open would hang here
    EXPECT_FALSE(readWholeFile("/dev/zero"));
}

TEST(ProgramFolder, IsTheFolderOfTheRunningProgram) {
    const std::filesystem::path folder = programFolder();
    EXPECT_TRUE(folder.is_absolute());
    EXPECT_TRUE(std::filesystem::exists(folder / "platform_tests"));
}

}  // namespace
}  // namespace pelmora
