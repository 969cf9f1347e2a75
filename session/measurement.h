// Switching the live measurement off and on around every other exchange with
// the converter. While it runs, one "MK" request is always outstanding on
// the line; a command sent then would read the measurement answer as its
// own. StopMeasurement therefore waits one timer interval and throws away
// whatever arrived before anything else may be sent.
#pragma once

#include <cstdint>

#include "link/line.h"
#include "session/guard.h"
#include "session/main_view.h"

namespace rm27 {

inline constexpr std::int32_t kMeasurementIntervalMs = 500;

// Clear the raw readings; with the port open, drop what is waiting and
// run the timer. With the port closed the timer stays off.
void StartMeasurement(Port& port, MainView& view);

// Clear the raw readings, stop the timer, wait one interval for the answer
// to the last tick's request, and drop it. Takes the full interval even
// when the timer was not running (unless the command is cancelled).
void StopMeasurement(Port& port, MainView& view);

// An exchange made while the line is let go and the measurement runs (an
// editor or a prompt open inside a command): the line is taken back and
// the measurement stopped as StopMeasurement stops it; at the end the
// measurement runs again if it ran before, unless the command was
// cancelled meanwhile (whoever cancelled it decides what runs next).
class [[nodiscard]] PausedMeasurement {
public:
    PausedMeasurement(Port& port, MainView& view, CommandGuard& guard);
    PausedMeasurement(const PausedMeasurement&) = delete;
    PausedMeasurement& operator=(const PausedMeasurement&) = delete;
    ~PausedMeasurement();

private:
    Port& port_;
    MainView& view_;
    CommandGuard::LineScope held_;
    bool measuring_;
};

} // namespace rm27
