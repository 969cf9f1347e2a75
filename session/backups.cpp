#include "session/backups.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <system_error>

#include "session/files.h"
#include "session/texts.h"

namespace rm27 {

namespace {

namespace fs = std::filesystem;
namespace t = texts::session;

constexpr const char* kMagic = "RM27-EKEY-BACKUP 1";
constexpr std::size_t kBackupImageSize = 256;

std::string Safe(const std::string& text) {
    const std::string out = FileNamePart(text, true);
    return out.empty() ? std::string("_") : out;
}

std::string Hex(const std::string& bytes) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string out;
    for (const char c : bytes) {
        const auto u = static_cast<unsigned char>(c);
        out += kDigits[u >> 4];
        out += kDigits[u & 15];
    }
    return out;
}

bool FromHex(const std::string& hex, std::string& out) {
    auto digit = [](char c) -> int {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        return -1;
    };
    if (hex.size() % 2 != 0) return false;
    out.clear();
    for (std::size_t i = 0; i < hex.size(); i += 2) {
        const int hi = digit(hex[i]);
        const int lo = digit(hex[i + 1]);
        if (hi < 0 || lo < 0) return false;
        out += static_cast<char>(hi * 16 + lo);
    }
    return true;
}

bool ParseIso(const std::string& text, CivilDateTime& t) {
    return std::sscanf(text.c_str(), "%d-%d-%dT%d:%d:%d", &t.year, &t.month, &t.day, &t.hour,
                       &t.minute, &t.second) == 6;
}

// "0".."255" and nothing else: a block or an address written back to the
// wrong place is worse than a file refused.
bool ParseByteNumber(const std::string& text, std::int32_t& out) {
    if (text.empty() || text.size() > 3 ||
        text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    const int value = std::stoi(text);
    if (value > 255) return false;
    out = value;
    return true;
}

// One "key value" line into e; empty or why the line is refused.
Text TakeLine(const std::string& key, const std::string& value, BackupEntry& e) {
    if (key == "device") {
        e.deviceId = value;
    } else if (key == "address") {
        if (!ParseByteNumber(value, e.address)) return Text(t::kBackupBadAddress, value);
    } else if (key == "block") {
        if (!ParseByteNumber(value, e.block)) return Text(t::kBackupBadBlock, value);
    } else if (key == "sensor") {
        e.sensorId = value;
    } else if (key == "time") {
        if (!ParseIso(value, e.time)) return Text(t::kBackupBadTime, value);
    } else if (key == "image") {
        if (value.size() != 2 * kBackupImageSize || !FromHex(value, e.image))
            return Text(t::kBackupBadImage);
    } else {
        return Text(t::kBackupUnknownKey, key);
    }
    return {};
}

// The whole file, strictly: the first line, then every key once, block and
// image required.
bool ParseBackup(const std::string& text, BackupEntry& e, Text& why) {
    std::istringstream in(text);
    std::string line;
    std::getline(in, line);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line != kMagic) {
        why = Text(t::kNoBackupFile);
        return false;
    }
    std::set<std::string> seen;
    for (int number = 2; std::getline(in, line); ++number) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) continue;
        const auto space = line.find(' ');
        const std::string key = line.substr(0, space);
        const std::string value = space == std::string::npos ? "" : line.substr(space + 1);
        const Text refused =
            seen.insert(key).second ? TakeLine(key, value, e) : Text(t::kBackupKeyTwice, key);
        if (!refused.empty()) {
            why = Text(t::kBackupOnLine, number, refused);
            return false;
        }
    }
    if (seen.count("block") == 0) {
        why = Text(t::kBackupNoBlock);
        return false;
    }
    if (seen.count("image") == 0) {
        why = Text(t::kBackupNoImage);
        return false;
    }
    return true;
}

} // namespace

std::string IsoTime(const CivilDateTime& t) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02dT%02d:%02d:%02d", t.year, t.month, t.day, t.hour,
                  t.minute, t.second);
    return buf;
}

std::string BackupFileName(const BackupEntry& e) {
    char block[16];
    std::snprintf(block, sizeof block, "block%03d", static_cast<int>(e.block & 0xFF));
    std::string time = IsoTime(e.time);
    time.erase(std::remove(time.begin(), time.end(), ':'), time.end());
    time.erase(std::remove(time.begin(), time.end(), '-'), time.end());
    return Safe(e.deviceId) + "_" + block + "_" + Safe(e.sensorId) + "_" + time + ".ekey";
}

std::string FolderBackupStore::save(const BackupEntry& entry, std::string* error) {
    std::error_code ec;
    fs::create_directories(folder_, ec);
    if (ec) {
        if (error) *error = folder_ + ": " + ec.message();
        return {};
    }
    // Two backups of one block within a second keep both.
    const std::string base = BackupFileName(entry);
    fs::path path = fs::path(folder_) / base;
    for (int n = 2; fs::exists(path); ++n)
        path = fs::path(folder_) /
               (base.substr(0, base.size() - 5) + "-" + std::to_string(n) + ".ekey");
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << kMagic << "\n"
        << "device " << TrimBlanks(entry.deviceId) << "\n"
        << "address " << entry.address << "\n"
        << "block " << entry.block << "\n"
        << "sensor " << TrimBlanks(entry.sensorId) << "\n"
        << "time " << IsoTime(entry.time) << "\n"
        << "image " << Hex(entry.image) << "\n";
    out.close();
    if (!out) {
        if (error) *error = path.string() + ": cannot be written";
        return {};
    }
    return path.string();
}

bool FolderBackupStore::load(const std::string& path, BackupEntry& entry, Text* error) {
    std::string text;
    Text why = ReadWholeFile(path, kBackupFile, text);
    BackupEntry e;
    e.path = path;
    if (!why.empty() || !ParseBackup(text, e, why)) {
        if (error) *error = why;
        return false;
    }
    entry = e;
    return true;
}

std::vector<BackupEntry> FolderBackupStore::list() {
    std::vector<BackupEntry> out;
    std::error_code ec;
    for (fs::directory_iterator it(folder_, ec), end; !ec && it != end; it.increment(ec)) {
        if (it->path().extension() != ".ekey") continue;
        BackupEntry e;
        if (load(it->path().string(), e, nullptr)) out.push_back(std::move(e));
    }
    std::sort(out.begin(), out.end(), [](const BackupEntry& a, const BackupEntry& b) {
        return IsoTime(a.time) != IsoTime(b.time) ? IsoTime(a.time) > IsoTime(b.time)
                                                  : a.path > b.path;
    });
    return out;
}

} // namespace rm27
