#include "session/journal.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include "link/codecs.h"
#include "link/memory.h"
#include "session/backups.h"
#include "session/device_state.h"
#include "session/texts.h"

namespace rm27 {

namespace {

namespace t = texts::session;

// Journal name, r27ctl word, what the operator calls it.
constexpr std::array kWriteCommands = {
    WriteCommand{journaled::kZero, "zero", &t::kLabelZero},
    WriteCommand{journaled::kSpan, "span", &t::kLabelSpan},
    WriteCommand{journaled::kFilter, "filter", &t::kLabelFilter},
    WriteCommand{journaled::kAddress, "set-address", &t::kLabelAddress},
    WriteCommand{journaled::kEepromLoad, "eeprom-load", &t::kLabelEepromLoad},
    WriteCommand{journaled::kCalibration, "calibrate", &t::kLabelCalibration},
    WriteCommand{journaled::kEKeyCopy, "ekey-copy", &t::kLabelEKeyCopy},
    WriteCommand{journaled::kEKeyCopy14, "ekey-copy-1to4", &t::kLabelEKeyCopy14},
    WriteCommand{journaled::kEKeyInit, "ekey-init", &t::kLabelEKeyInit},
    WriteCommand{journaled::kRmuLimits, "rmu-limits", &t::kLabelRmuLimits},
    WriteCommand{journaled::kRestore, "ekey-restore", &t::kLabelRestore},
    WriteCommand{journaled::kUndo, "undo", &t::kLabelUndo},
    WriteCommand{journaled::kRedo, "redo", &t::kLabelRedo},
};

constexpr std::int32_t kFirstInternalCopy = 128;
// The last entry line is near the end: the id is looked for there first.
constexpr off_t kTailBytes = 64 * 1024;

const std::array<const char*, 6> kResultNames = {"open",        "done",          "failed",
                                                 "interrupted", "not-confirmed", "unverified"};

// ------------------------------------------------------------ the lines

std::string Quoted(const std::string& text) {
    std::string out = "\"";
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (u < 0x20) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", u);
            out += buf;
        } else {
            out += c; // UTF-8 as it is
        }
    }
    return out + "\"";
}

std::string Hex(const std::string& bytes) {
    std::string out;
    for (const char c : bytes)
        out += LongToHex(static_cast<unsigned char>(c), 2);
    return out;
}

bool FromHex(const std::string& hex, std::string& out) {
    if (hex.size() % 2 != 0 || hex.find_first_not_of("0123456789ABCDEFabcdef") != std::string::npos)
        return false;
    out.clear();
    for (std::size_t i = 0; i < hex.size(); i += 2)
        out += static_cast<char>(HexToLong(hex.substr(i, 2)));
    return true;
}

// One value of a flat object: a text, a whole number or a list of them.
struct Value {
    enum Kind { Text, Number, List } kind = Text;
    std::string text;
    long number = 0;
    std::vector<long> list;
};
using Object = std::map<std::string, Value>;

class Reader {
public:
    explicit Reader(const std::string& s) : s_(s) {}

