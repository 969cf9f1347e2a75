// The maintenance operations' rig: one converter of the test's choosing,
// read as "Načíst" reads it, and a folder of its own for the files the
// operations read and write.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "reading/operations.h"
#include "support/sim_rig.h"
#include "support/text_checks.h"

namespace rm27::test {

using Frames = std::vector<std::string>;

class MaintenanceRig : public SimRig {
protected:
    explicit MaintenanceRig(const sim::ConverterSetup& setup = AtAddress(1)) {
        bus.add(setup); // eKeys on inputs 1 and 2 unless the setup says otherwise
        UseReadRM27(ops);
        char pattern[] = "/tmp/rm27-maintenance-XXXXXX";
        dir = mkdtemp(pattern);
    }
    ~MaintenanceRig() override { std::filesystem::remove_all(dir); }

    // Reads the converter; what a test looks at is sent after it.
    void read() {
        session.run([](Operations& o) { ASSERT_TRUE(DevRead(o, 1)); });
        first = line.sent().size();
    }
    void read(std::array<bool, 4> plugged) {
        for (std::size_t i = 0; i < plugged.size(); ++i)
            conv().setPlugged(static_cast<int>(i), plugged[i]);
        read();
    }
    // Runs an operation as the window's command does; what it returned.
    template <class Op> auto run(Op op) {
        decltype(op(ops)) result{};
        session.run([&](Operations& o) { result = op(o); });
        return result;
    }
    template <class Op> auto yes(Op op) {
        view.answers = {MessageAnswer::Yes};
        return run(op);
    }
    std::string file(const std::string& name, const std::string& text) const {
        const std::string path = dir + "/" + name;
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }
    // The frames sent since `first`; or those of one command ("KB", "KW")
    // up to the reading that ends the operation.
    Frames sent(const char* command = nullptr) const {
        if (command == nullptr) return framesAfter(first);
        Frames out;
        for (const std::string& t : framesAfter(first)) {
            if (t == "$01AUTO00\r") break;
            if (t.compare(3, 2, command) == 0) out.push_back(t);
        }
        return out;
    }
    // The blocks written since `first` (two hex digits), each once, in order.
    Frames writtenBlocks() const {
        Frames out;
        for (const std::string& t : sent("KW")) {
            if (out.empty() || out.back() != t.substr(5, 2)) out.push_back(t.substr(5, 2));
        }
        return out;
    }
    bool statusShown(const std::string& text) const { return view.timeOfStatus(text) >= 0; }
    std::string lastBox() const { return view.calls.empty() ? "" : view.calls.back().text; }
    std::string criticals() const {
        std::string all;
        for (const std::string& c : view.criticals)
            all += c + "\n";
        return all;
    }

    std::string dir;
    std::size_t first = 0;
};

} // namespace rm27::test
