#include <gtest/gtest.h>

#include "platform/win32/win32_serial_port.h"

namespace pelmora {
namespace {

using P = LineSettings::Parity;
using S = LineSettings::StopBits;

TEST(MakeLineControl, SetsTheLineBinaryWithoutFlowControlAndDtrRtsRaised) {
    struct Case {
        LineSettings settings;
        bool accepted;
        BYTE parity = NOPARITY, stopBits = ONESTOPBIT;
    };
    const std::vector<Case> cases = {
        {{115200, 8, P::none, S::one}, true},
        {{9600, 7, P::even, S::two}, true, EVENPARITY, TWOSTOPBITS},
        {{1200, 5, P::odd, S::oneAndHalf}, true, ODDPARITY, ONE5STOPBITS},
        {{300, 6, P::mark, S::one}, true, MARKPARITY},
        {{300, 6, P::space, S::one}, true, SPACEPARITY},
        {{115200, 9, P::none, S::one}, false},
        {{115200, 4, P::none, S::one}, false},
        {{0, 8, P::none, S::one}, false},
        {{-5, 8, P::none, S::one}, false},
    };
    for (const Case& c : cases) {
        DCB dcb{};
        // What a driver may have left set from an earlier program.
        dcb.fOutxCtsFlow = dcb.fOutxDsrFlow = dcb.fOutX = dcb.fInX = dcb.fNull = dcb.fAbortOnError = TRUE;
        dcb.fDtrControl = DTR_CONTROL_HANDSHAKE;
        dcb.fRtsControl = RTS_CONTROL_HANDSHAKE;
        ASSERT_EQ(makeLineControl(c.settings, dcb), c.accepted) << c.settings.baudRate << " " << c.settings.dataBits;
        if (!c.accepted) continue;
        EXPECT_EQ(dcb.DCBlength, sizeof(DCB));
        EXPECT_EQ(dcb.BaudRate, static_cast<DWORD>(c.settings.baudRate));
        EXPECT_EQ(dcb.ByteSize, c.settings.dataBits);
        EXPECT_EQ(dcb.Parity, c.parity);
        EXPECT_EQ(dcb.StopBits, c.stopBits);
        EXPECT_EQ(dcb.fParity, c.parity != NOPARITY);
        EXPECT_TRUE(dcb.fBinary);
        EXPECT_FALSE(dcb.fOutxCtsFlow || dcb.fOutxDsrFlow || dcb.fDsrSensitivity || dcb.fOutX || dcb.fInX);
        EXPECT_FALSE(dcb.fNull || dcb.fErrorChar || dcb.fAbortOnError);
        EXPECT_EQ(dcb.fDtrControl, static_cast<DWORD>(DTR_CONTROL_ENABLE));
        EXPECT_EQ(dcb.fRtsControl, static_cast<DWORD>(RTS_CONTROL_ENABLE));
    }
}

// The Win32 errors of opening a COM port, by kind: a port another program holds is refused as
// access denied on Windows.
TEST(PortFailureOfError, NamesTheKindWithTheSystemsText) {
    const std::vector<std::pair<DWORD, PortFailure>> cases = {
        {ERROR_FILE_NOT_FOUND, PortFailure::missing}, {ERROR_PATH_NOT_FOUND, PortFailure::missing},
        {ERROR_ACCESS_DENIED, PortFailure::busy},     {ERROR_SHARING_VIOLATION, PortFailure::busy},
        {ERROR_GEN_FAILURE, PortFailure::other},
    };
    for (const auto& [error, failure] : cases) {
        const PortOpenResult result = portFailureOfError(error);
        EXPECT_EQ(result.failure, failure) << error;
        EXPECT_FALSE(result.systemText.empty()) << error;
        EXPECT_NE(result.systemText.back(), '\n') << error;
    }
    EXPECT_TRUE(portFailureOfError(ERROR_SUCCESS));
}

TEST(Win32SerialPort, OpenSaysWhyItFailsAndLeavesThePortClosed) {
    Win32SerialPort port;
    port.setSettings({115200, 8, P::none, S::one});
    port.setPortNumber(0);
    EXPECT_EQ(port.open().failure, PortFailure::missing);
    port.setPortNumber(250);  // nothing links COM250 in the test prefix
    const PortOpenResult missing = port.open();
    EXPECT_EQ(missing.failure, PortFailure::missing);
    EXPECT_FALSE(missing.systemText.empty());
    {
        // Another of the tool's programs holds COM250: its claim is there.
        HANDLE claim = ::CreateMutexW(nullptr, FALSE, L"Local\\pelmora-serial-COM250");
        ASSERT_NE(claim, nullptr);
        EXPECT_EQ(port.open().failure, PortFailure::busy);
        ::CloseHandle(claim);
    }
    EXPECT_EQ(port.open().failure, PortFailure::missing);  // and is gone again
    port.setSettings({115200, 9, P::none, S::one});
    EXPECT_EQ(port.open().failure, PortFailure::other);
    EXPECT_FALSE(port.isOpen());
    EXPECT_FALSE(port.write(std::vector<std::uint8_t>{0x41}));
    EXPECT_TRUE(port.readAll().empty());
    port.close();  // closing a closed port does nothing
    EXPECT_EQ(port.handle(), INVALID_HANDLE_VALUE);
}

}  // namespace
}  // namespace pelmora
