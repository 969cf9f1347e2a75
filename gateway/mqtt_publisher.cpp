#include "gateway/mqtt_publisher.h"

#include <mosquitto.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>

#include "gateway/payloads.h"

namespace rm27 {

namespace {

// How long the goodbye may take: the "offline" status acknowledged.
constexpr auto kGoodbyeWait = std::chrono::seconds(2);

std::string HostName() {
    char name[256] = {};
    if (gethostname(name, sizeof name - 1) != 0) return "localhost";
    return name;
}

struct Message {
    std::string topic;
    std::string payload;
    bool retain = false;
};

} // namespace

class MqttPublisher::Session {
public:
    Session(const MqttSettings& settings, const ConverterDescription& converter, GatewayLog& log)
        : settings_(settings), log_(log), topic_(ConverterTopic(settings.prefix, converter)),
          meta_(MetaPayload(converter)) {}
    ~Session() { stop(); }
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    std::string start();
    void publish(const ConverterSample& sample);
    MqttCounters counters() const {
        const std::lock_guard<std::mutex> lock(mutex_);
        return {connected_, sent_, queue_.size(), dropped_};
    }

private:
    using Reading = std::array<Message, kInputCount>;

    std::string configure();
    void stop();
    // With mutex_ held. Returns the message id, 0 when the client refused.
    int send(const Message& m);
    bool sendReading(const Reading& reading);
    void sendStatus() {
        send({StatusTopic(topic_), online_ ? kStatusOnline : kStatusOffline, true});
    }
    void connected(int rc);
    void disconnected(int rc);
    void published(int mid);

