// r27ctl's write journal: "journal" lists it (no converter needed), "undo"
// and "redo" take a write back or make it again, as the window's device
// menu does. A command that left a block or cells half written says so,
// with the two commands that lead back.
#include <iomanip>

#include "cli/ctl_commands.h"
#include "cli/ctl_runner.h"
#include "cli/terminal_view.h"
#include "cli/texts.h"
#include "link/codecs.h"
#include "maintenance/write_undo.h"
#include "session/texts.h"

namespace rm27 {

namespace {

std::string ResultWord(const JournalEntry& e) {
    std::string word = ResultName(e.result);
    if (e.result == JournalResult::Failed && e.at > 0) word += " at byte " + std::to_string(e.at);
    return word;
}

std::string EntryJson(const JournalEntry& e) {
    std::string json =
        "{\"id\":" + std::to_string(e.id) + ",\"time\":" + JsonString(IsoTime(e.time)) +
        ",\"command\":" + JsonString(e.command) +
        ",\"device\":" + JsonString(TrimBlanks(e.deviceId)) +
        ",\"address\":" + std::to_string(e.address) +
        ",\"target\":" + JsonString(TargetText(e).czech()) +
        ",\"input\":" + std::to_string(e.input) + ",\"sensor\":" + JsonString(e.sensor) +
        ",\"of\":" + std::to_string(e.of) + ",\"result\":" + JsonString(ResultName(e.result));
    if (e.at > 0) json += ",\"at\":" + std::to_string(e.at);
    return json + "}";
}

int ListJournal(const Journal& journal, bool json, std::ostream& out, std::ostream& err,
                const Wording& wording) {
    int unreadable = 0;
    std::string error;
    const std::vector<JournalEntry> entries = journal.entries(&unreadable, &error);
    if (!error.empty()) {
        err << "r27ctl: " << error << std::endl;
        return kExitNoAnswer;
    }
    if (unreadable > 0)
        err << "r27ctl: "
            << Text(texts::cli::kUnreadableLines, unreadable, journal.path()).render(wording)
            << std::endl;
    if (json) out << "[";
    for (auto it = entries.rbegin(); it != entries.rend(); ++it) {
        const JournalEntry& e = *it;
        if (json) {
            out << (it == entries.rbegin() ? "" : ",") << EntryJson(e);
            continue;
        }
        out << std::setw(5) << e.id << "  " << IsoTime(e.time) << "  " << std::left << std::setw(12)
            << e.command << "  " << std::setw(10) << TrimBlanks(e.deviceId) << std::right << "  "
            << std::setw(3) << e.address << "  " << TargetText(e).render(wording)
            << (e.sensor.empty() ? "" : "  " + e.sensor)
            << (e.of > 0 ? "  (of " + std::to_string(e.of) + ")" : "") << "  " << ResultWord(e)
            << "\n";
    }
    if (json) out << "]\n";
    if (!json && entries.empty())
        err << "r27ctl: " << Text(texts::cli::kNoWrites, journal.path()).render(wording)
            << std::endl;
    out.flush();
    return kExitOk;
}

// The command line that reaches the same converter again.
std::string CtlPrefix(const CtlOptions& o) {
    std::string prefix = "r27ctl";
    if (o.simulator) prefix += " --simulator";
    if (!o.port.empty()) prefix += " --port " + o.port;
    if (o.address != 0) prefix += " --address " + std::to_string(o.address);
    return prefix;
}

} // namespace

void DescribeJournalCommands(CLI::App& app, CtlOptions& o) {
    AddCommand(app, o, "journal",
               "list the writes to converters, newest first: id, time, command, converter, "
               "address, what was written, sensor, outcome (no converter needed)")
        ->add_flag("--json", o.json, "one JSON array instead of text")
        ->disable_flag_override();
    AddCommand(app, o, "undo",
               "write back what write ID (default: the last one not undone) replaced, then read "
               "it back (asks first)")
        ->add_option("ID", o.journalId, "the journal entry, see \"journal\"")
        ->check(WholeNumber(1, 999999999, "the journal entry"));
    AddCommand(app, o, "redo",
               "write again what write ID meant to write, then read it back "
               "(asks first)")
        ->add_option("ID", o.journalId, "the journal entry, see \"journal\"")
        ->required()
        ->check(WholeNumber(1, 999999999, "the journal entry"));
}

std::optional<int> RunOfflineJournalCommand(const CtlOptions& options, const Journal& journal,
                                            std::ostream& out, std::ostream& err,
                                            const Wording& wording) {
    if (options.command != "journal") return std::nullopt;
    return ListJournal(journal, options.json, out, err, wording);
}

std::optional<int> RunJournalCommand(CtlRunner& r) {
    const std::string& c = r.options().command;
    if (c != "undo" && c != "redo") return std::nullopt;
    if (!r.devRead()) return kExitNoAnswer;
    const UndoResult done = c == "undo" ? UndoWrite(r.ops(), r.options().journalId)
                                        : RedoWrite(r.ops(), r.options().journalId);
    return ExitOf(done.outcome);
}

bool ReportUnfinishedWrites(CtlRunner& r) {
    Journal& journal = *r.ops().journal;
    if (!journal.hasUnfinished()) return false;
    const std::string prefix = CtlPrefix(r.options());
    const TerminalView& view = r.view();
    for (const JournalEntry& e : journal.takeUnfinished()) {
        r.err() << TerminalText(view.shown(UnfinishedText(journal, e))) << "\n";
        r.err() << "  " << view.shown(Text(texts::session::kRedoChoice)) << ": " << prefix
                << " redo " << e.id << "\n";
        r.err() << "  " << view.shown(Text(texts::session::kUndoChoice)) << ": " << prefix
                << " undo " << e.id << "\n";
    }
    r.err().flush();
    return true;
}

} // namespace rm27
