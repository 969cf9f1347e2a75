// The calibration editor's work in progress, kept on disk after every
// change: points captured over hours survive a crash, a lost line or a slip
// of the hand, and the next editing of the same sensor offers them back.
// One small file per sensor in the user's data folder; nothing here talks
// to the converter.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "calibration/curve.h"

namespace rm27 {

struct CalibrationDraft {
    std::string saved;               // when it was kept, "2026-12-08 10:15:02"
    std::vector<CurvePoint> points;  // signal and reference value, in order
};

// The draft file of a sensor: by its identifier, or for a sensor without
// one by the converter and the input (1..4) it sits on.
std::string DraftPath(const std::string& folder, const std::string& sensorId,
                      const std::string& deviceId, int input);

// Written whole or not at all (a half-written draft would be worse than
// none); false when it could not be written.
bool WriteDraft(const std::string& path, const PointTable& points, const std::string& saved);
// Nothing for a missing or unreadable file.
std::optional<CalibrationDraft> ReadDraft(const std::string& path);
void RemoveDraft(const std::string& path);

// The draft's points into a table.
void FillPoints(PointTable& points, const CalibrationDraft& draft);

} // namespace rm27
