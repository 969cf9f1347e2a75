#include "maintenance/ekey_copy.h"

#include <string>

#include "link/memory.h"
#include "reading/operations.h"
#include "session/measurement.h"

namespace rm27 {

namespace {

constexpr std::uint8_t kInputs1And4 = 0x09;

bool Ask(Operations& ops, const std::string& text) {
    // Nothing goes out before the answer: the values stay live meanwhile.
    const auto free = ops.guard.releaseLine();
    return ops.prompter.question(text);
}

// Every copy that got past its question ends the same way, whatever
// happened: the window shows what the converter now holds.
void Finish(Operations& ops) {
    if (!ops.cancelled()) ReadConverter(ops, ops.state.DeviceAddress);
    StartMeasurement(ops.port, ops.view);
}

std::string WriteError(std::int32_t result) {
    // One text for both copies: it names input 4 whichever input was
    // written.
    return "Error during writing EKEY@Vstup4 [E:" + std::to_string(result) + "]";
}

Outcome CopyToInternal(Operations& ops, int index) {
    DeviceState& st = ops.state;
    const std::string n = std::to_string(index + 1);
    if (((st.EKeyMask >> index) & 1U) == 0) {
        ops.prompter.critical("EKEY (Vstup" + n + ") not present");
        return Outcome::Refused;
    }
    ops.view.setStatus("Reading source e-key Vstup" + n + " ...");
    std::string image;
    const std::int32_t read = BlockRead(ops.port, image, st.DeviceAddress, index, 0);
    if (read < 0) {
        ops.prompter.critical("Error reading EKEY@vstup" + n + " block");
        return Outcome::Failed;
    }
    ops.view.setStatus("Writing to internal Vstup" + n + " ...");
    const std::int32_t write =
        BlockWrite(ops.port, image, st.DeviceAddress, InternalCopyInput(index), 0);
    if (write < 0) {
        ops.prompter.critical(WriteError(write));
        return Outcome::Failed;
    }
    ops.view.setStatus("");
    ops.prompter.information("Copied. Read=" + std::to_string(read) +
                             " WRITE=" + std::to_string(write));
    return Outcome::Done;
}

Outcome Copy1To4(Operations& ops) {
    DeviceState& st = ops.state;
    if ((st.EKeyMask & kInputs1And4) != kInputs1And4) {
        ops.prompter.critical("EKEYS not present");
        return Outcome::Refused;
    }
    ops.view.setStatus("Reading source e-key Vstup1 ...");
    std::string source;
    const std::int32_t readSource = BlockRead(ops.port, source, st.DeviceAddress, 0, 0);
    if (readSource < 0) {
        ops.prompter.critical("Error reading EKEY@vstup1 block");
        return Outcome::Failed;
    }
    ops.view.setStatus("Reading destination e-key Vstup4 ...");
    std::string destination;
    const std::int32_t readDestination = BlockRead(ops.port, destination, st.DeviceAddress, 3, 0);
    if (readDestination < 0) {
        ops.prompter.critical("Error reading EKEY@vstup4 block");
        return Outcome::Failed;
    }
    // Two sensors must never share an identifier: input 4 keeps its own.
    source.replace(kImageIdOffset, kSensorIdWidth,
                   destination.substr(kImageIdOffset, kSensorIdWidth));
    ops.view.setStatus("WRITING source e-key Vstup1 to e-key Vstup4 ...");
    const std::int32_t write = BlockWrite(ops.port, source, st.DeviceAddress, 3, 0);
    if (write < 0) {
        ops.prompter.critical(WriteError(write));
        return Outcome::Failed;
    }
    ops.view.setStatus("");
    ops.prompter.information("Saved. Read=" + std::to_string(readSource) + ">" +
                             std::to_string(readDestination) + " WRITE=" + std::to_string(write));
    return Outcome::Done;
}

} // namespace

Outcome CopyEKeyExtToInt(Operations& ops, int index) {
    if (index < 0 || index >= kInputCount) return Outcome::Refused;
    if (!Ask(ops,
             "Tato funkce zkopíruje externí ekey (256B) do interni pameti. Chcete pokračovat ?"))
        return Outcome::Refused;
    StopMeasurement(ops.port, ops.view);
    const Outcome outcome = CopyToInternal(ops, index);
    Finish(ops);
    return outcome;
}

Outcome CopyEKey1To4(Operations& ops) {
    if (!Ask(ops, "Tato funkce zkopíruje binarní obraz ekey (256B) ve vstupu 1 do ekeye na "
                  "vstupu 4. Chcete pokračovat ?"))
        return Outcome::Refused;
    StopMeasurement(ops.port, ops.view);
    const Outcome outcome = Copy1To4(ops);
    Finish(ops);
    return outcome;
}

} // namespace rm27
