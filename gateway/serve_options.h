// The gateway's settings: the line, the converters and the two outlets,
// from the command line and an INI file (--config FILE), the command line
// winning. Keys of the file are the long option names; the line's options
// stand before any section, the gateway's in [serve]:
//
//   port = /dev/ttyUSB0
//   address = 3,5
//   [serve]
//   mqtt = broker.plant:1883
//   prefix = plant/line1
//   modbus = 0.0.0.0:502
//
// A bad setting is an error with a message naming it; the caller exits
// with status 2, as for any other usage error.
#pragma once

#include <string>
#include <vector>

#include "gateway/log.h"
#include "gateway/mqtt_publisher.h"

namespace rm27 {

inline constexpr int kMqttPort = 1883;
inline constexpr int kMqttTlsPort = 8883;
inline constexpr int kModbusPort = 502;

struct ServeOptions {
    std::string configFile;
    std::string port;           // the serial device
    std::vector<int> addresses; // 1..159, each once, in the order given
    bool scan = false;          // "--address scan": whatever a scan finds
    bool mqtt = false;          // publish to mqttSettings' broker
    MqttSettings mqttSettings;  // host, port, prefix, QoS, queue, user, TLS
    bool modbus = false;        // serve Modbus TCP on modbusHost:modbusPort
    std::string modbusHost;     // "" = every interface
    int modbusPort = kModbusPort;
    int pollIntervalMs = 0; // 0: as fast as the line allows
    LogLevel logLevel = LogLevel::Info;
};

struct ServeParse {
    ServeOptions options;
    std::string error; // empty: parsed
    bool help = false; // --help was asked for: helpText is the answer
    std::string helpText;
    bool ok() const { return error.empty(); }
};

// args: the words after the program's name, e.g. "--port /dev/ttyUSB0
// --address 3,5 serve --mqtt broker:1883 --modbus :502". The line's
// options may also stand after "serve".
ServeParse ParseServeArgs(const std::vector<std::string>& args);

} // namespace rm27
