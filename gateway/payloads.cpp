#include "gateway/payloads.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <ctime>

#include "link/codecs.h"

namespace rm27 {

namespace {

std::string JsonNumber(float x) {
    if (!std::isfinite(x)) return "null";
    char buf[32];
    const auto r = std::to_chars(buf, buf + sizeof buf, x);
    return std::string(buf, r.ptr);
}

std::string DoubtList(Doubt doubt) {
    const std::string names = DoubtNames(doubt);
    std::string out = "[";
    std::size_t from = 0;
    while (from < names.size()) {
        std::size_t comma = names.find(',', from);
        if (comma == std::string::npos) comma = names.size();
        if (out.size() > 1) out += ',';
        out += JsonString(names.substr(from, comma - from));
        from = comma + 1;
    }
    return out + "]";
}

} // namespace

std::string ConverterTopic(const std::string& prefix, const ConverterDescription& converter) {
    return prefix + "/" + ConverterTopicId(converter.deviceId, converter.address);
}

std::string InputTopic(const std::string& converterTopic, int input) {
    return converterTopic + "/input/" + std::to_string(input);
}

std::string StatusTopic(const std::string& converterTopic) {
    return converterTopic + "/status";
}

std::string MetaTopic(const std::string& converterTopic) {
    return converterTopic + "/meta";
}

std::string UtcStamp(std::int64_t wallMs) {
    const std::int64_t ms = ((wallMs % 1000) + 1000) % 1000;
    const std::time_t secs = static_cast<std::time_t>((wallMs - ms) / 1000);
    std::tm tm{};
    gmtime_r(&secs, &tm);
    char buf[64];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ", tm.tm_year + 1900,
                  tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec,
                  static_cast<int>(ms));
    return buf;
}

std::string InputPayload(const InputReading& r) {
    return "{\"time\":\"" + UtcStamp(r.wallMs) + "\",\"raw\":" + std::to_string(r.raw) +
           ",\"mvv\":" + JsonNumber(r.mvv) +
           ",\"value\":" + (r.value ? JsonNumber(*r.value) : std::string("null")) +
           ",\"unit\":" + JsonString(r.unit) + ",\"uncertain\":" + DoubtList(r.doubt) + "}";
}

std::string MetaPayload(const ConverterDescription& c) {
    std::string inputs;
    for (std::size_t i = 0; i < c.inputs.size(); ++i) {
        const InputDescription& in = c.inputs[i];
        inputs += std::string(i ? "," : "") + "{\"input\":" + std::to_string(i + 1) +
                  ",\"sensor\":" + JsonString(in.sensorId) +
                  ",\"description\":" + JsonString(in.description) +
                  ",\"unit\":" + JsonString(in.unit) + ",\"format\":" + JsonString(in.format) + "}";
    }
    return "{\"identification\":" + JsonString(c.deviceId) +
           ",\"address\":" + std::to_string(c.address) + ",\"inputs\":[" + inputs + "]}";
}

} // namespace rm27
