// r27ctl's calibration commands.
#include "cli/ctl_commands.h"
#include "cli/ctl_runner.h"

namespace rm27 {

void DescribeCalibrationCommands(CLI::App&, CtlOptions&) {}

std::optional<int> RunCalibrationCommand(CtlRunner&) {
    return std::nullopt;
}

} // namespace rm27
