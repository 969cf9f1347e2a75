// What the operations on the converter may do to the main window, and
// nothing more: the "humble view". The window implements it with widgets,
// the command-line tool with the terminal, the tests with a recorder.
//
// Controls are named by their object names, always taken from
// session/controls.h: "lblStatus", "cmdReset", "mRMUmain"; a member of a
// control array carries its index after an underscore ("lblHodnota_5").
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "l10n/text.h"

namespace rm27 {

inline constexpr std::uint32_t kRgbWhite = 0xFFFFFF;
inline constexpr std::uint32_t kRgbGreen = 0x00FF00;
inline constexpr std::uint32_t kRgbRed = 0xFF0000;
inline constexpr std::uint32_t kRgbYellow = 0xFFFF00;

// How far a long sequence has come: step `step` of `of`, told in a wording
// that takes the percentage done ("Načítání ... %1%"), or, when it counts
// them, the step, the count and the percentage ("Čtení EEPROM %1/%2 ... %3%").
struct Progress {
    const TextId* wording = nullptr;
    int step = 0;
    int of = 0;
    bool counted = false;

    static Progress Percent(const TextId& wording, int step, int of) {
        return {&wording, step, of, false};
    }
    static Progress Counted(const TextId& wording, int step, int of) {
        return {&wording, step, of, true};
    }
    int percent() const { return of > 0 ? step * 100 / of : 100; }
    // The status line that shows it.
    Text text() const {
        return counted ? Text(*wording, step, of, percent()) : Text(*wording, percent());
    }
};

class MainView {
public:
    virtual ~MainView() = default;

    // The status line, repainted at once.
    virtual void setStatus(const Text& text) = 0;
    // The status line as long sequences report their progress through it
    // while they wait for the converter; a view that shows progress
    // otherwise (a bar, nothing at all) says so.
    virtual void setProgress(const Progress& progress) { setStatus(progress.text()); }
    // Caption of a label, button, menu or menu item, repainted at once.
    virtual void setCaption(const std::string& control, const Text& text) = 0;
    virtual void setControlEnabled(const std::string& control, bool enabled) = 0;
    virtual void setControlVisible(const std::string& control, bool visible) = 0;
    // Background of the seven labels of one input row (row 0..3), rgb as
    // 0xRRGGBB; the raw reading / 256 label of the row keeps its colour.
    virtual void setInputRowColor(int row, std::uint32_t rgb) = 0;
    // Background of a single control (a button while its command runs).
    virtual void setControlColor(const std::string& control, std::uint32_t rgb) = 0;
    // Replace the rows of a combo box and select one (-1: none).
    virtual void setComboRows(const std::string& control, const std::vector<std::string>& rows,
                              int selected) = 0;
    // Rows of a list box.
    virtual void clearList(const std::string& control) = 0;
    virtual void addListItem(const std::string& control, const Text& text) = 0;
    // Says that what a control shows may not be what the converter holds:
    // `why` is the reason in the operator's words, "" when the value is
    // certain again. The control's text stays exactly as it was set; the
    // window adds the reason to its tool tip.
    virtual void setDoubt(const std::string& control, const Text& why) {
        (void)control;
        (void)why;
    }
    // Says whether input `input` (0..3) shows its value less a tare: `note`
    // tells the tare subtracted, in the operator's words; empty, the value
    // is shown as measured. The value's own text stays as it was set.
    virtual void setTare(int input, const Text& note) {
        (void)input;
        (void)note;
    }
    // The measurement timer (500 ms).
    virtual void setMeasurementTimer(bool enabled) = 0;
    virtual bool measurementTimerEnabled() const = 0;
};

} // namespace rm27
