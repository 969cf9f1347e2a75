// A host port wired to simulated converters on virtual time.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "link/line.h"
#include "sim/bus.h"
#include "sim/virtual_line.h"

namespace rm27::test {

inline sim::ConverterSetup AtAddress(int address) {
    sim::ConverterSetup setup;
    setup.address = address;
    return setup;
}

class SimFixture : public ::testing::Test {
protected:
    SimFixture() { bus.add(AtAddress(1)); }

    sim::Converter& conv(std::size_t i = 0) { return bus.converter(i); }

    // Frames the host wrote that start with "$" + prefix.
    std::vector<std::string> framesStartingWith(const std::string& prefix) const {
        std::vector<std::string> out;
        for (const auto& f : line.sent()) {
            if (f.text.rfind(prefix, 0) == 0) out.push_back(f.text);
        }
        return out;
    }

    sim::Bus bus;
    sim::VirtualLine line{bus};
    Port port{line, line};
};

} // namespace rm27::test
