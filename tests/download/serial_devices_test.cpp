#include "download/serial_devices.h"

#include <gtest/gtest.h>

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
    EXPECT_EQ(serialDeviceFor(dev.path().string(), 1), in("ttyUSB0"));
    EXPECT_EQ(serialDeviceFor(dev.path().string(), 4), in("ttyACM0"));
    EXPECT_EQ(serialDeviceFor(dev.path().string(), 8), in("ttyS10"));
    EXPECT_EQ(serialDeviceFor(dev.path().string(), 9), "");
    EXPECT_EQ(serialDeviceFor(dev.path().string(), 0), "");
    EXPECT_EQ(serialDeviceFor(dev.path().string(), -1), "");
}

TEST(SerialDevices, AMissingFolderHasNoDevices) {
    EXPECT_TRUE(listSerialDevices("/nonexistent/folder").empty());
    EXPECT_EQ(serialDeviceFor("/nonexistent/folder", 1), "");
}

}  // namespace
}  // namespace pelmora
