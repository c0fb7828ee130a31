#include "platform/qt/qt_serial_port.h"

#include <QMetaObject>
#include <cctype>
#include <sstream>

#include "download/serial_devices.h"

namespace pelmora {

std::optional<LineSettings> parseLineSettings(const std::string& settings) {
    std::vector<std::string> fields;
    std::stringstream in(settings);
    for (std::string field; std::getline(in, field, ',');) fields.push_back(field);
    if (fields.size() != 4 || settings.back() == ',') return std::nullopt;

    LineSettings line;
    const std::string& baud = fields[0];
    if (baud.empty() || baud.size() > 9) return std::nullopt;
    for (char c : baud)
        if (c < '0' || c > '9') return std::nullopt;
    line.baudRate = static_cast<qint32>(std::stol(baud));
    if (line.baudRate <= 0) return std::nullopt;

    if (fields[1].size() != 1) return std::nullopt;
    switch (std::tolower(static_cast<unsigned char>(fields[1][0]))) {
        case 'n': line.parity = QSerialPort::NoParity; break;
        case 'e': line.parity = QSerialPort::EvenParity; break;
        case 'o': line.parity = QSerialPort::OddParity; break;
        case 'm': line.parity = QSerialPort::MarkParity; break;
        case 's': line.parity = QSerialPort::SpaceParity; break;
        default: return std::nullopt;
    }

    if (fields[2] == "5") line.dataBits = QSerialPort::Data5;
    else if (fields[2] == "6") line.dataBits = QSerialPort::Data6;
    else if (fields[2] == "7") line.dataBits = QSerialPort::Data7;
    else if (fields[2] == "8") line.dataBits = QSerialPort::Data8;
    else return std::nullopt;

    if (fields[3] == "1") line.stopBits = QSerialPort::OneStop;
    else if (fields[3] == "1.5") line.stopBits = QSerialPort::OneAndHalfStop;
    else if (fields[3] == "2") line.stopBits = QSerialPort::TwoStop;
    else return std::nullopt;
    return line;
}

QtSerialPort::QtSerialPort(std::string deviceFolder, QObject* parent)
    : QObject(parent), deviceFolder_(std::move(deviceFolder)), settings_(parseLineSettings("9600,n,8,1")) {
    connect(&port_, &QSerialPort::readyRead, this, &QtSerialPort::onReadyRead);
    connect(&port_, &QSerialPort::errorOccurred, this, &QtSerialPort::onError);
}

QtSerialPort::~QtSerialPort() {
    listener_ = nullptr;
    close();
}

void QtSerialPort::setListener(Listener* listener) { listener_ = listener; }

void QtSerialPort::setPortNumber(int number) { portNumber_ = number; }

void QtSerialPort::setSettings(const std::string& settings) { settings_ = parseLineSettings(settings); }

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

QString QtSerialPort::devicePath() const {
#ifdef Q_OS_WIN
    return portNumber_ >= 1 ? QStringLiteral("COM%1").arg(portNumber_) : QString();
#else
    return QString::fromStdString(serialDeviceFor(deviceFolder_, portNumber_));
#endif
}

bool QtSerialPort::open() {
    if (port_.isOpen() || !settings_) return false;
    const QString device = devicePath();
    if (device.isEmpty()) return false;  // port 0, or no device for this number
    port_.setPortName(device);
    port_.setBaudRate(settings_->baudRate);
    port_.setParity(settings_->parity);
    port_.setDataBits(settings_->dataBits);
    port_.setStopBits(settings_->stopBits);
    // The controller asks for every chunk, so the line needs no flow control. DTR and RTS are not
    // touched: they stay as the driver has them when the port is opened.
    port_.setFlowControl(QSerialPort::NoFlowControl);
    lostPending_ = false;
    // Fails for a device that does not exist and for one another program holds: Qt keeps a lock
    // file per device name and refuses a second open through the same name.
    if (!port_.open(QIODevice::ReadWrite)) return false;
    port_.clearError();
    return true;
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
    // flush() does not block: what the driver cannot take yet follows as it makes room.
    port_.flush();
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
