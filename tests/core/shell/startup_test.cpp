#include "shell/startup.h"

#include <gtest/gtest.h>

#include <QFile>
#include <string>

#include "foundation/era_date.h"
#include "shell/program_state.h"
#include "support/scripted_questions.h"
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
    EXPECT_EQ(RunStartUp(program), 0);
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

    ScriptedQuestions questions;
    questions.ExpectOkCancel("古い環境ファイルです、再作成します。", false, "確 認");
    questions.ExpectInform(kEnvironmentBrokenMessage);
    ProgramState program(questions);
    EXPECT_LT(RunStartUp(program), 0);
    questions.Done();
    EXPECT_EQ(ReadAll("sp_jis.dat"), outdated);
    EXPECT_FALSE(QFile::exists("MST/sp_unit.dat"));
}

}  // namespace
}  // namespace quilto
