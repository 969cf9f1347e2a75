#include "gateway/modbus/modbus_server.h"

#include <QHostAddress>
#include <QTcpSocket>

#include "gateway/registers.h"

namespace rm27 {

namespace {

// The MBAP header: transaction (2), protocol (2), length (2), unit id (1);
// the length counts the unit id and the PDU.
constexpr qsizetype kHeaderSize = 7;
constexpr int kMaxPduSize = 253;

} // namespace

class ModbusGateway::ReadAlong : public QModbusTcpConnectionObserver {
public:
    explicit ReadAlong(ModbusGateway& gateway) : gateway_(gateway) {}
    bool acceptNewConnection(QTcpSocket* socket) override {
        ModbusGateway* g = &gateway_;
        QObject::connect(socket, &QTcpSocket::readyRead, g, [g, socket] { g->arrived(socket); });
        QObject::connect(socket, &QObject::destroyed, g,
                         [g, socket] { g->partial_.erase(socket); });
        return true;
    }

private:
    ModbusGateway& gateway_;
};

ModbusGateway::ModbusGateway(GatewayLog& log, std::function<std::int64_t()> monoClock,
                             QObject* parent)
    : QModbusTcpServer(parent), log_(log), clock_(std::move(monoClock)) {
    // The server owns and deletes its observer.
    installConnectionObserver(new ReadAlong(*this));
}

std::string ModbusGateway::listen(const std::string& host, int port) {
    QHostAddress address = QHostAddress::Any;
    if (host == "localhost") {
        address = QHostAddress::LocalHost;
    } else if (!host.empty() && !address.setAddress(QString::fromStdString(host))) {
        return "Modbus: " + host + " is not an IP address";
    }
    setConnectionParameter(QModbusDevice::NetworkAddressParameter, address.toString());
    setConnectionParameter(QModbusDevice::NetworkPortParameter, port);
    if (!connectDevice()) {
        return "Modbus: cannot listen on " + host + ":" + std::to_string(port) + " (" +
               errorString().toStdString() + ")";
    }
    log_.notice("Modbus TCP: listening on " + address.toString().toStdString() + ":" +
                std::to_string(port));
    return {};
}

void ModbusGateway::add(const ConverterDescription& converter) {
    converters_[converter.address] = Converter{};
}

void ModbusGateway::update(const ConverterSample& sample) {
    const auto it = converters_.find(sample.address);
    if (it == converters_.end()) return;
    it->second.polled = true;
    it->second.sample = sample;
}

void ModbusGateway::arrived(QTcpSocket* socket) {
    // The server's handler takes everything waiting right after this, so
    // what is waiting now is exactly what it has not seen yet.
    QByteArray& bytes = partial_[socket];
    bytes += socket->peek(socket->bytesAvailable());
    while (bytes.size() >= kHeaderSize) {
        const int length = (static_cast<quint8>(bytes[4]) << 8) | static_cast<quint8>(bytes[5]);
        if (length < 2 || length > kMaxPduSize + 1) {
            bytes.clear(); // not Modbus TCP; the server drops it too
            break;
        }
        if (bytes.size() < 6 + length) break;
        pending_.push_back({static_cast<quint8>(bytes[6]), bytes.mid(kHeaderSize, length - 1)});
        bytes.remove(0, 6 + length);
    }
    if (!pending_.empty()) setServerAddress(pending_.front().unit);
}

int ModbusGateway::takeUnit(const QModbusPdu& request) {
    // Requests the server threw away without handling leave their entry
    // behind; the one handled now is the first that matches.
    int unit = serverAddress();
    while (!pending_.empty()) {
        const Request r = pending_.front();
        pending_.pop_front();
        if (!r.pdu.isEmpty() && static_cast<quint8>(r.pdu[0]) == request.functionCode() &&
            r.pdu.mid(1) == request.data()) {
            unit = r.unit;
            break;
        }
    }
    if (!pending_.empty()) setServerAddress(pending_.front().unit);
    return unit;
}

QModbusResponse ModbusGateway::processRequest(const QModbusPdu& request) {
    current_ = takeUnit(request);
    const auto it = converters_.find(current_);
    if (it == converters_.end()) {
        log_.debug("Modbus TCP: a request for unit " + std::to_string(current_) +
                   ", which has no converter");
        return QModbusExceptionResponse(request.functionCode(),
                                        QModbusExceptionResponse::GatewayPathUnavailable);
    }
    if (!it->second.polled) {
        return QModbusExceptionResponse(
            request.functionCode(), QModbusExceptionResponse::GatewayTargetDeviceFailedToRespond);
    }
    if (request.functionCode() != QModbusPdu::ReadInputRegisters) {
        return QModbusExceptionResponse(request.functionCode(),
                                        QModbusExceptionResponse::IllegalFunction);
    }
    return QModbusTcpServer::processRequest(request);
}

bool ModbusGateway::readData(QModbusDataUnit* unit) const {
    const auto it = converters_.find(current_);
    const qsizetype start = unit->startAddress();
    const qsizetype count = unit->valueCount();
    if (it == converters_.end() || unit->registerType() != QModbusDataUnit::InputRegisters ||
        start < 0 || start + count > kRegisterCount) {
        return false;
    }
    const auto regs = InputRegisters(it->second.sample, clock_());
    for (qsizetype i = 0; i < count; ++i)
        unit->setValue(i, regs[static_cast<std::size_t>(start + i)]);
    return true;
}

} // namespace rm27
