// The gateway's MQTT outlet: the live values of every converter published
// to the plant's broker, over libmosquitto (MQTT 3.1.1).
//
// Per converter, under PREFIX/CONVERTER_ID (see ConverterTopicId):
//   input/1..4  one message per input per answered poll (InputPayload)
//   meta        retained: what the reading found (MetaPayload)
//   status      retained: "online" while the converter answers and the
//               gateway is connected, "offline" otherwise
//
// Each converter has a connection of its own, because a connection carries
// one last will: the broker itself sets a converter "offline" when the
// gateway dies or is cut off. While the broker is away the newest readings
// wait in a bounded queue (the oldest are dropped and counted) and go out
// in order when it is back; the client reconnects with a back-off that
// grows up to a limit.
//
// The network work runs on libmosquitto's thread per connection; the
// public functions may be called from any one thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "gateway/log.h"
#include "gateway/sample.h"

namespace rm27 {

struct MqttSettings {
    std::string host = "localhost";
    int port = 1883;
    std::string prefix = "r27"; // no trailing '/'
    int qos = 1;
    // Readings (answered polls) kept per converter while the broker is away.
    std::size_t queueSize = 1000;
    std::string user;     // empty: none
    std::string password; // only with a user
    std::string caFile;   // PEM; empty: no TLS
    int keepAliveS = 30;
    // Seconds before the first reconnect, growing up to the maximum.
    int reconnectMinS = 1;
    int reconnectMaxS = 60;
};

struct MqttCounters {
    bool connected = false;
    std::uint64_t sent = 0;    // readings handed to the broker
    std::size_t queued = 0;    // readings waiting for the broker
    std::uint64_t dropped = 0; // readings the queue had no room for
};

class MqttPublisher {
public:
    MqttPublisher(MqttSettings settings, GatewayLog& log);
    // Every converter's status goes "offline" (waited for, briefly) before
    // the connections close.
    ~MqttPublisher();
    MqttPublisher(const MqttPublisher&) = delete;
    MqttPublisher& operator=(const MqttPublisher&) = delete;

    // A converter that was read: its connection opens (in the background;
    // the broker may be away) and its meta is published. A converter read
    // again at the same address replaces the one there. Returns "" or what
    // is wrong with the settings (an unreadable CA file).
    std::string add(const ConverterDescription& converter);
    // A poll of a converter added before (others are ignored): an answered
    // one publishes its four inputs (or queues them), an unanswered one
    // sets the converter "offline" until it answers again.
    void publish(const ConverterSample& sample);

    MqttCounters counters(std::int32_t address) const;

private:
    class Session;
    MqttSettings settings_;
    GatewayLog& log_;
    std::map<std::int32_t, std::unique_ptr<Session>> sessions_; // by address
};

} // namespace rm27
