#include "core/settings/backup.h"
#include "core/store/issued_archive.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QTemporaryDir>
#include <map>
#include <string>

#include "core/foundation/cp932.h"
#include "core/store/environment.h"
#include "support/marker_holder.h"
#include "support/scripted_questions.h"
#include "support/working_folder.h"

namespace quilto {
namespace {

using test::ReadAll;
using test::ScriptedQuestions;
using test::WorkingFolder;
using test::WriteAll;

// Every file under folder by its path relative to it, with its bytes.
std::map<QString, std::string> Snapshot(const QString& folder) {
    std::map<QString, std::string> files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        files[QDir(folder).relativeFilePath(path)] = ReadAll(path);
    }
    return files;
}

// A working folder in use: an environment, estimates with their markers, masters with the
// master marker, table definitions and a template.
class Backup : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(backup.isValid());
        ASSERT_EQ(CreateEnvironmentFile(environment), EnvironmentFileResult::kOk);
        environment.Settings().SetText("Edit1", "Yamada Kensetsu");
        ASSERT_EQ(WriteEnvironment(environment), EnvironmentFileResult::kOk);
        WriteAll("DAT/m_000001.dat", std::string(1392, '\x01'));
        WriteAll("DAT/m_000002.dat", std::string(1584, '\x02'));
        WriteAll("DAT/m_000001.tmp", "");
        WriteAll("DAT/notes.txt", "not an estimate");
        WriteAll("MST/sp_syo.dat", "product lines\r\n");
        WriteAll("MST/sp_Koji.dat", "001 koji\r\n");
        WriteAll("MST/sp_unit.dat", "m2\r\n");
        WriteAll("MST/Master.tmp", "");
        WriteAll("XlsBase/XKP00.Dat", std::string(1096, '\x03'));
        WriteAll("XlsBase/見積書00.xlsx", "PK template");
    }

    LiveFolders Live() { return LiveFoldersOf(environment, QDir::currentPath()); }

    CopyRun BackUp(const QString& into) { return RunBackup(questions, Live(), into, observer); }
    CopyRun Restore(const QString& from) { return RunRestore(questions, Live(), from, observer); }

    WorkingFolder folder;
    QTemporaryDir backup;
    Environment environment;
    ScriptedQuestions questions;
    std::vector<QString> lines;
    CopyObserver observer{[this](const QString& line) { lines.push_back(line); }, {}, {}};
};

