#include "cli/cli_command.h"

namespace quilto::cli {

int RunCheck(const std::vector<std::string>& args);

const std::vector<CliCommand>& Commands() {
    static const std::vector<CliCommand> commands = {
        {"check", "check [--yes|--no]   create missing data files, re-create outdated ones",
         &RunCheck},
    };
    return commands;
}

}  // namespace quilto::cli