    bool object(Object& out) {
        if (!take('{')) return false;
        if (take('}')) return end();
        do {
            std::string key;
            Value v;
            if (!text(key) || !take(':') || !value(v)) return false;
            if (!out.emplace(key, std::move(v)).second) return false; // a key given twice
        } while (take(','));
        return take('}') && end();
    }

private:
    void blanks() {
        while (i_ < s_.size() && (s_[i_] == ' ' || s_[i_] == '\t' || s_[i_] == '\r'))
            ++i_;
    }
    bool take(char c) {
        blanks();
        if (i_ >= s_.size() || s_[i_] != c) return false;
        ++i_;
        return true;
    }
    bool end() {
        blanks();
        return i_ == s_.size();
    }
    bool number(long& out) {
        blanks();
        const std::size_t start = i_;
        if (i_ < s_.size() && s_[i_] == '-') ++i_;
        const std::size_t digits = i_;
        while (i_ < s_.size() && s_[i_] >= '0' && s_[i_] <= '9' && i_ - digits < 9)
            ++i_;
        if (i_ == digits || (i_ < s_.size() && s_[i_] >= '0' && s_[i_] <= '9')) return false;
        out = std::stol(s_.substr(start, i_ - start));
        return true;
    }
    bool text(std::string& out) {
        if (!take('"')) return false;
        for (; i_ < s_.size(); ++i_) {
            const char c = s_[i_];
            if (c == '"') {
                ++i_;
                return true;
            }
            if (c != '\\') {
                out += c;
                continue;
            }
            if (++i_ >= s_.size()) return false;
            const char e = s_[i_];
            if (e == '"' || e == '\\' || e == '/') {
                out += e;
            } else if (e == 'u' && i_ + 4 < s_.size() && s_.compare(i_ + 1, 2, "00") == 0 &&
                       s_.substr(i_ + 3, 2).find_first_not_of("0123456789abcdefABCDEF") ==
                           std::string::npos) {
                // Only the control characters are written escaped.
                out += static_cast<char>(HexToLong(s_.substr(i_ + 3, 2)));
                i_ += 4;
            } else {
                return false;
            }
        }
        return false;
    }
    bool value(Value& v) {
        blanks();
        if (i_ < s_.size() && s_[i_] == '"') {
            v.kind = Value::Text;
            return text(v.text);
        }
        if (take('[')) {
            v.kind = Value::List;
            if (take(']')) return true;
            do {
                long n = 0;
                if (!number(n)) return false;
                v.list.push_back(n);
            } while (take(','));
            return take(']');
        }
        v.kind = Value::Number;
        return number(v.number);
    }

    const std::string& s_;
    std::size_t i_ = 0;
};

bool GetNumber(const Object& o, const char* key, long lo, long hi, long& out) {
    const auto it = o.find(key);
    if (it == o.end() || it->second.kind != Value::Number) return false;
    out = it->second.number;
    return out >= lo && out <= hi;
}

const std::string* GetText(const Object& o, const char* key) {
    const auto it = o.find(key);
    return it == o.end() || it->second.kind != Value::Text ? nullptr : &it->second.text;
}

bool ParseTime(const std::string& text, CivilDateTime& t) {
    return std::sscanf(text.c_str(), "%d-%d-%dT%d:%d:%d", &t.year, &t.month, &t.day, &t.hour,
                       &t.minute, &t.second) == 6;
}

// What an entry line must hold to be undone: where, what was there, what
// went there, of matching sizes.
bool TakeTarget(const Object& o, JournalEntry& e) {
    long block = -1;
    const auto cells = o.find("cells");
    if (o.count("block") != 0) {
        if (!GetNumber(o, "block", 0, 255, block) || cells != o.end()) return false;
        e.block = static_cast<std::int32_t>(block);
    } else {
        if (cells == o.end() || cells->second.kind != Value::List || cells->second.list.empty())
            return false;
        for (const long c : cells->second.list) {
            if (c < 0 || c > 255) return false;
            e.cells.push_back(static_cast<std::int32_t>(c));
        }
    }
    const std::string* oldHex = GetText(o, "old");
    const std::string* newHex = GetText(o, "new");
    if (oldHex == nullptr || newHex == nullptr || !FromHex(*oldHex, e.oldBytes) ||
        !FromHex(*newHex, e.newBytes))
        return false;
    const std::size_t size = e.isBlock() ? 256u : e.cells.size();
    return e.oldBytes.size() == size && e.newBytes.size() == size;
}

