#include "platform/win32/win32_serial_port.h"

#include <algorithm>

#include "platform/win32/utf.h"
#include "platform/win32/win32_port_directory.h"

namespace pelmora {

namespace {

constexpr UINT receivedMessage = WM_APP + 1;  // wParam: the port's generation
constexpr UINT lostMessage = WM_APP + 2;
constexpr wchar_t windowClass[] = L"PelmoraSerialPort";

BYTE parityOf(LineSettings::Parity parity) {
    switch (parity) {
        case LineSettings::Parity::even:
            return EVENPARITY;
        case LineSettings::Parity::odd:
            return ODDPARITY;
        case LineSettings::Parity::mark:
            return MARKPARITY;
        case LineSettings::Parity::space:
            return SPACEPARITY;
        case LineSettings::Parity::none:
            break;
    }
    return NOPARITY;
}

BYTE stopBitsOf(LineSettings::StopBits stopBits) {
    switch (stopBits) {
        case LineSettings::StopBits::oneAndHalf:
            return ONE5STOPBITS;
        case LineSettings::StopBits::two:
            return TWOSTOPBITS;
        case LineSettings::StopBits::one:
            break;
    }
    return ONESTOPBIT;
}

class Event {
public:
    Event() : handle_(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
    ~Event() {
        if (handle_) ::CloseHandle(handle_);
    }
    Event(const Event&) = delete;
    Event& operator=(const Event&) = delete;
    HANDLE get() const { return handle_; }

private:
    HANDLE handle_;
};

// Waits for an overlapped operation that the call left pending, unless stop is set first; then
// the operation is cancelled. Returns whether it completed, with the bytes it moved.
enum class Outcome { done, failed, stopped };
Outcome finish(HANDLE port, OVERLAPPED& overlapped, HANDLE stop, DWORD& moved) {
    if (::GetLastError() != ERROR_IO_PENDING) return Outcome::failed;
    HANDLE waits[2] = {overlapped.hEvent, stop};
    const DWORD woke = ::WaitForMultipleObjects(2, waits, FALSE, INFINITE);
    if (woke != WAIT_OBJECT_0) {
        ::CancelIoEx(port, &overlapped);
        ::GetOverlappedResult(port, &overlapped, &moved, TRUE);
        return woke == WAIT_OBJECT_0 + 1 ? Outcome::stopped : Outcome::failed;
    }
    return ::GetOverlappedResult(port, &overlapped, &moved, FALSE) ? Outcome::done : Outcome::failed;
}

}  // namespace

bool makeLineControl(const LineSettings& settings, DCB& dcb) {
    if (settings.dataBits < 5 || settings.dataBits > 8 || settings.baudRate < 1) return false;
    dcb.DCBlength = sizeof dcb;
    dcb.BaudRate = static_cast<DWORD>(settings.baudRate);
    dcb.ByteSize = static_cast<BYTE>(settings.dataBits);
    dcb.Parity = parityOf(settings.parity);
    dcb.StopBits = stopBitsOf(settings.stopBits);
    dcb.fBinary = TRUE;
    dcb.fParity = settings.parity != LineSettings::Parity::none;
    // The controller asks for every chunk: no hardware or software flow control, nothing replaced
    // or dropped, no stop at a line error.
    dcb.fOutxCtsFlow = FALSE;
    dcb.fOutxDsrFlow = FALSE;
    dcb.fDsrSensitivity = FALSE;
    dcb.fOutX = FALSE;
    dcb.fInX = FALSE;
    dcb.fTXContinueOnXoff = TRUE;
    dcb.fErrorChar = FALSE;
    dcb.fNull = FALSE;
    dcb.fAbortOnError = FALSE;
    dcb.fDtrControl = DTR_CONTROL_ENABLE;
    dcb.fRtsControl = RTS_CONTROL_ENABLE;
    return true;
}

Win32SerialPort::Win32SerialPort() {
    static const ATOM registered = [] {
        WNDCLASSEXW cls{};
        cls.cbSize = sizeof cls;
        cls.lpfnWndProc = &Win32SerialPort::windowProc;
        cls.hInstance = ::GetModuleHandleW(nullptr);
        cls.lpszClassName = windowClass;
        return ::RegisterClassExW(&cls);
    }();
    (void)registered;
    window_ = ::CreateWindowExW(0, windowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, ::GetModuleHandleW(nullptr),
                                nullptr);
    if (window_) ::SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    stop_ = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    rearm_ = ::CreateEventW(nullptr, FALSE, FALSE, nullptr);
    readDone_ = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
}

Win32SerialPort::~Win32SerialPort() {
    listener_ = nullptr;
    close();
    if (window_) ::DestroyWindow(window_);
    if (stop_) ::CloseHandle(stop_);
    if (rearm_) ::CloseHandle(rearm_);
    if (readDone_) ::CloseHandle(readDone_);
}

void Win32SerialPort::setListener(Listener* listener) { listener_ = listener; }

void Win32SerialPort::setPortNumber(int number) { portNumber_ = number; }

void Win32SerialPort::setSettings(const LineSettings& settings) { settings_ = settings; }

// A Windows serial port always moves bytes unchanged: there is no text mode to switch off.
void Win32SerialPort::setRawMode(bool) {}

// The driver's queues, asked for with SetupComm at open.
void Win32SerialPort::setOutBufferSize(int bytes) { outBufferSize_ = bytes > 0 ? static_cast<DWORD>(bytes) : 0; }
void Win32SerialPort::setInBufferSize(int bytes) { inBufferSize_ = bytes > 0 ? static_cast<DWORD>(bytes) : 0; }

PortOpenResult portFailureOfError(DWORD error) {
    switch (error) {
        case ERROR_SUCCESS:
            return {};
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
            return {PortFailure::missing, systemErrorText(error)};
        // Windows opens a COM port for one program at a time: while another holds it, opening it
        // again is refused as access denied. A COM port has no other permission to lack.
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION:
            return {PortFailure::busy, systemErrorText(error)};
        default:
            return {PortFailure::other, systemErrorText(error)};
    }
}

PortOpenResult Win32SerialPort::open() {
    if (port_ != INVALID_HANDLE_VALUE) return {PortFailure::busy, {}};  // held by this very port
    if (!window_ || !stop_ || !rearm_ || !readDone_) return {PortFailure::other, {}};
    DCB wanted{};
    if (!makeLineControl(settings_, wanted)) return {PortFailure::other, {}};  // refused before the device is touched
    if (portNumber_ < 1) return {PortFailure::missing, {}};
    // Wine lets a second program open a COM port all the same, so the tool's own programs also
    // claim the port by name and refuse one that another of them holds.
    const std::wstring claimName = L"Local\\pelmora-serial-COM" + std::to_wstring(portNumber_);
    HANDLE claim = ::CreateMutexW(nullptr, FALSE, claimName.c_str());
    if (!claim) return portFailureOfError(::GetLastError());
    if (::GetLastError() == ERROR_ALREADY_EXISTS) {
        ::CloseHandle(claim);
        return {PortFailure::busy, {}};
    }
    HANDLE port = INVALID_HANDLE_VALUE;
    PortOpenResult opened = openDevice(port);
    if (!opened) {
        ::CloseHandle(claim);
        return opened;
    }
    port_ = port;
    claim_ = claim;
    lost_ = false;
    announced_ = false;
    stopping_ = false;
    ::ResetEvent(stop_);
    ::ResetEvent(rearm_);
    const unsigned generation = ++generation_;
    reader_ = std::thread(&Win32SerialPort::readLoop, this, generation);
    writer_ = std::thread(&Win32SerialPort::writeLoop, this, generation);
    return {};
}

// \\.\COMn exclusively (share mode 0) for overlapped I/O, set up: the driver's queues, the line,
// reads that return at once with whatever is waiting, writes without a time limit, and a receive event.
PortOpenResult Win32SerialPort::openDevice(HANDLE& opened) const {
    const std::wstring path = toWide(comDevicePath(portNumber_));
    HANDLE port = ::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                FILE_FLAG_OVERLAPPED, nullptr);
    if (port == INVALID_HANDLE_VALUE) return portFailureOfError(::GetLastError());
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    COMMTIMEOUTS timeouts{MAXDWORD, 0, 0, 0, 0};
    PortOpenResult result;
    if (!::GetCommState(port, &dcb))  // what the name leads to has no line: a file, a pipe
        result = {PortFailure::notSerialDevice, systemErrorText(::GetLastError())};
    else if (!::SetupComm(port, inBufferSize_, outBufferSize_) || !makeLineControl(settings_, dcb) ||
             !::SetCommState(port, &dcb) || !::SetCommTimeouts(port, &timeouts) || !::SetCommMask(port, EV_RXCHAR))
        result = {PortFailure::other, systemErrorText(::GetLastError())};
    if (result)
        opened = port;
    else
        ::CloseHandle(port);
    return result;
}

void Win32SerialPort::setReadLength(int bytes) { readLength_ = bytes > 0 ? bytes : 0; }

// Bytes that wait while no threshold is set are announced with the next byte after one is set.
void Win32SerialPort::setReceiveThreshold(int bytes) { receiveThreshold_.store(bytes > 0 ? bytes : 0); }

// Only a threshold of 0 (no transmit event) is used; no transmit event is ever raised.
void Win32SerialPort::setSendThreshold(int) {}

void Win32SerialPort::close() {
    lost_ = false;
    announced_ = false;
    if (port_ == INVALID_HANDLE_VALUE) return;
    ::SetEvent(stop_);
    {
        std::lock_guard lock(writeMutex_);
        stopping_ = true;
    }
    writeWake_.notify_all();
    if (reader_.joinable()) reader_.join();
    if (writer_.joinable()) writer_.join();
    ::CloseHandle(port_);
    port_ = INVALID_HANDLE_VALUE;
    ::CloseHandle(claim_);
    claim_ = nullptr;
    ++generation_;  // what the threads posted before they ended is not for the next port
    std::lock_guard lock(writeMutex_);
    writes_.clear();
    received_.clear();
}

bool Win32SerialPort::isOpen() const { return port_ != INVALID_HANDLE_VALUE; }

bool Win32SerialPort::write(std::span<const std::uint8_t> bytes) {
    if (port_ == INVALID_HANDLE_VALUE || lost_) return false;
    if (bytes.empty()) return true;
    {
        std::lock_guard lock(writeMutex_);
        writes_.emplace_back(bytes.begin(), bytes.end());
    }
    writeWake_.notify_one();
    return true;
}

std::vector<std::uint8_t> Win32SerialPort::readAll() {
    if (port_ == INVALID_HANDLE_VALUE || lost_) return {};
    const bool rearm = announced_;
    announced_ = false;
    std::vector<std::uint8_t> bytes;
    {
        std::lock_guard lock(readMutex_);
        // What the reader thread took, and what has come since.
        // A line that broke still gives up what had arrived before: the controller's last byte
        // may be among it. The loss is reported after that.
        if (!takeWaiting(readDone_)) post(lostMessage, generation_);
        const std::size_t n =
            readLength_ > 0 ? std::min(received_.size(), static_cast<std::size_t>(readLength_)) : received_.size();
        bytes.assign(received_.begin(), received_.begin() + static_cast<std::ptrdiff_t>(n));
        received_.erase(received_.begin(), received_.begin() + static_cast<std::ptrdiff_t>(n));
    }
    if (rearm) ::SetEvent(rearm_);
    return bytes;
}

// Moves what the driver holds into received_, up to its limit, without waiting: the bytes are
// there, and the read timeouts return at once. False when the line is broken (a pulled-out
// adapter, a far side that hung up): the driver then no longer reports its queue.
bool Win32SerialPort::takeWaiting(HANDLE event) {
    DWORD errors = 0;
    COMSTAT status{};
    if (!::ClearCommError(port_, &errors, &status)) return false;
    const std::size_t before = received_.size();
    const auto want =
        static_cast<DWORD>(std::min<std::size_t>(status.cbInQue, receivedLimit - std::min(before, receivedLimit)));
    if (want == 0) return true;
    received_.resize(before + want);
    OVERLAPPED overlapped{};
    overlapped.hEvent = event;
    ::ResetEvent(event);
    DWORD got = 0;
    bool ok = ::ReadFile(port_, received_.data() + before, want, &got, &overlapped);
    if (!ok && ::GetLastError() == ERROR_IO_PENDING) {
        // The bytes are there, so the read completes at once; a driver that holds it anyway is
        // given a second, not the user-interface thread for ever.
        if (::WaitForSingleObject(event, 1000) != WAIT_OBJECT_0) ::CancelIoEx(port_, &overlapped);
        ok = ::GetOverlappedResult(port_, &overlapped, &got, TRUE);
    }
    received_.resize(before + (ok ? got : 0));
    return ok;
}

void Win32SerialPort::post(UINT message, unsigned generation) {
    ::PostMessageW(window_, message, static_cast<WPARAM>(generation), 0);
}

LRESULT CALLBACK Win32SerialPort::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* port = reinterpret_cast<Win32SerialPort*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (port && message == receivedMessage) {
        port->onReceived(wParam);
        return 0;
    }
    if (port && message == lostMessage) {
        port->onLost(wParam);
        return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

void Win32SerialPort::onReceived(WPARAM generation) {
    if (generation != generation_ || port_ == INVALID_HANDLE_VALUE || lost_) return;
    announced_ = true;
    // The listener reads (readAll), which lets the reader thread wait for more.
    if (listener_) listener_->commEvent(receiveEvent);
}

void Win32SerialPort::onLost(WPARAM generation) {
    if (generation != generation_ || port_ == INVALID_HANDLE_VALUE || lost_) return;
    lost_ = true;
    // The listener runs its close sequence on a port that still reads as open; whatever it does,
    // the port is closed afterwards.
    // A message box may run its own loop meanwhile, in which the port can be closed and opened
    // again: only the port that broke is closed here.
    const unsigned broken = generation_;
    if (listener_) listener_->portLost();
    if (generation_ == broken) close();
}

// Takes the bytes that arrive and announces them, one message at a time: after each it waits
// until the user-interface thread has read. It waits for bytes with WaitCommEvent; a driver whose
// waits end at once without an event (Wine's, on a pseudo-terminal) is looked at every
// millisecond instead. A read that fails ends the thread and reports the port lost.
void Win32SerialPort::readLoop(unsigned generation) {
    Event signalled;
    bool driverWaits = true;
    for (;;) {
        std::size_t buffered = 0;
        {
            std::lock_guard lock(readMutex_);
            if (!takeWaiting(signalled.get())) break;
            buffered = received_.size();
        }
        const int threshold = receiveThreshold_.load();
        if (threshold > 0 && buffered >= static_cast<std::size_t>(threshold)) {
            post(receivedMessage, generation);
            HANDLE waits[2] = {rearm_, stop_};
            const DWORD woke = ::WaitForMultipleObjects(2, waits, FALSE, INFINITE);
            if (woke == WAIT_OBJECT_0 + 1) return;
            if (woke != WAIT_OBJECT_0) break;
            continue;
        }
        if (!driverWaits || buffered >= receivedLimit) {
            if (::WaitForSingleObject(stop_, 1) == WAIT_OBJECT_0) return;
            continue;
        }
        DWORD mask = 0, ignored = 0;
        ::ResetEvent(signalled.get());
        OVERLAPPED overlapped{};
        overlapped.hEvent = signalled.get();
        if (!::WaitCommEvent(port_, &mask, &overlapped)) {
            const Outcome outcome = finish(port_, overlapped, stop_, ignored);
            if (outcome == Outcome::stopped) return;
            if (outcome == Outcome::failed) mask = 0;
        }
        // A wait that failed, or ended with no event: either the line is broken, which the next
        // read shows, or this driver's waits do not work.
        if ((mask & EV_RXCHAR) == 0) driverWaits = false;
    }
    if (::WaitForSingleObject(stop_, 0) != WAIT_OBJECT_0) post(lostMessage, generation);
}

// Hands the buffers to the driver oldest first, each kept until its write has completed.
void Win32SerialPort::writeLoop(unsigned generation) {
    Event signalled;
    for (;;) {
        std::vector<std::uint8_t>* buffer = nullptr;
        {
            std::unique_lock lock(writeMutex_);
            writeWake_.wait(lock, [&] { return stopping_ || !writes_.empty(); });
            if (stopping_) return;
            buffer = &writes_.front();  // stays in place while others are queued behind it
        }
        OVERLAPPED overlapped{};
        overlapped.hEvent = signalled.get();
        ::ResetEvent(overlapped.hEvent);
        const auto size = static_cast<DWORD>(buffer->size());
        DWORD written = 0;
        Outcome outcome = Outcome::done;
        if (!::WriteFile(port_, buffer->data(), size, &written, &overlapped))
            outcome = finish(port_, overlapped, stop_, written);
        if (outcome == Outcome::stopped) return;
        if (outcome == Outcome::failed || written != size) {
            post(lostMessage, generation);
            return;
        }
        std::lock_guard lock(writeMutex_);
        writes_.pop_front();
    }
}

}  // namespace pelmora
