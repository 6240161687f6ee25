#include "support/cli_runner.h"

#include <QProcess>

namespace quilto::test {

CliRun RunCli(const QStringList& args) {
    QProcess cli;
    cli.start(QUILTO_CLI_PATH, args);
    CliRun run;
    if (!cli.waitForFinished(60000)) return run;
    run.exitCode = cli.exitStatus() == QProcess::NormalExit ? cli.exitCode() : -1;
    run.out = cli.readAllStandardOutput().toStdString();
    run.err = cli.readAllStandardError().toStdString();
    return run;
}

}  // namespace quilto::test
