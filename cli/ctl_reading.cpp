// r27ctl's reading commands: "read", "monitor", "scan", "set-address" and
// "restart", each the window's button of the same name on the converter
// at the command line's address.
#include <ostream>

#include "cli/ctl_commands.h"
#include "cli/ctl_runner.h"
#include "cli/texts.h"
#include "reading/operations.h"

namespace rm27 {

namespace {

namespace tx = texts::cli;

int Read(CtlRunner& r) {
    if (!r.devRead()) return kExitNoAnswer;
    r.printReading();
    return kExitOk;
}

int Scan(CtlRunner& r) {
    const std::vector<FoundConverter> found = ScanAddresses(r.ops());
    for (const FoundConverter& converter : found)
        r.out() << ScanRow(converter) << "\n";
    r.out().flush();
    if (!found.empty()) return kExitOk;
    if (!r.ops().cancelled())
        r.sayError(Text(tx::kNoConverterFound, kScanFirstAddress, kScanLastAddress));
    return kExitNoAnswer;
}

int SetAddress(CtlRunner& r) {
    const int wanted = r.options().newAddress;
    if (!r.devRead()) return kExitNoAnswer;
    r.view().answerInputWith(std::to_string(wanted));
    if (!ReadingAfter(r.ops(), ChangeAddress, ReadRM27)) return kExitNoAnswer;
    // Without an echo the reading falls back to the universal address and
    // finds whichever converter answers there: make sure it is ours, moved.
    if (r.state().DeviceAddress != wanted) {
        r.sayError(Text(tx::kAnswersElsewhere, r.state().DeviceAddress, wanted));
        return kExitNoAnswer;
    }
    r.printReading();
    return kExitOk;
}

int Restart(CtlRunner& r) {
    if (!r.devRead()) return kExitNoAnswer;
    if (!ReadingAfter(r.ops(), RestartConverter, ReadRM27)) return kExitNoAnswer;
    r.printReading();
    return kExitOk;
}

} // namespace

std::optional<int> RunReadingCommand(CtlRunner& r) {
    const std::string& c = r.options().command;
    if (c == "read") return Read(r);
    if (c == "monitor") return r.monitor().run();
    if (c == "scan") return Scan(r);
    if (c == "set-address") return SetAddress(r);
    if (c == "restart") return Restart(r);
    return std::nullopt;
}

} // namespace rm27
