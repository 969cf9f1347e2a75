#include "soak/soak_commands.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>

#include "calibration/commands.h"
#include "link/codecs.h"
#include "link/doubt.h"
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
constexpr std::int64_t kBlockCheck = kStop + kBlockRead;          // a written block read on its own
constexpr std::int64_t kLateAnswer = AnswerLedger::kLateAnswerMs; // after a read with no answer
// Small waits not worth spelling out ("OK." stands 100 ms, restarts).
constexpr std::int64_t kSlack = 2000;

constexpr int kMonitorTicks = 20;
constexpr int kEepLines = 240; // cells 10h..FFh: address and filter stay

bool ReadOnce(Rig& r) {
    bool ok = false;
    r.session.run([&](Operations& o) { ok = DevRead(o, 1); });
    return ok;
}

// The window's timer: a tick every 500 ms while no command holds the line.
void Ticks(Rig& r, int n) {
    for (int k = 0; k < n; ++k) {
        r.line.waitFor(kMeasurementIntervalMs);
        const auto ticking = r.session.guard().ticking();
        MeasurementTick(r.ops());
    }
}

// The faults, then the reading and a few ticks the operator would have
// seen before the command: a reading that failed is run again, as an
// operator would press "Načíst" again, up to three times. What a reading
// under faults got wrong is what the command then works from.
bool Prepare(Rig& r, std::uint64_t seed, double rate) {
    r.startFaults(seed, rate);
    bool read = false;
    for (int k = 0; k < 3 && !read; ++k)
        read = ReadOnce(r);
    Ticks(r, 3);
    return read;
}

bool AllJournaledWritesDone(Rig& r) {
    const std::vector<JournalEntry> entries = r.session.journal().entries();
    return std::all_of(entries.begin(), entries.end(),
                       [](const JournalEntry& e) { return e.result == JournalResult::Done; });
}

RunResult NotRun() {
    RunResult out;
    out.notRun = true;
    out.detail = "the reading before the command failed";
    return out;
}

// Judges a write: the converter against what the command meant, and
// against what it held before. A failure that changed the converter has
// to say what it left.
RunResult WriteVerdict(Rig& r, bool finished, bool success, const ConverterImage& before,
                       const ConverterImage& expected) {
    RunResult out;
    out.hang = !finished;
    out.success = finished && success;
    out.virtualMs = r.commandMs();
    out.faults = FaultLog(r.bus);
    if (keepFaultLogs) out.told = r.user.told;
    const std::string diff = FirstDifference(expected, r.conv());
    const bool changed = !FirstDifference(before, r.conv()).empty();
    if (!diff.empty() && (out.success || changed)) {
        (out.success ? out.silentCorruption : out.reportedCorruption) = true;
        out.detail = diff;
    }
    // A command that failed after its writes were read back as written (the
    // reading that follows a store, say) left nothing half-done to tell of.
    const bool confirmed = diff.empty() && AllJournaledWritesDone(r);
    if (!out.success && changed && !confirmed && Judging::journal &&
        !SaidWhatItLeft(r.user.told)) {
        out.unsaid = true;
        if (out.detail.empty()) out.detail = "changed the converter and did not say what it left";
    }
    return out;
}

// What a zero (index 0..3) or a span against 2 mV/V (4..7) means: Q the
// live raw reading, K = 2 / (reading - Q) with Q as the converter holds
// it, referred to the 128x gain unless the definition byte says the input
// has a gain of its own. The reading is any the converter sent for the
// input; the one the converter now holds is taken when it is among them.
ConverterImage MeantConstant(Rig& r, const ConverterImage& before, int index) {
    const int input = index % kInputCount;
    const bool zero = index < kInputCount;
    const int cell = zero ? CellQ(input) : CellK(input);
    const double q = FloatAt(before, CellQ(input));
    const std::string& image =
        before.blocks[static_cast<std::size_t>(r.conv().plugged(input) ? 32 * input : 128 + input)];
    const std::optional<SensorRecord> rec = RecordOf(image);
    const int gain = rec ? (rec->gainCode & 7) : 7;
    const bool ownGain = (r.conv().setup().definition[static_cast<std::size_t>(input)] & 2) != 0;
    const float held = FloatAt(Snapshot(r.conv()), cell);
    float meant = 0;
    for (const float raw : RawReadings(r.bus, input)) {
        double k = 2.0 / (static_cast<double>(raw) - q);
        if (!ownGain) k = k / std::ldexp(1.0, 7 - gain);
        meant = zero ? raw : static_cast<float>(k);
        if (std::bit_cast<std::uint32_t>(meant) == std::bit_cast<std::uint32_t>(held)) break;
    }
    ConverterImage expected = before;
    PutFloat(expected, cell, meant);
    return expected;
}

