#include "watch_test_support.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QElapsedTimer>

#include "link/codecs.h"
#include "sim/converter.h"
#include "ui/qt_serial_line.h"

namespace rm27::test {

std::string MeasurementAnswer(const Reading& r) {
    std::string text;
    for (const InputReading& in : r) {
        text += LongToHex(static_cast<std::int32_t>(in.raw), 6) +
                sim::SingleHexMsbFirst(in.signal) + sim::SingleHexMsbFirst(0.0f) +
                sim::SingleHexMsbFirst(in.value);
    }
    return text + "00\r";
}

Reading ReadingNo(int k) {
    Reading r;
    for (std::size_t i = 0; i < r.size(); ++i) {
        const auto n = static_cast<float>(i + 1);
        r[i].raw = 8388608u + static_cast<std::uint32_t>(1000 * (i + 1) + 7 * k);
        r[i].signal = 0.5f * n + 0.001f * static_cast<float>(k);
        r[i].value = 100.0f * n + 0.25f * static_cast<float>(k);
    }
    return r;
}

WatchHeader SensorNames() {
    WatchHeader h;
    h.deviceId = "0123RM2712";
    h.address = 1;
    const char* descriptions[] = {"Load cell 500 kg", "Force sensor 10 kN", "Load cell 2000 kg",
                                  "Force sensor 50 N"};
    const char* units[] = {"kg", "N", "kg", "N"};
    const char* formats[] = {"####0.0", "######0", "####0.0", "##0.000"};
    for (std::size_t i = 0; i < 4; ++i)
        h.inputs[i] = {"SIMKEY0" + std::to_string(i + 1), descriptions[i], units[i], formats[i]};
    return h;
}

std::unique_ptr<FrmMain> WatchWindowTest::MakeMain(bool realTime) {
    FrmMainSetup setup;
    setup.ports = &ports;
    setup.settings = settings.get();
    setup.prompter = &prompter;
    setup.pump = realTime ? static_cast<EventPump*>(&real) : &instant;
    setup.quit = [this] { ++quits; };
    auto w = std::make_unique<FrmMain>(setup);
    w->Form_Load();
    return w;
}

std::unique_ptr<FrmMain> WatchWindowTest::ConnectedMain(Pty& pty) {
    auto w = MakeMain();
    ports.setFixed(1, PortDevice{pty.slavePath(), QStringLiteral("pty")});
    Child<QComboBox>(*w, "cmbSelectPort")->setCurrentIndex(0);
    w->cmdConnect_Click();
    EXPECT_TRUE(w->serialLine().portOpen());
    const WatchHeader names = SensorNames();
    DeviceState& st = w->state();
    st.DeviceId = names.deviceId;
    st.DeviceAddress = names.address;
    for (std::size_t i = 0; i < 4; ++i) {
        st.records[i].sensorId = names.inputs[i].sensorId;
        st.records[i].description = names.inputs[i].description;
        st.records[i].unit = names.inputs[i].unit;
        st.records[i].numberFormat = names.inputs[i].numberFormat;
    }
    return w;
}

void WatchWindowTest::Deliver(FrmMain& w, Pty& pty, const std::string& text) {
    if (!text.empty()) {
        pty.write(text);
        QElapsedTimer waited;
        waited.start();
        while (w.serialLine().inBufferCount() < static_cast<int>(text.size()) &&
               waited.elapsed() < 2000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        EXPECT_EQ(w.serialLine().inBufferCount(), static_cast<int>(text.size()));
    }
    instant.waitFor(500);
}

void WatchWindowTest::Tick(FrmMain& w, Pty& pty, const std::string& answer) {
    Deliver(w, pty, answer);
    w.tmrCasovac_Timer();
}

} // namespace rm27::test
