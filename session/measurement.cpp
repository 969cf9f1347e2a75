#include "session/measurement.h"

#include <string>

#include "link/transact.h"
#include "session/controls.h"

namespace rm27 {

namespace {

void ClearRawReadings(MainView& view) {
    for (int i = 0; i < 4; ++i)
        view.setCaption(ctl::lblHodnota(i), Text());
}

} // namespace

void StartMeasurement(Port& port, MainView& view) {
    ClearRawReadings(view);
    if (!port.line.isOpen()) return;
    port.flush();
    view.setMeasurementTimer(true);
}

void StopMeasurement(Port& port, MainView& view) {
    ClearRawReadings(view);
    view.setMeasurementTimer(false);
    // The last tick's request may still be on its way back; its 123
    // characters take about 130 ms at 9600 baud, well inside one interval.
    DelayMs(port, kMeasurementIntervalMs);
    if (port.line.isOpen()) port.flush();
}

PausedMeasurement::PausedMeasurement(Port& port, MainView& view, CommandGuard& guard)
    : port_(port), view_(view), held_(guard.holdLine()),
      measuring_(view.measurementTimerEnabled()) {
    StopMeasurement(port_, view_);
}

PausedMeasurement::~PausedMeasurement() {
    if (measuring_ && !port_.cancelled()) StartMeasurement(port_, view_);
}

} // namespace rm27
