// The gateway's log: one line per event on standard error, each starting
// with the syslog level in angle brackets ("<4>broker away"), which
// journald turns into the entry's priority when the program runs as a
// service. Lines below the threshold are not written. Safe to call from
// the MQTT client's network threads.
#pragma once

#include <functional>
#include <mutex>
#include <optional>
#include <string>

namespace rm27 {

// The syslog numbers, which are what journald reads.
enum class LogLevel { Error = 3, Warning = 4, Notice = 5, Info = 6, Debug = 7 };

// "error", "warning", "notice", "info", "debug"; none for anything else.
std::optional<LogLevel> LogLevelNamed(const std::string& name);
// The names, "error|warning|notice|info|debug".
std::string LogLevelNames();

class GatewayLog {
public:
    using Sink = std::function<void(const std::string& line)>;
    // Without a sink, lines go to standard error.
    explicit GatewayLog(LogLevel threshold = LogLevel::Info, Sink sink = {});

    void write(LogLevel level, const std::string& text);
    void error(const std::string& text) { write(LogLevel::Error, text); }
    void warning(const std::string& text) { write(LogLevel::Warning, text); }
    void notice(const std::string& text) { write(LogLevel::Notice, text); }
    void info(const std::string& text) { write(LogLevel::Info, text); }
    void debug(const std::string& text) { write(LogLevel::Debug, text); }

private:
    LogLevel threshold_;
    Sink sink_;
    std::mutex mutex_;
};

} // namespace rm27
