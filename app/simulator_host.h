// The built-in simulated converter: a pseudo-terminal served in a thread of
// its own, in real time at 9600 baud, so that the program can be tried and
// shown without hardware.
#pragma once

#include <QString>

#include <memory>

namespace rm27 {

namespace sim {
class PtyServer;
}

class SimulatorHost {
public:
    SimulatorHost();
    ~SimulatorHost();
    SimulatorHost(const SimulatorHost&) = delete;
    SimulatorHost& operator=(const SimulatorHost&) = delete;

    // One RM-27 at address 1 with its default sensors. False with a reason.
    bool start(QString* error);
    void stop();
    // What the serial port opens.
    QString devicePath() const;

private:
    std::unique_ptr<sim::PtyServer> server_;
};

} // namespace rm27