// Judges a block by the record it decodes to: as meant when `meant` says
// so of it, whatever its other bytes (the builder's business, which the
// program's own read-back compares byte for byte); otherwise nothing it
// could hold is right.
void MeantRecord(Rig& r, ConverterImage& expected, int block,
                 const std::function<bool(const SensorRecord&)>& meant) {
    const std::optional<SensorRecord> held = RecordOf(r.conv().block(block));
    expected.blocks[static_cast<std::size_t>(block)] =
        held && meant(*held) ? r.conv().block(block) : std::string();
}

// The same sensor and curve: what a change of something else keeps.
bool SameCurve(const SensorRecord& a, const SensorRecord& b) {
    return a.sensorId == b.sensorId && a.description == b.description && a.unit == b.unit &&
           a.pointCount == b.pointCount && a.pointSignals == b.pointSignals &&
           a.userValues == b.userValues;
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
    out.virtualMs = r.commandMs();
    out.faults = FaultLog(r.bus);
    if (out.success) {
        out.shown = CheckReading(r.state(), r.bus);
        out.detail = out.shown.firstSilent;
    }
    return out;
}

RunResult Monitor(std::uint64_t seed, double rate, std::int64_t bound) {
    Rig r(DefaultSetup());
    if (!ReadOnce(r)) return Failed("clean reading failed");
    r.startFaults(seed, rate);
    const std::int64_t started = r.line.nowMs();
    RunResult out;
    for (int k = 0; k < kMonitorTicks; ++k) {
        r.line.waitFor(kMeasurementIntervalMs);
        ++out.ticks;
        const auto ticking = r.session.guard().ticking();
        if (!MeasurementTick(r.ops())) continue;
        ++out.ticksDecoded;
        out.shown += CheckTick(r.ops().live, r.bus);
    }
    out.virtualMs = r.line.nowMs() - started;
    out.faults = FaultLog(r.bus);
    out.hang = out.virtualMs > bound;
    out.success = out.ticksDecoded > 0;
    out.detail = out.shown.firstSilent;
    return out;
}

// ----------------------------------------------------------- calibration

RunResult Constant(std::uint64_t seed, double rate, std::int64_t bound, int index) {
    Rig r(DefaultSetup());
    if (!Prepare(r, seed, rate)) return NotRun();
    const ConverterImage before = Snapshot(r.conv());
    Result outcome = ResultCode::NotRun;
    const bool finished = r.runBounded(bound, [&](Operations& o) { outcome = SetmVVKQ(o, index); });
    return WriteVerdict(r, finished, outcome == ResultCode::Ok, before,
                        MeantConstant(r, before, index));
}

RunResult Filter(std::uint64_t seed, double rate, std::int64_t bound) {
    Rig r(DefaultSetup());
    if (!Prepare(r, seed, rate)) return NotRun();
    const ConverterImage before = Snapshot(r.conv());
    ConverterImage expected = before;
    expected.memory[kCellFilter] = 3;
    Result outcome = ResultCode::NotRun;
    const bool finished = r.runBounded(bound, [&](Operations& o) { outcome = WriteFilter(o, 3); });
    return WriteVerdict(r, finished, outcome == ResultCode::Ok, before, expected);
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
    if (!Prepare(r, seed, rate)) return NotRun();
    const ConverterImage before = Snapshot(r.conv());
    SoakEditor editor(r.ops());
    CalibrationRun run;
    bool reread = false;
    const bool finished = r.runBounded(bound, [&](Operations& o) {
        run = ChangeCalibration(o, 0, editor, [&](Operations& x) { reread = DevRead(x, 1); });
    });
    // What r27ctl's calibrate calls done (status 0).
    const bool success = run.tag == EditorTag::Store && run.stored() && reread &&
                         run.checkResult == WriteCheckResult::Same;
    // The editor's points and description, the zero offset cleared, on
    // input 1's sensor as the eKey held it.
    ConverterImage expected = before;
    const std::optional<SensorRecord> old = RecordOf(before.blocks[0]);
    MeantRecord(r, expected, 0, [&old](const SensorRecord& held) {
        return old && held.description == FixedText("Soak load cell", kDescriptionWidth) &&
               held.unit == old->unit && held.pointCount == 2 && held.pointSignals[0] == 0.0f &&
               held.userValues[0] == 0.0f && held.pointSignals[1] == 1.5f &&
               held.userValues[1] == 150.0f && held.zeroOffset == 0.0f;
    });
    RunResult out = WriteVerdict(r, finished, success, before, expected);
    out.unchecked = out.success && run.checkResult == WriteCheckResult::NotReadAgain;
    return out;
}

// ----------------------------------------------------------- maintenance

bool Unchecked(const std::vector<GuardedWrite>& writes) {
    return std::any_of(writes.begin(), writes.end(), NeedsReadBack);
}