TEST_F(Backup, RoundTripBringsEveryFileBackByteForByteAndNeverCopiesMarkers) {
    // The invoice placements beside the definitions travel with them.
    WriteAll("XlsBase/XKPSei00.invoice", "SA1HJTouroku=M12\n");
    std::map<QString, std::string> before = Snapshot(folder.Path());
    questions.ExpectButtons(kBackupQuestion, 1).ExpectInform(kBackupDoneMessage);
    CopyRun run = BackUp(backup.path());
    questions.Done();
    EXPECT_EQ(run.result, CopyRunResult::kDone);
    EXPECT_TRUE(run.failures.empty());

    std::map<QString, std::string> saved = Snapshot(backup.path());
    // Written last, once everything was copied.
    EXPECT_EQ(saved[kBackupDoneRecord].rfind("completed=", 0), 0u);
    saved.erase(kBackupDoneRecord);
    const std::map<QString, std::string> expected = {
        {"DAT/m_000001.dat", before["DAT/m_000001.dat"]},
        {"DAT/m_000002.dat", before["DAT/m_000002.dat"]},
        {"MST/sp_syo.dat", before["MST/sp_syo.dat"]},
        {"MST/sp_Koji.dat", before["MST/sp_Koji.dat"]},
        {"MST/sp_unit.dat", before["MST/sp_unit.dat"]},
        {"MST/sp_jis.dat", before["sp_jis.dat"]},
        {"XlsBase/XKP00.Dat", before["XlsBase/XKP00.Dat"]},
        {"XlsBase/XKPSei00.invoice", before["XlsBase/XKPSei00.invoice"]},
        {"XlsBase/見積書00.xlsx", before["XlsBase/見積書00.xlsx"]},
    };
    EXPECT_EQ(saved, expected);
    // The live master folder now carries the environment too.
    EXPECT_EQ(ReadAll("MST/sp_jis.dat"), ReadAll("sp_jis.dat"));
    EXPECT_EQ(run.copied, 10);  // the environment twice: into the masters, then with them
    EXPECT_EQ(lines.front(),
              QDir::toNativeSeparators(folder.Path() + "/ ≫ " + backup.path() + "/"));
    before = Snapshot(folder.Path());

    // Damage the live data: changed, shortened and lost files, an environment of another
    // firm. Files the backup does not hold stay.
    WriteAll("DAT/m_000001.dat", "broken");
    QFile::remove("DAT/m_000002.dat");
    WriteAll("MST/sp_syo.dat", "");
    QFile::remove("XlsBase/XKP00.Dat");
    WriteAll("XlsBase/XKPSei00.invoice", "SA1HJTouroku=\n");
    WriteAll("sp_jis.dat", std::string(6088, '\0'));
    WriteAll("DAT/m_000003.dat", "made after the backup");

    // The question names the backup, says what it replaces and that the program ends.
    questions
        .ExpectButtons("リストアを実行します。\nバックアップ: " +
                           QDir::toNativeSeparators(backup.path()).toStdString() +
                           "/\n現在の見積・マスター・表定義・環境設定は、このバックアップの内容で"
                           "置き換えられます。\nリストアが終わると、見積作成を一旦終了します。",
                       1)
        .ExpectInform(kRestoreDoneMessage);
    run = Restore(backup.path());
    questions.Done();
    EXPECT_EQ(run.result, CopyRunResult::kDone);
    std::map<QString, std::string> after = Snapshot(folder.Path());
    EXPECT_EQ(after["DAT/m_000003.dat"], "made after the backup");
    after.erase("DAT/m_000003.dat");
    EXPECT_EQ(after, before);
}

// Quilto's own settings (welfare rate, registration number) live beside the environment and
// travel with it: into the backup's masters, and back beside sp_jis.dat.
TEST_F(Backup, OwnSettingsTravelWithTheEnvironment) {
    WriteAll("quilto.conf", "welfare_rate=15.6\n");
    questions.ExpectButtons(kBackupQuestion, 1).ExpectInform(kBackupDoneMessage);
    CopyRun run = BackUp(backup.path());
    EXPECT_EQ(run.result, CopyRunResult::kDone);
    EXPECT_EQ(ReadAll(backup.filePath("MST/quilto.conf")), "welfare_rate=15.6\n");
    EXPECT_EQ(run.copied, 11);  // the environment and the settings twice each

    WriteAll("quilto.conf", "welfare_rate=99\n");
    questions.ExpectButtons(RestoreQuestion(backup.path()), 1).ExpectInform(kRestoreDoneMessage);
    run = Restore(backup.path());
    questions.Done();
    EXPECT_EQ(run.result, CopyRunResult::kDone);
    EXPECT_EQ(ReadAll("quilto.conf"), "welfare_rate=15.6\n");
}

TEST_F(Backup, AnOlderBackupKeepsItsOtherFilesAndGetsTheNewOnesOfTheSameName) {
    QDir(backup.path()).mkpath("DAT");
    WriteAll(backup.filePath("DAT/m_000001.dat"), "older");
    WriteAll(backup.filePath("DAT/m_000099.dat"), "only in the older backup");
    questions.ExpectButtons(kBackupQuestion, 1).ExpectInform(kBackupDoneMessage);
    BackUp(backup.path());
    EXPECT_EQ(ReadAll(backup.filePath("DAT/m_000001.dat")), ReadAll("DAT/m_000001.dat"));
    EXPECT_EQ(ReadAll(backup.filePath("DAT/m_000099.dat")), "only in the older backup");
}

