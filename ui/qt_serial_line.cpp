#include "ui/qt_serial_line.h"

#include <QLoggingCategory>
#include <QMetaMethod>
#include <QStringList>

#include <cerrno>

#include <unistd.h>

#include "l10n/localizer.h"
#include "ui/port_access.h"
#include "ui/port_map.h"

Q_LOGGING_CATEGORY(lcWire, "rm27.wire", QtWarningMsg)

namespace rm27 {

namespace {

QString Escaped(const QByteArray& bytes) {
    QString out;
    for (const char c : bytes) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '\r')
            out += QLatin1String("\\r");
        else if (c == '\n')
            out += QLatin1String("\\n");
        else if (u < 32 || u > 126)
            out += QStringLiteral("\\x%1").arg(u, 2, 16, QLatin1Char('0'));
        else
            out += QLatin1Char(c);
    }
    return out;
}

} // namespace

bool ParseLineSettings(const QString& text, LineSettings& out) {
    const QStringList parts = text.split(QLatin1Char(','));
    if (parts.size() != 4) return false;
    bool ok = false;
    LineSettings s;
    s.baud = parts[0].trimmed().toInt(&ok);
    if (!ok || s.baud <= 0) return false;
    const QString parity = parts[1].trimmed().toLower();
    if (parity == QLatin1String("n"))
        s.parity = QSerialPort::NoParity;
    else if (parity == QLatin1String("e"))
        s.parity = QSerialPort::EvenParity;
    else if (parity == QLatin1String("o"))
        s.parity = QSerialPort::OddParity;
    else if (parity == QLatin1String("m"))
        s.parity = QSerialPort::MarkParity;
    else if (parity == QLatin1String("s"))
        s.parity = QSerialPort::SpaceParity;
    else
        return false;
    const int bits = parts[2].trimmed().toInt(&ok);
    if (!ok || bits < 5 || bits > 8) return false;
    s.dataBits = static_cast<QSerialPort::DataBits>(bits);
    const QString stop = parts[3].trimmed();
    if (stop == QLatin1String("1"))
        s.stopBits = QSerialPort::OneStop;
    else if (stop == QLatin1String("1.5"))
        s.stopBits = QSerialPort::OneAndHalfStop;
    else if (stop == QLatin1String("2"))
        s.stopBits = QSerialPort::TwoStop;
    else
        return false;
    out = s;
    return true;
}

QtSerialLine::QtSerialLine(const PortMap& ports, QObject* parent) : QObject(parent), ports_(ports) {
    logClock_.start();
    connect(&port_, &QSerialPort::errorOccurred, this, &QtSerialLine::onError);
}

QtSerialLine::~QtSerialLine() {
    if (port_.isOpen()) port_.close();
}

bool QtSerialLine::setSettings(const QString& text) {
    LineSettings parsed;
    if (!ParseLineSettings(text, parsed)) {
        lastError_ = QStringLiteral("Invalid port settings \"%1\"").arg(text);
        return false;
    }
    settings_ = parsed;
    settingsText_ = text;
    return true;
}

bool QtSerialLine::openPort(int n) {
    clearError();
    setCommPort(n);
    setSettings(QString::fromLatin1(kLineSettings));
    return setPortOpen(true);
}

std::vector<int> QtSerialLine::openablePorts(int count) {
    std::vector<int> found;
    for (int n = 1; n <= count; ++n) {
        if (openPort(n)) found.push_back(n);
        setPortOpen(false);
    }
    return found;
}

bool QtSerialLine::setPortOpen(bool open) {
    if (!open) {
        if (port_.isOpen()) port_.close();
        buffer_.clear();
        return true;
    }
    if (port_.isOpen()) return true;
    openHint_ = Text();
    const PortDevice device = ports_.device(commPort_);
    if (device.path.isEmpty()) {
        lastError_ = QStringLiteral("COM%1 is not mapped to any device").arg(commPort_);
        return false;
    }
    bool ok = openDevice(device.path);
    if (!ok) {
        // Qt reports a port held by another program, a lock left behind and
        // a device this user may not use all as a permission error.
        PortHolder holder = FindPortHolder(device.path);
        if (holder.stale) {
            // Its program is gone: the lock protects nothing any more.
            if (::unlink(holder.lockFile.toLocal8Bit().constData()) == 0)
                ok = openDevice(device.path);
            else
                holder.removeError = errno;
        }
        if (!ok) {
            openHint_ = PortHolderHint(QStringLiteral("COM%1").arg(commPort_), device.path, holder);
            if (openHint_.empty()) openHint_ = PortPermissionHint(device.path);
            return false;
        }
    }
    // Qt keeps whatever the driver buffered before the open; a converter's
    // chatter from before we connected is not an answer to anything of ours.
    port_.clear(QSerialPort::Input);
    port_.readAll();
    buffer_.clear();
    // The trace counts from the connection.
    logClock_.restart();
    const QString opened = QStringLiteral("opened \"%1\" \"%2\"").arg(device.path, settingsText_);
    qCDebug(lcWire).noquote() << opened;
    emit lineNoted(opened);
    return true;
}

bool QtSerialLine::openDevice(const QString& path) {
    port_.setPortName(path);
    opening_ = true;
    const bool ok = port_.open(QIODevice::ReadWrite) && port_.setBaudRate(settings_.baud) &&
                    port_.setParity(settings_.parity) && port_.setDataBits(settings_.dataBits) &&
                    port_.setStopBits(settings_.stopBits) &&
                    port_.setFlowControl(QSerialPort::NoFlowControl);
    opening_ = false;
    if (!ok) {
        lastError_ = port_.errorString();
        if (port_.isOpen()) port_.close();
    }
    return ok;
}

void QtSerialLine::onError(QSerialPort::SerialPortError error) {
    if (error == QSerialPort::NoError || error == QSerialPort::TimeoutError || opening_) return;
    if (!port_.isOpen()) return;
    // A vanished device keeps reporting errors in a tight loop while the
    // port stays open; closing it once is the only way out.
    const QString reason = port_.errorString();
    lastError_ = reason;
    port_.clearError();
    port_.close();
    buffer_.clear();
    const QString lost = QStringLiteral("line lost: \"%1\"").arg(reason);
    qCDebug(lcWire).noquote() << lost;
    emit lineNoted(lost);
    emit lineLost(reason);
}

void QtSerialLine::report(bool sent, const QByteArray& bytes) {
    // Every tick passes here twice: nothing is formatted for nobody.
    const bool logged = lcWire().isDebugEnabled();
    if (!logged && !isSignalConnected(QMetaMethod::fromSignal(&QtSerialLine::frameSeen))) return;
    const QString escaped = Escaped(bytes);
    const qint64 ms = logClock_.elapsed();
    if (logged) qCDebug(lcWire).noquote() << ms << (sent ? "TX" : "RX") << escaped;
    emit frameSeen(ms, sent, escaped);
}

void QtSerialLine::output(const std::string& text) {
    if (!port_.isOpen()) return;
    const QByteArray bytes(text.data(), static_cast<qsizetype>(text.size()));
    report(true, bytes);
    port_.write(bytes);
    port_.flush();
}

void QtSerialLine::pull() {
    if (!port_.isOpen()) return;
    const QByteArray more = port_.readAll();
    if (!more.isEmpty()) {
        report(false, more);
        buffer_ += more;
    }
}

int QtSerialLine::inBufferCount() {
    pull();
    return static_cast<int>(buffer_.size());
}

std::string QtSerialLine::input() {
    pull();
    std::string out(buffer_.constData(), static_cast<std::size_t>(buffer_.size()));
    buffer_.clear();
    return out;
}

} // namespace rm27
