#include "soak/soak_rig.h"

#include "reading/operations.h"
#include "session/write_safety.h"

namespace rm27::soak {

bool SoakUser::warned() const {
    for (const Box& b : boxes) {
        if (b.icon == MessageIcon::Critical || b.icon == MessageIcon::Exclamation) return true;
    }
    return false;
}

std::string MemoryBackups::save(const BackupEntry& entry, std::string*) {
    const std::string path = "memory:" + std::to_string(kept_.size()) + ".ekey";
    BackupEntry kept = entry;
    kept.path = path;
    kept_[path] = kept;
    return path;
}

bool MemoryBackups::load(const std::string& path, BackupEntry& entry, Text* error) {
    const auto it = kept_.find(path);
    if (it == kept_.end()) {
        if (error != nullptr) *error = Text::Value("no such backup");
        return false;
    }
    entry = it->second;
    return true;
}

std::vector<sim::FaultKind> AlteredFieldKinds() {
    return {sim::FaultKind::AlteredIndex, sim::FaultKind::AlteredBlock,
            sim::FaultKind::AlteredAddress, sim::FaultKind::AlteredReadIndex};
}

std::vector<sim::FaultKind> AllFaultKinds() {
    std::vector<sim::FaultKind> kinds = sim::FaultPlan::DefaultRandomKinds();
    kinds.push_back(sim::FaultKind::LineCut);
    for (const sim::FaultKind k : AlteredFieldKinds())
        kinds.push_back(k);
    return kinds;
}

namespace {
thread_local bool spareAltered = false;
} // namespace

void SpareAlteredFields(bool spare) {
    spareAltered = spare;
}

Rig::Rig(const sim::ConverterSetup& setup) {
    bus.add(setup);
    session.ops().backups = &backups;
    UseReadRM27(session.ops());
}

bool Rig::runBounded(std::int64_t boundMs, const std::function<void(Operations&)>& fn) {
    cutOff_ = false;
    commandStartMs_ = line.nowMs();
    const int run = ++runs_;
    line.at(line.nowMs() + boundMs, [this, run] {
        if (run == runs_ && session.guard().commandRunning()) {
            cutOff_ = true;
            session.guard().cancel();
        }
    });
    session.run(fn);
    // As the window and r27ctl do once a command has ended: every write it
    // left unfinished is told, with its journal entry and the ways back.
    session.run([](Operations& o) {
        if (o.journal != nullptr) AskWayBack(o);
    });
    return !cutOff_;
}

void Rig::startFaults(std::uint64_t seed, double rate) {
    outageState_ = seed ^ 0xC0FFEEULL;
    bus.faults().random(seed, rate, AllFaultKinds());
    if (spareAltered) bus.faults().spare(AlteredFieldKinds());
    watchForCut();
}

void Rig::watchForCut() {
    // Looked at every 50 ms of virtual time, while anybody waits.
    line.after(50, [this] {
        if (bus.lineCut() && !mending_) {
            mending_ = true;
            // splitmix64, as the fault plan draws
            outageState_ += 0x9E3779B97F4A7C15ULL;
            std::uint64_t z = outageState_;
            z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
            z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
            z ^= z >> 31;
            const auto outage = static_cast<std::int64_t>(200 + z % 9800);
            line.after(outage, [this] {
                bus.restoreLine();
                mending_ = false;
            });
        }
        watchForCut();
    });
}

sim::ConverterSetup DefaultSetup(sim::Variant variant) {
    sim::ConverterSetup setup;
    setup.address = 1;
    setup.variant = variant;
    setup.plugged = {true, true, false, true};
    return setup;
}

} // namespace rm27::soak
