// The calibration curve as the editor holds it: a table of up to 40 points
// (the editor lets the user enter nine), the rules a curve must meet before
// it may go into a sensor's eKey, and the two conversions between the table
// with the editor's fields and the working sensor record.
//
// Everything here works on plain values: the editor's texts and list
// positions travel in EditorFields, so the whole model runs without widgets.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "l10n/text.h"
#include "link/ekey.h"
#include "session/prompter.h"

namespace rm27 {

inline constexpr int kPointSlots = 40;     // slots 1..40
inline constexpr int kEditorMaxPoints = 9; // what the editor lets the user enter
inline constexpr std::uint8_t kSlotUsed = 3;
inline constexpr std::uint8_t kSlotFree = 0;

// The lists of the editor, in order (the gain and curve type rows are
// texts of their own: texts::calibration::kGainRows, kCurveTypeRows).
extern const std::array<const char*, 6> kFormatRows;
extern const std::array<const char*, 16> kSlideRows;
extern const std::array<const char*, 16> kSlideRychlRows;

// The ordinary decimal text of a single: the shortest text that reads back
// as the same single ("0.1", "9999", "1e-05").
std::string SingleText(float value);

struct CurvePoint {
    float userValue = 0; // reference value in the user's unit ("etalon")
    float signal = 0;    // mV/V or divisions, as the curve type says
    std::uint8_t state = kSlotFree;
};

// 40 slots, 1-based; points occupy slots 1..count without gaps.
class PointTable {
public:
    CurvePoint& slot(int k);
    const CurvePoint& slot(int k) const;
    int count() const { return count_; }
    void setCount(int count) { count_ = count; }

    // Every slot free, count 0.
    void Clear();
    // Ascending by signal; equal signals keep their order.
    void SortPoints();
    // count = number of slots that are not free.
    void CountPoints();
    // True when no user value and no signal repeats among points 1..count.
    // The first repeat found is reported (critical box) and ends the check.
    bool CheckDuplicates(Prompter& prompter) const;
    // Removes point k; the points after it move up one slot.
    void DeletePoint(int k);
    // 1-based index of the first point whose signal is exactly s; 0 if none.
    // The slot (1..count) of the point at this reference value; 0: none.
    int FindUserValue(float v) const;
    int FindSignal(float s) const;
    // The first free slot, 0 when all 40 are taken.
    int FirstFreeSlot() const;

private:
    std::array<CurvePoint, kPointSlots + 1> slots_{}; // [0] unused
    int count_ = 0;
};

// What the editor shows and what the user typed or chose: texts of the
// text boxes, list positions of the combo boxes (-1 none), and the texts
// the editor puts into its labels, list and captions.
struct EditorFields {
    std::string txtPopis;
    std::string txtJednotka;
    std::string txtKL;
    std::string txtNejistota;
    std::string txtSN;
    std::string txtLimit;
    std::string txtDateOfSave;
    std::string txtPlatnostKalibrace;
    int cmbFormat = -1;
    int cmbGain = -1;
    int cmbSlide = -1;
    int cmbSlideRychl = -1;
    int cmbCurveType = -1;

    Text caption;       // the window's
    Text frame2;        // Frame2: "Snímač [ID:...]"
    std::string label3; // number of points in the table
    std::string lblLiveUnit;
    std::string lblSignal;
    Text lblCurveSignalPopis;
    std::vector<std::string> lstKrivka;
    // Per line, what its formats cut off (the line keeps the cut text);
    // "" for a line shown whole.
    std::vector<Text> lstKrivkaTips;
    int lstKrivkaSelected = -1; // 0-based line, -1 none
};

// Fills lstKrivka, the unit captions and the curve type from the table and
// the record's curve flags and number format.
void ShowCurve(const PointTable& points, const SensorRecord& xXx, EditorFields& fields);

// Fills the table and the fields from xXx (at most 40 points), then
// ShowCurve. adr/subAdr are the block the record goes back to, shown in
// the caption.
void LoadCalibration(PointTable& points, const SensorRecord& xXx, std::int32_t adr,
                     std::int32_t subAdr, EditorFields& fields);

// Checks the curve and the fields and, when they pass, builds xXx from
// them (see the body for the fields set). Refusals are critical boxes and
// leave xXx as it was; the points may already be sorted.
bool TXT2XXX(PointTable& points, const EditorFields& fields, SensorRecord& xXx, Prompter& prompter,
             const CivilDateTime& now, const std::function<double()>& uniform01);

} // namespace rm27
