#include "core/shell/estimate_list_actions.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include <QDir>
#include <QFile>
#include <QUrl>
#include <string>
#include <vector>

#include "core/shell/program_state.h"
#include "support/read_only_folder.h"
#include "support/scripted_questions.h"
#include "support/silent_questions.h"
#include "support/working_folder.h"

namespace quilto {
namespace {

using test::ScriptedQuestions;
using test::WorkingFolder;
using test::WriteAll;

void WriteEstimate(const QString& path, const std::string& title = {}) {
    EstimateHeader header;
    header.SetSignature(kEstimateSignature);
    header.SetText(HeaderText::MName1, "customer");
    header.SetText(HeaderText::MTitle1, title);
    WriteAll(path, header.Bytes() + std::string(2 * kLineRecordSize, '\0'));
}

// The question before deleting names the estimate.
std::string DeleteQuestion(const std::string& number, const std::string& title = {}) {
    return std::string(kDeleteEstimateQuestion) + "\n\n管理No : " + number +
           "\nお客様名 : customer\n工事名称 : " + title;
}

// The lines of the list as it is shown, in its order.
std::vector<EstimateListEntry> ShownLines(ProgramState& program) {
    std::vector<EstimateListEntry> lines;
    for (const SearchableListEntry& e : ShowEstimateList(program).entries)
        lines.push_back(e.listed);
    return lines;
}

// The list as shown in an entry mode, over estimates 000001 and 000002.
struct ListFixture {
    explicit ListFixture(EntryMode mode) : program(questions) {
        WriteEstimate("DAT/m_000001.dat");
        WriteEstimate("DAT/m_000002.dat");
        program.shell.entryMode = mode;
        program.shell.selectedNumber = "stale";
        entries = ShownLines(program);
    }
    const EstimateListEntry* Line(int index) const { return &entries.at(index); }