bool TakeEntry(const Object& o, JournalEntry& e) {
    long id = 0;
    long address = 0;
    long input = 0;
    long of = 0;
    const std::string* time = GetText(o, "time");
    const std::string* command = GetText(o, "command");
    const std::string* device = GetText(o, "device");
    if (!GetNumber(o, "id", 1, 999999999, id) || time == nullptr || !ParseTime(*time, e.time) ||
        command == nullptr || device == nullptr || !GetNumber(o, "address", 0, 255, address))
        return false;
    if (o.count("input") != 0 && !GetNumber(o, "input", 1, 4, input)) return false;
    if (o.count("of") != 0 && !GetNumber(o, "of", 1, 999999999, of)) return false;
    e.id = static_cast<int>(id);
    e.command = *command;
    e.deviceId = *device;
    e.address = static_cast<std::int32_t>(address);
    e.input = static_cast<int>(input);
    e.of = static_cast<int>(of);
    if (const std::string* sensor = GetText(o, "sensor")) e.sensor = *sensor;
    return TakeTarget(o, e);
}

bool TakeOutcome(const Object& o, int& id, JournalResult& result, int& at) {
    long n = 0;
    long byte = 0;
    const std::string* name = GetText(o, "result");
    if (!GetNumber(o, "outcome", 1, 999999999, n) || name == nullptr) return false;
    if (o.count("at") != 0 && !GetNumber(o, "at", 0, 65535, byte)) return false;
    const auto it = std::find_if(kResultNames.begin() + 1, kResultNames.end(),
                                 [&](const char* r) { return *name == r; });
    if (it == kResultNames.end()) return false;
    id = static_cast<int>(n);
    result = static_cast<JournalResult>(it - kResultNames.begin());
    at = static_cast<int>(byte);
    return true;
}

// The id of an entry line, 0 for any other line.
int EntryId(const std::string& line) {
    Object o;
    JournalEntry e;
    return Reader(line).object(o) && o.count("outcome") == 0 && TakeEntry(o, e) ? e.id : 0;
}

int LastId(const std::string& text) {
    std::size_t end = text.size();
    while (end > 0) {
        const std::size_t start = text.rfind('\n', end - 1);
        const std::size_t from = start == std::string::npos ? 0 : start + 1;
        if (const int id = EntryId(text.substr(from, end - from)); id > 0) return id;
        if (start == std::string::npos) break;
        end = start;
    }
    return 0;
}

// ------------------------------------------------------------ the file

bool ReadFd(int fd, off_t from, std::string& out) {
    out.clear();
    char buf[65536];
    for (off_t at = from;;) {
        const ssize_t n = ::pread(fd, buf, sizeof buf, at);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        if (n == 0) return true;
        out.append(buf, static_cast<std::size_t>(n));
        at += n;
    }
}

bool WriteFd(int fd, const std::string& text) {
    for (std::size_t done = 0; done < text.size();) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// The highest id in the file, read from its tail and, only when the tail
// holds no entry, from the whole. "" before the new line, or "\n" when the
// file ends in a torn line.
bool ScanTail(int fd, int& lastId, std::string& separator) {
    const off_t size = ::lseek(fd, 0, SEEK_END);
    if (size < 0) return false;
    std::string tail;
    if (!ReadFd(fd, std::max<off_t>(0, size - kTailBytes), tail)) return false;
    separator = !tail.empty() && tail.back() != '\n' ? "\n" : "";
    lastId = LastId(tail);
    if (lastId == 0 && size > kTailBytes) {
        if (!ReadFd(fd, 0, tail)) return false;
        lastId = LastId(tail);
    }
    return true;
}

std::string SystemError(const std::string& path) {
    return path + ": " + std::strerror(errno);
}

} // namespace

std::span<const WriteCommand> WriteCommands() {
    return kWriteCommands;
}

const WriteCommand* FindWriteCommand(const std::string& name) {
    for (const WriteCommand& c : kWriteCommands) {
        if (name == c.name) return &c;
    }
    return nullptr;
}

const WriteCommand* WriteCommandOfCtl(const std::string& word) {
    for (const WriteCommand& c : kWriteCommands) {
        if (word == c.ctl) return &c;
    }
    return nullptr;
}

const char* ResultName(JournalResult result) {
    return kResultNames[static_cast<std::size_t>(result)];
}

