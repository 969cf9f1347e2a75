// The RMU's user limits: one number per input in the input's own units,
// kept in the auxiliary single of the input's record (and so in its image).
// Storing writes the changed records back where they came from and
// restarts the converter so that it works with the new values.
#pragma once

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "l10n/text.h"
#include "link/ekey.h"
#include "link/result.h"
#include "session/operations.h"
#include "session/write_safety.h"

namespace rm27 {

// Row i (0..3) of the dialog: "Vstup1> Internal: " + the 32-character
// description + "  [" + the 6-character unit + "]".
Text RmuRowCaption(const SensorRecord& rec, int index);
// The limit as its text box shows it, in the record's number format.
std::string RmuLimitText(const SensorRecord& rec);
// What FormatFixed cut off the limit in its row ("" when it shows whole):
// the row's tool tip.
Text RmuLimitOverflow(const SensorRecord& rec);
// The number a text box's text stands for: blanks trimmed, a decimal comma
// accepted; text that is not a number gives 0. Stored as a single once it
// has passed the checks.
double RmuLimitOf(const std::string& text);

// mRMUset: nothing at all, not even a measurement stop, unless the
// converter is an RMU. Otherwise the measurement is stopped for as long as
// `dialog` runs. Returns whether the dialog ran.
bool RunRmuSettings(Operations& ops, const std::function<void()>& dialog);

struct RmuStoreResult {
    // A row held a limit no single holds, or one its record's format cannot
    // show: nothing was sent, not even the restart.
    bool refused = false;
    int written = 0; // inputs whose image was written
    int failed = 0;  // inputs whose image could not be built or written
    // Every image write with its backup; checked by CheckRmuStore once the
    // dialog has closed.
    std::vector<GuardedWrite> writes;
    // The converter did not answer after its restart, so nothing could be
    // read back (a message said so; the writes themselves are not blamed).
    bool notBack = false;
    // Done only when every write was read back as written (CheckRmuStore).
    Result outcome() const {
        if (refused) return ResultCode::Refused;
        return failed > 0 || !AllWritesConfirmed(writes) ? ResultCode::Failed : ResultCode::Ok;
    }
};

// "OK/Uložit": every input whose limit differs exactly from its record's
// gets the new limit and is written back (nullopt: the input is left as
// it is), its block's last image read kept first. Before any of it, each
// limit to be written is checked; one refused (a message naming its row)
// stops the whole store with nothing sent. `info` shows the
// progress (the dialog's lblninfo). Then the restart "X" goes to the
// universal address, whether anything changed or not; its answer is not
// awaited. The writes are checked later, by CheckRmuStore.
RmuStoreResult StoreRmuLimits(Operations& ops,
                              const std::array<std::optional<std::string>, kInputCount>& texts,
                              const std::function<void(const Text&)>& info);

// How long a restarted converter is waited for before the read-back.
inline constexpr std::int64_t kRestartBoundMs = 5000;

// After the dialog has closed and the measurement runs again: when the
// store wrote anything, the converter is asked for its identification until
// it answers as itself again (it hears nothing while it boots after the
// restart), kRestartBoundMs at most; one that does not come back is said
// as such. Then every block the store wrote is read back and compared, a
// critical box for each that differs or cannot be read back, and the main
// window's status line says what is left to say about the backups and the
// checks.
void CheckRmuStore(Operations& ops, RmuStoreResult& stored);

} // namespace rm27
