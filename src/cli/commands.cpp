#include "cli/cli_command.h"

namespace quilto::cli {

int RunCheck(const std::vector<std::string>& args);
int RunShow(const std::vector<std::string>& args);
int RunCreate(const std::vector<std::string>& args);
int RunDelete(const std::vector<std::string>& args);
int RunList(const std::vector<std::string>& args);
int RunCalc(const std::vector<std::string>& args);
int RunExport(const std::vector<std::string>& args);
int RunPrint(const std::vector<std::string>& args);

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
        {"export",
         "export NNNNNN --xlsx|--pdf FILE [--pattern 0|1|2] [--sheets LIST] [--cost]\n"
         "                       [--constructions all|1,3,...] [--free summary|breakdown|details]\n"
         "                       [--lines-totals]  fill the estimate's workbook template",
         &RunExport},
        {"print", "print NNNNNN [--printer NAME] [export's choices]  print the filled workbook",
         &RunPrint},
    };
    return commands;
}

}  // namespace quilto::cli
