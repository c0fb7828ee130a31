#include "platform/posix/posix_port_directory.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "led_builder.h"

namespace pelmora {
namespace {

TEST(SerialDevices, UsbThenAcmThenBuiltInEachInNumericOrder) {
    testing::TempDir dev;
    for (const char* name : {"ttyS1", "ttyUSB10", "ttyACM0", "ttyS0", "ttyUSB2", "tty0", "ttyUSB", "ttyUSBx", "console",
                             "ttyS10", "ttyS2"})
        dev.write(name, {});
    std::filesystem::create_symlink("/dev/null", dev.path() / "ttyUSB0");  // links count
    const auto in = [&](const char* name) { return (dev.path() / name).string(); };
    EXPECT_EQ(listSerialDevices(dev.path().string()),
              (std::vector<std::string>{in("ttyUSB0"), in("ttyUSB2"), in("ttyUSB10"), in("ttyACM0"), in("ttyS0"),
                                        in("ttyS1"), in("ttyS2"), in("ttyS10")}));
    EXPECT_EQ(PosixPortDirectory(dev.path().string()).device(1).path, in("ttyUSB0"));
    EXPECT_EQ(PosixPortDirectory(dev.path().string()).device(4).path, in("ttyACM0"));
    EXPECT_EQ(PosixPortDirectory(dev.path().string()).device(8).path, in("ttyS10"));
    EXPECT_EQ(PosixPortDirectory(dev.path().string()).device(9).path, "");
    EXPECT_EQ(PosixPortDirectory(dev.path().string()).device(0).path, "");
    EXPECT_EQ(PosixPortDirectory(dev.path().string()).device(-1).path, "");
}

TEST(SerialDevices, TheListOfComEntriesNamesTheDeviceOfEachOrNone) {
    testing::TempDir dev;
    dev.write("ttyUSB3", {});
    dev.write("ttyS0", {});
    const auto entries = PosixPortDirectory(dev.path().string()).devices(4);
    ASSERT_EQ(entries.size(), 4u);
    EXPECT_EQ(entries[0].path, (dev.path() / "ttyUSB3").string());
    EXPECT_EQ(entries[0].description, entries[0].path);
    EXPECT_TRUE(entries[0].permitted);
    EXPECT_EQ(entries[1].path, (dev.path() / "ttyS0").string());
    EXPECT_EQ(entries[2].path, "");
    EXPECT_EQ(entries[3].path, "");
}

// A device the user may not read and write (outside the dialout group) is listed, marked so.
TEST(SerialDevices, ADeviceThisUserMayNotOpenIsThereButNotPermitted) {
    testing::TempDir dev;
    const auto path = dev.write("ttyUSB0", {});
    ASSERT_EQ(::chmod(dev.path().c_str(), 0755), 0);
    ASSERT_EQ(::chmod(path.c_str(), 0600), 0);
    EXPECT_TRUE(PosixPortDirectory(dev.path().string()).device(1).permitted);  // its owner may
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to look at the device as another user";
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (::setuid(65534) != 0) ::_exit(2);
        const PortDevice seen = PosixPortDirectory(dev.path().string()).device(1);
        ::_exit(seen.path == path && !seen.permitted ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
}

TEST(SerialDevices, AMissingFolderHasNoDevices) {
    EXPECT_TRUE(listSerialDevices("/nonexistent/folder").empty());
    EXPECT_EQ(PosixPortDirectory("/nonexistent/folder").device(1).path, "");
}

}  // namespace
}  // namespace pelmora
