// What every operation on the converter is handed: the line with its
// clock and cancellation, the program-wide state (the device facts, the
// live values, the block cache), the user (view and
// prompter), the wall clock and the random source (fixed by the tests),
// and the guard. Operations call operations through this bundle; they
// never call a window's click handler.
#pragma once

#include <cstdint>
#include <functional>
#include <random>

#include "link/ekey.h"
#include "link/line.h"
#include "session/backups.h"
#include "session/block_cache.h"
#include "session/device_state.h"
#include "session/guard.h"
#include "session/journal.h"
#include "session/main_view.h"
#include "session/prompter.h"

namespace rm27 {

// Local date and time, as the operator reads it: dates of save, sensor
// identifiers.
class WallClock {
public:
    virtual ~WallClock() = default;
    virtual CivilDateTime now() = 0;
};

// Uniform values in [0, 1), for the random letters of new identifiers.
class RandomSource {
public:
    virtual ~RandomSource() = default;
    virtual double uniform01() = 0;
};

class SystemClock final : public WallClock {
public:
    CivilDateTime now() override { return LocalNow(); }
};

// Seeded from the clock, as a fresh identifier should not repeat between
// runs.
class SystemRandom final : public RandomSource {
public:
    SystemRandom();
    double uniform01() override;

private:
    std::mt19937_64 engine_;
};

struct Operations {
    Port& port;
    DeviceState& state;
    LiveValues& live;
    BlockCache& cache;
    MainView& view;
    Prompter& prompter;
    WallClock& clock;
    RandomSource& random;
    CommandGuard& guard;
    // How the sequences that end in a reading ("Načíst", the restart, the
    // writes) read the converter: the reading's ReadRM27 (UseReadRM27), or
    // the window's own overridable one. Set by whoever builds the session.
    std::function<bool(std::int32_t& address)> readConverter = {};
    // The backup files of eKey images kept before the journal took their
    // place: what the restore reads. Null: none.
    BackupStore* backups = nullptr;
    // Where every write is recorded before its first frame; never null (a
    // session keeps one in memory until a file is plugged in).
    Journal* journal = nullptr;
    // The file dialogs, as the front end preset them; never null.
    DialogPresets* dialogs = nullptr;

    bool cancelled() const { return port.cancelled(); }
    std::int64_t nowMs() const { return port.pump.nowMs(); }
    // uniform01 as the identifier functions take it.
    std::function<double()> uniform() const {
        return [r = &random] { return r->uniform01(); };
    }
};

// Runs a sequence that ends in a reading of the converter (the restart,
// the address change, which do not say how it went) and returns whether
// that reading read it; false too when the sequence stopped before it.
// `plainRead` reads when ops has no read of its own plugged in.
bool ReadingAfter(Operations& ops, const std::function<void(Operations&)>& sequence,
                  const std::function<bool(Operations&, std::int32_t&)>& plainRead);

// A prompter that goes quiet once the command is cancelled: the program is
// closing or the line is gone, and whoever cancelled says so once. Boxes
// then answer No (or OK), inputs and file dialogs are cancelled.
class CancellablePrompter final : public Prompter {
public:
    CancellablePrompter(Prompter& inner, const CommandGuard& guard)
        : inner_(inner), guard_(guard) {}
    MessageAnswer message(const MessageBoxSpec& box) override;
    std::string inputBox(const Text& prompt, const Text& title,
                         const std::string& defaultText) override;
    bool showOpen(FileDialogSpec& dialog) override;
    bool showSave(FileDialogSpec& dialog) override;
    void clipboardClear() override;
    void clipboardSetText(const std::string& text) override;
    int choose(const MessageBoxSpec& box, const std::vector<Text>& choices) override;
    int pickRow(const Text& title, const std::vector<Text>& headings,
                const std::vector<std::vector<Text>>& rows, const Text& other) override;

private:
    Prompter& inner_;
    const CommandGuard& guard_;
};

// One connection's worth of everything above: the window, r27ctl and the
// tests each build one over their own line, pump, view and prompter.
class Session {
public:
    Session(SerialLine& line, EventPump& pump, MainView& view, Prompter& prompter,
            WallClock* clock = nullptr, RandomSource* random = nullptr);
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    DeviceState& state() { return state_; }
    LiveValues& live() { return live_; }
    BlockCache& cache() { return cache_; }
    CommandGuard& guard() { return guard_; }
    Port& port() { return port_; }
    Operations& ops() { return ops_; }
    // In memory until the program points it at its file.
    Journal& journal() { return journal_; }
    DialogPresets& dialogs() { return dialogs_; }

    // Runs fn as a command; false when another command runs (see
    // CommandGuard::run).
    bool run(const std::function<void(Operations&)>& fn);

private:
    DeviceState state_;
    LiveValues live_;
    BlockCache cache_;
    CommandGuard guard_;
    Port port_;
    CancellablePrompter prompter_;
    SystemClock systemClock_;
    SystemRandom systemRandom_;
    Journal journal_;
    DialogPresets dialogs_;
    Operations ops_;
};

} // namespace rm27