std::string EntryLine(const JournalEntry& e) {
    std::string line = "{\"id\":" + std::to_string(e.id) + ",\"time\":" + Quoted(IsoTime(e.time)) +
                       ",\"command\":" + Quoted(e.command) + ",\"device\":" + Quoted(e.deviceId) +
                       ",\"address\":" + std::to_string(e.address);
    if (e.isBlock()) {
        line += ",\"block\":" + std::to_string(e.block);
    } else {
        line += ",\"cells\":[";
        for (std::size_t i = 0; i < e.cells.size(); ++i)
            line += (i > 0 ? "," : "") + std::to_string(e.cells[i]);
        line += "]";
    }
    if (e.input > 0) line += ",\"input\":" + std::to_string(e.input);
    if (!e.sensor.empty()) line += ",\"sensor\":" + Quoted(e.sensor);
    if (e.of > 0) line += ",\"of\":" + std::to_string(e.of);
    return line + ",\"old\":\"" + Hex(e.oldBytes) + "\",\"new\":\"" + Hex(e.newBytes) + "\"}\n";
}

std::string OutcomeLine(int id, JournalResult result, int at) {
    std::string line =
        "{\"outcome\":" + std::to_string(id) + ",\"result\":\"" + ResultName(result) + "\"";
    if (at > 0) line += ",\"at\":" + std::to_string(at);
    return line + "}\n";
}

std::vector<JournalEntry> ParseJournal(const std::string& text, int* unreadable) {
    std::vector<JournalEntry> entries;
    int bad = 0;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        const std::string line = text.substr(start, end - start);
        start = end + 1;
        if (line.find_first_not_of(" \t\r") == std::string::npos) continue;
        Object o;
        JournalEntry e;
        int id = 0;
        JournalResult result = JournalResult::Open;
        int at = 0;
        if (!Reader(line).object(o)) {
            ++bad;
        } else if (o.count("outcome") != 0 && TakeOutcome(o, id, result, at)) {
            const auto it = std::find_if(entries.begin(), entries.end(),
                                         [id](const JournalEntry& x) { return x.id == id; });
            if (it == entries.end()) {
                ++bad;
            } else {
                it->result = result;
                it->at = at;
            }
        } else if (TakeEntry(o, e)) {
            entries.push_back(std::move(e));
        } else {
            ++bad;
        }
    }
    if (unreadable != nullptr) *unreadable = bad;
    return entries;
}

bool Journal::appendWith(const std::function<std::string(int)>& line, std::string* error) {
    const auto fail = [error](const std::string& why) {
        if (error != nullptr) *error = why;
        return false;
    };
    if (path_.empty()) {
        if (!memory_.empty() && memory_.back() != '\n') memory_ += '\n';
        memory_ += line(LastId(memory_));
        return true;
    }
    std::error_code ec;
    const std::filesystem::path folder = std::filesystem::path(path_).parent_path();
    if (!folder.empty()) std::filesystem::create_directories(folder, ec);
    if (ec) return fail(folder.string() + ": " + ec.message());
    const int fd = ::open(path_.c_str(), O_RDWR | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0) return fail(SystemError(path_));
    // The window and r27ctl may append at the same moment: one waits.
    bool ok = ::flock(fd, LOCK_EX) == 0;
    int lastId = 0;
    std::string separator;
    ok = ok && ScanTail(fd, lastId, separator);
    // On the disk, not in a cache, before the first frame goes out.
    ok = ok && WriteFd(fd, separator + line(lastId)) && ::fsync(fd) == 0;
    const std::string why = ok ? std::string() : SystemError(path_);
    ::close(fd);
    return ok || fail(why);
}

bool Journal::append(JournalEntry& entry, std::string* error) {
    int id = 0;
    const bool ok = appendWith(
        [&](int lastId) {
            id = lastId + 1;
            JournalEntry numbered = entry;
            numbered.id = id;
            return EntryLine(numbered);
        },
        error);
    if (ok) {
        entry.id = id;
        written_ = entry;
        if (observer_) observer_(*written_);
    }
    return ok;
}

