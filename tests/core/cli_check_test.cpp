#include <gtest/gtest.h>

#include <QFile>
#include <string>

#include "support/cli_runner.h"
#include "support/working_folder.h"

namespace quilto {
namespace {

using test::ReadAll;
using test::WorkingFolder;
using test::WriteAll;

using test::CliRun;

CliRun Check(const QStringList& flags) { return test::RunCli(QStringList{"check"} + flags); }

TEST(CliCheck, CreatesTheFilesOfAnEmptyInstallation) {
    WorkingFolder folder;
    const CliRun run = Check({});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(QFile("sp_jis.dat").size(), 6088);
    EXPECT_TRUE(QFile::exists("MST/sp_unit.dat"));
    EXPECT_TRUE(QFile::exists("XlsBase/XKPSei02.Dat"));
}

TEST(CliCheck, AnswersItsQuestionFromTheFlags) {
    WorkingFolder folder;
    const std::string old(6000, '\0');
    WriteAll("sp_jis.dat", old);

    // Nobody to ask: declined, and said so.
    CliRun run = Check({});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("古い環境ファイルです、再作成します。"), std::string::npos) << run.err;
    EXPECT_EQ(ReadAll("sp_jis.dat"), old);

    run = Check({"--no"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(ReadAll("sp_jis.dat"), old);

    EXPECT_EQ(Check({"--yes", "--no"}).exitCode, 2);
    EXPECT_EQ(Check({"extra"}).exitCode, 2);

    run = Check({"--yes"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(QFile("sp_jis.dat").size(), 6088);
}

TEST(CliCheck, ReportsACreationFailureOnStderr) {
    WorkingFolder folder(false);  // no MST, DAT or XlsBase
    const CliRun run = Check({});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("商品作成エラー =-1"), std::string::npos) << run.err;
    // What to do about it: the missing folder is named.
    EXPECT_NE(run.err.find("/MST がありません。DAT・MST・XlsBase のある作業フォルダで起動するか"),
              std::string::npos)
        << run.err;
}

}  // namespace
}  // namespace quilto
