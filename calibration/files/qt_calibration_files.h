// Calibration files as INI text through QSettings, so that what one
// QSettings writes another reads the same way.
//
// The program names a group with "\" between levels ("Kalibrace\Snimac01").
// QSettings keeps a "\" inside a group name as part of one name and writes
// it percent-encoded ("[Kalibrace%5CSnimac01]"), while it reads a section
// written "[Kalibrace\Snimac01]" by hand as the group Snimac01 inside
// Kalibrace. So such a name is written as nested groups ("[Kalibrace]" with
// keys "Snimac01\Points=..."), and a file read back names every group with
// "\" again, whichever of the three spellings it used.
#pragma once

#include "calibration/clb_file.h"

namespace rm27 {

class QtCalibrationFileStore final : public CalibrationFileStore {
public:
    bool writeGroup(const std::string& path, const ClbGroup& group, Text& reason) override;
    bool readGroups(const std::string& path, std::vector<ClbGroup>& groups, Text& reason) override;
};

} // namespace rm27
