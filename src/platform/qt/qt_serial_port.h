#pragma once
// The serial port seam on QSerialPort. COMn is the device the port directory names for it. Bytes announce
// themselves through readyRead on the GUI thread and reach the listener as event code 2.
// The first read, write or resource error on an open port closes it and is reported once
// through portLost: Qt would otherwise keep a vanished adapter "open" and flood errors.

#include <QObject>
#include <QSerialPort>
#include <optional>

#include "platform/port_directory.h"
#include "platform/serial_port.h"

namespace pelmora {

class QtSerialPort : public QObject, public SerialPort {
    Q_OBJECT
public:
    explicit QtSerialPort(const PortDirectory& ports, QObject* parent = nullptr);
    ~QtSerialPort() override;

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

    // The device the current port number reaches ("" for none); for the port list's tooltips and tests.
    QString devicePath() const;
    // The QSerialPort underneath (a child of this object), for tests that watch its signals.
    const QSerialPort& port() const { return port_; }

private:
    PortOpenResult whyNotOpened(const QString& device);
    void onReadyRead();
    void onError(QSerialPort::SerialPortError error);
    void reportLost();

    const PortDirectory& ports_;
    QSerialPort port_;
    Listener* listener_ = nullptr;
    int portNumber_ = 0;
    LineSettings settings_;
    int readLength_ = 0;
    int receiveThreshold_ = 0;
    bool closing_ = false;      // errors while we close the port ourselves are not a loss
    bool lostPending_ = false;  // the port broke; portLost is on its way
};

}  // namespace pelmora
