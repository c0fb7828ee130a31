#include "platform/posix/posix_port_directory.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "as_nobody.h"
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
    EXPECT_EQ(entries[1].path, (dev.path() / "ttyS0").string());
    EXPECT_EQ(entries[2].path, "");
    EXPECT_EQ(entries[3].path, "");
}

// Each device is listed, with what opening it would fail with where that shows without opening it:
// a link whose device has gone, a device this user may not read and write (outside the dialout
// group), no character device at all.
TEST(SerialDevices, EachDeviceSaysWhatOpeningItWouldFailWith) {
    testing::TempDir dev;
    std::filesystem::create_symlink("/dev/null", dev.path() / "ttyUSB0");  // a character device
    std::filesystem::create_symlink(dev.path() / "gone", dev.path() / "ttyUSB1");
    dev.write("ttyUSB2", {});
    const auto locked = dev.write("ttyUSB3", {});
    ASSERT_EQ(::chmod(dev.path().c_str(), 0755), 0);
    ASSERT_EQ(::chmod(locked.c_str(), 0600), 0);
    const PosixPortDirectory directory(dev.path().string());
    const std::vector<PortFailure> expected = {PortFailure::none, PortFailure::missing, PortFailure::notSerialDevice};
    const auto devices = directory.devices(3);
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(devices[i].failure, expected[i]) << devices[i].path;
        EXPECT_EQ(directory.device(static_cast<int>(i) + 1).failure, expected[i]) << devices[i].path;
    }
    EXPECT_EQ(directory.device(4).failure, PortFailure::notSerialDevice);  // its owner may open it
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to look at the device as another user";
    EXPECT_TRUE(testing::holdsForAnotherUser([&] {
        const PortDevice seen = directory.device(4);
        return seen.path == locked && seen.failure == PortFailure::notPermitted;
    }));
}

TEST(SerialDevices, AMissingFolderHasNoDevices) {
    EXPECT_TRUE(listSerialDevices("/nonexistent/folder").empty());
    EXPECT_EQ(PosixPortDirectory("/nonexistent/folder").device(1).path, "");
}

}  // namespace
}  // namespace pelmora
