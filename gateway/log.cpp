#include "gateway/log.h"

#include <cstdio>

namespace rm27 {

namespace {

const struct {
    const char* name;
    LogLevel level;
} kLevels[] = {{"error", LogLevel::Error},
               {"warning", LogLevel::Warning},
               {"notice", LogLevel::Notice},
               {"info", LogLevel::Info},
               {"debug", LogLevel::Debug}};

} // namespace

std::string LogLevelNames() {
    std::string out;
    for (const auto& l : kLevels)
        out += std::string(out.empty() ? "" : "|") + l.name;
    return out;
}

std::optional<LogLevel> LogLevelNamed(const std::string& name) {
    for (const auto& l : kLevels) {
        if (name == l.name) return l.level;
    }
    return std::nullopt;
}

GatewayLog::GatewayLog(LogLevel threshold, Sink sink)
    : threshold_(threshold), sink_(std::move(sink)) {}

void GatewayLog::write(LogLevel level, const std::string& text) {
    if (static_cast<int>(level) > static_cast<int>(threshold_)) return;
    // One line per entry: journald would split a message at a line break
    // and give the rest no priority.
    std::string line = "<" + std::to_string(static_cast<int>(level)) + ">";
    for (const char c : text)
        line += (c == '\n' || c == '\r') ? ' ' : c;
    const std::lock_guard<std::mutex> lock(mutex_);
    if (sink_) {
        sink_(line);
    } else {
        line += '\n';
        std::fputs(line.c_str(), stderr);
        std::fflush(stderr);
    }
}

} // namespace rm27
