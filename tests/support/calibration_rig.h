// The calibration tests' rig: the simulator rig plus the main window's
// measurement timer on virtual time, and an editor whose user is a script
// of timed actions.
#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "calibration/commands.h"
#include "calibration/editor_model.h"
#include "reading/operations.h"
#include "support/sim_rig.h"

namespace rm27::test {

// The editor window as the commands see it, with the user's actions
// scheduled on the virtual clock from the moment it is shown.
class ScriptedEditor final : public CalibrationEditor {
public:
    ScriptedEditor(sim::VirtualLine& line, Operations& ops) : line_(line), model_(ops, dialog) {}

    ScriptedPointDialog dialog;
    // (ms after Show, action) pairs; each runs once, on the model.
    std::vector<std::pair<std::int64_t, std::function<void(CalibrationEditorModel&)>>> actions;
    int loads = 0;
    int shows = 0;
    int unloads = 0;
    bool visible = false;
    // lblSignal after every tick of tmrOpisovac.
    std::vector<std::string> signalLabels;

    CalibrationEditorModel& model() { return model_; }
    static constexpr std::int64_t kGiveUpMs = 120000;

    CalibrationEditorModel& Load() override {
        if (!loaded_) {
            loaded_ = true;
            ++loads;
            model_.Form_Load();
        }
        return model_;
    }
    void RunTimer(int ti) override { model_.RunTimer(ti); }
    void UpdateCalibration() override { model_.UpdateCalibration(); }
    void Show() override {
        ++shows;
        visible = true;
        model_.Form_Activate();
        const int run = shows;
        scheduleTick(run);
        for (const auto& [after, action] : actions) {
            line_.after(after, [this, run, action = action] {
                if (visible && shows == run) action(model_);
            });
        }
        // A script that never ends the run would wait forever.
        line_.after(kGiveUpMs, [this, run] {
            if (!visible || shows != run || model_.Tag != EditorTag::None) return;
            ADD_FAILURE() << "the editor was still open after the script";
            model_.cmdAction_Click(0);
        });
    }
    void Unload() override {
        ++unloads;
        model_.Form_Unload();
        visible = false;
    }

private:
    void scheduleTick(int run) {
        if (!model_.timerEnabled || model_.timerIntervalMs <= 0) return;
        line_.after(model_.timerIntervalMs, [this, run] {
            if (!visible || shows != run) return;
            model_.tmrOpisovac_Timer();
            signalLabels.push_back(model_.fields.lblSignal);
            scheduleTick(run);
        });
    }

    sim::VirtualLine& line_;
    CalibrationEditorModel model_;
    bool loaded_ = false;
};

class CalibrationRig : public SimRig {
protected:
    // The main window's tmrCasovac: every 500 ms a tick, when the timer is
    // on and no command holds the line. Runs until the test ends.
    void RunMeasurementTimer() {
        line.after(500, [this] {
            if (view.timer && guard.tickAllowed()) {
                ++ticks;
                if (MeasurementTick(ops)) ++answeredTicks;
            }
            RunMeasurementTimer();
        });
    }

    // "Načíst" at address 1 followed by the first answered tick, as the
    // user sees live values before calibrating.
    void ReadAndMeasure() {
        session.run([&](Operations& o) { ASSERT_TRUE(DevRead(o, 1)); });
        RunMeasurementTimer();
        for (int k = 0; k < 50 && answeredTicks == 0; ++k)
            line.waitFor(100);
        ASSERT_GT(answeredTicks, 0) << "no measurement answered after the reading";
    }

    int ticks = 0;
    int answeredTicks = 0;
};

} // namespace rm27::test