RunResult CopyExtToInt(std::uint64_t seed, double rate, std::int64_t bound) {
    sim::ConverterSetup setup = DefaultSetup();
    setup.copiesApart = true;
    Rig r(setup);
    if (!Prepare(r, seed, rate)) return NotRun();
    // A copy means the eKey's own bytes, whatever the reading of it said;
    // input 2's goes to block 160, kept apart from its internal copy.
    const ConverterImage before = Snapshot(r.conv());
    ConverterImage expected = before;
    expected.blocks[160] = expected.blocks[32];
    CopyResult result;
    const bool finished =
        r.runBounded(bound, [&](Operations& o) { result = CopyEKeyExtToInt(o, 1); });
    RunResult out = WriteVerdict(r, finished, result.outcome == ResultCode::Ok, before, expected);
    out.unchecked = out.success && Unchecked(result.writes);
    return out;
}

RunResult Copy1To4(std::uint64_t seed, double rate, std::int64_t bound) {
    Rig r(DefaultSetup());
    if (!Prepare(r, seed, rate)) return NotRun();
    const ConverterImage before = Snapshot(r.conv());
    ConverterImage expected = before;
    std::string image = expected.blocks[0];
    image.replace(kImageIdOffset, kSensorIdWidth,
                  expected.blocks[96].substr(kImageIdOffset, kSensorIdWidth));
    expected.blocks[96] = image;
    CopyResult result;
    const bool finished = r.runBounded(bound, [&](Operations& o) { result = CopyEKey1To4(o); });
    RunResult out = WriteVerdict(r, finished, result.outcome == ResultCode::Ok, before, expected);
    out.unchecked = out.success && Unchecked(result.writes);
    return out;
}

RunResult Init(std::uint64_t seed, double rate, std::int64_t bound) {
    Rig r(DefaultSetup());
    if (!Prepare(r, seed, rate)) return NotRun();
    const ConverterImage before = Snapshot(r.conv());
    EKeyInitResult result;
    const bool finished =
        r.runBounded(bound, [&](Operations& o) { result = InitEKeys(o, EKeyInitVariant::R27); });
    // Every plugged eKey an empty record in divisions: a straight line
    // through (0, 0) and (1, 1), gain code 7, limit 1 (its identifier is
    // the program's to make).
    ConverterImage expected = before;
    for (int input = 0; input < kInputCount; ++input) {
        if (!r.conv().plugged(input)) continue;
        MeantRecord(r, expected, 32 * input, [](const SensorRecord& held) {
            return held.description == FixedText("empty-div", kDescriptionWidth) &&
                   held.unit == FixedText("div", kUnitWidth) && held.pointCount == 2 &&
                   held.pointSignals[0] == 0.0f && held.userValues[0] == 0.0f &&
                   held.pointSignals[1] == 1.0f && held.userValues[1] == 1.0f &&
                   held.gainCode == 7 && held.limit == 1.0f;
        });
    }
    RunResult out = WriteVerdict(r, finished, result.outcome == ResultCode::Ok, before, expected);
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
    if (!Prepare(r, seed, rate)) return NotRun();
    const ConverterImage before = Snapshot(r.conv());
    ConverterImage expected = before;
    for (const EepromByte& b : EepBytes())
        expected.memory[static_cast<std::size_t>(b.location)] = static_cast<std::uint8_t>(b.value);
    r.user.fileAnswer = EepPath(workDir);
    Result outcome = ResultCode::Refused;
    const bool finished = r.runBounded(bound, [&](Operations& o) { outcome = LoadEeprom(o); });
    return WriteVerdict(r, finished, outcome == ResultCode::Ok, before, expected);
}

