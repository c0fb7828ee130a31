#include "platform/file_system.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "as_nobody.h"
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
    const FileRead read = readWholeFile(dir.write("a.led", content));
    EXPECT_TRUE(read);
    EXPECT_EQ(read.failure, FileFailure::none);
    EXPECT_EQ(*read, content);
    EXPECT_EQ(readWholeFile(dir.write("a.led", content)).content(), content);
    EXPECT_EQ(*readWholeFile(dir.write("empty.led", {})), Bytes{});
    EXPECT_TRUE(readWholeFile(dir.write("empty.led", {})));
}

// What is not read, and why: without blocking, and with the system's own words where it gave some.
TEST(ReadWholeFile, SaysWhyItRefusesAFile) {
    testing::TempDir dir;
    const auto fifo = (dir.path() / "pipe.led").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string plain = dir.write("plain.led", {1});
    // Longer than a signed 32-bit count, and sparse: nothing of it is written.
    const std::string huge = dir.write("huge.led", {});
    ASSERT_EQ(::truncate(huge.c_str(), 0x80000000LL), 0);
    const struct {
        std::string path;
        FileFailure failure;
        int systemError;  // the errno whose text comes with it; 0 none
    } cases[] = {
        {(dir.path() / "missing.led").string(), FileFailure::missing, ENOENT},
        {plain + "/inside.led", FileFailure::missing, ENOTDIR},
        {dir.path().string(), FileFailure::notRegularFile, 0},  // a folder
        {fifo, FileFailure::notRegularFile, 0},                 // no writer: a blocking open would hang here
        {"/dev/zero", FileFailure::notRegularFile, 0},
        {huge, FileFailure::tooLarge, 0},
    };
    for (const auto& c : cases) {
        const FileRead read = readWholeFile(c.path);
        EXPECT_FALSE(read) << c.path;
        EXPECT_EQ(read.failure, c.failure) << c.path;
        EXPECT_EQ(read.systemText, c.systemError ? std::strerror(c.systemError) : "") << c.path;
        EXPECT_TRUE(read->empty()) << c.path;
        EXPECT_FALSE(readWholeFile(c.path).content()) << c.path;
    }
}

// A file nobody may read (root reads it all the same, so it is read as nobody).
TEST(ReadWholeFile, AFileThisUserMayNotReadIsNotPermitted) {
    testing::TempDir dir;
    const std::string path = dir.write("secret.led", {1, 2, 3});
    ASSERT_EQ(::chmod(path.c_str(), 0), 0);
    ASSERT_EQ(::chmod(dir.path().c_str(), 0755), 0);
    EXPECT_TRUE(testing::holdsForAnotherUser([&] {
        const FileRead read = readWholeFile(path);
        return read.failure == FileFailure::notPermitted && read.systemText == std::strerror(EACCES);
    }));
}

// A whole file or none: the bytes replace what was there, through a temporary file that does not
// stay; where the folder is missing nothing is written.
TEST(WriteWholeFile, ReplacesTheFileWholeAndLeavesNothingElse) {
    testing::TempDir dir;
    const std::string path = dir.write("image.img", Bytes(5000, 9));
    const Bytes bytes = {1, 2, 3};
    ASSERT_TRUE(writeWholeFile(path, bytes));
    EXPECT_EQ(*readWholeFile(path), bytes);
    ASSERT_TRUE(writeWholeFile(path, {}));
    EXPECT_EQ(*readWholeFile(path), Bytes{});
    EXPECT_FALSE(writeWholeFile((dir.path() / "no-such-folder" / "image.img").string(), bytes));
    // image.img alone: nothing else is left in the folder.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

TEST(ProgramFolder, IsTheFolderOfTheRunningProgram) {
    const std::filesystem::path folder = programFolder();
    EXPECT_TRUE(folder.is_absolute());
    EXPECT_TRUE(std::filesystem::exists(folder / "platform_tests"));
}

}  // namespace
}  // namespace pelmora
