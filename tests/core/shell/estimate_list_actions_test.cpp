#include "shell/estimate_list_actions.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <string>
#include <vector>

#include "shell/program_state.h"
#include "support/scripted_questions.h"
#include "support/working_folder.h"

namespace quilto {
namespace {

using test::ScriptedQuestions;
using test::WorkingFolder;
using test::WriteAll;

void WriteEstimate(const QString& path) {
    EstimateHeader header;
    header.SetSignature(kEstimateSignature);
    header.SetText(HeaderText::MName1, "customer");
    WriteAll(path, header.Bytes() + std::string(2 * kLineRecordSize, '\0'));
}

// The list as shown in an entry mode, over estimates 000001 and 000002.
struct ListFixture {
    explicit ListFixture(int mode) : program(questions) {
        WriteEstimate("DAT/m_000001.dat");
        WriteEstimate("DAT/m_000002.dat");
        program.shell.entryMode = mode;
        program.shell.selectedNumber = "stale";
        entries = ShowEstimateList(program);
    }
    const EstimateListEntry* Line(int index) const { return &entries.at(index); }

    WorkingFolder folder;
    ScriptedQuestions questions;
    ProgramState program;
    std::vector<EstimateListEntry> entries;
};

TEST(EstimateListActions, ShowingClearsTheSelectionAndModesTwoAndSixTakeTheNumber) {
    for (int mode : {kEntryCopy, kEntryOutput}) {
        ListFixture list(mode);
        EXPECT_EQ(list.program.shell.selectedNumber, "");
        ASSERT_EQ(list.entries.size(), 2u);
        EXPECT_EQ(ChooseListEntry(list.program, nullptr), ListOutcome::kStay);
        EXPECT_EQ(ChooseListEntry(list.program, list.Line(1)), ListOutcome::kClose);
        EXPECT_EQ(list.program.shell.selectedNumber, "000002");
    }
}

TEST(EstimateListActions, CallingUpAnEstimateInUseAsksForReferenceMode) {
    ListFixture list(kEntryCallUp);
    EXPECT_EQ(ChooseListEntry(list.program, list.Line(0)), ListOutcome::kClose);
    EXPECT_EQ(list.program.shell.selectedNumber, "000001");
    EXPECT_EQ(list.program.markers.EstimateState(), kMarkerNone);

    WriteAll("DAT/m_000002.tmp", "");
    list.questions.ExpectOkCancel(kReferenceModeQuestion, false, kConfirmCaption);
    EXPECT_EQ(ChooseListEntry(list.program, list.Line(1)), ListOutcome::kStay);
    EXPECT_EQ(list.program.shell.selectedNumber, "");
    EXPECT_EQ(list.program.markers.EstimateState(), kMarkerNone);

    list.questions.ExpectOkCancel(kReferenceModeQuestion, true, kConfirmCaption);
    EXPECT_EQ(ChooseListEntry(list.program, list.Line(1)), ListOutcome::kClose);
    EXPECT_EQ(list.program.shell.selectedNumber, "000002");
    EXPECT_EQ(list.program.markers.EstimateState(), kMarkerInUse);
    list.questions.Done();
}

TEST(EstimateListActions, OutputOfAnEstimateInUseGoesOnReadOnlyWithoutAQuestion) {
    ListFixture list(kEntryOutput);
    WriteAll("DAT/m_000001.tmp", "");
    EXPECT_EQ(ChooseListEntry(list.program, list.Line(0)), ListOutcome::kClose);
    EXPECT_EQ(list.program.markers.EstimateState(), kMarkerInUse);
    EXPECT_TRUE(list.questions.History().empty());
}

TEST(EstimateListActions, DeletesOnlyWhenAskedAndNotInUse) {
    ListFixture list(kEntryDelete);

    list.questions.ExpectInform(kNothingSelectedMessage);
    EXPECT_EQ(ChooseListEntry(list.program, nullptr), ListOutcome::kStay);

    WriteAll("DAT/m_000001.tmp", "");
    list.questions.ExpectInform(kEstimateInUseMessage);
    EXPECT_EQ(ChooseListEntry(list.program, list.Line(0)), ListOutcome::kStay);
    EXPECT_EQ(list.program.markers.EstimateState(), kMarkerNone);
    EXPECT_TRUE(QFile::exists("DAT/m_000001.dat"));

    // "キャンセル" and Esc keep the file.
    for (int answer : {2, 0}) {
        list.questions.ExpectButtons(kDeleteEstimateQuestion, answer);
        EXPECT_EQ(ChooseListEntry(list.program, list.Line(1)), ListOutcome::kStay);
        EXPECT_TRUE(QFile::exists("DAT/m_000002.dat"));
    }
    list.questions.ExpectButtons(kDeleteEstimateQuestion, 1);
    EXPECT_EQ(ChooseListEntry(list.program, list.Line(1)), ListOutcome::kRebuild);
    EXPECT_FALSE(QFile::exists("DAT/m_000002.dat"));
    EXPECT_EQ(list.program.shell.selectedNumber, "");
    list.questions.Done();

    const auto& asked = list.questions.History();
    ASSERT_GE(asked.size(), 3u);
    EXPECT_EQ(asked[2].buttons, (std::array<std::string, 3>{"削 除", "キャンセル", ""}));
}

TEST(EstimateListActions, ALineWhoseNumberNamesAnotherFileDeletesNothing) {
    WorkingFolder folder;
    WriteEstimate("DAT/m_000000.dat");
    WriteEstimate("DAT/m_abc.dat");
    ScriptedQuestions questions;
    ProgramState program(questions);
    program.shell.entryMode = kEntryDelete;
    const std::vector<EstimateListEntry> entries = ShowEstimateList(program);
    ASSERT_EQ(entries.size(), 2u);
    ASSERT_EQ(entries[1].fileName, "m_abc.dat");

    questions.ExpectButtons(kDeleteEstimateQuestion, 1);
    EXPECT_EQ(DeleteListEntry(program, &entries[1]), ListOutcome::kRebuild);
    EXPECT_TRUE(QFile::exists("DAT/m_abc.dat"));
    EXPECT_TRUE(QFile::exists("DAT/m_000000.dat"));
    questions.Done();
}

TEST(EstimateListActions, OnlyModeTwoPicksTheBackupFromTheModePanel) {
    ListFixture copy(kEntryCopy);
    EXPECT_EQ(ModePanelDoubleClicked(copy.program), ListOutcome::kClose);
    EXPECT_EQ(copy.program.shell.selectedNumber, "BackUp");

    ListFixture callUp(kEntryCallUp);
    EXPECT_EQ(ModePanelDoubleClicked(callUp.program), ListOutcome::kStay);
    EXPECT_EQ(callUp.program.shell.selectedNumber, "");
}

TEST(EstimateListActions, DataFolderPanelShowsTheSettingOrTheDefaultFolder) {
    WorkingFolder folder;
    Environment environment;
    EXPECT_EQ(DataFolderPanelText(environment), " " + QDir::currentPath() + "/DAT/");
    environment.SetDataFolderSetting("/srv/estimates/");
    EXPECT_EQ(DataFolderPanelText(environment), " /srv/estimates/");
}

}  // namespace
}  // namespace quilto
