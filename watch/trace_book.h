// The frame trace: every frame the serial line sent and received, as the
// line reports it (the milliseconds since it opened, the direction, the text
// with control characters escaped), kept in a bounded book. The line reports
// what it receives in the pieces it reads them; the book joins the pieces of
// one answer (up to its CR) into one line, stamped with the time its first
// piece came.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

namespace rm27 {

enum class TraceDir { Tx, Rx, Note };

// One report of the line. Anything that is not a frame (the port opened,
// the line lost) is a note without a time.
struct WireMessage {
    std::int64_t ms = -1;
    TraceDir dir = TraceDir::Note;
    std::string text;
};

// The command letters of a frame as the line logs it: "$01ER05\r" -> "ER",
// "$00AUTO00\r" -> "AUTO", "X\r" -> "X"; "" when there are none.
std::string CommandOf(const std::string& escapedFrame);

struct TraceLine {
    std::uint64_t serial = 0; // counts every line the book ever took
    std::int64_t ms = -1;     // since the port opened; -1 for a note
    TraceDir dir = TraceDir::Note;
    std::string text;    // CR and other control characters as escapes
    std::string command; // an answer carries the command it answers
};

// "    12.345  TX  $01MK\r"
std::string TraceText(const TraceLine& line);

class TraceBook {
public:
    static constexpr std::size_t kDefaultCapacity = 10000;
    explicit TraceBook(std::size_t capacity = kDefaultCapacity)
        : capacity_(capacity == 0 ? 1 : capacity) {}

    void add(const WireMessage& message);
    // An answer still waiting for its CR goes into the book as it is.
    void flushPending();
    bool hasPending() const { return pending_.has_value(); }
    void clear();

    std::size_t size() const { return lines_.size(); }
    std::size_t capacity() const { return capacity_; }
    // Serials of the lines held: [firstSerial(), endSerial()).
    std::uint64_t firstSerial() const { return next_ - lines_.size(); }
    std::uint64_t endSerial() const { return next_; }
    const TraceLine& bySerial(std::uint64_t serial) const {
        return lines_[static_cast<std::size_t>(serial - firstSerial())];
    }

private:
    void commit(TraceLine line);

    std::size_t capacity_;
    std::deque<TraceLine> lines_;
    std::optional<TraceLine> pending_;
    std::string lastCommand_;
    std::uint64_t next_ = 0;
};

// Which lines the trace shows: command names separated by blanks or
// commas, any case. Names show only those commands (with their answers);
// a name after "-" hides that command ("-MK" hides the measurement). Notes
// always show; an empty filter shows everything.
class TraceFilter {
public:
    TraceFilter() = default;
    explicit TraceFilter(const std::string& words);
    bool accepts(const TraceLine& line) const;
    bool empty() const { return shown_.empty() && hidden_.empty(); }

private:
    std::vector<std::string> shown_;
    std::vector<std::string> hidden_;
};

} // namespace rm27
