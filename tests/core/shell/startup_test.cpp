#include "core/shell/startup.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <string>

#include "core/foundation/clock.h"
#include "core/foundation/era_date.h"
#include "core/shell/program_state.h"
#include "support/scripted_questions.h"
#include "support/sjis.h"
#include "support/working_folder.h"

namespace quilto {
namespace {

using test::ReadAll;
using test::ScriptedQuestions;
using test::WorkingFolder;
using test::WriteAll;

TEST(StartUp, AnEmptyInstallationGetsEveryFileAndTheRunItsData) {
    WorkingFolder folder;
    EstimateHeader header;
    header.SetSignature(kEstimateSignature);
    header.SetText(HeaderText::MName1, "customer");
    header.SetText(HeaderText::MTitle1, "title");
    WriteAll("DAT/m_000001.dat", header.Bytes());

    ScriptedQuestions questions;
    ProgramState program(questions);
    EXPECT_EQ(RunStartUp(program), StartUpCheckResult::kOk);
    questions.Done();

    EXPECT_EQ(QFile("sp_jis.dat").size(), 6088);
    for (const char* file :
         {"MST/sp_syo.dat", "MST/sp_Koji.dat", "MST/sp_unit.dat", "XlsBase/XKP00.Dat",
          "XlsBase/XKPSei00.Dat", "XlsBase/XKP02.Dat", "XlsBase/XKPSei02.Dat"}) {
        EXPECT_TRUE(QFile::exists(file)) << file;
    }
    EXPECT_EQ(program.shell.customerHistory, std::vector<std::string>{"customer"});
    EXPECT_EQ(program.shell.titleHistory, std::vector<std::string>{"title"});
    // What the check wrote is what the run holds: the default units and the new file's rate.
    EXPECT_EQ(program.masters.units.size(), 8u);
    EXPECT_EQ(program.environment.TaxRate(), kDefaultTaxRate);
    EXPECT_EQ(program.tables.Record(TableFile::kStandard).size(), kXkpRecordSize);
    EXPECT_FALSE(Eras()[0].name.empty());
}

TEST(StartUp, ADeclinedReCreationEndsTheRunWithTheEnvironmentMessage) {
    WorkingFolder folder;
    const std::string outdated(6087, 'x');
    WriteAll("sp_jis.dat", outdated);

    FixedNow now(QDateTime(QDate(2026, 12, 10), QTime(23, 59, 1)));
    ScriptedQuestions questions;
    questions.ExpectOkCancel(
        "古い環境ファイルです、再作成します。\n元のファイルは sp_jis.dat.20261210-235901.bak "
        "として残します。",
        false, "確 認");
    questions.ExpectInform(kEnvironmentBrokenMessage);
    ProgramState program(questions);
    EXPECT_NE(RunStartUp(program), StartUpCheckResult::kOk);
    questions.Done();
    EXPECT_EQ(ReadAll("sp_jis.dat"), outdated);
    EXPECT_FALSE(QFile::exists("MST/sp_unit.dat"));
}

// Folder settings brought over from Windows are named at start and the default folders
// serve meanwhile, so the program still starts and the settings can be changed.
TEST(StartUp, WindowsFolderSettingsAreToldAndTheDefaultFoldersServe) {
    WorkingFolder folder;
    {
        Environment environment;
        ASSERT_EQ(CreateEnvironmentFile(environment), EnvironmentFileResult::kOk);
        environment.SetDataFolderSetting(test::Sjis("D:\\見積\\"));
        environment.SetMasterFolderSetting("\\\\server\\share\\");
        WriteAll("sp_jis.dat", environment.Record());
    }
    ScriptedQuestions questions;
    questions.ExpectInform(
        "環境設定のデータフォルダ「D:\\見積\\」は Windows のフォルダです。このコンピュータには"
        "ありません。\n代わりに DAT/ を使います。環境設定でデータフォルダを変更してください。");
    questions.ExpectInform(
        "環境設定のマスタフォルダ「\\\\server\\share\\」は Windows のフォルダです。このコンピュータ"
        "にはありません。\n代わりに MST/ を使います。環境設定でマスタフォルダを変更してください。");
    ProgramState program(questions);
    EXPECT_EQ(RunStartUp(program), StartUpCheckResult::kOk);
    questions.Done();
    EXPECT_TRUE(QFile::exists("MST/sp_syo.dat"));
    EXPECT_EQ(QDir().entryList(QDir::Files).join(' ').toStdString(), "sp_jis.dat");
}

}  // namespace
}  // namespace quilto
