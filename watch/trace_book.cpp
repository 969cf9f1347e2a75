#include "watch/trace_book.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>
#include <string_view>

namespace rm27 {

namespace {

// Longer names first: "AUTO00" is AUTO with a parameter.
constexpr std::array<std::string_view, 11> kCommands{"AUTO", "DEF", "@",  "ER", "EW", "KQ",
                                                     "KB",   "KW",  "MK", "LT", "X"};

std::string Upper(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

bool EndsWithCr(const std::string& escaped) {
    return escaped.size() >= 2 && escaped.compare(escaped.size() - 2, 2, "\\r") == 0;
}

} // namespace

std::string CommandOf(const std::string& frame) {
    std::string_view body(frame);
    if (!body.empty() && body[0] == '$') body.remove_prefix(std::min<std::size_t>(3, body.size()));
    for (const std::string_view c : kCommands) {
        if (body.substr(0, c.size()) == c) return std::string(c);
    }
    std::size_t n = 0;
    while (n < body.size() && std::isupper(static_cast<unsigned char>(body[n])))
        ++n;
    return std::string(body.substr(0, n));
}

std::string TraceText(const TraceLine& line) {
    char head[32];
    if (line.dir == TraceDir::Note)
        std::snprintf(head, sizeof head, "%10s  --  ", "");
    else
        std::snprintf(head, sizeof head, "%10.3f  %s  ", static_cast<double>(line.ms) / 1000.0,
                      line.dir == TraceDir::Tx ? "TX" : "RX");
    return head + line.text;
}

void TraceBook::add(const WireMessage& m) {
    if (m.dir == TraceDir::Rx) {
        if (!pending_) {
            pending_ = TraceLine{0, m.ms, TraceDir::Rx, {}, lastCommand_};
        }
        pending_->text += m.text;
        if (EndsWithCr(pending_->text)) flushPending();
        return;
    }
    // Whatever came before a new frame was all of its answer.
    flushPending();
    TraceLine line{0, m.ms, m.dir, m.text, {}};
    if (m.dir == TraceDir::Tx) {
        line.command = CommandOf(m.text);
        lastCommand_ = line.command;
    }
    commit(std::move(line));
}

void TraceBook::flushPending() {
    if (!pending_) return;
    TraceLine line = std::move(*pending_);
    pending_.reset();
    commit(std::move(line));
}

void TraceBook::clear() {
    // Serials go on counting, so a view never takes new lines for old ones.
    lines_.clear();
    pending_.reset();
}

void TraceBook::commit(TraceLine line) {
    line.serial = next_++;
    lines_.push_back(std::move(line));
    if (lines_.size() > capacity_) lines_.pop_front();
}

TraceFilter::TraceFilter(const std::string& words) {
    std::string word;
    auto take = [&] {
        if (word.empty()) return;
        if (word[0] == '-') {
            if (word.size() > 1) hidden_.push_back(Upper(word.substr(1)));
        } else {
            shown_.push_back(Upper(word));
        }
        word.clear();
    };
    for (const char c : words) {
        if (c == ' ' || c == ',' || c == ';' || c == '\t')
            take();
        else
            word += c;
    }
    take();
}

bool TraceFilter::accepts(const TraceLine& line) const {
    if (line.dir == TraceDir::Note) return true;
    const std::string command = Upper(line.command);
    if (std::find(hidden_.begin(), hidden_.end(), command) != hidden_.end()) return false;
    return shown_.empty() || std::find(shown_.begin(), shown_.end(), command) != shown_.end();
}

} // namespace rm27
