#include "cli/cli_command.h"

namespace quilto::cli {

const std::vector<CliCommand>& Commands() {
    static const std::vector<CliCommand> commands = {};
    return commands;
}

}  // namespace quilto::cli
