// Calibration files (.CLB): a sensor's calibration as an INI text file, one
// group per calibration. The editor saves to the group "Kalibrace" from its
// menu, and to "Kalibrace\Snimac01" ... "Kalibrace\Snimac04" when its
// target names a file; a file may hold several groups side by side.
//
// Everything here works on plain key/value groups: which keys a
// calibration has, how its numbers are written, and the checks a group must
// pass before it may replace the editor's curve. Reading and writing the
// file itself goes through CalibrationFileStore (INI through QSettings in
// the program, see calibration/files/).
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "l10n/text.h"
#include "link/ekey.h"

namespace rm27 {

// The group the editor's "&Save to calibration file ..." writes.
inline const std::string kClbMenuGroup = "Kalibrace";

// One group of a calibration file: its name as the program spells it, with
// "\" between levels ("Kalibrace\Snimac01"), and its keys in order.
struct ClbGroup {
    std::string name;
    std::vector<std::pair<std::string, std::string>> keys;

    // The value of key; null when the group has no such key.
    const std::string* find(const std::string& key) const;
};

// Where calibration files are read and written.
class CalibrationFileStore {
public:
    virtual ~CalibrationFileStore() = default;
    // Replaces the keys of group.name in the file (the file's other groups
    // stay, so do the group's own subgroups); the file is created when
    // missing. False, with the system's reason, when it could not be
    // written.
    virtual bool writeGroup(const std::string& path, const ClbGroup& group, Text& reason) = 0;
    // Every group of the file that holds keys. False, with the system's
    // reason, when the file cannot be read.
    virtual bool readGroups(const std::string& path, std::vector<ClbGroup>& groups,
                            Text& reason) = 0;
};

// The input 1..4 whose block this is: the eKey of input adr + 1, or (adr 4)
// the converter's internal copy of input subAdr + 1.
int InputOfBlock(int adr, int subAdr);

// The keys of a calibration: everything the editor builds into a record
// and fills from one, the points at full single precision, the identifier,
// dates and validity, the input and block the record belongs to, and the
// program that wrote it. Texts without their padding blanks.
ClbGroup CalibrationGroup(const std::string& name, const SensorRecord& rec,
                          const std::string& program);

// The group to load: `preferred` when the file has it, else "Kalibrace",
// else the file's only group; null when none of these is there.
const ClbGroup* PickCalibrationGroup(const std::vector<ClbGroup>& groups,
                                     const std::string& preferred);

// Fills the calibration fields of rec from a group (all CalibrationGroup
// writes but the program, the input and the block: a loaded calibration
// goes back to the block rec belongs to). Refused, with a message naming
// the key and rec untouched, when a key is missing, a number does not read
// (ParseNumber), is not whole where it must be or does not fit its place in
// the eKey (the points and the limit the eKey's own float, the uncertainty
// 0..100 %), the curve has fewer than 2 or more than maxPoints points, or a
// signal or a value repeats.
bool CalibrationFromGroup(const ClbGroup& group, SensorRecord& rec, int maxPoints, Text& error);

// The text of a calibration file's bytes as UTF-8, without a byte-order
// mark. The program writes UTF-8. A file that is not UTF-8 and has no UTF-8
// byte-order mark was written by one of the other tools of these
// workstations, in Windows-1250, and is read as such when every byte is one
// of that code page's characters. Otherwise false, with a message naming
// the line that stops the reading.
bool ClbTextAsUtf8(const std::string& bytes, std::string& text, Text& error);

} // namespace rm27
