#include "session/backups.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

namespace rm27 {

namespace {

namespace fs = std::filesystem;

constexpr const char* kMagic = "RM27-EKEY-BACKUP 1";

std::string Safe(const std::string& text) {
    std::string out;
    for (const char c : TrimBlanks(text)) {
        const auto u = static_cast<unsigned char>(c);
        const bool keep = (u >= '0' && u <= '9') || (u >= 'A' && u <= 'Z') ||
                          (u >= 'a' && u <= 'z') || c == '-' || c == '.';
        out += keep ? c : '_';
    }
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

bool FolderBackupStore::load(const std::string& path, BackupEntry& entry, std::string* error) {
    auto fail = [&](const std::string& why) {
        if (error) *error = path + ": " + why;
        return false;
    };
    std::ifstream in(path, std::ios::binary);
    if (!in) return fail("cannot be read");
    std::string line;
    if (!std::getline(in, line) || line != kMagic) return fail("not an eKey backup");
    BackupEntry e;
    e.path = path;
    bool haveBlock = false, haveImage = false;
    while (std::getline(in, line)) {
        const auto space = line.find(' ');
        const std::string key = line.substr(0, space);
        const std::string value = space == std::string::npos ? "" : line.substr(space + 1);
        if (key == "device") {
            e.deviceId = value;
        } else if (key == "address") {
            e.address = std::atoi(value.c_str());
        } else if (key == "block") {
            e.block = std::atoi(value.c_str());
            haveBlock = !value.empty() && e.block >= 0 && e.block <= 255;
        } else if (key == "sensor") {
            e.sensorId = value;
        } else if (key == "time") {
            if (!ParseIso(value, e.time)) return fail("bad time \"" + value + "\"");
        } else if (key == "image") {
            if (!FromHex(value, e.image) || e.image.size() != 256)
                return fail("the image is not 256 bytes of hex");
            haveImage = true;
        }
    }
    if (!haveBlock) return fail("no block number");
    if (!haveImage) return fail("no image");
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
