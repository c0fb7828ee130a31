#include <gtest/gtest.h>

#include "platform/win32/win32_port_directory.h"

namespace pelmora {
namespace {

TEST(ComDevicePath, IsTheDeviceNameSpaceFormForEveryNumber) {
    EXPECT_EQ(comDevicePath(1), "\\\\.\\COM1");
    EXPECT_EQ(comDevicePath(12), "\\\\.\\COM12");  // "COM12" alone would not open
    EXPECT_EQ(comDevicePath(0), "");
    EXPECT_EQ(comDevicePath(-3), "");
}

TEST(ComNumberOf, ReadsCOMFollowedByANumber) {
    const std::vector<std::pair<std::string, int>> cases = {{"COM1", 1},   {"COM3", 3}, {"com12", 12}, {"Com255", 255},
                                                            {"COM256", 0}, {"COM0", 0}, {"COM01", 0},  {"COM", 0},
                                                            {"COM3 ", 0},  {"LPT1", 0}, {"", 0},       {"COM1234", 0}};
    for (const auto& [name, number] : cases) EXPECT_EQ(comNumberOf(name), number) << name;
}

TEST(DescribeComPorts, NamesEachPortByItsFriendlyNameElseItsRegistryEntryElseItsDosDeviceElseNothing) {
    ComPortNames names;
    names.friendlyNames[3] = "USB-SERIAL CH340 (COM3)";
    names.serialComm[3] = "\\Device\\wch_ser0";
    names.dosDevices[3] = "\\Device\\wch_ser0";
    names.serialComm[1] = "\\Device\\Serial0";
    names.dosDevices[1] = "\\Device\\Other";
    names.dosDevices[4] = "\\Device\\VCP0";
    names.friendlyNames[20] = "beyond the list (COM20)";
    const auto devices = describeComPorts(names, 16);
    ASSERT_EQ(devices.size(), 16u);
    EXPECT_EQ(devices[0].path, "\\\\.\\COM1");
    EXPECT_EQ(devices[0].description, "\\Device\\Serial0 (COM1)");
    EXPECT_EQ(devices[1].path, "");  // COM2: nothing behind it
    EXPECT_EQ(devices[2].path, "\\\\.\\COM3");
    EXPECT_EQ(devices[2].description, "USB-SERIAL CH340 (COM3)");
    for (const auto& device : devices) EXPECT_EQ(device.failure, PortFailure::none);  // only opening tells
    EXPECT_EQ(devices[3].path, "\\\\.\\COM4");  // a DOS name alone, entered in no registry
    EXPECT_EQ(devices[3].description, "\\Device\\VCP0 (COM4)");
    for (int n = 5; n <= 16; ++n) EXPECT_EQ(devices[static_cast<std::size_t>(n - 1)].path, "") << n;
}

TEST(Win32PortDirectory, ListsAsManyEntriesAsAskedOnThisSystem) {
    Win32PortDirectory directory;
    const auto devices = directory.devices(16);
    ASSERT_EQ(devices.size(), 16u);
    for (std::size_t i = 0; i < devices.size(); ++i) {
        if (devices[i].path.empty()) continue;
        EXPECT_EQ(devices[i].path, comDevicePath(static_cast<int>(i) + 1));
        EXPECT_FALSE(devices[i].description.empty());
    }
    EXPECT_EQ(directory.device(0).path, "");
}

}  // namespace
}  // namespace pelmora
