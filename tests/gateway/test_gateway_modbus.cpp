// The Modbus TCP outlet against a real client (libmodbus): the registers
// of two converters told apart by the unit id, the exceptions a client
// gets for what is not there, and requests for two units sent in one
// piece.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QTcpSocket>
#include <QTimer>

#include <modbus/modbus.h>
#include <sys/socket.h>
#include <unistd.h>

#include <bit>
#include <cerrno>
#include <cmath>
#include <functional>
#include <thread>

#include "gateway/modbus/modbus_server.h"
#include "gateway/registers.h"
#include "loopback.h"

namespace rm27 {
namespace {

class Modbus : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        static int argc = 1;
        static char name[] = "test_gateway_modbus";
        static char* argv[] = {name, nullptr};
        static QCoreApplication app(argc, argv);
    }

    Modbus() {
        EXPECT_EQ(server.listen("127.0.0.1", port), "");
        for (const int a : {3, 5, 9}) {
            ConverterDescription d;
            d.address = a;
            server.add(d);
        }
        ConverterSample s;
        s.address = 3;
        s.inputs[0] = {0, 1000, 0x123456, 1.0f, 12.5f, "kg", {}, true};
        s.inputs[3] = {0, 1000, 7, -1.0f, std::nullopt, "", {}, true};
        server.update(s);
        s = ConverterSample{};
        s.address = 5;
        s.inputs[1] = {0, 500, 1, 0, 2.0f, "N", {}, false};
        server.update(s);
    }

    // Runs the client on a thread of its own while the server's events are
    // handled here, until the client is done and the server saw a client
    // go, and no longer than 10 s.
    void Client(const std::function<void()>& work) {
        QEventLoop loop;
        bool done = false;
        bool gone = false;
        QObject::connect(&server, &QModbusTcpServer::modbusClientDisconnected, &loop, [&] {
            gone = true;
            if (done) loop.quit();
        });
        std::thread t([&] {
            work();
            QMetaObject::invokeMethod(
                &loop,
                [&] {
                    done = true;
                    if (gone) loop.quit();
                },
                Qt::QueuedConnection);
        });
        QTimer::singleShot(10000, &loop, &QEventLoop::quit);
        loop.exec();
        t.join();
        // The server lets go of a closed connection later, from the loop.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    std::int64_t now = 3500;
    GatewayLog log{LogLevel::Warning};
    int port = test::FreeLoopbackPort();
    ModbusGateway server{log, [this] { return now; }};
};

TEST_F(Modbus, RegistersByUnitIdTheExceptionsAndRequestsInOnePiece) {
    // unit, function (3 or 4), first register, count
    const int kRequests[][4] = {{3, 4, 0, 40}, {5, 4, 16, 2}, {7, 4, 0, 2},
                                {9, 4, 0, 2},  {3, 3, 0, 2},  {3, 4, 38, 4}};
    std::vector<std::vector<std::uint16_t>> regs; // empty: the request failed
    std::vector<int> errors; // errno after a failure: the exception, as libmodbus names it
    // Requests for two units in one write, then one split over two writes.
    const auto adu = [](char tid, char unit, char start) {
        return std::string{0, tid, 0, 0, 0, 6, unit, 4, 0, start, 0, 1};
    };
    const std::string sent = adu(1, 3, 7) + adu(2, 5, 16) + adu(3, 3, 6);
    const std::size_t firstWrite = 24 + 5;
    std::string answers;
    Client([&] {
        modbus_t* ctx = modbus_new_tcp("127.0.0.1", port);
        modbus_set_response_timeout(ctx, 2, 0);
        ASSERT_EQ(modbus_connect(ctx), 0);
        for (const auto& r : kRequests) {
            std::vector<std::uint16_t> got(static_cast<std::size_t>(r[3]));
            modbus_set_slave(ctx, r[0]);
            const int rc = r[1] == 4 ? modbus_read_input_registers(ctx, r[2], r[3], got.data())
                                     : modbus_read_registers(ctx, r[2], r[3], got.data());
            errors.push_back(rc < 0 ? errno : 0);
            regs.push_back(rc == r[3] ? got : std::vector<std::uint16_t>{});
        }
        modbus_close(ctx);
        modbus_free(ctx);

        const int fd = test::ConnectLoopback(port);
        ASSERT_GE(fd, 0);
        timeval limit{5, 0};
        ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
        const auto receive = [&](std::size_t total) {
            char buf[64];
            ssize_t n = 0;
            while (answers.size() < total && (n = ::recv(fd, buf, sizeof buf, 0)) > 0)
                answers.append(buf, static_cast<std::size_t>(n));
        };
        ::send(fd, sent.data(), firstWrite, 0);
        receive(22);
        ::send(fd, sent.data() + firstWrite, sent.size() - firstWrite, 0);
        receive(33);
        ::close(fd);
    });
    ASSERT_EQ(regs.size(), std::size(kRequests));
    EXPECT_EQ(errors, (std::vector<int>{0, 0, EMBXGPATH, EMBXGTAR, EMBXILFUN, EMBXILADD}))
        << modbus_strerror(errors.back());
    const auto& r3 = regs[0];
    ASSERT_EQ(r3.size(), 40u);
    // 12.5 = 41480000, 1.0 = 3F800000; fresh; 2.5 s old
    EXPECT_EQ(std::vector<std::uint16_t>(r3.begin(), r3.begin() + 10),
              (std::vector<std::uint16_t>{0x4148, 0, 0x3F80, 0, 0x0012, 0x3456, 0, 25, 0, 0}));
    // input 4 has no curve: NaN, status 3
    EXPECT_TRUE(std::isnan(std::bit_cast<float>((std::uint32_t{r3[30]} << 16) | r3[31])));
    EXPECT_EQ(r3[36], 3);
    // converter 5, input 2: stale, 3 s old
    EXPECT_EQ(regs[1], (std::vector<std::uint16_t>{1, 30}));

    // transaction, protocol, length 5, unit, 04, 2 bytes, the register
    const std::string expected{0, 1, 0, 0, 0, 5, 3, 4, 2, 0, 25, // age of converter 3's input 1
                               0, 2, 0, 0, 0, 5, 5, 4, 2, 0, 1,  // converter 5's input 2: stale
                               0, 3, 0, 0, 0, 5, 3, 4, 2, 0, 0}; // converter 3's input 1: fresh
    EXPECT_EQ(answers, expected);
}

} // namespace
} // namespace rm27
