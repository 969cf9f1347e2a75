#include "calibration/draft.h"

#include <charconv>
#include <filesystem>
#include <fstream>

#include "link/ekey.h"
#include "session/files.h"

namespace rm27 {

namespace {

namespace fs = std::filesystem;

const char* const kSavedKey = "saved=";
const char* const kPointKey = "point=";

// Whole text, whatever the user's region: SingleText wrote it so.
bool ReadSingle(const std::string& text, float& value) {
    const char* end = text.data() + text.size();
    const auto r = std::from_chars(text.data(), end, value);
    return r.ec == std::errc() && r.ptr == end && !text.empty();
}

bool ReadPoint(const std::string& text, CurvePoint& p) {
    const auto semicolon = text.find(';');
    if (semicolon == std::string::npos) return false;
    if (!ReadSingle(text.substr(0, semicolon), p.signal) ||
        !ReadSingle(text.substr(semicolon + 1), p.userValue))
        return false;
    p.state = kSlotUsed;
    return true;
}

} // namespace

std::string DraftPath(const std::string& folder, const std::string& sensorId,
                      const std::string& deviceId, int input) {
    std::string name = FileNamePart(sensorId);
    if (name.empty()) name = FileNamePart(deviceId) + "-" + std::to_string(input);
    return (fs::path(folder) / (name + ".draft")).string();
}

bool WriteDraft(const std::string& path, const PointTable& points, const std::string& saved) {
    std::error_code ec;
    fs::create_directories(fs::path(path).parent_path(), ec);
    const std::string temporary = path + ".new";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out << kSavedKey << saved << '\n';
        for (int k = 1; k <= points.count(); ++k)
            out << kPointKey << SingleText(points.slot(k).signal) << ';'
                << SingleText(points.slot(k).userValue) << '\n';
        out.flush();
        if (!out) return false;
    }
    fs::rename(temporary, path, ec);
    return !ec;
}

std::optional<CalibrationDraft> ReadDraft(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    CalibrationDraft d;
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind(kSavedKey, 0) == 0) {
            d.saved = line.substr(std::char_traits<char>::length(kSavedKey));
        } else if (line.rfind(kPointKey, 0) == 0) {
            CurvePoint p;
            if (!ReadPoint(line.substr(std::char_traits<char>::length(kPointKey)), p))
                return std::nullopt;
            d.points.push_back(p);
        }
    }
    if (d.points.size() > static_cast<std::size_t>(kEditorMaxPoints)) return std::nullopt;
    return d;
}

void RemoveDraft(const std::string& path) {
    std::error_code ec;
    fs::remove(path, ec);
}

void FillPoints(PointTable& points, const CalibrationDraft& draft) {
    points.Clear();
    int k = 0;
    for (const CurvePoint& p : draft.points)
        points.slot(++k) = p;
    points.setCount(k);
}

} // namespace rm27
