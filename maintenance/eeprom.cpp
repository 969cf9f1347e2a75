#include "maintenance/eeprom.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "link/codecs.h"
#include "link/transact.h"
#include "reading/operations.h"
#include "session/measurement.h"

namespace rm27 {

namespace {

constexpr std::size_t kShownLineChars = 40;

// A line of the file or an echo as a message can show it: control
// characters become "?", and a long line is cut.
std::string Shown(const std::string& text) {
    std::string out;
    for (char c : text.substr(0, kShownLineChars))
        out += static_cast<unsigned char>(c) < 0x20 ? '?' : c;
    if (text.size() > kShownLineChars) out += "...";
    return out;
}

std::string Location(std::int32_t location) {
    return LongToHex(location, 2) + "h";
}

const char* const kNothingWritten = " Do EEPROM nebylo nic zapsáno.";

// What the load sent, for the read-back after it and its summary.
struct LoadRun {
    CellValues written; // location, value
    int differed = 0;
    std::string firstDifference;
    GuardedWrite write; // the whole load, one journal entry
};

// The cells the file will write, each once, their old content known (read
// now where the reading did not bring it), and the journal entry on disk:
// all before the first "EW".
GuardedWrite JournalLoad(Operations& ops, const std::vector<EepromByte>& bytes) {
    CellValues cells;
    std::vector<std::int32_t> where;
    for (const EepromByte& b : bytes) {
        cells.emplace_back(b.location, b.value);
        if (std::find(where.begin(), where.end(), b.location) == where.end())
            where.push_back(b.location);
    }
    if (!KnowCells(ops, where)) return {};
    return BeginCellsWrite(ops, journaled::kEepromLoad, cells, -1);
}

Outcome LoadProper(Operations& ops, const EepromProgress& progress, LoadRun& run) {
    DeviceState& st = ops.state;
    if (!ops.port.line.isOpen()) {
        ops.prompter.critical(std::string("Komunikační port není otevřen.") + kNothingWritten);
        return Outcome::Refused;
    }
    if (ops.prompter.message(Prompter::Box(EepromLoadWarning(), MessageIcon::Exclamation,
                                           MessageButtons::YesNo, MessageAnswer::No)) !=
        MessageAnswer::Yes)
        return Outcome::Refused;
    FileDialogSpec& dialog = ops.dialogs->eeprom;
    if (!ops.prompter.showOpen(dialog) || dialog.fileName.empty()) return Outcome::Refused;
    const std::string path = dialog.fileName;

    // All of it before the first frame: half a file written is worse than
    // none.
    std::vector<EepromByte> bytes;
    if (const std::string refusal = ReadEepFile(path, bytes); !refusal.empty()) {
        ops.prompter.critical(refusal);
        return Outcome::Refused;
    }

    run.write = JournalLoad(ops, bytes);
    if (run.write.refused()) return ops.cancelled() ? Outcome::Failed : Outcome::Refused;
    const int total = static_cast<int>(bytes.size());
    for (const EepromByte& b : bytes) {
        const int written = static_cast<int>(run.written.size());
        ops.view.setStatus(EepromProgressText("Zápis EEPROM ", written + 1, total));
        const std::string echo = QuickWriteByte(ops, st.DeviceAddress, b.location, b.value);
        if (ops.cancelled()) {
            EndCellsWrite(ops, run.write, false);
            return Outcome::Failed;
        }
        run.written.emplace_back(b.location, b.value);
        // The converter echoes what it stored, in upper case; no echo at
        // all differs too.
        if (echo != LongToHex(b.value, 2) && run.differed++ == 0) {
            run.firstDifference = " (první na adrese " + Location(b.location) + ": zapsáno " +
                                  LongToHex(b.value, 2) + ", odpověď " +
                                  (echo.empty() ? "žádná" : Shown(echo)) + ")";
        }
        if (progress) progress(written + 1, total);
    }
    // The echoes are not the load's to judge: the read-back is.
    EndCellsWrite(ops, run.write, true);
    // The load's own summary, as the operator knows it: what the echoes
    // said. Whether the bytes are really there is the read-back's to say,
    // once the load is over.
    std::string summary =
        "Zápis EEPROM ze souboru " + path +
        " skončil. Zapsáno bajtů: " + std::to_string(run.written.size()) +
        ", z toho s odlišnou odpovědí převodníku: " + std::to_string(run.differed) +
        run.firstDifference + ".\r\nNový obsah platí po restartu převodníku.";
    if (run.differed == 0)
        ops.prompter.information(summary);
    else
        ops.prompter.message(Prompter::Box(summary, MessageIcon::Exclamation));
    return Outcome::Done;
}

// After the load: the converter is asked back every location written. An
// echo says only that a byte arrived; a location hit on its way in stores
// the byte elsewhere and echoes it right, and a lost echo may hide a byte
// that landed. So the read-back, not the echoes, decides the outcome.
Outcome ConfirmLoad(Operations& ops, LoadRun& run) {
    const MemoryConfirmation c = ConfirmMemory(ops, run.written, [&ops](int done, int total) {
        ops.view.setStatus(EepromProgressText("Ověření EEPROM ", done, total));
    });
    SettleCells(ops, run.write, c);
    if (ops.cancelled()) return Outcome::Failed;
    if (c.confirmed()) {
        ops.view.setStatus("Zpětným čtením ověřeno: převodník drží všechny zapsané bajty.");
        return Outcome::Done;
    }
    ops.prompter.critical(ConfirmationText(c));
    return Outcome::Failed;
}

Outcome SaveProper(Operations& ops, const std::string& path, const std::string& partial,
                   const EepromProgress& progress) {
    std::vector<EepromByte> bytes;
    int missing = 0;
    std::int32_t firstMissing = 0;
    // An answer the converter may not have given for this location (not hex,
    // misframed, maybe another request's), also when asked again, is left
    // out like a missing one.
    int uncertain = 0;
    std::int32_t firstUncertain = 0;
    for (std::int32_t location = 0; location < kEepromSize; ++location) {
        ops.view.setStatus(EepromProgressText("Čtení EEPROM ", location + 1, kEepromSize));
        const ByteAnswer a = ReadCellChecked(ops, location, kEepromReadTimeoutMs);
        if (ops.cancelled()) return Outcome::Failed;
        if (a.value < 0) {
            if (missing++ == 0) firstMissing = location;
        } else if (a.doubt) {
            if (uncertain++ == 0) firstUncertain = location;
        } else {
            bytes.push_back({location, a.value});
        }
        if (progress) progress(location + 1, kEepromSize);
    }
    if (bytes.empty()) {
        ops.prompter.critical("Převodník neodpověděl na žádné čtení EEPROM, soubor " + path +
                              " nebyl uložen.");
        return Outcome::Failed;
    }
    std::string error;
    if (WriteWholeFile(partial, FormatEep(bytes), error)) {
        std::error_code renamed;
        std::filesystem::rename(partial, path, renamed);
        if (renamed) error = renamed.message();
    }
    if (!error.empty()) {
        ops.prompter.critical("Soubor " + path + " nelze zapsat (" + error + ").");
        return Outcome::Failed;
    }
    std::string summary = "Obsah EEPROM uložen do souboru " + path +
                          ". Uloženo bajtů: " + std::to_string(bytes.size()) + ".";
    if (missing == 0 && uncertain == 0) {
        ops.prompter.information(summary);
        return Outcome::Done;
    }
    if (missing > 0) {
        summary += "\r\nAdresy bez odpovědi převodníku: " + std::to_string(missing) + " (první " +
                   Location(firstMissing) + "), v souboru chybí.";
    }
    if (uncertain > 0) {
        summary += "\r\nAdresy s nejistou odpovědí převodníku: " + std::to_string(uncertain) +
                   " (první " + Location(firstUncertain) + "), v souboru chybí.";
    }
    ops.prompter.message(Prompter::Box(summary, MessageIcon::Exclamation));
    return Outcome::Failed;
}

} // namespace

std::string ReadEepFile(const std::string& path, std::vector<EepromByte>& bytes) {
    bytes.clear();
    std::string text;
    std::string error;
    if (!ReadWholeFile(path, kEepFile, text, error))
        return "Soubor " + path + " nelze přečíst (" + error + ")." + kNothingWritten;
    EepParse file = ParseEep(text);
    if (file.tooManyLines) {
        return "Soubor " + path + " má víc než " + std::to_string(kMaxEepLines) +
               " řádků s hodnotou (paměť převodníku má " + std::to_string(kEepromSize) +
               " adres)." + kNothingWritten;
    }
    if (!file.ok()) {
        return "Řádek " + std::to_string(file.badLine) + " souboru " + path +
               " nemá tvar \"LL VV\" (adresa a hodnota, každá dvěma šestnáctkovými "
               "číslicemi): \"" +
               Shown(file.badText) + "\"." + kNothingWritten;
    }
    if (file.bytes.empty())
        return "Soubor " + path + " neobsahuje žádný řádek s hodnotou." + kNothingWritten;
    bytes = std::move(file.bytes);
    return {};
}

std::string EepromLoadWarning() {
    return std::string("Tato funkce slouží k blokovému přepsání paměti eeprom převodníku ") +
           "hodnotami z datového souboru. Používá se zejména při výrobě nebo řešení " +
           "abnormálních stavů. Zavedením standardního obsahu se mimo jiné ruší dosavadní " +
           "kalibrace." + "\r\n" + "\r\n" + "    Chcete přesto pokračovat v akci?";
}

std::string EepromProgressText(const std::string& prefix, int done, int total) {
    const int percent = total > 0 ? done * 100 / total : 100;
    return prefix + std::to_string(done) + "/" + std::to_string(total) + " ... " +
           std::to_string(percent) + "%";
}

Outcome LoadEeprom(Operations& ops, const EepromProgress& progress) {
    StopMeasurement(ops.port, ops.view);
    LoadRun run;
    const Outcome outcome = LoadProper(ops, progress, run);
    StartMeasurement(ops.port, ops.view);
    if (outcome != Outcome::Done || ops.cancelled()) return outcome;
    return ConfirmLoad(ops, run);
}

Outcome SaveEeprom(Operations& ops, const EepromProgress& progress) {
    if (!ops.port.line.isOpen()) {
        ops.prompter.critical("Komunikační port není otevřen, obsah EEPROM nelze přečíst.");
        return Outcome::Refused;
    }
    FileDialogSpec& dialog = ops.dialogs->eepromSave;
    {
        // Nothing goes out before the answer: the values stay live meanwhile.
        const auto free = ops.guard.releaseLine();
        if (!ops.prompter.showSave(dialog) || dialog.fileName.empty()) return Outcome::Refused;
    }
    const std::string path = dialog.fileName;
    // The contents go to a file beside it first and replace the chosen file
    // only when complete: an earlier copy of the memory is not lost to a
    // converter that stops answering half-way. Writing there is tried
    // before the memory is read.
    const std::string partial = path + ".part";
    std::string error;
    if (!WriteWholeFile(partial, "", error)) {
        ops.prompter.critical("Soubor " + path + " nelze zapsat (" + error + ").");
        return Outcome::Refused;
    }
    StopMeasurement(ops.port, ops.view);
    const Outcome outcome = SaveProper(ops, path, partial, progress);
    std::error_code ignored;
    std::filesystem::remove(partial, ignored); // gone already after a successful save
    StartMeasurement(ops.port, ops.view);
    return outcome;
}

} // namespace rm27
