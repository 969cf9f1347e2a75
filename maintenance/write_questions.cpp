#include "maintenance/write_questions.h"

#include "link/ekey.h"
#include "maintenance/texts.h"

namespace rm27 {

namespace t = texts::maintenance;

namespace {

Text SensorId(const DeviceState& st, int input) {
    return ShownSensor(TrimBlanks(st.records[static_cast<std::size_t>(input)].sensorId));
}

Text Description(const DeviceState& st, int input) {
    return Text::Value(TrimBlanks(st.records[static_cast<std::size_t>(input)].description));
}

// The question, an empty line, what it touches, the way back.
Text Asked(const TextId& question, Text touches) {
    Text text(question);
    text.then(Text()).then(std::move(touches)).then(Text(t::kJournalKeeps));
    return text;
}

} // namespace

Text ShownSensor(const std::string& id) {
    return id.empty() ? Text(t::kNoSensorId) : Text::Value(id);
}

Text CopyExtToIntQuestion(const DeviceState& st, int index) {
    return Asked(t::kCopyExtToIntQuestion, Text(t::kTouchesInternalCopy, index + 1,
                                                SensorId(st, index), Description(st, index)));
}

Text Copy1To4Question(const DeviceState& st) {
    return Asked(t::kCopy1To4Question, Text(t::kTouchesEKey4, SensorId(st, 3), Description(st, 3),
                                            SensorId(st, 0), Description(st, 0)));
}

Text InitQuestion(const DeviceState& st) {
    if ((st.EKeyMask & 0x0F) == 0) {
        Text text(t::kInitQuestion);
        text.then(Text()).then(Text(t::kNonePlugged));
        return text;
    }
    Text plugged(t::kTouchesPlugged);
    for (int i = 0; i < kInputCount; ++i) {
        if (((st.EKeyMask >> i) & 1U) != 0)
            plugged.join(Text(t::kPluggedEKey, i + 1, SensorId(st, i)), Joint::LineBreak);
    }
    return Asked(t::kInitQuestion, std::move(plugged));
}

} // namespace rm27
