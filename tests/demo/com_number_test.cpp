// The demo prints which COM entry reaches the emulated controller. It asks com-number, which must
// give the entry that the tool's port list opens for that device.

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "led_builder.h"
#include "platform/posix/posix_port_directory.h"
#include "run_program.h"

namespace pelmora::testing {
namespace {

class ComNumber : public ::testing::Test {
protected:
    void makeDevices(const std::vector<std::string>& names) {
        for (const auto& name : names) std::ofstream(dir.path() / name).put('\0');
    }
    ProgramResult comNumber(const std::string& device) {
        return runProgram(quoted(PELMORA_COM_NUMBER) + " " + quoted(device) + " " + quoted(dir.path().string()) +
                          " 2>/dev/null");
    }
    TempDir dir;
};

TEST_F(ComNumber, UsbAdaptersComeFirstInNumericOrderThenModemsThenBuiltInPorts) {
    makeDevices({"ttyS0", "ttyS1", "ttyACM0", "ttyUSB10", "ttyUSB2", "tty0", "ttyUSBfoo", "console"});
    const std::string folder = dir.path().string();
    EXPECT_EQ(comNumber(folder + "/ttyUSB2").output, "COM1\n");
    EXPECT_EQ(comNumber(folder + "/ttyUSB10").output, "COM2\n");
    EXPECT_EQ(comNumber(folder + "/ttyACM0").output, "COM3\n");
    EXPECT_EQ(comNumber(folder + "/ttyS0").output, "COM4\n");
    EXPECT_EQ(comNumber(folder + "/ttyS1").output, "COM5\n");
}

TEST_F(ComNumber, AgreesWithTheDeviceTheToolOpensForEveryEntry) {
    makeDevices({"ttyS3", "ttyS0", "ttyS12", "ttyACM1", "ttyACM0", "ttyUSB0", "ttyUSB9", "ttyUSB11", "ttyUSB1"});
    const std::string folder = dir.path().string();
    const auto devices = listSerialDevices(folder);
    ASSERT_EQ(devices.size(), 9u);
    for (const auto& device : devices) {
        const auto result = comNumber(device);
        ASSERT_EQ(result.status, 0) << device;
        ASSERT_EQ(result.output.rfind("COM", 0), 0u) << result.output;
        const int number = std::stoi(result.output.substr(3));
        EXPECT_EQ(PosixPortDirectory(folder).device(number).path, device) << result.output;
    }
}

TEST_F(ComNumber, ABareDeviceNameIsLookedUpInTheFolder) {
    makeDevices({"ttyS0", "ttyUSB0"});
    EXPECT_EQ(comNumber("ttyS0").output, "COM2\n");
}

TEST_F(ComNumber, ADeviceOutsideTheFamiliesIsNoEntryAndFails) {
    makeDevices({"ttyS0", "ttyAMA0"});
    const auto result = comNumber((dir.path() / "ttyAMA0").string());
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.output, "");
    EXPECT_EQ(comNumber((dir.path() / "ttyUSB7").string()).status, 1);  // not there at all
}

TEST_F(ComNumber, ADeviceBeyondCom16IsReportedAsUnreachable) {
    std::vector<std::string> names;
    for (int n = 0; n < 17; ++n) names.push_back("ttyS" + std::to_string(n));
    makeDevices(names);
    EXPECT_EQ(comNumber("ttyS15").status, 0);
    const auto beyond = comNumber("ttyS16");
    EXPECT_EQ(beyond.status, 2);
    EXPECT_EQ(beyond.output, "COM17\n");
}

}  // namespace
}  // namespace pelmora::testing
