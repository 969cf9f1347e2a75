// Within the reading library: the reading "Načíst" and the restart end in.
#pragma once

#include <cstdint>

#include "session/operations.h"

namespace rm27 {

// ops.readConverter when it is set, else ReadRM27.
bool ReadAgain(Operations& ops, std::int32_t& address);

} // namespace rm27