    WorkingFolder folder;
    ScriptedQuestions questions;
    ProgramState program;
    std::vector<EstimateListEntry> entries;
};

TEST(EstimateListActions, ShowingClearsTheSelectionAndCopyAndOutputTakeTheNumber) {
    for (EntryMode mode : {EntryMode::kCopy, EntryMode::kOutput}) {
        ListFixture list(mode);
        EXPECT_EQ(list.program.shell.selectedNumber, "");
        ASSERT_EQ(list.entries.size(), 2u);
        EXPECT_EQ(ChooseListEntry(list.program, nullptr), ListOutcome::kStay);
        EXPECT_EQ(ChooseListEntry(list.program, list.Line(1)), ListOutcome::kClose);
        EXPECT_EQ(list.program.shell.selectedNumber, "000002");
    }
}

TEST(EstimateListActions, CallingUpAnEstimateInUseAsksForReferenceMode) {
    ListFixture list(EntryMode::kCallUp);
    EXPECT_EQ(ChooseListEntry(list.program, list.Line(0)), ListOutcome::kClose);
    EXPECT_EQ(list.program.shell.selectedNumber, "000001");
    EXPECT_EQ(list.program.markers.EstimateState(), MarkerState::kNone);

    WriteAll("DAT/m_000002.tmp", "");
    list.questions.ExpectOkCancel(kReferenceModeQuestion, false, kConfirmCaption);
    EXPECT_EQ(ChooseListEntry(list.program, list.Line(1)), ListOutcome::kStay);
    EXPECT_EQ(list.program.shell.selectedNumber, "");
    EXPECT_EQ(list.program.markers.EstimateState(), MarkerState::kNone);

    list.questions.ExpectOkCancel(kReferenceModeQuestion, true, kConfirmCaption);
    EXPECT_EQ(ChooseListEntry(list.program, list.Line(1)), ListOutcome::kClose);
    EXPECT_EQ(list.program.shell.selectedNumber, "000002");
    EXPECT_EQ(list.program.markers.EstimateState(), MarkerState::kInUse);
    list.questions.Done();
}

// The question names who holds the estimate (what the holder wrote into its marker), and so
// does the refusal to delete it.
TEST(EstimateListActions, AnEstimateInUseIsToldWithItsHolder) {
    ListFixture list(EntryMode::kCallUp);
    test::SilentQuestions silent;
    Markers otherCopy(silent, MarkerFoldersOf(list.program.environment));
    ASSERT_EQ(otherCopy.HoldEstimateMarker("000002"), MarkerHold::kDone);
    const std::string holder = otherCopy.EstimateHolder("000002");
    ASSERT_NE(holder.find(std::to_string(getpid())), std::string::npos) << holder;
    list.questions.ExpectOkCancel(std::string(kReferenceModeQuestion) + "\n使用中: " + holder,
                                  false, kConfirmCaption);
    EXPECT_EQ(ChooseListEntry(list.program, list.Line(1)), ListOutcome::kStay);
    list.program.shell.entryMode = EntryMode::kDelete;
    list.questions.ExpectInform(std::string(kEstimateInUseMessage) + "\n使用中: " + holder);
    EXPECT_EQ(ChooseListEntry(list.program, list.Line(1)), ListOutcome::kStay);
    list.questions.Done();
}

TEST(EstimateListActions, OutputOfAnEstimateInUseGoesOnReadOnlyWithoutAQuestion) {
    ListFixture list(EntryMode::kOutput);
    WriteAll("DAT/m_000001.tmp", "");
    EXPECT_EQ(ChooseListEntry(list.program, list.Line(0)), ListOutcome::kClose);
    EXPECT_EQ(list.program.markers.EstimateState(), MarkerState::kInUse);
    EXPECT_TRUE(list.questions.History().empty());
}

TEST(EstimateListActions, DeletesOnlyWhenAskedAndNotInUse) {
    ListFixture list(EntryMode::kDelete);

    list.questions.ExpectInform(kNothingSelectedMessage);
    EXPECT_EQ(ChooseListEntry(list.program, nullptr), ListOutcome::kStay);

    WriteAll("DAT/m_000001.tmp", "");
    list.questions.ExpectInform(kEstimateInUseMessage);
    EXPECT_EQ(ChooseListEntry(list.program, list.Line(0)), ListOutcome::kStay);
    EXPECT_EQ(list.program.markers.EstimateState(), MarkerState::kNone);
    EXPECT_TRUE(QFile::exists("DAT/m_000001.dat"));

    // "キャンセル" and Esc keep the file.
    for (int answer : {2, 0}) {
        list.questions.ExpectButtons(DeleteQuestion("000002"), answer);
        EXPECT_EQ(ChooseListEntry(list.program, list.Line(1)), ListOutcome::kStay);
        EXPECT_TRUE(QFile::exists("DAT/m_000002.dat"));
    }
    list.questions.ExpectButtons(DeleteQuestion("000002"), 1)
        .ExpectInformStartingWith("ごみ箱に移しました (m_000002.dat)。\n元に戻すには、");
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
    program.shell.entryMode = EntryMode::kDelete;
    const std::vector<EstimateListEntry> entries = ShownLines(program);
    ASSERT_EQ(entries.size(), 2u);
    ASSERT_EQ(entries[1].fileName, "m_abc.dat");

    questions.ExpectButtons(DeleteQuestion("000000"), 1);
    EXPECT_EQ(DeleteListEntry(program, &entries[1]), ListOutcome::kRebuild);
    EXPECT_TRUE(QFile::exists("DAT/m_abc.dat"));
    EXPECT_TRUE(QFile::exists("DAT/m_000000.dat"));
    questions.Done();
}

// A deleted estimate can always be had back: from the desktop's trash, or, where no trash
// can be made, from the data folder's 削除済み folder (a second deletion of the same name
// there keeps both). A deletion that fails says so with the file and the reason.
TEST(EstimateListActions, DeletedEstimatesGoToTheTrashOrTheKeepFolderAndFailuresAreTold) {
    ListFixture list(EntryMode::kDelete);
    const std::string data = QDir("DAT").absolutePath().toStdString();
    // Each time the user is told where it went and how to get it back.
    list.questions.ExpectButtons(DeleteQuestion("000001"), 1)
        .ExpectInform(
            "ごみ箱に移しました (m_000001.dat)。\n元に戻すには、ごみ箱からデータフォルダ " + data +
            " に戻してください。");
    EXPECT_EQ(DeleteListEntry(list.program, list.Line(0)), ListOutcome::kRebuild);
    EXPECT_FALSE(QFile::exists("DAT/m_000001.dat"));
    EXPECT_EQ(test::ReadAll(list.folder.TrashFiles() + "/m_000001.dat").size(),
              kEstimateHeaderSize + 2 * kLineRecordSize);
    // The trash knows where it came from, so the desktop can put it back.
    const std::string info =
        test::ReadAll(list.folder.TrashFiles() + "/../info/m_000001.dat.trashinfo");
    EXPECT_EQ(info.rfind("[Trash Info]\nPath=" +
                             QUrl::toPercentEncoding(list.folder.FilePath("DAT/m_000001.dat"), "/")
                                 .toStdString() +
                             "\nDeletionDate=",
                         0),
              0u)
        << info;

    // No trash can be made under a plain file.
    WriteAll("not-a-folder", "");
    list.folder.SetDataHome(list.folder.FilePath("not-a-folder/share"));
    ASSERT_TRUE(QDir().mkdir("DAT/削除済み"));
    WriteEstimate("DAT/削除済み/m_000002.dat", "older");
    list.questions.ExpectButtons(DeleteQuestion("000002"), 1)
        .ExpectInformStartingWith("削除済みフォルダに移しました。\n" + data +
                                  "/削除済み/m_000002.");
    EXPECT_EQ(DeleteListEntry(list.program, list.Line(1)), ListOutcome::kRebuild);
    EXPECT_FALSE(QFile::exists("DAT/m_000002.dat"));
    const QStringList kept = QDir("DAT/削除済み").entryList(QDir::Files, QDir::Name);
    ASSERT_EQ(kept.size(), 2);
    EXPECT_EQ(kept[1], "m_000002.dat");
    EXPECT_TRUE(kept[0].startsWith("m_000002.") && kept[0].endsWith(".dat"))
        << kept[0].toStdString();
    // Nothing went anywhere else.
    EXPECT_EQ(QDir().entryList(QDir::AllEntries | QDir::NoDotAndDotDot, QDir::Name).join(' '),
              "DAT MST XlsBase not-a-folder");
    list.questions.Done();
}

TEST(EstimateListActions, AFailedDeletionIsToldWithTheFileAndTheReason) {
    ListFixture list(EntryMode::kDelete);
    test::ReadOnlyFolder readOnly(list.folder.FilePath("DAT"));
    if (!readOnly.Usable()) GTEST_SKIP() << "the folder cannot be made read-only here";
    // The reason is the system's own, whatever it says for this folder.
    const QByteArray keep = QFile::encodeName(list.folder.FilePath("DAT/削除済み"));
    ASSERT_NE(::mkdir(keep.constData(), 0777), 0);
    const std::string reason = std::strerror(errno);
    list.questions.ExpectButtons(DeleteQuestion("000001"), 1);
    list.questions.ExpectInform(std::string(kDeleteFailedMessage) + "\n" + keep.toStdString() +
                                ": " + reason);
    EXPECT_EQ(DeleteListEntry(list.program, list.Line(0)), ListOutcome::kRebuild);
    EXPECT_TRUE(QFile::exists("DAT/m_000001.dat"));
    list.questions.Done();
}

TEST(EstimateListActions, OnlyModeTwoPicksTheBackupFromTheModePanel) {
    ListFixture copy(EntryMode::kCopy);
    EXPECT_EQ(ModePanelDoubleClicked(copy.program), ListOutcome::kClose);
    EXPECT_EQ(copy.program.shell.selectedNumber, "BackUp");

    ListFixture callUp(EntryMode::kCallUp);
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