RunResult EepromSave(std::uint64_t seed, double rate, std::int64_t bound,
                     const std::string& workDir) {
    Rig r(DefaultSetup());
    if (!Prepare(r, seed, rate)) return NotRun();
    const std::string path = workDir + "/save-" + std::to_string(seed) + ".eep";
    r.user.fileAnswer = path;
    Result outcome = ResultCode::Refused;
    const bool finished = r.runBounded(bound, [&](Operations& o) { outcome = SaveEeprom(o); });
    RunResult out;
    out.hang = !finished;
    out.success = finished && outcome == ResultCode::Ok;
    out.virtualMs = r.commandMs();
    out.faults = FaultLog(r.bus);
    // Every line in the file must be the converter's byte, whatever the
    // outcome: a failed save still leaves the lines it could read.
    std::string text;
    if (ReadWholeFile(path, kEepFile, text).empty()) {
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
    if (!Prepare(r, seed, rate)) return NotRun();
    const ConverterImage before = Snapshot(r.conv());
    RmuStoreResult result;
    const std::array<std::optional<std::string>, kInputCount> texts = {
        std::string("12,5"), std::nullopt, std::string("-3"), std::nullopt};
    const bool finished = r.runBounded(bound, [&](Operations& o) {
        RunRmuSettings(o, [&] { result = StoreRmuLimits(o, texts, {}); });
        CheckRmuStore(o, result);
    });
    // The limits typed, on the sensors and curves as the converter held them.
    ConverterImage expected = before;
    const std::pair<int, float> typed[] = {{0, 12.5f}, {2, -3.0f}};
    for (const auto& [input, limit] : typed) {
        const int block = r.conv().plugged(input) ? 32 * input : 128 + input;
        const std::optional<SensorRecord> old =
            RecordOf(before.blocks[static_cast<std::size_t>(block)]);
        MeantRecord(r, expected, block, [&old, limit](const SensorRecord& held) {
            return old && SameCurve(held, *old) && held.auxSingle == limit;
        });
    }
    RunResult out = WriteVerdict(r, finished, result.outcome() == ResultCode::Ok, before, expected);
    out.unchecked = out.success && Unchecked(result.writes);
    return out;
}

RunResult Restore(std::uint64_t seed, double rate, std::int64_t bound) {
    Rig r(DefaultSetup());
    if (!Prepare(r, seed, rate)) return NotRun();
    // A backup of input 2's eKey from before its description changed.
    BackupEntry backup;
    backup.deviceId = r.conv().id();
    backup.address = r.conv().address();
    backup.block = 32;
    backup.time = r.clock.now();
    backup.image = r.conv().block(32);
    backup.image.replace(4, 11, "Old sensor ");
    std::string error;
    r.user.fileAnswer = r.backups.save(backup, &error);
    const ConverterImage before = Snapshot(r.conv());
    ConverterImage expected = before;
    expected.blocks[32] = backup.image;
    RestoreResult result;
    const bool finished = r.runBounded(bound, [&](Operations& o) { result = RestoreEKey(o); });
    return WriteVerdict(r, finished, result.outcome == ResultCode::Ok, before, expected);
}

// A run that went wrong silently (or failed without saying what it left) is
// run again with the faults that alter a field spared: when that one does
// not, those faults were the cause.
template <class Run>
RunResult Attributed(const Run& run, std::uint64_t seed, double rate, std::int64_t bound) {
    RunResult out = run(seed, rate, bound);
    if (!out.silentCorruption && !out.unsaid && out.shown.unmarkedWrong == 0) return out;
    SpareAlteredFields(true);
    const RunResult spared = run(seed, rate, bound);
    SpareAlteredFields(false);
    if (out.silentCorruption && !spared.silentCorruption) {
        out.silentCorruption = false;
        out.silentByAlteredField = true;
    }
    if (out.unsaid && !spared.unsaid) {
        out.unsaid = false;
        out.unsaidByAlteredField = true;
    }
    if (out.shown.unmarkedWrong > 0 && spared.shown.unmarkedWrong == 0) {
        out.shown.undetectable += out.shown.unmarkedWrong;
        out.shown.unmarkedWrong = 0;
        out.shown.firstSilent.clear();
    }
    return out;
}

} // namespace

void KeepFaultLogs(bool keep) {
    keepFaultLogs = keep;
}

std::vector<Command> AllCommands(const std::string& workDir) {
    // The .eep file every load takes.
    WriteWholeFile(EepPath(workDir), FormatEep(EepBytes()));

    using Run = std::function<RunResult(std::uint64_t, double, std::int64_t)>;
    const auto make = [](std::string name, bool write, std::int64_t bound, Run run) {
        return Command{std::move(name), write, bound + kSlack,
                       [run, bound](std::uint64_t s, double r) {
                           return Attributed(run, s, r, bound + kSlack);
                       }};
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
        make("ekey-copy", true,
             kStop + kBlockRead + kLateAnswer + kBlockRead + kBlockWrite + kReadRM27 +
                 2 * kBlockCheck,
             CopyExtToInt),
        make("ekey-copy-1to4", true, kStop + 2 * kBlockRead + kBlockWrite + kReadRM27 + kBlockCheck,
             Copy1To4),
        make("ekey-init", true, kStop + 3 * kBlockWrite + kReadRM27 + 3 * kBlockCheck, Init),
        make("eeprom-load", true, kStop + kEepLines * kQuickWrite + kStop + kEepLines * kCellCheck,
             withDir(EepromLoad)),
        make("eeprom-save", true, kStop + kEepromSize * kCellCheck, withDir(EepromSave)),
        make("rmu-store", true,
             kStop + 2 * kBlockWrite + kStop + kRestartBoundMs + kQuery + 2 * kBlockCheck,
             RmuStore),
        make("ekey-restore", true, kStop + kBlockWrite + kReadRM27 + kBlockRead + kBlockCheck,
             Restore),
    };
}

} // namespace rm27::soak
