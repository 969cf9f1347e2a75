// What the window tests of watching and recording share: the main window
// as the program builds it (not the test window of the main-window tests,
// whose tick only writes a frame), connected to a pseudo-terminal on which
// the test plays the converter's measurement answers.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <string>

#include "mainwindow/window_test_support.h"
#include "watch/tick_sample.h"

namespace rm27::test {

struct InputReading {
    std::uint32_t raw = 0;
    float signal = 0.0f;
    float value = 0.0f;
};
using Reading = std::array<InputReading, 4>;

// The 123 characters of a measurement answer carrying `r`.
std::string MeasurementAnswer(const Reading& r);
// A reading that differs for every k.
Reading ReadingNo(int k);

// The names the simulated sensors carry (descriptions, units, formats).
WatchHeader SensorNames();

class WatchWindowTest : public WindowTest {
protected:
    std::unique_ptr<FrmMain> MakeMain(bool realTime = false);
    // Connected to the pty as COM1, identified as a converter at address 1
    // with the sensors of SensorNames().
    std::unique_ptr<FrmMain> ConnectedMain(Pty& pty);
    // The answer reaches the window's line, then one measurement interval
    // passes; an empty text is silence.
    void Deliver(FrmMain& w, Pty& pty, const std::string& text);
    // One tick of the measurement timer after `answer` came.
    void Tick(FrmMain& w, Pty& pty, const std::string& answer);
};

} // namespace rm27::test
