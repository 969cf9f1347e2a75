// One simulated converter on virtual time, the session every command runs
// in, and a user who answers Yes: what a soak run needs, built afresh for
// every run so that a seed replays the very same run.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "session/backups.h"
#include "session/operations.h"
#include "sim/bus.h"
#include "sim/virtual_line.h"

namespace rm27::soak {

// The user of the soak: every question is answered Yes (also those whose
// default is No), the text box and the file dialogs from a script; what the
// view is told is kept only as far as a verdict needs it.
class SoakUser final : public MainView, public Prompter {
public:
    struct Box {
        MessageIcon icon = MessageIcon::None;
        std::string text;
    };
    std::vector<Box> boxes;
    std::string inputAnswer;
    std::string fileAnswer;
    std::string lastStatus;
    std::map<std::string, std::string> doubts;

    void setStatus(const Text& text) override {
        lastStatus = text.czech();
        told.push_back(lastStatus);
    }
    void setCaption(const std::string&, const Text&) override {}
    void setControlEnabled(const std::string&, bool) override {}
    void setControlVisible(const std::string&, bool) override {}
    void setInputRowColor(int, std::uint32_t) override {}
    void setControlColor(const std::string&, std::uint32_t) override {}
    void setComboRows(const std::string&, const std::vector<std::string>&, int) override {}
    void clearList(const std::string&) override {}
    void addListItem(const std::string&, const Text&) override {}
    void setDoubt(const std::string& control, const Text& why) override {
        doubts[control] = why.czech();
    }
    void setMeasurementTimer(bool enabled) override { timer_ = enabled; }
    bool measurementTimerEnabled() const override { return timer_; }

    MessageAnswer message(const MessageBoxSpec& box) override {
        boxes.push_back({box.icon, box.text.czech()});
        told.push_back(boxes.back().text);
        return box.buttons == MessageButtons::YesNo ? MessageAnswer::Yes : MessageAnswer::Ok;
    }
    std::string inputBox(const Text&, const Text&, const std::string&) override {
        return inputAnswer;
    }
    bool showOpen(FileDialogSpec& dialog) override { return file(dialog); }
    bool showSave(FileDialogSpec& dialog) override { return file(dialog); }
    void clipboardClear() override {}
    void clipboardSetText(const std::string&) override {}

    // Whether any box had the critical or exclamation icon.
    bool warned() const;
    // Every box's text and every status line, in order: what the user was told.
    std::vector<std::string> told;

private:
    bool file(FileDialogSpec& dialog) {
        if (fileAnswer.empty()) return false;
        dialog.fileName = fileAnswer;
        return true;
    }
    bool timer_ = false;
};

// Backups kept in memory: a soak writes hundreds of thousands of them.
class MemoryBackups final : public BackupStore {
public:
    std::string save(const BackupEntry& entry, std::string* error) override;
    std::vector<BackupEntry> list() override { return {}; }
    bool load(const std::string& path, BackupEntry& entry, Text* error) override;

private:
    std::map<std::string, BackupEntry> kept_;
};

class FixedClock final : public WallClock {
public:
    CivilDateTime now() override { return {2026, 12, 4, 10, 30, 0}; }
};

class FixedRandom final : public RandomSource {
public:
    double uniform01() override {
        next_ = (next_ * 0.618034 + 0.1) - static_cast<int>(next_ * 0.618034 + 0.1);
        return next_;
    }

private:
    double next_ = 0.25;
};

// Every kind of fault the simulator has, the line cut and the fields
// altered on their way in included.
std::vector<sim::FaultKind> AllFaultKinds();
// The kinds that alter a field of a frame on its way in: a frame the
// converter carries out as another valid one and answers as for that.
std::vector<sim::FaultKind> AlteredFieldKinds();

// While set (for this thread), the rigs' faults of AlteredFieldKinds are
// drawn but spared: the same run with those frames left alone.
void SpareAlteredFields(bool spare);

class Rig {
public:
    explicit Rig(const sim::ConverterSetup& setup);
    Rig(const Rig&) = delete;
    Rig& operator=(const Rig&) = delete;

    sim::Converter& conv() { return bus.converter(0); }
    Operations& ops() { return session.ops(); }
    DeviceState& state() { return session.state(); }

    // Runs fn as a command; returns false if it was cut off after
    // boundMs of virtual time (a hang: the command is cancelled then).
    bool runBounded(std::int64_t boundMs, const std::function<void(Operations&)>& fn);
    // The faults from here on: every kind at `rate`, drawn from `seed`. A
    // line cut by a fault comes back after an outage drawn from the seed,
    // 0.2 to 10 s (a loose plug): a line dead for good would only show
    // that every wait ends, which the start of an outage shows as well,
    // and would hide what the command makes of the line coming back.
    void startFaults(std::uint64_t seed, double rate);
    // Virtual time since the last command began (runBounded).
    std::int64_t commandMs() { return line.nowMs() - commandStartMs_; }

    sim::Bus bus;
    sim::VirtualLine line{bus};
    SoakUser user;
    FixedClock clock;
    FixedRandom random;
    MemoryBackups backups;
    Session session{line, line, user, user, &clock, &random};

private:
    void watchForCut();

    bool cutOff_ = false;
    int runs_ = 0;
    std::int64_t commandStartMs_ = 0;
    std::uint64_t outageState_ = 0;
    bool mending_ = false;
};

// The converter of every run: address 1, eKeys on inputs 1, 2 and 4 (so
// that every copy has a source and a destination).
sim::ConverterSetup DefaultSetup(sim::Variant variant = sim::Variant::RM27);

} // namespace rm27::soak
