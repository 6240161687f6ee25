// quilto-cli check [--yes|--no]: the start-up check on the working folder, creating every
// missing data file and, when allowed, re-creating outdated ones.

#include <QDir>
#include <cstdio>
#include <string>
#include <vector>

#include "cli/cli_support.h"
#include "core/excel/table_definition.h"
#include "core/masters/master_lists.h"
#include "core/settings/backup.h"
#include "core/shell/interrupted_writes.h"
#include "core/shell/startup_check.h"
#include "core/store/environment.h"

namespace quilto::cli {

int RunCheck(const std::vector<std::string>& arguments) {
    std::vector<std::string> args = arguments;
    Answer answer = Answer::kUnset;
    if (!TakeAnswerFlag(args, answer)) return 2;
    if (!args.empty()) {
        PrintError("check: unexpected argument '" + args.front() + "'");
        return 2;
    }
    Environment environment;
    CliQuestions questions(answer);
    // A missing or short file is the check's to deal with, as at program start.
    LoadEnvironment(environment);
    if (OfferUnfinishedRestore(questions, LiveFoldersOf(environment, QDir::currentPath())))
        LoadEnvironment(environment);
    MasterLists masters;
    TableDefinitions tables;
    const int result = static_cast<int>(CheckAndCreate(environment, masters, tables, questions));
    const InterruptedWrites leftovers = RemoveInterruptedWrites(WrittenFolders(environment));
    if (const std::string note = InterruptedWritesMessage(leftovers); !note.empty())
        PrintError("check: " + note);
    std::printf("{\"result\":%d}\n", result);
    if (result != 0) PrintError("check failed with code " + std::to_string(result));
    return result == 0 ? 0 : 1;
}

}  // namespace quilto::cli
