// The MQTT outlet against a real broker and a real subscriber: what a
// subscriber sees of a converter, through a broker that wants TLS and a
// password; the last will when the gateway dies; the readings kept while
// the broker is away.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>

#include "gateway/mqtt_publisher.h"
#include "gateway/payloads.h"
#include "mqtt_rig.h"

namespace rm27 {
namespace {

using test::Broker;
using test::Subscriber;

constexpr std::int64_t kWallMs = 1796375702500;

ConverterDescription Converter(int address) {
    ConverterDescription d;
    d.deviceId = "0123RM2712";
    d.address = address;
    d.inputs[0] = {"SIMKEY01", "Load cell 500 kg", "kg", "##0.0"};
    return d;
}

// Poll number k of a converter: raw k on every input, so that order and
// loss show in the numbers.
ConverterSample Poll(int address, std::uint32_t k, bool fresh = true) {
    ConverterSample s;
    s.address = address;
    s.deviceId = "0123RM2712";
    for (std::size_t i = 0; i < s.inputs.size(); ++i) {
        InputReading& in = s.inputs[i];
        in.wallMs = kWallMs + k * 100;
        in.raw = k;
        in.mvv = 0.25f * static_cast<float>(i);
        if (i == 0) in.value = 12.5f;
        in.unit = i == 0 ? "kg" : "";
        in.fresh = fresh;
    }
    return s;
}

std::uint32_t RawOf(const std::string& payload) {
    const std::size_t at = payload.find("\"raw\":");
    return static_cast<std::uint32_t>(std::stoul(payload.substr(at + 6)));
}

// The gateway's log, kept: what the publisher's network thread did is
// waited for as the line that says it.
class LogWatch {
public:
    bool waitFor(const std::string& text) {
        std::unique_lock<std::mutex> lock(mutex_);
        return said_.wait_for(lock, std::chrono::seconds(5), [&] {
            return std::any_of(lines_.begin(), lines_.end(), [&](const std::string& l) {
                return l.find(text) != std::string::npos;
            });
        });
    }

private:
    std::mutex mutex_;
    std::condition_variable said_;
    std::vector<std::string> lines_;

public:
    GatewayLog log{LogLevel::Notice, [this](const std::string& line) {
                       {
                           const std::lock_guard<std::mutex> lock(mutex_);
                           lines_.push_back(line);
                       }
                       said_.notify_all();
                   }};
};

class Mqtt : public ::testing::Test {
protected:
    static MqttSettings Settings(const Broker& b) {
        MqttSettings s;
        s.host = "127.0.0.1";
        s.port = b.port();
        s.prefix = "plant/line1";
        s.reconnectMinS = 1;
        s.reconnectMaxS = 1;
        if (b.secure()) {
            s.user = test::kBrokerUser;
            s.password = test::kBrokerPassword;
            s.caFile = b.caFile();
        }
        return s;
    }

    LogWatch watch;
    const std::string topic = "plant/line1/0123RM2712-3";
};

TEST_F(Mqtt, ASubscriberSeesInputsMetaAndStatusThroughTlsAndAPassword) {
    Broker broker(true);
    broker.start();
    std::vector<std::string> status;
    {
        Subscriber sub(broker, "plant/line1/#");
        MqttPublisher pub(Settings(broker), watch.log);
        ASSERT_EQ(pub.add(Converter(3)), "");
        ASSERT_TRUE(sub.waitFor(topic + "/meta", 1)); // connected
        pub.publish(Poll(3, 1));
        ASSERT_TRUE(sub.waitFor(topic + "/input/4", 1));
        pub.publish(Poll(3, 2, false));
        ASSERT_TRUE(sub.waitFor(topic + "/status", 2));
        pub.publish(Poll(3, 3));
        ASSERT_TRUE(sub.waitFor(topic + "/input/4", 2));

        for (std::size_t i = 0; i < 4; ++i) {
            EXPECT_EQ(sub.on(topic + "/input/" + std::to_string(i + 1)),
                      (std::vector<std::string>{InputPayload(Poll(3, 1).inputs[i]),
                                                InputPayload(Poll(3, 3).inputs[i])}));
        }
        EXPECT_EQ(sub.on(topic + "/meta"), std::vector<std::string>{MetaPayload(Converter(3))});
        // the stale poll published nothing on the inputs
        EXPECT_EQ(pub.counters(3).sent, 2u);
        status = sub.on(topic + "/status");
    }
    EXPECT_EQ(status, (std::vector<std::string>{"online", "offline", "online"}));
    // What a subscriber finds later: the meta, and "offline" from the
    // gateway going away cleanly.
    Subscriber late(broker, topic + "/#");
    ASSERT_TRUE(late.waitFor(topic + "/status", 1));
    ASSERT_TRUE(late.waitFor(topic + "/meta", 1));
    EXPECT_EQ(late.on(topic + "/status"), std::vector<std::string>{"offline"});
    EXPECT_EQ(late.on(topic + "/meta"), std::vector<std::string>{MetaPayload(Converter(3))});
}

// The gateway killed mid-run: the broker sets its converter offline. Then
// the broker away when a gateway starts, and gone mid-run: the newest
// readings wait, and go out in order.
TEST_F(Mqtt, ADeadGatewaysConverterGoesOfflineAndReadingsWaitWhileTheBrokerIsAway) {
    Broker broker;
    broker.start();
    Subscriber sub(broker, "plant/line1/#", true);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // The gateway, to be killed mid-run: no goodbye of its own.
        ::alarm(30);
        GatewayLog quiet(LogLevel::Error);
        MqttPublisher pub(Settings(broker), quiet);
        if (pub.add(Converter(3)).empty()) {
            for (;;)
                ::pause();
        }
        ::_exit(1);
    }
    const bool online = sub.waitFor(topic + "/status", 1);
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    ASSERT_TRUE(online);
    ASSERT_TRUE(sub.waitFor(topic + "/status", 2));
    EXPECT_EQ(sub.on(topic + "/status"), (std::vector<std::string>{"online", "offline"}));

    broker.stop();
    MqttSettings settings = Settings(broker);
    settings.queueSize = 5;
    MqttPublisher pub(settings, watch.log);
    ASSERT_EQ(pub.add(Converter(3)), "");
    for (std::uint32_t k = 1; k <= 3; ++k)
        pub.publish(Poll(3, k));
    broker.start();
    ASSERT_TRUE(sub.waitFor(topic + "/input/1", 3));

    broker.stop();
    ASSERT_TRUE(watch.waitFor("connection to the broker lost"));
    for (std::uint32_t k = 4; k <= 11; ++k)
        pub.publish(Poll(3, k));
    EXPECT_EQ(pub.counters(3).queued, 5u);
    EXPECT_EQ(pub.counters(3).dropped, 3u);

    broker.start();
    ASSERT_TRUE(sub.waitFor(topic + "/input/1", [](const std::vector<std::string>& got) {
        return !got.empty() && RawOf(got.back()) == 11;
    }));
    // At least once: a repeat may come, but nothing new out of order.
    std::vector<std::uint32_t> firsts;
    for (const std::string& p : sub.on(topic + "/input/1")) {
        const std::uint32_t raw = RawOf(p);
        if (std::find(firsts.begin(), firsts.end(), raw) == firsts.end()) firsts.push_back(raw);
    }
    EXPECT_EQ(firsts, (std::vector<std::uint32_t>{1, 2, 3, 7, 8, 9, 10, 11}));
    EXPECT_EQ(pub.counters(3).queued, 0u);
    EXPECT_EQ(pub.counters(3).sent, 8u);
}

} // namespace
} // namespace rm27