TEST_F(Backup, ADataFolderElsewhereIsBackedUpFromAndRestoredToThere) {
    QTemporaryDir elsewhere;
    const QString data = elsewhere.filePath("見積");
    QDir().mkpath(data);
    WriteAll(data + "/m_000007.dat", "estimate elsewhere");
    environment.SetDataFolderSetting(*Utf8ToCp932(data.toStdString()));
    ASSERT_EQ(WriteEnvironment(environment), EnvironmentFileResult::kOk);

    questions.ExpectButtons(kBackupQuestion, 1).ExpectInform(kBackupDoneMessage);
    BackUp(backup.path());
    EXPECT_EQ(ReadAll(backup.filePath("DAT/m_000007.dat")), "estimate elsewhere");
    EXPECT_FALSE(QFileInfo::exists(backup.filePath("DAT/m_000001.dat")));

    WriteAll(data + "/m_000007.dat", "changed");
    questions.ExpectButtons(RestoreQuestion(backup.path()), 1).ExpectInform(kRestoreDoneMessage);
    Restore(backup.path());
    EXPECT_EQ(ReadAll(data + "/m_000007.dat"), "estimate elsewhere");
    EXPECT_EQ(ReadAll("DAT/m_000001.dat"), std::string(1392, '\x01'));
}

TEST_F(Backup, TheSameFolderIsRefusedBeforeAnythingIsAsked) {
    QTemporaryDir elsewhere;
    const QString data = elsewhere.filePath("DAT");
    QDir().mkpath(data);
    // The working folder itself, and a folder whose DAT is the live data folder.
    for (const bool dataElsewhere : {false, true}) {
        if (dataElsewhere) environment.SetDataFolderSetting(data.toStdString());
        const QString chosen = dataElsewhere ? elsewhere.path() : folder.Path() + "/./";
        questions.ExpectInform(kSameFolderMessage).ExpectInform(kSameFolderMessage);
        EXPECT_EQ(BackUp(chosen).result, CopyRunResult::kRefused);
        EXPECT_EQ(Restore(chosen).result, CopyRunResult::kRefused);
        questions.Done();
    }
    EXPECT_EQ(Snapshot(elsewhere.path()).size(), 0U);
}

TEST_F(Backup, CancellingCopiesNothing) {
    questions.ExpectButtons(kBackupQuestion, 2);
    EXPECT_EQ(BackUp(backup.path()).result, CopyRunResult::kCancelled);
    EXPECT_TRUE(Snapshot(backup.path()).empty());
    EXPECT_EQ(questions.History().at(0).buttons[0], kRunButton);
    EXPECT_EQ(questions.History().at(0).buttons[1], kCancelButton);
}

TEST_F(Backup, AFileThatCannotBeCopiedIsNamedAtTheEndAndTheOthersStillGo) {
    // The older backup holds a folder where the new estimate file would go.
    QDir(backup.path()).mkpath("DAT/m_000002.dat");
    const QString source = QDir::current().absoluteFilePath("DAT/m_000002.dat");
    const QString target = backup.filePath("DAT/m_000002.dat");
    questions.ExpectButtons(kBackupQuestion, 1)
        .ExpectInform(std::string(kBackupFailedMessage) + "\n\nコピーできなかったもの:\n" +
                      source.toStdString() + " ≫ " + target.toStdString() +
                      " (同じ名前のフォルダーがあります)");
    const CopyRun run = BackUp(backup.path());
    questions.Done();
    EXPECT_EQ(run.result, CopyRunResult::kFailed);
    EXPECT_EQ(run.failures.size(), 1U);
    EXPECT_EQ(ReadAll(backup.filePath("DAT/m_000001.dat")), ReadAll("DAT/m_000001.dat"));
    EXPECT_EQ(ReadAll(backup.filePath("XlsBase/XKP00.Dat")), ReadAll("XlsBase/XKP00.Dat"));
}

