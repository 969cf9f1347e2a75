// The questions before the eKey writes name what they touch: after the
// question itself, a paragraph with the input or eKey, the sensor there,
// and that the block's present content is journalled so the write can be
// undone. They default to No: a slip of the Enter key writes nothing.
#pragma once

#include <string>

#include "l10n/text.h"
#include "session/device_state.h"

namespace rm27 {

// A sensor's identifier as the questions show it ("(bez identifikátoru)"
// for a blank one).
Text ShownSensor(const std::string& id);

Text CopyExtToIntQuestion(const DeviceState& state, int index);
Text Copy1To4Question(const DeviceState& state);
Text InitQuestion(const DeviceState& state);

} // namespace rm27