bool Journal::settle(int id, JournalResult result, int at, std::string* error) {
    const bool ok = appendWith([&](int) { return OutcomeLine(id, result, at); }, error);
    if (ok && written_ && written_->id == id) {
        written_->result = result;
        written_->at = at;
        if (observer_) observer_(*written_);
    }
    return ok;
}

std::vector<JournalEntry> Journal::entries(int* unreadable, std::string* error) const {
    if (unreadable != nullptr) *unreadable = 0;
    if (path_.empty()) return ParseJournal(memory_, unreadable);
    if (!std::filesystem::exists(path_)) return {};
    // Read as it is, in pieces: the file grows with every write ever made.
    std::string text;
    const int fd = ::open(path_.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    const bool ok = fd >= 0 && ReadFd(fd, 0, text);
    const std::string why = ok ? std::string() : SystemError(path_);
    if (fd >= 0) ::close(fd);
    if (!ok) {
        if (error != nullptr) *error = why;
        return {};
    }
    return ParseJournal(text, unreadable);
}

std::vector<JournalEntry> Journal::takeUnfinished() {
    std::vector<JournalEntry> out;
    out.swap(unfinished_);
    return out;
}

bool IsEKeyBlock(std::int32_t block) {
    return block % kPagesPerInput == 0 && block / kPagesPerInput < kInputCount;
}

int BlockInput(std::int32_t block) {
    if (IsEKeyBlock(block)) return block / kPagesPerInput;
    if (block >= kFirstInternalCopy && block < kFirstInternalCopy + kInputCount)
        return block - kFirstInternalCopy;
    if (block > kFirstInternalCopy && block % kPagesPerInput == 0 &&
        block / kPagesPerInput < kFirstInternalCopy / kPagesPerInput + kInputCount)
        return block / kPagesPerInput - kFirstInternalCopy / kPagesPerInput;
    return -1;
}

Text BlockRole(std::int32_t block) {
    const int input = BlockInput(block);
    if (input < 0) return {};
    return Text(IsEKeyBlock(block) ? texts::session::kRoleEKey : texts::session::kRoleInternal,
                input + 1);
}

Text TargetText(const JournalEntry& e) {
    if (e.isBlock()) {
        const Text role = BlockRole(e.block);
        return role.empty() ? Text(texts::session::kTargetBlock, e.block)
                            : Text(texts::session::kTargetBlockRole, e.block, role);
    }
    const auto cell = [](std::int32_t c) { return LongToHex(c, 2) + "h"; };
    if (e.cells.size() == 1) return Text(texts::session::kTargetCell, cell(e.cells[0]));
    bool run = true;
    for (std::size_t i = 1; i < e.cells.size(); ++i)
        run = run && e.cells[i] == e.cells[i - 1] + 1;
    if (run)
        return Text(texts::session::kTargetCellRun, cell(e.cells.front()), cell(e.cells.back()));
    return Text(texts::session::kTargetCells, cell(e.cells.front()), cell(e.cells.back()),
                e.cells.size());
}

Text CommandLabel(const std::string& name) {
    const WriteCommand* c = FindWriteCommand(name);
    return c != nullptr ? Text(*c->label) : Text::Value(name);
}

std::string ShownTime(const CivilDateTime& t) {
    std::string text = IsoTime(t);
    const auto at = text.find('T');
    if (at != std::string::npos) text[at] = ' ';
    return text;
}

const JournalEntry* FindEntry(const std::vector<JournalEntry>& entries, int id) {
    const auto it = std::find_if(entries.begin(), entries.end(),
                                 [id](const JournalEntry& e) { return e.id == id; });
    return it == entries.end() ? nullptr : &*it;
}

int LastUndoable(const std::vector<JournalEntry>& entries) {
    for (auto it = entries.rbegin(); it != entries.rend(); ++it) {
        if (it->command == journaled::kUndo) continue;
        const bool undone = std::any_of(entries.rbegin(), it, [&](const JournalEntry& later) {
            return later.command == journaled::kUndo && later.of == it->id &&
                   later.result == JournalResult::Done;
        });
        if (!undone) return it->id;
    }
    return 0;
}

} // namespace rm27