TEST_F(Backup, AMissingLiveFolderIsReportedInsteadOfBackingUpNothing) {
    environment.SetDataFolderSetting("/nonexistent/share/DAT");
    questions.ExpectButtons(kBackupQuestion, 1)
        .ExpectInform(
            std::string(kBackupFailedMessage) +
            "\n\nコピーできなかったもの:\n/nonexistent/share/DAT (フォルダーがありません)");
    EXPECT_EQ(BackUp(backup.path()).result, CopyRunResult::kFailed);
    EXPECT_EQ(ReadAll(backup.filePath("MST/sp_syo.dat")), ReadAll("MST/sp_syo.dat"));
}

TEST_F(Backup, RestoreIsRefusedWhileAnotherCopyHoldsAnEstimateOrTheMasters) {
    questions.ExpectButtons(kBackupQuestion, 1).ExpectInform(kBackupDoneMessage);
    BackUp(backup.path());
    questions.Done();
    WriteAll("DAT/m_000001.dat", "being edited elsewhere");

    // A leftover marker (nobody holds it) does not stand in the way ...
    EXPECT_TRUE(HeldMarkers(Live()).empty());
    for (const char* marker : {"DAT/m_000001.tmp", "MST/Master.tmp"}) {
        test::MarkerHolder other(marker);
        ASSERT_TRUE(other.Held());
        // ... one that a running copy holds does.
        questions.ExpectInform(std::string(kRestoreInUseMessage) + "\n\n" +
                               QDir::current().absoluteFilePath(marker).toStdString());
        EXPECT_EQ(Restore(backup.path()).result, CopyRunResult::kRefused);
        questions.Done();
        EXPECT_EQ(ReadAll("DAT/m_000001.dat"), "being edited elsewhere");
    }
}

TEST_F(Backup, RestoreFromAFolderWithoutABackupIsRefused) {
    questions.ExpectInform(kNoBackupMessage);
    EXPECT_EQ(Restore(backup.path()).result, CopyRunResult::kRefused);
}

// The archive of issued documents travels with the estimates and is merged both ways: a
// restore of an older backup brings back what was lost and removes nothing issued since.
TEST_F(Backup, TheIssuedArchiveIsCarriedAndMergedNeverReplaced) {
    const QString live = QStringLiteral("DAT/発行済み");
    IssueEntry first;
    first.number = QStringLiteral("000001");
    ASSERT_EQ(ArchiveIssuedPdf(live, "%PDF first", first).result, ArchiveResult::kArchived);
    questions.ExpectButtons(kBackupQuestion, 1).ExpectInform(kBackupDoneMessage);
    ASSERT_EQ(BackUp(backup.path()).result, CopyRunResult::kDone);
    questions.Done();
    const QString saved = backup.filePath("DAT/発行済み");
    ASSERT_EQ(ReadIssuedArchive(saved).entries.size(), 1u);

    // After the backup: a second issue, and the first one's PDF lost.
    IssueEntry second;
    second.number = QStringLiteral("000002");
    const ArchiveOutcome made = ArchiveIssuedPdf(live, "%PDF second", second);
    ASSERT_EQ(made.result, ArchiveResult::kArchived);
    const QString lost = live + "/" + ReadIssuedArchive(saved).entries[0].fileName;
    ASSERT_TRUE(QFile::remove(lost));

    questions.ExpectButtons(RestoreQuestion(backup.path()), 1).ExpectInform(kRestoreDoneMessage);
    ASSERT_EQ(Restore(backup.path()).result, CopyRunResult::kDone);
    questions.Done();
    const ArchiveReading after = ReadIssuedArchive(live);
    EXPECT_EQ(after.entries.size(), 2u);
    EXPECT_TRUE(after.linesWithoutPdf.isEmpty());
    EXPECT_EQ(ReadAll(lost), "%PDF first");
    EXPECT_EQ(ReadAll(made.pdfPath), "%PDF second");
    // The backup's own archive is left as it was.
    EXPECT_EQ(ReadIssuedArchive(saved).entries.size(), 1u);
}

