// The gateway's Modbus TCP outlet: one server for every converter on the
// line, the unit id of a request naming the converter by its address. The
// input registers are those of gateway/registers.h, worked out at the
// moment of the request so that the age is the age.
//
// QModbusTcpServer has one server address and ignores every request for
// another unit id without an answer, and its request handler never sees
// the unit id. So the server reads along: a new connection's readyRead is
// connected here before the server's own handler, the requests in the
// bytes that arrived are noted in order, and the server address is set to
// each request's unit id just before the handler looks at it.
#pragma once

#include <QByteArray>
#include <QModbusTcpServer>

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <string>

#include "gateway/log.h"
#include "gateway/sample.h"

class QTcpSocket;

namespace rm27 {

class ModbusGateway : public QModbusTcpServer {
public:
    // monoClock: the clock the samples' monoMs come from.
    ModbusGateway(GatewayLog& log, std::function<std::int64_t()> monoClock,
                  QObject* parent = nullptr);

    // Listens on host (an IP address, "localhost", or "" for every
    // interface) and port. Returns "" or why not.
    std::string listen(const std::string& host, int port);

    // A converter that was read answers at its address from now on; until
    // its first poll a request gets "gateway target device failed to
    // respond". A unit id without a converter gets "gateway path
    // unavailable"; anything but reading input registers "illegal
    // function".
    void add(const ConverterDescription& converter);
    void update(const ConverterSample& sample);

protected:
    QModbusResponse processRequest(const QModbusPdu& request) override;
    bool readData(QModbusDataUnit* unit) const override;

private:
    class ReadAlong;
    struct Request {
        quint8 unit = 0;
        QByteArray pdu; // function code and data
    };
    struct Converter {
        bool polled = false;
        ConverterSample sample;
    };

    void arrived(QTcpSocket* socket);
    // The unit id of the request being handled; the server address is
    // set to the next one's.
    int takeUnit(const QModbusPdu& request);

    GatewayLog& log_;
    std::function<std::int64_t()> clock_;
    std::map<int, Converter> converters_;
    std::map<QTcpSocket*, QByteArray> partial_; // bytes of a request still arriving
    std::deque<Request> pending_;               // seen, not yet handled
    int current_ = 0;
};

} // namespace rm27
