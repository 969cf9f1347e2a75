// r27ctl's maintenance commands.
#include "cli/ctl_commands.h"
#include "cli/ctl_runner.h"

namespace rm27 {

void DescribeMaintenanceCommands(CLI::App&, CtlOptions&) {}

std::optional<int> RunMaintenanceCommand(CtlRunner&) {
    return std::nullopt;
}

} // namespace rm27
