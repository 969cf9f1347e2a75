// The bodies of the gateway's MQTT messages, as JSON text. Kept apart from
// the client so that the exact bytes a subscriber gets can be checked
// without a broker.
#pragma once

#include <cstdint>
#include <string>

#include "gateway/sample.h"

namespace rm27 {

// The topics of one converter under prefix ("plant/line1").
std::string ConverterTopic(const std::string& prefix, const ConverterDescription& converter);
std::string InputTopic(const std::string& converterTopic, int input); // input 1..4
std::string StatusTopic(const std::string& converterTopic);
std::string MetaTopic(const std::string& converterTopic);

inline constexpr const char* kStatusOnline = "online";
inline constexpr const char* kStatusOffline = "offline";

// {"time":"2026-12-04T09:15:02.500Z","raw":9388605,"mvv":0.500002,
//  "value":124.9,"unit":"kg","uncertain":[]}: time in UTC with
// milliseconds; numbers as short as they read back to the same single;
// value null without a curve; uncertain the reasons' names
// ("misframed", "maybe-late-answer", ...). A number that is not finite is
// null.
std::string InputPayload(const InputReading& reading);

// {"identification":"0123RM2712","address":3,"inputs":[{"input":1,
//  "sensor":"SIMKEY01","description":"Load cell 500 kg","unit":"kg",
//  "format":"##0.00"},...]}
std::string MetaPayload(const ConverterDescription& converter);

// ISO 8601 in UTC with milliseconds and a "Z".
std::string UtcStamp(std::int64_t wallMs);

} // namespace rm27
