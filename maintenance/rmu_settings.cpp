#include "maintenance/rmu_settings.h"

#include "link/codecs.h"
#include "link/memory.h"
#include "session/ekey_text.h"
#include "session/measurement.h"

namespace rm27 {

std::string RmuRowCaption(const SensorRecord& rec, int index) {
    // The word before the description is always "Internal": nothing tells
    // the dialog where a record came from.
    return "Vstup" + std::to_string(index + 1) + "> " + "Internal" + ": " +
           FixedText(rec.description, kDescriptionWidth) + "  [" + FixedText(rec.unit, kUnitWidth) +
           "]";
}

std::string RmuLimitText(const SensorRecord& rec) {
    return FormatFixed(rec.auxSingle, rec.numberFormat);
}

float RmuLimitOf(const std::string& text) {
    return static_cast<float>(ValComma(TrimBlanks(text)));
}

bool RunRmuSettings(Operations& ops, const std::function<void()>& dialog) {
    if (!ops.state.IsRMU) return false;
    StopMeasurement(ops.port, ops.view);
    dialog();
    StartMeasurement(ops.port, ops.view);
    return true;
}

RmuStoreResult StoreRmuLimits(Operations& ops,
                              const std::array<std::optional<std::string>, kInputCount>& texts,
                              const std::function<void(const std::string&)>& info) {
    DeviceState& st = ops.state;
    RmuStoreResult result;
    for (int i = 0; i < kInputCount; ++i) {
        const auto& text = texts[static_cast<std::size_t>(i)];
        if (!text || ops.cancelled()) continue;
        SensorRecord& rec = st.records[static_cast<std::size_t>(i)];
        const float limit = RmuLimitOf(*text);
        // Exactly: the text box shows the limit rounded to its format, and
        // a limit typed back as shown is a change like any other.
        if (limit == rec.auxSingle) continue;
        // Kept even when the write fails, until the converter is read again.
        rec.auxSingle = limit;
        if (info) info("Ukládání nastavení " + std::to_string(i + 1) + "/4 ...");
        // A text the key cannot hold is named; the build then refuses it.
        if (const std::string refusal = EKeyTextRefusal(rec); !refusal.empty())
            ops.prompter.critical(refusal);
        std::string image;
        if (BuildEKeyImage(image, rec, 1, ops.clock.now()) <= 0) {
            ops.prompter.plain("Nelze uložit nastavení [ERR:" + std::to_string(i) + "]");
            ++result.failed;
            continue;
        }
        result.writes.push_back(BeforeBlockWrite(ops, BlockNumber(rec.adr, rec.subAdr), image));
        result.writes.back().written =
            BlockWrite(ops.port, image, st.DeviceAddress, rec.adr, rec.subAdr) == kBlockWriteOk;
        if (!result.writes.back().written) {
            ops.prompter.plain("Chyba ukládání nastavení. [ERR:" + std::to_string(i) + "]");
            ++result.failed;
            continue;
        }
        ++result.written;
    }
    if (info) info("");
    // The restart makes the converter take the new limits; "$00" reaches
    // it at whatever address it answers.
    ops.port.send("$00X\r");
    // A read now would meet a converter that is restarting: the writes are
    // read back once the dialog has gone (CheckRmuStore).
    return result;
}

void CheckRmuStore(Operations& ops, RmuStoreResult& stored) {
    ReadBackUnchecked(ops, stored.writes);
    // lblninfo went with the dialog: the main window's status line says it.
    ShowWriteSafetyNote(ops, stored.writes);
}

} // namespace rm27
