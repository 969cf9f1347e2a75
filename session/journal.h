// The write journal: every write to the converter is recorded before its
// first frame goes out — the converter, the block or the memory cells, the
// bytes they held and the bytes meant to replace them, the command and the
// time — and its outcome is added once it is known. It is what a write that
// went wrong is undone from, and what "the last write" means.
//
// One append-only file of JSON lines, shared by the window and r27ctl (see
// the README's "The write journal"). Nothing here talks to the converter.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "l10n/text.h"
#include "link/ekey.h"

namespace rm27 {

// The commands that write to the converter, each once. Whatever has to know
// whether a command writes, or what it is called in the journal, in r27ctl
// or to the operator, looks it up here.
struct WriteCommand {
    const char* name;    // in the journal: "zero"
    const char* ctl;     // r27ctl's command word: "zero"
    const TextId* label; // in the operator's words
};
std::span<const WriteCommand> WriteCommands();
// By journal name, or by r27ctl's word; null when the command does not write.
const WriteCommand* FindWriteCommand(const std::string& name);
const WriteCommand* WriteCommandOfCtl(const std::string& word);

// The names the operations journal their writes under.
namespace journaled {
inline constexpr const char* kZero = "zero";
inline constexpr const char* kSpan = "span";
inline constexpr const char* kFilter = "filter";
inline constexpr const char* kAddress = "address";
inline constexpr const char* kEepromLoad = "eeprom-load";
inline constexpr const char* kCalibration = "calibration";
inline constexpr const char* kEKeyCopy = "ekey-copy";
inline constexpr const char* kEKeyCopy14 = "ekey-copy-14";
inline constexpr const char* kEKeyInit = "ekey-init";
inline constexpr const char* kRmuLimits = "rmu-limits";
inline constexpr const char* kRestore = "restore";
inline constexpr const char* kUndo = "undo";
inline constexpr const char* kRedo = "redo";
} // namespace journaled

enum class JournalResult {
    Open,         // no outcome recorded (the program ended before it knew)
    Done,         // written and read back as written
    Failed,       // a byte got no answer or a wrong echo: the write stopped there
    Interrupted,  // cancelled half-way (closing, Ctrl-C, the line lost)
    NotConfirmed, // written, but the read-back showed other bytes
    Unverified,   // written, but no read-back came clean: what it holds is not known
};

struct JournalEntry {
    int id = 0; // from 1, one more than the last in the file
    CivilDateTime time;
    std::string command;
    std::string deviceId;
    std::int32_t address = 0;
    std::int32_t block = -1;         // the block written; -1 for memory cells
    std::vector<std::int32_t> cells; // the cells written, each once, in order
    int input = 0;                   // 1..4 when the write belongs to one input
    std::string sensor;              // the sensor whose content was replaced, "" when none
    std::string oldBytes;            // one character per byte: 256 for a block,
    std::string newBytes;            // one per cell for cells
    int of = 0;                      // undo and redo: the entry taken back or repeated
    // From the outcome line.
    JournalResult result = JournalResult::Open;
    int at = 0; // Failed: the byte (from 1) the write stopped at, 0 when not known

    bool isBlock() const { return block >= 0; }
};

// The line an entry or its outcome is kept as; an entry back from one
// (false for a line that is neither, or is damaged).
std::string EntryLine(const JournalEntry& entry);
std::string OutcomeLine(int id, JournalResult result, int at);
// Reads every line of a journal's text: entries with their outcomes merged,
// oldest first; lines that cannot be read are counted in *unreadable.
std::vector<JournalEntry> ParseJournal(const std::string& text, int* unreadable = nullptr);
const char* ResultName(JournalResult result);

class Journal {
public:
    // Kept in memory only: a session without a file (the tests, the soak).
    Journal() = default;
    // The file, created with its folder by the first entry.
    explicit Journal(std::string path) : path_(std::move(path)) {}

    const std::string& path() const { return path_; }

    // Gives entry its id and appends it, on disk (flushed to the device)
    // before this returns; false with the reason in *error. Two programs
    // appending at once take turns (the file is locked meanwhile).
    bool append(JournalEntry& entry, std::string* error);
    // Appends the outcome of entry id.
    bool settle(int id, JournalResult result, int at, std::string* error);
    // Every entry, oldest first (see ParseJournal); a journal that cannot be
    // read gives none, with the reason in *error.
    std::vector<JournalEntry> entries(int* unreadable = nullptr,
                                      std::string* error = nullptr) const;

    // The writes left half done since they were last taken: what the
    // operator is to be told once the command that made them has ended.
    void noteUnfinished(const JournalEntry& entry) { unfinished_.push_back(entry); }
    bool hasUnfinished() const { return !unfinished_.empty(); }
    std::vector<JournalEntry> takeUnfinished();

    // Told of each write of this session once it is entered (its result
    // Open) and again with its outcome: what the operator sees as the
    // writes go.
    void observe(std::function<void(const JournalEntry&)> observer) {
        observer_ = std::move(observer);
    }

private:
    // Appends what `line` makes of the highest id so far, under the lock.
    bool appendWith(const std::function<std::string(int lastId)>& line, std::string* error);

    std::string path_;
    std::string memory_; // the file's text when there is no file
    std::vector<JournalEntry> unfinished_;
    std::optional<JournalEntry> written_;
    std::function<void(const JournalEntry&)> observer_;
};

// What a block is to the operator: "eKey Vstup2", "interní kopie Vstup3",
// or nothing for a block the program neither reads nor writes as a sensor's.
Text BlockRole(std::int32_t block);
// The input (0..3) an eKey or internal copy belongs to, -1 for another
// block. The internal copies answer to two names each.
int BlockInput(std::int32_t block);
bool IsEKeyBlock(std::int32_t block);
// What an entry wrote, as a line of a message starts with it: "Blok 96
// (eKey Vstup4)", "Adresy paměti 90h–93h", "Adresa paměti 05h".
Text TargetText(const JournalEntry& entry);
// The operator's name of the entry's command (a command of no meaning
// here, from a newer program, by its journal name), and its time as shown.
Text CommandLabel(const std::string& name);
std::string ShownTime(const CivilDateTime& time);

// The newest entry that can still be undone: a write that is no undo
// itself and that no later undo took back (one that was done); 0 when none.
int LastUndoable(const std::vector<JournalEntry>& entries);
// The entry with this id; null when there is none.
const JournalEntry* FindEntry(const std::vector<JournalEntry>& entries, int id);

} // namespace rm27
