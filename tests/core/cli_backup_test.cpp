#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>
#include <string>

#include "support/cli_runner.h"
#include "support/working_folder.h"

namespace quilto {
namespace {

using test::CliRun;
using test::ReadAll;
using test::RunCli;
using test::WorkingFolder;
using test::WriteAll;

TEST(CliBackup, BacksUpWithoutAskingAndRestoresOnlyWithYes) {
    WorkingFolder folder;
    ASSERT_EQ(RunCli({"check"}).exitCode, 0);
    WriteAll("DAT/m_000001.dat", "estimate");
    WriteAll("DAT/m_000001.tmp", "");
    QTemporaryDir backup;

    CliRun run = RunCli({"backup", backup.path()});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.err.find("バックアップ完了しました。"), std::string::npos) << run.err;
    EXPECT_EQ(ReadAll(backup.filePath("DAT/m_000001.dat")), "estimate");
    EXPECT_FALSE(QFile::exists(backup.filePath("DAT/m_000001.tmp")));
    EXPECT_EQ(ReadAll(backup.filePath("MST/sp_jis.dat")), ReadAll("sp_jis.dat"));

    WriteAll("DAT/m_000001.dat", "changed");
    run = RunCli({"restore", backup.path()});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("リストアを実行します。"), std::string::npos) << run.err;
    EXPECT_EQ(ReadAll("DAT/m_000001.dat"), "changed");

    run = RunCli({"restore", backup.path(), "--yes"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(ReadAll("DAT/m_000001.dat"), "estimate");

    run = RunCli({"backup", "."});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("同一フォルダーは処理できません。"), std::string::npos) << run.err;
    for (const QStringList& wrong : {QStringList{"backup"}, QStringList{"backup", "a", "b"},
                                     QStringList{"backup", "a", "--yes"}}) {
        EXPECT_EQ(RunCli(wrong).exitCode, 2) << wrong.join(' ').toStdString();
    }
}

}  // namespace
}  // namespace quilto
