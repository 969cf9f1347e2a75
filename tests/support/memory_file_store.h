// Calibration files kept in memory, for looking at what the editor wrote
// and for feeding it what a file would hold.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "calibration/clb_file.h"

namespace rm27::test {

class MemoryFileStore final : public CalibrationFileStore {
public:
    std::map<std::string, std::vector<ClbGroup>> files;
    // Not empty: every write fails with this reason.
    std::string failWith;

    bool writeGroup(const std::string& path, const ClbGroup& group, Text& reason) override {
        if (!failWith.empty()) {
            reason = Text::Value(failWith);
            return false;
        }
        std::vector<ClbGroup>& groups = files[path];
        for (ClbGroup& g : groups) {
            if (g.name == group.name) {
                g = group;
                return true;
            }
        }
        groups.push_back(group);
        return true;
    }
    bool readGroups(const std::string& path, std::vector<ClbGroup>& groups, Text& reason) override {
        const auto it = files.find(path);
        if (it == files.end()) {
            reason = Text::Value("No such file or directory");
            return false;
        }
        groups = it->second;
        return true;
    }
    const ClbGroup* group(const std::string& path, const std::string& name) const {
        const auto it = files.find(path);
        if (it == files.end()) return nullptr;
        for (const ClbGroup& g : it->second) {
            if (g.name == name) return &g;
        }
        return nullptr;
    }
};

// A group's keys with one changed (value given) or taken out (nullptr).
inline ClbGroup WithKey(ClbGroup g, const std::string& key, const char* value) {
    for (auto it = g.keys.begin(); it != g.keys.end(); ++it) {
        if (it->first != key) continue;
        if (value == nullptr)
            g.keys.erase(it);
        else
            it->second = value;
        return g;
    }
    if (value != nullptr) g.keys.emplace_back(key, value);
    return g;
}

} // namespace rm27::test
