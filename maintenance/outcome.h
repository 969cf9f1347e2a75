// How a maintenance command ended, for whoever has to say so in one number
// (r27ctl's exit status); the window has already shown the messages.
#pragma once

namespace rm27 {

enum class Outcome {
    Done,    // everything the command set out to do was done
    Refused, // nothing was done: the user said No or cancelled, or a check refused it
    Failed,  // the converter (or the line) failed part of it
};

} // namespace rm27
