#pragma once
// The serial port seam on the Win32 communications API. COMn is opened as \\.\COMn, exclusively,
// for overlapped I/O.
//
// A reader thread waits for received bytes (WaitCommEvent with EV_RXCHAR), takes them from the
// driver and posts one message to a message-only window of this object's; the user-interface
// thread turns it into the listener's event code 2, and a read returns every byte waiting. The
// thread waits again only once the user-interface thread has read, and holds at most 4 KiB, so a
// line that floods can fill neither the message queue nor the memory. A writer thread hands the buffers to the driver
// in the order they were written and keeps each until its write has completed: write() never waits. The first failure
// of a wait, a read or a write (an adapter pulled out) closes the port and is reported once through portLost.

#include <windows.h>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/serial_port.h"

namespace pelmora {

// The device control block of a line, from a DCB as the driver had it: the line settings, binary,
// no flow control of either kind, DTR and RTS raised as a Unix tty raises them when it is opened.
// False for settings no line can have (data bits outside 5..8, a baud rate below 1).
bool makeLineControl(const LineSettings& settings, DCB& dcb);

// The kind of failure a Win32 error of opening a COM port stands for, with the system's text.
PortOpenResult portFailureOfError(DWORD error);

class Win32SerialPort : public SerialPort {
public:
    Win32SerialPort();
    ~Win32SerialPort() override;
    Win32SerialPort(const Win32SerialPort&) = delete;
    Win32SerialPort& operator=(const Win32SerialPort&) = delete;

    void setListener(Listener* listener) override;
    void setPortNumber(int number) override;
    void setSettings(const LineSettings& settings) override;
    void setRawMode(bool raw) override;
    void setOutBufferSize(int bytes) override;
    void setInBufferSize(int bytes) override;
    PortOpenResult open() override;
    void setReadLength(int bytes) override;
    void setReceiveThreshold(int bytes) override;
    void setSendThreshold(int bytes) override;
    void close() override;
    bool isOpen() const override;
    bool write(std::span<const std::uint8_t> bytes) override;
    std::vector<std::uint8_t> readAll() override;

    // The handle of the open port (INVALID_HANDLE_VALUE when closed), for tests that read its state.
    HANDLE handle() const { return port_; }

private:
    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    PortOpenResult openDevice(HANDLE& opened) const;
    void onReceived(WPARAM generation);
    void onLost(WPARAM generation);
    void readLoop(unsigned generation);
    void writeLoop(unsigned generation);
    void post(UINT message, unsigned generation);
    bool takeWaiting(HANDLE event);  // with readMutex_ held

    HWND window_ = nullptr;
    HANDLE port_ = INVALID_HANDLE_VALUE;
    HANDLE claim_ = nullptr;     // the named mutex by which the tool's programs claim this COM number
    HANDLE stop_ = nullptr;      // manual reset: the threads end
    HANDLE rearm_ = nullptr;     // auto reset: the user-interface thread has read, wait again
    HANDLE readDone_ = nullptr;  // the user-interface thread's reads complete on this
    std::thread reader_, writer_;
    unsigned generation_ = 0;  // messages of a port closed since are ignored

    static constexpr std::size_t receivedLimit = 4096;
    std::mutex readMutex_;
    std::vector<std::uint8_t> received_;  // taken from the driver, not yet read

    std::mutex writeMutex_;
    std::condition_variable writeWake_;
    std::deque<std::vector<std::uint8_t>> writes_;  // oldest first; the front one is with the driver
    bool stopping_ = false;

    Listener* listener_ = nullptr;
    int portNumber_ = 0;
    LineSettings settings_;
    DWORD inBufferSize_ = 1024;
    DWORD outBufferSize_ = 4096;
    int readLength_ = 0;
    std::atomic<int> receiveThreshold_{0};  // read by the reader thread
    bool announced_ = false;                // a receive event went out; the next read lets the reader wait again
    bool lost_ = false;                     // the port broke; portLost is on its way
};

}  // namespace pelmora
