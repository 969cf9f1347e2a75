#include "gateway/serve_options.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <charconv>

namespace rm27 {

namespace {

constexpr int kMaxAddress = 159;
constexpr int kMaxIntervalMs = 3600000;
constexpr int kMaxQueue = 1000000;

// What the parser hands over as typed; Settle() turns it into options.
struct Typed {
    std::string addresses;
    std::string mqtt;
    std::string modbus;
    std::string logLevel = "info";
};

bool WholeNumber(const std::string& text, int& out) {
    const char* first = text.data();
    const char* last = first + text.size();
    const auto [ptr, ec] = std::from_chars(first, last, out);
    return first != last && ec == std::errc() && ptr == last;
}

// "3,5,12" or "scan".
std::string SettleAddresses(const std::string& text, ServeOptions& o) {
    if (text == "scan") {
        o.scan = true;
        return {};
    }
    std::size_t from = 0;
    while (from <= text.size()) {
        std::size_t comma = text.find(',', from);
        if (comma == std::string::npos) comma = text.size();
        const std::string word = text.substr(from, comma - from);
        int a = 0;
        if (!WholeNumber(word, a) || a < 1 || a > kMaxAddress) {
            return "--address: \"" + word + "\" is no converter address (1.." +
                   std::to_string(kMaxAddress) + "; a list is \"3,5\", or \"scan\")";
        }
        if (std::find(o.addresses.begin(), o.addresses.end(), a) != o.addresses.end())
            return "--address: " + word + " is given twice";
        o.addresses.push_back(a);
        from = comma + 1;
    }
    return {};
}

// "host", "host:port", "[::1]:port" or ":port" (no host).
std::string SettleHostPort(const std::string& name, const std::string& text, std::string& host,
                           int& port) {
    std::string portText;
    if (!text.empty() && text.front() == '[') {
        const std::size_t close = text.find(']');
        if (close == std::string::npos) return name + ": \"" + text + "\" lacks its \"]\"";
        host = text.substr(1, close - 1);
        if (close + 1 < text.size()) {
            if (text[close + 1] != ':') return name + ": \"" + text + "\" is not HOST:PORT";
            portText = text.substr(close + 2);
        }
    } else if (std::count(text.begin(), text.end(), ':') > 1) {
        return name + ": write an IPv6 address in brackets, \"[" + text + "]:PORT\"";
    } else {
        const std::size_t colon = text.find(':');
        host = text.substr(0, colon);
        if (colon != std::string::npos) portText = text.substr(colon + 1);
    }
    if (!portText.empty() && (!WholeNumber(portText, port) || port < 1 || port > 65535))
        return name + ": \"" + portText + "\" is no TCP port (1..65535)";
    return {};
}

std::string SettlePrefix(std::string& prefix) {
    while (!prefix.empty() && prefix.back() == '/')
        prefix.pop_back();
    if (prefix.empty()) return "--prefix: the topic prefix is empty";
    if (prefix.find_first_of("+#") != std::string::npos || prefix.find('\0') != std::string::npos)
        return "--prefix: \"" + prefix + "\" holds a wildcard (+ or #)";
    return {};
}

std::string Settle(const Typed& t, ServeOptions& o) {
    if (std::string e = SettleAddresses(t.addresses, o); !e.empty()) return e;
    o.mqtt = !t.mqtt.empty();
    o.modbus = !t.modbus.empty();
    if (!o.mqtt && !o.modbus) return "serve: nothing to serve; give --mqtt, --modbus or both";
    if (o.mqtt) {
        MqttSettings& m = o.mqttSettings;
        m.port = m.caFile.empty() ? kMqttPort : kMqttTlsPort;
        if (std::string e = SettleHostPort("--mqtt", t.mqtt, m.host, m.port); !e.empty()) return e;
        if (m.host.empty()) return "--mqtt: the broker's host is missing";
        if (std::string e = SettlePrefix(m.prefix); !e.empty()) return e;
        if (!m.password.empty() && m.user.empty()) return "--password: given without --user";
    }
    if (o.modbus) {
        if (std::string e = SettleHostPort("--modbus", t.modbus, o.modbusHost, o.modbusPort);
            !e.empty())
            return e;
    }
    const auto level = LogLevelNamed(t.logLevel);
    if (!level) return "--log-level: \"" + t.logLevel + "\" is none of " + LogLevelNames();
    o.logLevel = *level;
    return {};
}

CLI::App* Describe(CLI::App& app, Typed& t, ServeOptions& o) {
    app.fallthrough();
    app.require_subcommand(1);
    app.config_formatter(std::make_shared<CLI::ConfigINI>());
    app.set_config("--config", "", "INI file with the settings (the command line wins)")
        ->type_name("FILE")
        ->check(CLI::ExistingFile);
    app.add_option("--port", o.port, "the serial device")->type_name("DEVICE")->required();
    app.add_option("--address", t.addresses, "the converters' addresses (3,5) or scan")
        ->type_name("LIST")
        ->required();
    CLI::App* s = app.add_subcommand("serve", "publish the converters' live values to an MQTT "
                                              "broker and serve them over Modbus TCP");
    s->footer("The line and the converters: r27ctl --port DEVICE --address 3,5|scan serve ...; "
              "settings from an INI file: --config FILE (the command line wins). A bad setting "
              "ends the program with status 2.");
    s->add_option("--mqtt", t.mqtt, "the broker (port 1883; 8883 with --cafile)")
        ->type_name("HOST[:PORT]");
    s->add_option("--prefix", o.mqttSettings.prefix, "topic prefix (r27)")->type_name("PREFIX");
    s->add_option("--qos", o.mqttSettings.qos, "QoS of the messages, 0..2 (1)")
        ->type_name("N")
        ->check(CLI::Range(0, 2));
    s->add_option("--queue", o.mqttSettings.queueSize,
                  "readings per converter kept while the broker is away (1000)")
        ->type_name("N")
        ->check(CLI::Range(0, kMaxQueue));
    s->add_option("--user", o.mqttSettings.user, "user name at the broker")->type_name("NAME");
    s->add_option("--password", o.mqttSettings.password, "password at the broker")
        ->type_name("TEXT");
    s->add_option("--cafile", o.mqttSettings.caFile, "CA certificate (PEM): use TLS")
        ->type_name("FILE")
        ->check(CLI::ExistingFile);
    s->add_option("--modbus", t.modbus, "serve Modbus TCP (no host: every interface)")
        ->type_name("[HOST]:PORT");
    s->add_option("--interval", o.pollIntervalMs,
                  "ms from one poll of a converter to its next (0: as fast as the line allows)")
        ->type_name("MS")
        ->check(CLI::Range(0, kMaxIntervalMs));
    s->add_option("--log-level", t.logLevel, LogLevelNames() + " (info)")->type_name("LEVEL");
    return s;
}

} // namespace

ServeParse ParseServeArgs(const std::vector<std::string>& args) {
    ServeParse r;
    Typed typed;
    CLI::App app("", "r27ctl");
    CLI::App* serve = Describe(app, typed, r.options);
    // CLI11 takes the words last to first.
    std::vector<std::string> reversed(args.rbegin(), args.rend());
    try {
        app.parse(reversed);
    } catch (const CLI::CallForHelp&) {
        r.help = true;
        r.helpText = serve->help("r27ctl");
        return r;
    } catch (const CLI::ParseError& e) {
        r.error = e.what();
        return r;
    }
    r.options.configFile = app.get_config_ptr()->as<std::string>();
    r.error = Settle(typed, r.options);
    return r;
}

} // namespace rm27
