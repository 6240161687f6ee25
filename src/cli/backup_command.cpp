// quilto-cli backup DIR and quilto-cli restore DIR [--yes|--no]: the backup and restore of
// the backup window, for scheduled backups (cron, a systemd timer) and for restoring
// without a display. The backup asks nothing: the command is the request. The restore asks
// as the window does and goes ahead only with --yes.

#include <QDir>
#include <cstdio>
#include <string>
#include <vector>

#include "cli/cli_support.h"
#include "core/settings/backup.h"
#include "core/store/environment.h"

namespace quilto::cli {
namespace {

int RunCopy(const char* name, std::vector<std::string> args, bool restore) {
    Answer answer = Answer::kUnset;
    if (!TakeAnswerFlag(args, answer)) return 2;
    if (args.size() != 1 || (!restore && answer != Answer::kUnset)) {
        PrintError(std::string("usage: ") + name + (restore ? " DIR [--yes|--no]" : " DIR"));
        return 2;
    }
    Environment environment;
    LoadEnvironment(environment);
    CliQuestions questions(answer);
    const LiveFolders live = LiveFoldersOf(environment, QDir::currentPath());
    const QString chosen =
        QDir(QDir::currentPath()).absoluteFilePath(QString::fromStdString(args[0]));
    const CopyRun run = restore ? RunRestore(questions, live, chosen, {}, true)
                                : RunBackup(questions, live, chosen, {}, false);
    std::printf("{\"copied\":%d,\"failed\":%zu}\n", run.copied, run.failures.size());
    return run.result == CopyRunResult::kDone ? 0 : 1;
}

}  // namespace

int RunBackupCommand(const std::vector<std::string>& args) {
    return RunCopy("backup", args, false);
}
int RunRestoreCommand(const std::vector<std::string>& args) {
    return RunCopy("restore", args, true);
}

}  // namespace quilto::cli
