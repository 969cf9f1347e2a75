// The gateway's parts that need no network: a reading turned into the
// bytes a subscriber gets and the registers a PLC reads, the names of the
// topics, the serve settings from the command line and the INI file, and
// the log's lines.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <limits>
#include <tuple>
#include <unistd.h>

#include "gateway/log.h"
#include "gateway/payloads.h"
#include "gateway/registers.h"
#include "gateway/sample.h"
#include "gateway/serve_options.h"
#include "support/words.h"

namespace rm27 {
namespace {

// 4 December 2026, 09:15:02.500 UTC.
constexpr std::int64_t kWallMs = 1796375702500;

struct Converter {
    DeviceState st;
    LiveValues live;
};

Converter WithInput0(int points, Doubt doubt, float signal) {
    Converter c;
    c.st.DeviceId = "0123RM2712";
    c.st.DeviceAddress = 3;
    c.live.raw[0] = 9388605;
    c.live.signal[0] = signal;
    c.live.value[0] = 124.9f;
    c.live.tare[0] = 100; // the window's, not the gateway's
    c.st.records[0].pointCount = points;
    c.st.records[0].unit = FixedText("kg", kUnitWidth);
    c.live.doubts[0].signal = doubt;
    return c;
}

TEST(GatewayPayload, AReadingAsTheSubscriberGetsIt) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const struct {
        int points;
        Doubt doubt;
        float signal;
        const char* json;
    } kCases[] = {
        // clang-format off
        {2, {}, 0.500002f,
         R"({"time":"2026-12-04T09:15:02.500Z","raw":9388605,"mvv":0.500002,"value":124.9,)"
         R"("unit":"kg","uncertain":[]})"},
        // no curve point: the converter's number is no value
        {0, kDoubtMisframed | kDoubtMaybeLate, 1.0f,
         R"({"time":"2026-12-04T09:15:02.500Z","raw":9388605,"mvv":1,"value":null,)"
         R"("unit":"kg","uncertain":["misframed","maybe-late-answer"]})"},
        {1, {}, nan,
         R"({"time":"2026-12-04T09:15:02.500Z","raw":9388605,"mvv":null,"value":124.9,)"
         R"("unit":"kg","uncertain":[]})"},
        // clang-format on
    };
    for (const auto& c : kCases) {
        const Converter conv = WithInput0(c.points, c.doubt, c.signal);
        const ConverterSample s = ConverterSampleOf(conv.st, conv.live, true, 0, kWallMs);
        EXPECT_EQ(InputPayload(s.inputs[0]), c.json) << c.points;
    }
}

TEST(GatewayPayload, TheConverterNamedInItsTopicsAndMeta) {
    DeviceState st = WithInput0(2, {}, 1.0f).st;
    st.DeviceId = "01/3RM#+  ";
    st.records[1].description = FixedText("Síla \"A\"", kDescriptionWidth);
    const ConverterDescription d = DescriptionOf(st);
    const std::string topic = ConverterTopic("plant/line1", d);
    EXPECT_EQ(topic, "plant/line1/01_3RM__-3");
    EXPECT_EQ(InputTopic(topic, 4), "plant/line1/01_3RM__-3/input/4");
    EXPECT_EQ(ConverterTopicId("", 7), "unknown-7");
    const std::string meta = MetaPayload(d);
    EXPECT_EQ(meta.rfind(R"({"identification":"01/3RM#+","address":3,"inputs":[{"input":1,)"
                         R"("sensor":"","description":"","unit":"kg","format":""},{"input":2,)",
                         0),
              0u)
        << meta;
    EXPECT_NE(meta.find(R"("description":"Síla \"A\"")"), std::string::npos) << meta;
}

// The layout is read back by a real client in test_gateway_modbus.
TEST(GatewayRegisters, TheWorstStatusFirstAndTheAgeSaturates) {
    ConverterSample s;
    InputReading& r = s.inputs[1];
    const struct {
        bool fresh;
        Doubt doubt;
        bool value;
        InputStatus status;
    } kCases[] = {
        {true, {}, true, InputStatus::Fresh},
        {true, {}, false, InputStatus::NoCurve},
        {true, kDoubtStray, false, InputStatus::Uncertain},
        {false, kDoubtStray, false, InputStatus::Stale},
    };
    for (const auto& c : kCases) {
        r.fresh = c.fresh;
        r.doubt = c.doubt;
        r.value = c.value ? std::optional<float>(1.0f) : std::nullopt;
        EXPECT_EQ(StatusOf(r), c.status) << c.fresh << c.doubt.bits << c.value;
    }
    r.monoMs = 1000;
    EXPECT_EQ(InputRegisters(s, 1000 + 7000000)[kRegistersPerInput + 7], 0xFFFF);
}

ServeParse Parse(const std::string& line) {
    return ParseServeArgs(test::Words(line));
}

TEST(GatewayOptions, WhatTheCommandLineSets) {
    const ServeParse p = Parse("--port /dev/ttyUSB0 --address 3,5 serve --mqtt broker --prefix "
                               "plant/line1/ --qos 2 --queue 50 --user u --password p --modbus "
                               ":1502 --interval 250 --log-level debug");
    ASSERT_TRUE(p.ok()) << p.error;
    const ServeOptions& o = p.options;
    const MqttSettings& m = o.mqttSettings;
    EXPECT_EQ(o.port, "/dev/ttyUSB0");
    EXPECT_EQ(o.addresses, (std::vector<int>{3, 5}));
    EXPECT_TRUE(o.mqtt && o.modbus);
    EXPECT_EQ(m.host + ":" + std::to_string(m.port) + " " + m.prefix, "broker:1883 plant/line1");
    EXPECT_EQ(std::make_tuple(m.qos, m.queueSize, m.user + m.password),
              std::make_tuple(2, std::size_t{50}, std::string("up")));
    EXPECT_EQ(o.modbusHost + ":" + std::to_string(o.modbusPort), ":1502");
    EXPECT_EQ(o.pollIntervalMs, 250);
    EXPECT_EQ(o.logLevel, LogLevel::Debug);

    const ServeParse scan = Parse("serve --modbus [::1]:5020 --port /dev/ttyS0 --address scan");
    ASSERT_TRUE(scan.ok()) << scan.error;
    EXPECT_TRUE(scan.options.scan && !scan.options.mqtt);
    EXPECT_EQ(scan.options.modbusHost + ":" + std::to_string(scan.options.modbusPort), "::1:5020");
}

TEST(GatewayOptions, BadSettingsNameThemselves) {
    const struct {
        const char* line;
        const char* error;
    } kCases[] = {
        {"--port d --address 3 serve", "nothing to serve"},
        {"--address 3 serve --modbus :502", "--port"},
        {"--port d --address 3,0 serve --modbus :502", "\"0\" is no converter address"},
        {"--port d --address 3,x serve --modbus :502", "\"x\" is no converter address"},
        {"--port d --address 5,5 serve --modbus :502", "5 is given twice"},
        {"--port d --address 3 serve --mqtt :1883", "broker's host is missing"},
        {"--port d --address 3 serve --mqtt b:99999", "\"99999\" is no TCP port"},
        {"--port d --address 3 serve --mqtt ::1", "in brackets"},
        {"--port d --address 3 serve --mqtt b --qos 3", "--qos"},
        {"--port d --address 3 serve --mqtt b --prefix a/#", "wildcard"},
        {"--port d --address 3 serve --mqtt b --password p", "without --user"},
        {"--port d --address 3 serve --mqtt b --cafile /nonexistent.pem", "--cafile"},
        {"--port d --address 3 serve --modbus :502 --log-level loud",
         "none of error|warning|notice|info|debug"},
        {"--port d --address 3 serve --modbus :502 --config /nonexistent.ini", "--config"},
    };
    for (const auto& c : kCases) {
        const ServeParse p = Parse(c.line);
        EXPECT_NE(p.error.find(c.error), std::string::npos) << c.line << ": " << p.error;
    }
}

TEST(GatewayOptions, TheIniFileUnderTheCommandLine) {
    const std::string path = testing::TempDir() + "gateway-" + std::to_string(::getpid()) + ".ini";
    std::ofstream(path) << "; line 1\nport = /dev/ttyUSB1\naddress = 7,9\n[serve]\nmqtt = "
                           "broker.plant:1884\nprefix = plant\nqos = 0\npassword = secret\n"
                           "user = gw\nlog-level = warning\n";
    const ServeParse p = Parse("--address 4 serve --config " + path + " --qos 2");
    std::filesystem::remove(path);
    ASSERT_TRUE(p.ok()) << p.error;
    const ServeOptions& o = p.options;
    const MqttSettings& m = o.mqttSettings;
    EXPECT_EQ(o.configFile, path);
    EXPECT_EQ(o.port, "/dev/ttyUSB1");
    EXPECT_EQ(o.addresses, std::vector<int>{4});
    EXPECT_EQ(m.host + ":" + std::to_string(m.port) + " " + m.prefix, "broker.plant:1884 plant");
    EXPECT_EQ(m.qos, 2);
    EXPECT_EQ(m.user + ":" + m.password, "gw:secret");
    EXPECT_EQ(o.logLevel, LogLevel::Warning);
}

TEST(GatewayLog, JournaldLevelsOneLineEach) {
    std::vector<std::string> lines;
    GatewayLog log(LogLevel::Notice, [&](const std::string& l) { lines.push_back(l); });
    log.error("port lost");
    log.notice("broker back\nafter 3 s");
    log.info("not shown");
    EXPECT_EQ(lines, (std::vector<std::string>{"<3>port lost", "<5>broker back after 3 s"}));
}

} // namespace
} // namespace rm27
