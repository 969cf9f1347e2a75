// rm27sim's control FIFO: lines that change what is applied to the inputs
// while the converters run, so that a script (or a test) can hang weights
// on a simulated load cell and the live "MK" answers follow.
//
//   load I VALUE     the load cell on input I carries VALUE (its unit)
//   signal I MVV     input I carries MVV mV/V (its load cell is taken off)
//   position I DEG   the load cell on input I is mounted turned to DEG
//
// I is the input as the window numbers its columns, 1..4. A load or a
// position for an input without a cell puts one there first.
#pragma once

#include <atomic>
#include <functional>
#include <optional>
#include <string>
#include <thread>

#include "sim/bus.h"

namespace rm27::sim {

struct ControlCommand {
    enum class Kind { Load, Signal, Position };
    Kind kind = Kind::Load;
    int input = 0; // 0..3
    double value = 0.0;
};

// One line of the FIFO; nothing, with the reason in *error, when it is
// none of the three.
std::optional<ControlCommand> ParseControlLine(const std::string& line, std::string* error);

// A load cell's description as rm27sim takes it: "key=value" pairs
// separated by commas, each changing one field of *spec: nominal,
// sensitivity (mV/V at the nominal load), zero (mV/V), nonlinearity,
// hysteresis, creep (fractions of the nominal output), creep-ms,
// position-effect, noise (mV/V), seed. False with the reason in *error.
bool ParseLoadCellSpec(const std::string& text, LoadCellSpec* spec, std::string* error);

// Carries the command out on every converter of the bus from timeMs on;
// a cell put on an input gets `spec`.
void ApplyControl(Bus& bus, const ControlCommand& command, double timeMs, const LoadCellSpec& spec);

// The FIFO and the thread that reads it. Held open for writing too, so
// that one writer closing it (echo load 1 500 > PATH) does not end the
// reading: the next writer is heard as well.
class ControlFifo {
public:
    ControlFifo() = default;
    ~ControlFifo();
    ControlFifo(const ControlFifo&) = delete;
    ControlFifo& operator=(const ControlFifo&) = delete;

    // Makes PATH a FIFO (an existing FIFO there is used as it is; any
    // other file is refused). False with a reason in *error.
    bool open(const std::string& path, std::string* error = nullptr);
    // Each complete line read is handed to onLine on the reading thread.
    void start(std::function<void(const std::string& line)> onLine);
    // Stops the thread and removes the FIFO it made.
    void stop();

private:
    void loop();

    std::string path_;
    bool made_ = false;
    int fd_ = -1;
    int wake_[2] = {-1, -1};
    std::function<void(const std::string&)> onLine_;
    std::thread thread_;
    std::atomic<bool> stop_{false};
};

} // namespace rm27::sim