    const MqttSettings& settings_;
    GatewayLog& log_;
    const std::string topic_;
    const std::string meta_;
    mosquitto* mosq_ = nullptr;
    mutable std::mutex mutex_;
    std::condition_variable acked_;
    bool connected_ = false;
    bool online_ = true; // the converter answers
    std::deque<Reading> queue_;
    std::uint64_t sent_ = 0;
    std::uint64_t dropped_ = 0;
    std::uint64_t droppedReported_ = 0;
    int goodbyeMid_ = -1; // the last "offline", until acknowledged
};

std::string MqttPublisher::Session::configure() {
    // Unique per converter and per gateway instance (the prefix): a broker
    // drops the older of two connections with one client id.
    const std::string clientId = "r27ctl-" + HostName() + "-" + topic_;
    mosq_ = mosquitto_new(clientId.c_str(), true, this);
    if (!mosq_) return "MQTT: no client (" + std::string(mosquitto_strerror(MOSQ_ERR_NOMEM)) + ")";
    mosquitto_int_option(mosq_, MOSQ_OPT_PROTOCOL_VERSION, MQTT_PROTOCOL_V311);
    mosquitto_connect_callback_set(
        mosq_, [](mosquitto*, void* self, int rc) { static_cast<Session*>(self)->connected(rc); });
    mosquitto_disconnect_callback_set(mosq_, [](mosquitto*, void* self, int rc) {
        static_cast<Session*>(self)->disconnected(rc);
    });
    mosquitto_publish_callback_set(mosq_, [](mosquitto*, void* self, int mid) {
        static_cast<Session*>(self)->published(mid);
    });
    const std::string status = StatusTopic(topic_);
    mosquitto_will_set(mosq_, status.c_str(),
                       static_cast<int>(std::char_traits<char>::length(kStatusOffline)),
                       kStatusOffline, settings_.qos, true);
    mosquitto_reconnect_delay_set(mosq_, static_cast<unsigned>(settings_.reconnectMinS),
                                  static_cast<unsigned>(settings_.reconnectMaxS), true);
    if (!settings_.user.empty()) {
        mosquitto_username_pw_set(mosq_, settings_.user.c_str(),
                                  settings_.password.empty() ? nullptr
                                                             : settings_.password.c_str());
    }
    if (!settings_.caFile.empty()) {
        const int rc =
            mosquitto_tls_set(mosq_, settings_.caFile.c_str(), nullptr, nullptr, nullptr, nullptr);
        if (rc != MOSQ_ERR_SUCCESS)
            return settings_.caFile + ": not a usable CA file (" + mosquitto_strerror(rc) + ")";
    }
    return {};
}

std::string MqttPublisher::Session::start() {
    if (std::string error = configure(); !error.empty()) return error;
    // The network thread first: a connection that fails before it runs is
    // never tried again, and a broker that is not there yet is no error
    // (the readings queue meanwhile).
    const int loop = mosquitto_loop_start(mosq_);
    if (loop != MOSQ_ERR_SUCCESS)
        return "MQTT: no network thread (" + std::string(mosquitto_strerror(loop)) + ")";
    const int rc = mosquitto_connect_async(mosq_, settings_.host.c_str(), settings_.port,
                                           settings_.keepAliveS);
    if (rc != MOSQ_ERR_SUCCESS) {
        log_.warning("MQTT " + topic_ + ": broker " + settings_.host + ":" +
                     std::to_string(settings_.port) + " not reached (" + mosquitto_strerror(rc) +
                     "), trying again");
    }
    return {};
}

void MqttPublisher::Session::stop() {
    if (!mosq_) return;
    std::unique_lock<std::mutex> lock(mutex_);
    if (connected_) {
        online_ = false;
        goodbyeMid_ = send({StatusTopic(topic_), kStatusOffline, true});
        acked_.wait_for(lock, kGoodbyeWait, [this] { return goodbyeMid_ <= 0; });
    }
    lock.unlock();
    mosquitto_disconnect(mosq_);
    mosquitto_loop_stop(mosq_, false);
    mosquitto_destroy(mosq_);
    mosq_ = nullptr;
}

int MqttPublisher::Session::send(const Message& m) {
    int mid = 0;
    const int rc =
        mosquitto_publish(mosq_, &mid, m.topic.c_str(), static_cast<int>(m.payload.size()),
                          m.payload.data(), settings_.qos, m.retain);
    if (rc != MOSQ_ERR_SUCCESS) {
        log_.debug("MQTT " + m.topic + ": not sent (" + mosquitto_strerror(rc) + ")");
        return 0;
    }
    return mid;
}

bool MqttPublisher::Session::sendReading(const Reading& reading) {
    for (const Message& m : reading) {
        if (send(m) == 0) return false;
    }
    ++sent_;
    return true;
}

void MqttPublisher::Session::publish(const ConverterSample& sample) {
    bool fresh = true;
    for (const InputReading& in : sample.inputs)
        fresh = fresh && in.fresh;
    const std::lock_guard<std::mutex> lock(mutex_);
    if (fresh != online_) {
        online_ = fresh;
        log_.notice("MQTT " + topic_ + ": the converter is " +
                    (fresh ? "answering again" : "not answering"));
        if (connected_) sendStatus();
    }
    if (!fresh) return;
    Reading reading;
    for (std::size_t i = 0; i < reading.size(); ++i) {
        reading[i] = {InputTopic(topic_, static_cast<int>(i + 1)), InputPayload(sample.inputs[i]),
                      false};
    }
    // A refusal means the connection has just gone; the disconnect
    // callback is on its way, and the reading waits with the others.
    if (connected_ && sendReading(reading)) return;
    if (settings_.queueSize == 0) {
        ++dropped_;
        return;
    }
    if (queue_.size() >= settings_.queueSize) {
        queue_.pop_front();
        ++dropped_;
    }
    queue_.push_back(std::move(reading));
}

void MqttPublisher::Session::connected(int rc) {
    if (rc != 0) {
        log_.error("MQTT " + topic_ + ": the broker refused the connection (" +
                   mosquitto_connack_string(rc) + ")");
        return;
    }
    const std::lock_guard<std::mutex> lock(mutex_);
    sendStatus();
    send({MetaTopic(topic_), meta_, true});
    const std::size_t waiting = queue_.size();
    while (!queue_.empty() && sendReading(queue_.front()))
        queue_.pop_front();
    connected_ = queue_.empty();
    std::string note = "MQTT " + topic_ + ": connected to " + settings_.host + ":" +
                       std::to_string(settings_.port);
    if (waiting > 0) note += ", " + std::to_string(waiting) + " queued readings sent";
    if (dropped_ > droppedReported_) {
        note += ", " + std::to_string(dropped_ - droppedReported_) +
                " readings dropped while the broker was away";
        droppedReported_ = dropped_;
    }
    log_.notice(note);
}

void MqttPublisher::Session::disconnected(int rc) {
    const std::lock_guard<std::mutex> lock(mutex_);
    if (connected_ && rc != 0) {
        log_.warning("MQTT " + topic_ + ": connection to the broker lost (" +
                     mosquitto_strerror(rc) + "), reconnecting");
    }
    connected_ = false;
    goodbyeMid_ = -1;
    acked_.notify_all();
}

void MqttPublisher::Session::published(int mid) {
    const std::lock_guard<std::mutex> lock(mutex_);
    if (mid == goodbyeMid_) {
        goodbyeMid_ = -1;
        acked_.notify_all();
    }
}

MqttPublisher::MqttPublisher(MqttSettings settings, GatewayLog& log)
    : settings_(std::move(settings)), log_(log) {
    static std::once_flag once;
    std::call_once(once, [] { mosquitto_lib_init(); });
}

MqttPublisher::~MqttPublisher() = default;

std::string MqttPublisher::add(const ConverterDescription& converter) {
    auto session = std::make_unique<Session>(settings_, converter, log_);
    sessions_.erase(converter.address);
    if (std::string error = session->start(); !error.empty()) return error;
    sessions_[converter.address] = std::move(session);
    return {};
}

void MqttPublisher::publish(const ConverterSample& sample) {
    const auto it = sessions_.find(sample.address);
    if (it != sessions_.end()) it->second->publish(sample);
}

MqttCounters MqttPublisher::counters(std::int32_t address) const {
    const auto it = sessions_.find(address);
    return it == sessions_.end() ? MqttCounters{} : it->second->counters();
}

} // namespace rm27
