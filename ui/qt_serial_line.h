// comSerial: the serial port of the main window, with the small surface the
// device operations rely on (port number, "Settings" text, open/close,
// write, count waiting, take waiting) on top of QSerialPort.
#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QLoggingCategory>
#include <QObject>
#include <QSerialPort>
#include <QString>

#include <vector>

#include "l10n/text.h"
#include "link/line.h"

// Every frame sent ("TX") and every piece received ("RX"), with the
// milliseconds since the port opened and the text with CR and other control
// characters as escapes: "1234 TX $01MK\r". Off unless asked for.
Q_DECLARE_LOGGING_CATEGORY(lcWire)

namespace rm27 {

class PortMap;

struct LineSettings {
    qint32 baud = 9600;
    QSerialPort::Parity parity = QSerialPort::NoParity;
    QSerialPort::DataBits dataBits = QSerialPort::Data8;
    QSerialPort::StopBits stopBits = QSerialPort::OneStop;
};

// "9600,n,8,1" -> baud, parity letter (n, e, o, m, s), data bits 5..8, stop
// bits 1, 1.5 or 2. Returns false and leaves `out` alone on any other text.
bool ParseLineSettings(const QString& text, LineSettings& out);

class QtSerialLine final : public QObject, public SerialLine {
    Q_OBJECT
public:
    explicit QtSerialLine(const PortMap& ports, QObject* parent = nullptr);
    ~QtSerialLine() override;

    void setCommPort(int n) { commPort_ = n; }
    int commPort() const { return commPort_; }
    bool setSettings(const QString& text);
    QString settings() const { return settingsText_; }

    // Opening maps commPort() to its device and applies the settings; on
    // failure the port stays closed and lastError() says why.
    bool setPortOpen(bool open);
    bool portOpen() const { return port_.isOpen(); }
    QString lastError() const { return lastError_; }
    // After an open that failed: what stands in the way, when it is known
    // (see port_access.h): the program that holds the port, a lock left by
    // a program that no longer runs that this user may not remove, or the
    // group to join. Empty otherwise.
    const Text& openHint() const { return openHint_; }
    void clearError() {
        lastError_.clear();
        openHint_ = Text();
    }
    // Opens COMn afresh with the line's own settings ("9600,n,8,1"); false,
    // with lastError() and openHint() saying why, when it would not.
    bool openPort(int n);
    // The ports among 1..count that open with the line's settings, each
    // opened and closed again; the line is left closed.
    std::vector<int> openablePorts(int count);
    // The device actually opened (or last tried).
    QString devicePath() const { return port_.portName(); }

    bool isOpen() const override { return port_.isOpen(); }
    void output(const std::string& text) override;
    int inBufferCount() override;
    std::string input() override;

signals:
    // The device failed while open (pulled adapter, simulator gone). The
    // port is already closed when this is emitted, and it is emitted once.
    void lineLost(const QString& reason);
    // Every frame as it goes out or comes in (in the pieces it is read
    // in), control characters escaped ("\\r"), with the milliseconds since
    // the port was opened; and what happens to the line itself (opened,
    // lost), for whoever shows the traffic.
    void frameSeen(qint64 ms, bool sent, const QString& escapedText);
    void lineNoted(const QString& text);

private:
    // A frame to the log, when on, and to whoever listens to frameSeen.
    void report(bool sent, const QByteArray& bytes);
    bool openDevice(const QString& path);
    void onError(QSerialPort::SerialPortError error);
    void pull();

    const PortMap& ports_;
    QSerialPort port_;
    int commPort_ = 1;
    QString settingsText_ = QString::fromLatin1(rm27::kLineSettings);
    LineSettings settings_;
    QString lastError_;
    Text openHint_;
    QByteArray buffer_;
    bool opening_ = false;
    QElapsedTimer logClock_;
};

} // namespace rm27