// A backup without its completion record (cut off, or made before backups had one) is not
// restored: the user is told why and what to do.
TEST_F(Backup, RestoreRefusesABackupWithoutItsCompletionRecord) {
    questions.ExpectButtons(kBackupQuestion, 1).ExpectInform(kBackupDoneMessage);
    ASSERT_EQ(BackUp(backup.path()).result, CopyRunResult::kDone);
    ASSERT_TRUE(QFile::remove(backup.filePath(kBackupDoneRecord)));
    WriteAll("DAT/m_000001.dat", "after the backup");
    questions.ExpectInformStartingWith(std::string(kBackupIncompleteMessage) + "\n" +
                                       QDir::toNativeSeparators(backup.path()).toStdString() +
                                       "/\n新しいバックアップを取り直してください。");
    EXPECT_EQ(Restore(backup.path()).result, CopyRunResult::kRefused);
    questions.Done();
    EXPECT_EQ(ReadAll("DAT/m_000001.dat"), "after the backup");
}

// A restore that cannot copy one file changes nothing: every file of the backup is copied
// beside its target first, and only then are the names swapped.
TEST_F(Backup, ARestoreThatFailsLeavesTheLiveFoldersWhole) {
    questions.ExpectButtons(kBackupQuestion, 1).ExpectInform(kBackupDoneMessage);
    ASSERT_EQ(BackUp(backup.path()).result, CopyRunResult::kDone);
    questions.Done();
    WriteAll("DAT/m_000001.dat", "after the backup");
    WriteAll("MST/sp_syo.dat", "products after the backup");
    // The unit master cannot be replaced: a folder took its name.
    ASSERT_TRUE(QFile::remove("MST/sp_unit.dat"));
    ASSERT_TRUE(QDir().mkpath("MST/sp_unit.dat"));
    const std::map<QString, std::string> before = Snapshot(folder.Path());

    questions.ExpectButtons(RestoreQuestion(backup.path()), 1)
        .ExpectInformStartingWith(std::string(kRestoreFailedMessage));
    const CopyRun run = Restore(backup.path());
    questions.Done();
    EXPECT_EQ(run.result, CopyRunResult::kFailed);
    EXPECT_EQ(run.copied, 0);
    EXPECT_EQ(Snapshot(folder.Path()), before);
}

// A restore cut off while it swapped the files (its record left, unheld) is told at the
// next start naming the backup folder, and run again on OK: what it had left beside the
// files goes, the data ends as the backup has it and the record is gone.
TEST_F(Backup, ACutOffRestoreIsToldAtTheNextStartAndRunAgain) {
    questions.ExpectButtons(kBackupQuestion, 1).ExpectInform(kBackupDoneMessage);
    ASSERT_EQ(BackUp(backup.path()).result, CopyRunResult::kDone);
    questions.Done();
    const std::string saved = ReadAll("DAT/m_000002.dat");
    WriteAll("DAT/m_000002.dat", "half restored");
    WriteAll("DAT/.m_000001.dat.restoring", "cut off");
    WriteAll(kRestoreRecord, backup.path().toStdString() + "\n");

    questions
        .ExpectOkCancel(std::string(kRestoreUnfinishedMessage) + "\nバックアップ: " +
                            QDir::toNativeSeparators(backup.path()).toStdString() +
                            "/\nデータには古いものと復元したものが混ざっているかもしれません。"
                            "もう一度リストアを実行しますか？",
                        true, "確 認")
        .ExpectInform(kRestoreDoneMessage);
    EXPECT_TRUE(OfferUnfinishedRestore(questions, Live()));
    questions.Done();
    EXPECT_EQ(ReadAll("DAT/m_000002.dat"), saved);
    EXPECT_FALSE(QFile::exists("DAT/.m_000001.dat.restoring"));
    EXPECT_FALSE(QFile::exists(kRestoreRecord));
    // Nothing to tell on the start after that.
    EXPECT_FALSE(OfferUnfinishedRestore(questions, Live()));
}

}  // namespace
}  // namespace quilto
