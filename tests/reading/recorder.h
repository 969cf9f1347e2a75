// A view and prompter that remember what the operations showed and answer
// the input box from a script, so no test waits on a dialog.
#pragma once

#include <deque>
#include <map>
#include <string>
#include <vector>

#include "reading/main_view.h"
#include "reading/operations.h"
#include "sim/bus.h"
#include "sim/virtual_line.h"

#include <gtest/gtest.h>

namespace rm27::test {

class Recorder : public MainView, public Prompter {
public:
    std::vector<std::string> statuses;
    std::map<std::string, std::string> captions;
    std::map<std::string, bool> enabled;
    std::map<std::string, bool> visible;
    std::map<std::string, std::uint32_t> colours;
    std::map<int, std::uint32_t> rowColours;
    std::map<std::string, std::vector<std::string>> rows;
    std::map<std::string, int> selected;
    bool timer = false;
    std::vector<std::string> criticals;
    std::vector<std::string> prompts;
    std::deque<std::string> inputAnswers; // "" when the script runs out

    void setStatus(const std::string& text) override { statuses.push_back(text); }
    std::vector<std::pair<std::string, std::string>> captionLog;
    void setCaption(const std::string& c, const std::string& text) override {
        captions[c] = text;
        captionLog.emplace_back(c, text);
    }
    bool everShown(const std::string& c, const std::string& text) const {
        for (const auto& [name, value] : captionLog) {
            if (name == c && value == text) return true;
        }
        return false;
    }
    void setControlEnabled(const std::string& c, bool on) override { enabled[c] = on; }
    void setControlVisible(const std::string& c, bool on) override { visible[c] = on; }
    void setInputRowColor(int row, std::uint32_t rgb) override { rowColours[row] = rgb; }
    void setMeasurementTimer(bool on) override { timer = on; }
    bool measurementTimerEnabled() const override { return timer; }
    void setControlColor(const std::string& c, std::uint32_t rgb) override { colours[c] = rgb; }
    void setComboRows(const std::string& c, const std::vector<std::string>& r, int sel) override {
        rows[c] = r;
        selected[c] = sel;
    }
    void clearList(const std::string& c) override { rows[c].clear(); }
    void addListItem(const std::string& c, const std::string& text) override {
        rows[c].push_back(text);
    }

    void critical(const std::string& text) override { criticals.push_back(text); }
    void information(const std::string&) override {}
    bool question(const std::string&) override { return true; }
    std::string inputBox(const std::string& prompt, const std::string&,
                         const std::string&) override {
        prompts.push_back(prompt);
        if (inputAnswers.empty()) return "";
        std::string a = inputAnswers.front();
        inputAnswers.pop_front();
        return a;
    }

    std::string caption(const std::string& c) const {
        const auto it = captions.find(c);
        return it == captions.end() ? std::string() : it->second;
    }
};

// The operations wired to simulated converters on virtual time.
class SimulatedOperations : public ::testing::Test {
protected:
    sim::Bus bus;
    sim::VirtualLine line{bus};
    Port port{line, line};
    DeviceState state;
    Recorder view;
    Operations ops{port, state, view, view};
};

} // namespace rm27::test
