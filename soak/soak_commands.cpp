#include "soak/soak_commands.h"

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "calibration/commands.h"
#include "link/codecs.h"
#include "link/memory.h"
#include "maintenance/eeprom.h"
#include "maintenance/eeprom_file.h"
#include "maintenance/ekey_copy.h"
#include "maintenance/ekey_init.h"
#include "maintenance/ekey_restore.h"
#include "maintenance/rmu_settings.h"
#include "reading/operations.h"
#include "session/measurement.h"
#include "soak/soak_rig.h"

namespace rm27::soak {

namespace {

bool keepFaultLogs = false;

std::vector<std::string> FaultLog(sim::Bus& bus) {
    std::vector<std::string> out;
    if (!keepFaultLogs) return out;
    for (const sim::AppliedFault& f : bus.faults().log()) {
        std::string line = "request " + std::to_string(f.requestNumber) + " \"" + f.body +
                           "\": " + sim::FaultKindName(f.fault.kind);
        if (f.fault.delayMs > 0) line += " delay " + std::to_string(f.fault.delayMs);
        if (f.fault.count != 0) line += " count " + std::to_string(f.fault.count);
        if (f.fault.where >= 0) line += " where " + std::to_string(f.fault.where);
        if (f.fault.value >= 0) line += " value " + std::to_string(f.fault.value);
        if (!f.fault.text.empty()) line += " text \"" + f.fault.text + "\"";
        out.push_back(line);
    }
    return out;
}

// ---- worst cases, from the protocol's waits and retry counts (ms)
constexpr std::int64_t kQuery = 4 * (121 * 10 + 10); // DevQuery, 1200 ms
constexpr std::int64_t kByteRead = 4 * 11 * 10;      // DevTransact, 100 ms
constexpr std::int64_t kFloatRead = 4 * kByteRead;   // MemReadFloat
constexpr std::int64_t kBlockRead = 101 * 10;        // BlockRead
constexpr std::int64_t kStop = 500;                  // StopMeasurement
constexpr std::int64_t kReadRM27 = 8 * kQuery + 8 * kFloatRead + 100 + 4 * kBlockRead + 100;
constexpr std::int64_t kDevRead = kStop + kReadRM27;
constexpr std::int64_t kByteWrite = 700 + 4 * (11 * 50 + 10); // DevTransactWrite, 100 ms
constexpr std::int64_t kCellCheck = kCellAsks * kByteRead;    // ReadCellChecked
constexpr std::int64_t kQuickWrite = 200;
constexpr std::int64_t kBlockWrite = 200 + 256 * 3 * 21 * 10;
constexpr std::int64_t kBlockCheck = kStop + kBlockRead; // a written block read on its own
// Small waits not worth spelling out ("OK." stands 100 ms, restarts).
constexpr std::int64_t kSlack = 2000;

constexpr int kMonitorTicks = 20;
constexpr int kEepLines = 240; // cells 10h..FFh: address and filter stay

bool CleanRead(Rig& r) {
    bool ok = false;
    r.session.run([&](Operations& o) { ok = DevRead(o, 1); });
    return ok;
}

// The window's timer: a tick every 500 ms while no command holds the line.
void Ticks(Rig& r, int n) {
    for (int k = 0; k < n; ++k) {
        r.line.waitFor(kMeasurementIntervalMs);
        MeasurementTick(r.ops());
    }
}

// The reading and a few ticks the operator would have seen before the
// command, without faults; then the faults.
bool Prepare(Rig& r, std::uint64_t seed, double rate) {
    if (!CleanRead(r)) return false;
    Ticks(r, 3);
    r.startFaults(seed, rate);
    return true;
}

// Judges a write: the converter against what the command meant.
RunResult WriteVerdict(Rig& r, bool finished, bool success, const ConverterImage& expected) {
    RunResult out;
    out.hang = !finished;
    out.success = finished && success;
    out.virtualMs = r.faultedMs();
    out.faults = FaultLog(r.bus);
    const std::string diff = FirstDifference(expected, r.conv());
    if (!diff.empty()) {
        (out.success ? out.silentCorruption : out.reportedCorruption) = true;
        out.detail = diff;
    }
    return out;
}

// What the host sent from the faults on, applied to the converter as it
// was when they began.
ConverterImage HostIntent(Rig& r, const ConverterImage& before) {
    ConverterImage expected = before;
    ApplyHostWrites(expected, r.line.sent(), r.framesBeforeFaults);
    return expected;
}

RunResult Failed(const char* why) {
    RunResult out;
    out.detail = why;
    return out;
}

// ---------------------------------------------------------------- reading

RunResult Read(std::uint64_t seed, double rate, std::int64_t bound) {
    Rig r(DefaultSetup());
    r.startFaults(seed, rate);
    bool ok = false;
    const bool finished = r.runBounded(bound, [&](Operations& o) { ok = DevRead(o, 1); });
    RunResult out;
    out.hang = !finished;
    out.success = finished && ok;
    out.virtualMs = r.faultedMs();
    out.faults = FaultLog(r.bus);
    if (out.success) {
        out.shown = CheckReading(r.state(), r.bus);
        out.detail = out.shown.firstSilent;
    }
    return out;
}

RunResult Monitor(std::uint64_t seed, double rate, std::int64_t bound) {
    Rig r(DefaultSetup());
    if (!CleanRead(r)) return Failed("clean reading failed");
    r.startFaults(seed, rate);
    RunResult out;
    for (int k = 0; k < kMonitorTicks; ++k) {
        r.line.waitFor(kMeasurementIntervalMs);
        ++out.ticks;
        if (!MeasurementTick(r.ops())) continue;
        ++out.ticksDecoded;
        out.shown += CheckTick(r.state(), r.bus);
    }
    out.virtualMs = r.faultedMs();
    out.faults = FaultLog(r.bus);
    out.hang = out.virtualMs > bound;
    out.success = out.ticksDecoded > 0;
    out.detail = out.shown.firstSilent;
    return out;
}

// ----------------------------------------------------------- calibration

RunResult Constant(std::uint64_t seed, double rate, std::int64_t bound, int index) {
    Rig r(DefaultSetup());
    if (!Prepare(r, seed, rate)) return Failed("clean reading failed");
    const ConverterImage before = Snapshot(r.conv());
    ConstantOutcome outcome = ConstantOutcome::NotRun;
    const bool finished = r.runBounded(bound, [&](Operations& o) { outcome = SetmVVKQ(o, index); });
    return WriteVerdict(r, finished, outcome == ConstantOutcome::Written, HostIntent(r, before));
}

RunResult Filter(std::uint64_t seed, double rate, std::int64_t bound) {
    Rig r(DefaultSetup());
    if (!Prepare(r, seed, rate)) return Failed("clean reading failed");
    ConverterImage expected = Snapshot(r.conv());
    expected.memory[kCellFilter] = 3;
    ConstantOutcome outcome = ConstantOutcome::NotRun;
    const bool finished = r.runBounded(bound, [&](Operations& o) { outcome = WriteFilter(o, 3); });
    return WriteVerdict(r, finished, outcome == ConstantOutcome::Written, expected);
}

// The editor as a user fills it: the old points go, two new ones come,
// "Uložit kalibraci".
class SoakEditor final : public ScriptedCalibrationEditor {
public:
    using ScriptedCalibrationEditor::ScriptedCalibrationEditor;
    void Show() override {
        Activate();
        DeleteAllPoints();
        model_.fields.txtPopis = "Soak load cell";
        AddPoint("0", "0");
        AddPoint("1,5", "150");
        SaveOrCancel(true);
    }
};

RunResult CalibrationStore(std::uint64_t seed, double rate, std::int64_t bound) {
    Rig r(DefaultSetup());
    if (!Prepare(r, seed, rate)) return Failed("clean reading failed");
    const ConverterImage before = Snapshot(r.conv());
    SoakEditor editor(r.ops());
    CalibrationRun run;
    bool reread = false;
    const bool finished = r.runBounded(bound, [&](Operations& o) {
        run = ChangeCalibration(o, 0, editor, [&](Operations& x) { reread = DevRead(x, 1); });
    });
    // What r27ctl's calibrate calls done (status 0).
    const bool success =
        run.tag == kTagStore && run.stored() && reread && run.checkResult == WriteCheckResult::Same;
    RunResult out = WriteVerdict(r, finished, success, HostIntent(r, before));
    out.unchecked = out.success && run.checkResult == WriteCheckResult::NotReadAgain;
    return out;
}

// ----------------------------------------------------------- maintenance

bool Unchecked(const std::vector<GuardedWrite>& writes) {
    return std::any_of(writes.begin(), writes.end(), NeedsReadBack);
}

RunResult CopyExtToInt(std::uint64_t seed, double rate, std::int64_t bound) {
    Rig r(DefaultSetup());
    if (!Prepare(r, seed, rate)) return Failed("clean reading failed");
    // A copy means the eKey's own bytes, whatever the reading of it said.
    ConverterImage expected = Snapshot(r.conv());
    expected.blocks[128] = expected.blocks[0];
    CopyResult result;
    const bool finished =
        r.runBounded(bound, [&](Operations& o) { result = CopyEKeyExtToInt(o, 0); });
    RunResult out = WriteVerdict(r, finished, result.outcome == Outcome::Done, expected);
    out.unchecked = out.success && Unchecked(result.writes);
    return out;
}

RunResult Copy1To4(std::uint64_t seed, double rate, std::int64_t bound) {
    Rig r(DefaultSetup());
    if (!Prepare(r, seed, rate)) return Failed("clean reading failed");
    ConverterImage expected = Snapshot(r.conv());
    std::string image = expected.blocks[0];
    image.replace(kImageIdOffset, kSensorIdWidth,
                  expected.blocks[96].substr(kImageIdOffset, kSensorIdWidth));
    expected.blocks[96] = image;
    CopyResult result;
    const bool finished = r.runBounded(bound, [&](Operations& o) { result = CopyEKey1To4(o); });
    RunResult out = WriteVerdict(r, finished, result.outcome == Outcome::Done, expected);
    out.unchecked = out.success && Unchecked(result.writes);
    return out;
}

RunResult Init(std::uint64_t seed, double rate, std::int64_t bound) {
    Rig r(DefaultSetup());
    if (!Prepare(r, seed, rate)) return Failed("clean reading failed");
    const ConverterImage before = Snapshot(r.conv());
    EKeyInitResult result;
    const bool finished =
        r.runBounded(bound, [&](Operations& o) { result = InitEKeys(o, EKeyInitVariant::R27); });
    RunResult out =
        WriteVerdict(r, finished, result.outcome == Outcome::Done, HostIntent(r, before));
    out.unchecked = out.success && Unchecked(result.writes);
    return out;
}

std::string EepPath(const std::string& workDir) {
    return workDir + "/load.eep";
}

std::vector<EepromByte> EepBytes() {
    std::vector<EepromByte> bytes;
    for (int cell = 0x100 - kEepLines; cell < 0x100; ++cell)
        bytes.push_back({cell, (cell * 37 + 11) & 0xFF});
    return bytes;
}

RunResult EepromLoad(std::uint64_t seed, double rate, std::int64_t bound,
                     const std::string& workDir) {
    Rig r(DefaultSetup());
    if (!Prepare(r, seed, rate)) return Failed("clean reading failed");
    ConverterImage expected = Snapshot(r.conv());
    for (const EepromByte& b : EepBytes())
        expected.memory[static_cast<std::size_t>(b.location)] = static_cast<std::uint8_t>(b.value);
    r.user.fileAnswer = EepPath(workDir);
    Outcome outcome = Outcome::Refused;
    const bool finished = r.runBounded(bound, [&](Operations& o) { outcome = LoadEeprom(o); });
    return WriteVerdict(r, finished, outcome == Outcome::Done, expected);
}

RunResult EepromSave(std::uint64_t seed, double rate, std::int64_t bound,
                     const std::string& workDir) {
    Rig r(DefaultSetup());
    if (!Prepare(r, seed, rate)) return Failed("clean reading failed");
    const std::string path = workDir + "/save-" + std::to_string(seed) + ".eep";
    r.user.fileAnswer = path;
    Outcome outcome = Outcome::Refused;
    const bool finished = r.runBounded(bound, [&](Operations& o) { outcome = SaveEeprom(o); });
    RunResult out;
    out.hang = !finished;
    out.success = finished && outcome == Outcome::Done;
    out.virtualMs = r.faultedMs();
    out.faults = FaultLog(r.bus);
    // Every line in the file must be the converter's byte, whatever the
    // outcome: a failed save still leaves the lines it could read.
    std::string text;
    std::string error;
    if (ReadWholeFile(path, kEepFile, text, error)) {
        const EepParse file = ParseEep(text);
        bool wrong = !file.ok();
        std::string where = wrong ? "the file does not parse" : "";
        for (const EepromByte& b : file.bytes) {
            if (wrong || r.conv().memory(b.location) == b.value) continue;
            wrong = true;
            where = "cell " + LongToHex(b.location, 2) + "h saved as " + LongToHex(b.value, 2) +
                    "h, holds " + LongToHex(r.conv().memory(b.location), 2) + "h";
        }
        if (wrong) {
            out.silentCorruption = true;
            out.detail = "a line of the saved file differs from the converter: " + where;
        } else if (out.success && file.bytes.size() != kEepromSize) {
            out.silentCorruption = true;
            out.detail = "saved as complete with lines missing";
        }
        std::filesystem::remove(path);
    } else if (out.success) {
        out.silentCorruption = true;
        out.detail = "saved as done, no file";
    }
    return out;
}

RunResult RmuStore(std::uint64_t seed, double rate, std::int64_t bound) {
    Rig r(DefaultSetup(sim::Variant::RMU));
    if (!Prepare(r, seed, rate)) return Failed("clean reading failed");
    const ConverterImage before = Snapshot(r.conv());
    RmuStoreResult result;
    const std::array<std::optional<std::string>, kInputCount> texts = {
        std::string("12,5"), std::nullopt, std::string("-3"), std::nullopt};
    const bool finished = r.runBounded(bound, [&](Operations& o) {
        RunRmuSettings(o, [&] { result = StoreRmuLimits(o, texts, {}); });
        CheckRmuStore(o, result);
    });
    RunResult out =
        WriteVerdict(r, finished, result.outcome() == Outcome::Done, HostIntent(r, before));
    out.unchecked = out.success && Unchecked(result.writes);
    return out;
}

RunResult Restore(std::uint64_t seed, double rate, std::int64_t bound) {
    Rig r(DefaultSetup());
    if (!CleanRead(r)) return Failed("clean reading failed");
    // A backup of input 2's eKey from before its description changed.
    BackupEntry backup;
    backup.deviceId = r.state().DeviceId;
    backup.address = r.state().DeviceAddress;
    backup.block = 32;
    backup.time = r.clock.now();
    backup.image = r.conv().block(32);
    backup.image.replace(4, 11, "Old sensor ");
    std::string error;
    r.user.fileAnswer = r.backups.save(backup, &error);
    Ticks(r, 3);
    r.startFaults(seed, rate);
    ConverterImage expected = Snapshot(r.conv());
    expected.blocks[32] = backup.image;
    RestoreResult result;
    const bool finished = r.runBounded(bound, [&](Operations& o) { result = RestoreEKey(o); });
    return WriteVerdict(r, finished, result.outcome == Outcome::Done, expected);
}

} // namespace

void KeepFaultLogs(bool keep) {
    keepFaultLogs = keep;
}

std::vector<Command> AllCommands(const std::string& workDir) {
    // The .eep file every load takes.
    std::string error;
    WriteWholeFile(EepPath(workDir), FormatEep(EepBytes()), error);

    using Run = std::function<RunResult(std::uint64_t, double, std::int64_t)>;
    const auto make = [](std::string name, bool write, std::int64_t bound, Run run) {
        return Command{
            std::move(name), write, bound + kSlack,
            [run, bound](std::uint64_t s, double r) { return run(s, r, bound + kSlack); }};
    };
    const auto constant = [](int index) {
        return
            [index](std::uint64_t s, double r, std::int64_t b) { return Constant(s, r, b, index); };
    };
    const auto withDir = [workDir](auto f) {
        return
            [f, workDir](std::uint64_t s, double r, std::int64_t b) { return f(s, r, b, workDir); };
    };
    const std::int64_t writeConstant = kStop + 4 * kByteWrite + kStop + 4 * kCellCheck;
    return {
        make("read", false, kDevRead, Read),
        make("monitor", false, kMonitorTicks * kMeasurementIntervalMs, Monitor),
        make("zero", true, writeConstant, constant(1)),
        make("span", true, writeConstant, constant(4)),
        make("filter", true, kStop + kQuickWrite + kStop + kCellCheck, Filter),
        make("calibration-store", true,
             kStop + 100 + kStop + kBlockWrite + 500 + kDevRead + kBlockCheck, CalibrationStore),
        make("ekey-copy", true, kStop + kBlockRead + kBlockWrite + kReadRM27 + kBlockCheck,
             CopyExtToInt),
        make("ekey-copy-1to4", true, kStop + 2 * kBlockRead + kBlockWrite + kReadRM27 + kBlockCheck,
             Copy1To4),
        make("ekey-init", true, kStop + 3 * kBlockWrite + kReadRM27 + 3 * kBlockCheck, Init),
        make("eeprom-load", true, kStop + kEepLines * kQuickWrite + kStop + kEepLines * kCellCheck,
             withDir(EepromLoad)),
        make("eeprom-save", true, kStop + kEepromSize * kCellCheck, withDir(EepromSave)),
        make("rmu-store", true, kStop + 2 * kBlockWrite + 2 * kBlockCheck, RmuStore),
        make("ekey-restore", true, kStop + kBlockWrite + kReadRM27 + kBlockRead + kBlockCheck,
             Restore),
    };
}

} // namespace rm27::soak
