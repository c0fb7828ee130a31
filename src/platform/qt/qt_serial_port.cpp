#include "platform/qt/qt_serial_port.h"

#include <QMetaObject>

#include "platform/posix/device_check.h"
#include "platform/posix/low_latency.h"

#ifdef Q_OS_UNIX
#include <poll.h>
#endif

namespace pelmora {

namespace {

QSerialPort::Parity qtParity(LineSettings::Parity parity) {
    switch (parity) {
        case LineSettings::Parity::even:
            return QSerialPort::EvenParity;
        case LineSettings::Parity::odd:
            return QSerialPort::OddParity;
        case LineSettings::Parity::mark:
            return QSerialPort::MarkParity;
        case LineSettings::Parity::space:
            return QSerialPort::SpaceParity;
        case LineSettings::Parity::none:
            break;
    }
    return QSerialPort::NoParity;
}

QSerialPort::StopBits qtStopBits(LineSettings::StopBits stopBits) {
    switch (stopBits) {
        case LineSettings::StopBits::oneAndHalf:
            return QSerialPort::OneAndHalfStop;
        case LineSettings::StopBits::two:
            return QSerialPort::TwoStop;
        case LineSettings::StopBits::one:
            break;
    }
    return QSerialPort::OneStop;
}

// Whether the driver takes at least one more byte right now. QSerialPort's flush() writes at once
// and reports a line without room as a resource error, the same error as a device that is gone.
bool roomToWrite(qintptr handle) {
#ifdef Q_OS_UNIX
    pollfd p{static_cast<int>(handle), POLLOUT, 0};
    return ::poll(&p, 1, 0) == 1 && (p.revents & POLLOUT) != 0;
#else
    (void)handle;
    return true;
#endif
}

}  // namespace

QtSerialPort::QtSerialPort(const PortDirectory& ports, QObject* parent) : QObject(parent), ports_(ports) {
    connect(&port_, &QSerialPort::readyRead, this, &QtSerialPort::onReadyRead);
    connect(&port_, &QSerialPort::errorOccurred, this, &QtSerialPort::onError);
}

QtSerialPort::~QtSerialPort() {
    listener_ = nullptr;
    close();
}

void QtSerialPort::setListener(Listener* listener) { listener_ = listener; }

void QtSerialPort::setPortNumber(int number) { portNumber_ = number; }

void QtSerialPort::setSettings(const LineSettings& settings) { settings_ = settings; }

// QSerialPort always opens the line raw (no echo, no line editing, no character translation) and
// hands over bytes unchanged; there is no text mode to switch to.
void QtSerialPort::setRawMode(bool) {}

// QSerialPort queues whatever is written, without a limit of its own, and the kernel's tty buffer
// lies beneath it; so here the out-buffer size only states the largest single write the download
// makes (one 4096-byte chunk) and needs no setting.
void QtSerialPort::setOutBufferSize(int) {}

// Qt's read buffer holds at most this many bytes; what does not fit waits in the kernel's buffer
// until the tool has read, so nothing is lost.
void QtSerialPort::setInBufferSize(int bytes) { port_.setReadBufferSize(bytes > 0 ? bytes : 0); }

QString QtSerialPort::devicePath() const { return QString::fromStdString(ports_.device(portNumber_).path); }

PortOpenResult QtSerialPort::open() {
    if (port_.isOpen()) return {PortFailure::busy, {}};  // held by this very port
    const QString device = devicePath();
    if (device.isEmpty()) return {PortFailure::missing, {}};  // port 0, or no device for this number
    // Qt would open a line of 4 or 9 data bits with whatever the driver had: no line has those,
    // nor a baud rate below 1. Refused before the device is touched.
    if (settings_.dataBits < 5 || settings_.dataBits > 8 || settings_.baudRate < 1) return {PortFailure::other, {}};
    port_.setPortName(device);
    port_.setBaudRate(settings_.baudRate);
    port_.setParity(qtParity(settings_.parity));
    port_.setDataBits(static_cast<QSerialPort::DataBits>(settings_.dataBits));
    port_.setStopBits(qtStopBits(settings_.stopBits));
    // The controller asks for every chunk, so the line needs no flow control. DTR and RTS are not
    // touched: they stay as the driver has them when the port is opened.
    port_.setFlowControl(QSerialPort::NoFlowControl);
    lostPending_ = false;
    if (!port_.open(QIODevice::ReadWrite)) return whyNotOpened(device);
    port_.clearError();
#ifdef Q_OS_LINUX
    (void)requestLowLatency(static_cast<int>(port_.handle()));
#endif
    return {};
}

// Qt keeps no errno and folds several causes into one error: a device another program holds, one
// this user may not open and a lock file of another open through the same name are all a
// PermissionError. So the device is asked once more, without Qt. When that open succeeds on a
// terminal, what stopped Qt was its lock file: another open holds the port by this name (Qt's
// text for that speaks of permission, so none is passed on).
PortOpenResult QtSerialPort::whyNotOpened(const QString& device) {
    const QSerialPort::SerialPortError error = port_.error();
    const std::string qtText = port_.errorString().toStdString();
    port_.clearError();
    PortOpenResult probed = probeSerialDevice(device.toStdString());
    if (!probed) return probed;
    if (error == QSerialPort::PermissionError) return {PortFailure::busy, {}};
    return {PortFailure::other, qtText};
}

void QtSerialPort::setReadLength(int bytes) { readLength_ = bytes > 0 ? bytes : 0; }

void QtSerialPort::setReceiveThreshold(int bytes) { receiveThreshold_ = bytes > 0 ? bytes : 0; }

// Only a threshold of 0 (no transmit event) is used; no transmit event is ever raised.
void QtSerialPort::setSendThreshold(int) {}

void QtSerialPort::close() {
    lostPending_ = false;
    if (!port_.isOpen()) return;
    closing_ = true;
    port_.close();
    closing_ = false;
    port_.clearError();
}

bool QtSerialPort::isOpen() const { return port_.isOpen(); }

bool QtSerialPort::write(std::span<const std::uint8_t> bytes) {
    if (!port_.isOpen() || lostPending_) return false;
    const auto length = static_cast<qint64>(bytes.size());
    const bool queued = port_.write(reinterpret_cast<const char*>(bytes.data()), length) == length;
    // QSerialPort would only start writing on the next turn of the event loop, after whatever the
    // handler queued meanwhile (repaints); the controller is waiting, so hand the bytes over now.
    // flush() does not block: what the driver cannot take yet follows as it makes room. While the
    // line is full the bytes wait for that, since flush() would take the full line for a lost one.
    if (roomToWrite(port_.handle())) port_.flush();
    return queued;
}

std::vector<std::uint8_t> QtSerialPort::readAll() {
    if (!port_.isOpen()) return {};
    const QByteArray data = readLength_ > 0 ? port_.read(readLength_) : port_.readAll();
    return {reinterpret_cast<const std::uint8_t*>(data.constData()),
            reinterpret_cast<const std::uint8_t*>(data.constData()) + data.size()};
}

void QtSerialPort::onReadyRead() {
    // Bytes that wait while no threshold is set are announced with the next byte after one is set.
    if (receiveThreshold_ < 1 || lostPending_ || !listener_) return;
    if (port_.bytesAvailable() >= receiveThreshold_) listener_->commEvent(receiveEvent);
}

void QtSerialPort::onError(QSerialPort::SerialPortError error) {
    switch (error) {
        case QSerialPort::ResourceError:
        case QSerialPort::ReadError:
        case QSerialPort::WriteError:
            break;
        default:
            return;  // NoError, TimeoutError, and what only an open or a setting can fail with
    }
    if (!port_.isOpen() || closing_ || lostPending_) return;
    // Only the first error counts. The listener hears of it from the event loop rather than from
    // inside Qt's own notification, since it may show a modal message box.
    lostPending_ = true;
    QMetaObject::invokeMethod(this, &QtSerialPort::reportLost, Qt::QueuedConnection);
}

void QtSerialPort::reportLost() {
    if (!lostPending_) return;  // closed in the meantime
    // The listener runs its close sequence on a port that still reads as open; whatever it does,
    // the port is closed afterwards.
    if (listener_) listener_->portLost();
    close();
}

}  // namespace pelmora
