#include "cli/cli_command.h"

namespace quilto::cli {

int RunCheck(const std::vector<std::string>& args);
int RunShow(const std::vector<std::string>& args);
int RunCreate(const std::vector<std::string>& args);
int RunDelete(const std::vector<std::string>& args);
int RunList(const std::vector<std::string>& args);
int RunCalc(const std::vector<std::string>& args);
int RunMasters(const std::vector<std::string>& args);

const std::vector<CliCommand>& Commands() {
    static const std::vector<CliCommand> commands = {
        {"check", "check [--yes|--no]   create missing data files, re-create outdated ones",
         &RunCheck},
        {"show", "show NNNNNN --json   an estimate file (NNNNNN or BackUp) as JSON", &RunShow},
        {"create", "create --json FILE   a new estimate from JSON; prints its number", &RunCreate},
        {"delete", "delete NNNNNN        delete an estimate unless it is in use", &RunDelete},
        {"list", "list                 the estimate list of the data folder, one line each",
         &RunList},
        {"calc", "calc NNNNNN --json [--save]  the estimate as the editor calculates it", &RunCalc},
        {"masters",
         "masters list [CODE] [--json] | import CODE FILE.csv | export CODE   the master lists",
         &RunMasters},
    };
    return commands;
}

}  // namespace quilto::cli
