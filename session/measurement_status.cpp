#include "session/measurement_status.h"

#include <cstdio>

#include "session/journal.h"
#include "session/texts.h"

namespace rm27 {

namespace {

namespace ts = texts::session;

Text StoppedWhy(const MeasurementFacts& f) {
    if (f.commandRunning) {
        return f.lastCommand.empty() ? Text(ts::kStoppedCommand)
                                     : Text(ts::kStoppedCommandNamed, f.lastCommand);
    }
    if (!f.lineOpen) return Text(f.lineLost ? ts::kStoppedLineLost : ts::kStoppedDisconnected);
    if (!f.converterRead) return Text(ts::kStoppedNotRead);
    if (!f.lastCommand.empty()) return Text(ts::kStoppedAfter, f.lastCommand);
    return Text(ts::kStopped);
}

} // namespace

std::string ClockTime(const CivilDateTime& t) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", t.hour, t.minute, t.second);
    return text;
}

bool LiveFresh(const LiveValues& live, bool lineOpen, std::int64_t nowMs) {
    return lineOpen && live.answeredMs >= 0 && nowMs - live.answeredMs <= kStaleAfterMs;
}

MeasurementIndicator DescribeMeasurement(const MeasurementFacts& f) {
    MeasurementIndicator m;
    // A command that lets the line go (the editor, a question) keeps the
    // ticks running: the values are live, and so says the indicator.
    const bool running = f.lineOpen && f.converterRead && f.timerOn;
    if (running) {
        m.text = f.lastAnswer.empty() ? Text(ts::kMeasuring) : Text(ts::kMeasuringSince, f.lastAnswer);
    } else {
        m.text = StoppedWhy(f);
    }
    if (f.commandRunning) {
        if (!f.commandWrites && !running) m.offer = MeasurementOffer::Cancel;
    } else if (!running && f.lineOpen && f.converterRead) {
        m.offer = MeasurementOffer::Start;
    }
    return m;
}

Text WriteConfirmation(const JournalEntry& e) {
    Text what = CommandLabel(e.command);
    if (e.input >= 1) what = Text(ts::kOfInput, what, e.input);
    const std::string at = ClockTime(e.time);
    switch (e.result) {
    case JournalResult::Open:
        return Text(ts::kWriting, what, TargetText(e));
    case JournalResult::Done:
        return Text(ts::kWrittenDone, what, TargetText(e), at);
    case JournalResult::Unverified:
        return Text(ts::kWrittenUnchecked, what, TargetText(e), at);
    case JournalResult::NotConfirmed:
        return Text(ts::kWrittenDiffers, what, TargetText(e), at);
    default:
        return Text(ts::kWriteNotDone, what, TargetText(e), at);
    }
}

} // namespace rm27
