#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>
#include <string>

#include "core/shell/working_folder.h"
#include "core/store/estimate_file.h"
#include "support/cli_runner.h"
#include "support/working_folder.h"

namespace quilto {
namespace {

using test::CliRun;
using test::WorkingFolder;
using test::WriteAll;

// A working folder with one estimate whose number tells the folders apart.
QString MakeWorkingFolder(const QTemporaryDir& root, const char* name, const char* number) {
    const QString folder = root.filePath(QString::fromUtf8(name));
    QDir(folder).mkpath("DAT");
    WriteAll(folder + "/sp_jis.dat", std::string(6088, '\0'));
    EstimateHeader header;
    header.SetSignature(kEstimateSignature);
    WriteAll(folder + "/DAT/m_" + number + ".dat", header.Bytes());
    return folder;
}

// quilto-cli finds the working folder as the program does: --folder, then the current
// folder holding sp_jis.dat, then the folder chosen at the program's first start.
TEST(CliFolder, NamedThenStartedInThenRemembered) {
    WorkingFolder started(false);  // no working folder
    QTemporaryDir root;
    const QString remembered = MakeWorkingFolder(root, "remembered", "000001");
    const QString named = MakeWorkingFolder(root, "名前付き", "000002");
    QString error;
    ASSERT_TRUE(
        RememberWorkingFolder(started.ConfigHome() + "/quilto/quilto.conf", remembered, &error));

    struct Case {
        QStringList args;
        const char* listed;
    } cases[] = {
        {{"list"}, "000001"},
        {{"--folder", named, "list"}, "000002"},
        {{"list", "--folder=" + named}, "000002"},
    };
    for (const Case& c : cases) {
        const CliRun run = test::RunCli(c.args);
        EXPECT_EQ(run.exitCode, 0) << run.err;
        EXPECT_TRUE(run.out.starts_with(c.listed)) << c.args.join(' ').toStdString() << run.out;
    }

    WriteAll("sp_jis.dat", std::string(6088, '\0'));
    QDir().mkdir("DAT");
    const CliRun here = test::RunCli({"list"});
    EXPECT_EQ(here.exitCode, 0) << here.err;
    EXPECT_EQ(here.out, "");

    const CliRun missing = test::RunCli({"--folder", root.filePath("nowhere"), "list"});
    EXPECT_EQ(missing.exitCode, 2);
    EXPECT_NE(missing.err.find(root.filePath("nowhere").toStdString()), std::string::npos)
        << missing.err;
}

}  // namespace
}  // namespace quilto
