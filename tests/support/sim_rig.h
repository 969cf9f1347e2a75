// The one rig of the protocol and operation tests: simulated converters on
// a shared bus, the virtual-time line, the scripted user, a fixed wall
// clock and random source, and the session that binds them (state, guard,
// operations).
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "session/operations.h"
#include "sim/bus.h"
#include "sim/virtual_line.h"
#include "support/recorder.h"

namespace rm27::test {

inline sim::ConverterSetup AtAddress(int address) {
    sim::ConverterSetup setup;
    setup.address = address;
    return setup;
}

// 4 December 2026, 00:00:19 unless a test says otherwise.
class FixedClock : public WallClock {
public:
    CivilDateTime when{2026, 12, 4, 0, 0, 19};
    CivilDateTime now() override { return when; }
};

// Cycles through the values given (0.5 when none are).
class FixedRandom : public RandomSource {
public:
    std::vector<double> values{0.5};
    double uniform01() override {
        const double v = values[next_ % values.size()];
        ++next_;
        return v;
    }

private:
    std::size_t next_ = 0;
};

class SimRig : public ::testing::Test {
protected:
    SimRig() {
        view.now = [this] { return line.nowMs(); };
        // The protocol tests drive the operations as units, outside any
        // command and with nobody else on the line; the rule of who may
        // send is the window's and r27ctl's, tested there.
        port.mayExchange = nullptr;
    }

    sim::Converter& addConverter(int address = 1) { return bus.add(AtAddress(address)); }
    sim::Converter& conv(std::size_t i = 0) { return bus.converter(i); }

    // Frames the host wrote that start with "$" + prefix (or exactly prefix
    // when it has no "$").
    std::vector<std::string> framesStartingWith(const std::string& prefix) const {
        std::vector<std::string> out;
        for (const auto& f : line.sent()) {
            if (f.text.rfind(prefix, 0) == 0) out.push_back(f.text);
        }
        return out;
    }
    // Every frame from the index-th on.
    std::vector<std::string> framesAfter(std::size_t index) const {
        std::vector<std::string> out;
        for (std::size_t k = index; k < line.sent().size(); ++k)
            out.push_back(line.sent()[k].text);
        return out;
    }
    std::size_t indexOfFrame(const std::string& text) const {
        for (std::size_t i = 0; i < line.sent().size(); ++i) {
            if (line.sent()[i].text == text) return i;
        }
        return line.sent().size();
    }
    // Virtual time the frame went out; -1 when it did not.
    std::int64_t timeOfFrame(const std::string& text) const {
        const std::size_t i = indexOfFrame(text);
        return i < line.sent().size() ? line.sent()[i].timeMs : -1;
    }

    sim::Bus bus;
    sim::VirtualLine line{bus};
    Recorder view;
    FixedClock clock;
    FixedRandom random;
    Session session{line, line, view, view, &clock, &random};
    Port& port = session.port();
    DeviceState& state = session.state();
    LiveValues& live = session.live();
    BlockCache& cache = session.cache();
    CommandGuard& guard = session.guard();
    Operations& ops = session.ops();
};

// The protocol tests: one converter at address 1.
class SimFixture : public SimRig {
protected:
    SimFixture() { addConverter(1); }
};

} // namespace rm27::test
