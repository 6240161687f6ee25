#include "core/shell/working_folder.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <string>

#include "core/store/skeleton_layout.h"
#include "support/read_only_folder.h"
#include "support/scripted_questions.h"
#include "support/working_folder.h"

namespace quilto {
namespace {

using test::ReadAll;
using test::ScriptedQuestions;
using test::WorkingFolder;
using test::WriteAll;

// A small skeleton as the installation ships it: empty folders kept by placeholders, a
// template and table definitions with the invoice placements.
struct Skeleton {
    Skeleton() {
        QDir root(dir.path());
        for (const char* sub : {"DAT", "MST", "Xls", "XlsBase"}) root.mkdir(sub);
        for (const char* keep : {"DAT/.keep", "MST/.keep", "Xls/.keep"}) WriteAll(Path(keep), "");
        WriteAll(Path("XlsBase/見積書00.xlsx"), "shipped template");
        WriteAll(Path("XlsBase/XKP00.Dat"), std::string(1096, 'k'));
        QFile::setPermissions(Path("XlsBase/XKP00.Dat"),
                              QFileDevice::ReadOwner | QFileDevice::ReadGroup);
        WriteAll(Path("XlsBase/XKPSei00.Dat"), std::string(1372, 's'));
        WriteAll(Path("XlsBase/XKPSei00.invoice"), "SA1HJTouroku=M12\n");
    }
    QString Path(const char* relative) const { return dir.filePath(QString::fromUtf8(relative)); }
    QTemporaryDir dir;
};

QString In(const QString& folder, const char* relative) {
    return QDir(folder).filePath(QString::fromUtf8(relative));
}

TEST(WorkingFolderChoice, TheCommandLineThenAWorkingFolderStartedInThenTheRememberedOne) {
    QTemporaryDir root;
    const QString working = root.filePath("working");    // holds sp_jis.dat
    const QString plain = root.filePath("plain");        // a folder like any other
    const QString remembered = root.filePath("chosen");  // exists
    const QString gone = root.filePath("unmounted");     // does not
    for (const QString& folder : {working, plain, remembered}) QDir().mkpath(folder);
    WriteAll(In(working, "sp_jis.dat"), std::string(6088, '\0'));

    struct Case {
        QString commandLine, current, remembered;
        WorkingFolderSource source;
        QString folder;
    } cases[] = {
        {root.filePath("named"), working, remembered, WorkingFolderSource::kCommandLine,
         root.filePath("named")},
        // A relative name counts from where the program was started.
        {"sub/../named", plain, remembered, WorkingFolderSource::kCommandLine, In(plain, "named")},
        {"", working, remembered, WorkingFolderSource::kCurrentFolder, working},
        {"", plain, remembered, WorkingFolderSource::kRemembered, remembered},
        {"", plain, gone, WorkingFolderSource::kNone, ""},
        {"", plain, "", WorkingFolderSource::kNone, ""},
    };
    for (const Case& c : cases) {
        const WorkingFolderDecision decision =
            DecideWorkingFolder(c.commandLine, c.current, c.remembered);
        EXPECT_EQ(decision.source, c.source)
            << c.commandLine.toStdString() << " in " << c.current.toStdString();
        EXPECT_EQ(decision.folder, c.folder);
    }
}

TEST(SkeletonLayout, AddsOnlyWhatIsMissingAndNeverReplacesAFile) {
    Skeleton skeleton;
    QTemporaryDir root;
    const QString folder = root.filePath("見積データ/Quilto");

    SkeletonLayout first = LayOutFromSkeleton(skeleton.dir.path(), folder);
    ASSERT_EQ(first.status, SkeletonLayout::Status::kDone) << first.path.toStdString();
    for (const char* sub : {"DAT", "MST", "Xls", "XlsBase"})
        EXPECT_TRUE(QFileInfo(In(folder, sub)).isDir()) << sub;
    EXPECT_FALSE(QFile::exists(In(folder, "DAT/.keep")));
    EXPECT_EQ(ReadAll(In(folder, "XlsBase/見積書00.xlsx")), "shipped template");
    // The installed file is read-only; the working copy must take the program's rewrites.
    EXPECT_TRUE(QFileInfo(In(folder, "XlsBase/XKP00.Dat")).isWritable());

    // A firm's changed template and its estimates stay; a deleted template comes back.
    WriteAll(In(folder, "XlsBase/XKP00.Dat"), "the firm's own definitions");
    WriteAll(In(folder, "DAT/m_000001.dat"), "an estimate");
    QFile::remove(In(folder, "XlsBase/見積書00.xlsx"));
    SkeletonLayout again = LayOutFromSkeleton(skeleton.dir.path(), folder);
    EXPECT_EQ(again.status, SkeletonLayout::Status::kDone);
    EXPECT_EQ(again.added, 1);
    EXPECT_EQ(ReadAll(In(folder, "XlsBase/XKP00.Dat")), "the firm's own definitions");
    EXPECT_EQ(ReadAll(In(folder, "DAT/m_000001.dat")), "an estimate");
    EXPECT_EQ(ReadAll(In(folder, "XlsBase/見積書00.xlsx")), "shipped template");
}

TEST(SkeletonLayout, AFolderThatCannotBeMadeOrAMissingSkeletonIsNamed) {
    Skeleton skeleton;
    QTemporaryDir root;
    const QString locked = root.filePath("locked");
    QDir().mkpath(locked);
    test::ReadOnlyFolder readOnly(locked);
    if (!readOnly.Usable()) GTEST_SKIP() << "this file system cannot refuse new files";

    const SkeletonLayout failed = LayOutFromSkeleton(skeleton.dir.path(), In(locked, "Quilto"));
    EXPECT_EQ(failed.status, SkeletonLayout::Status::kFailed);
    EXPECT_EQ(failed.path, In(locked, "Quilto"));
    const std::string message = SkeletonLayoutFailureMessage(failed, skeleton.dir.path());
    EXPECT_NE(message.find(In(locked, "Quilto").toStdString()), std::string::npos) << message;
    EXPECT_NE(message.find("書き込みが許可されていません"), std::string::npos) << message;

    const SkeletonLayout none = LayOutFromSkeleton(root.filePath("no-skeleton"), root.path());
    EXPECT_EQ(none.status, SkeletonLayout::Status::kNoSkeleton);
}

// The first start of an installed program, and the starts after it.
class FirstStart : public ::testing::Test {
  protected:
    FolderStart Start(QString commandLine = {}) const {
        return {std::move(commandLine), folder_.Path(), configFile_, skeleton_.dir.path(),
                documents_.filePath("Quilto")};
    }
    QString Remembered() const { return RememberedWorkingFolder(configFile_); }

    WorkingFolder folder_{false};  // started in a folder that is no working folder
    Skeleton skeleton_;
    QTemporaryDir documents_;
    const QString configFile_ = folder_.ConfigHome() + "/quilto/quilto.conf";
};

TEST_F(FirstStart, AsksProposingTheDocumentsFolderThenLaysOutAndRemembersTheAnswer) {
    ScriptedQuestions questions;
    const QString shared = documents_.filePath("nas/見積");
    questions.ExpectFolder(kFirstStartQuestion, shared.toStdString(), kFolderQuestionCaption);
    EXPECT_EQ(SettleWorkingFolder(Start(), questions), shared);
    questions.Done();
    EXPECT_EQ(questions.History()[0].initial, documents_.filePath("Quilto").toStdString());
    EXPECT_TRUE(QFile::exists(In(shared, "XlsBase/見積書00.xlsx")));
    EXPECT_EQ(Remembered(), shared);

    // The next start asks nothing and works in the remembered folder.
    ScriptedQuestions silent;
    EXPECT_EQ(SettleWorkingFolder(Start(), silent), shared);
    silent.Done();
}

TEST_F(FirstStart, CancellingEndsTheStartAndRemembersNothing) {
    ScriptedQuestions questions;
    questions.ExpectFolder(kFirstStartQuestion, std::nullopt);
    EXPECT_EQ(SettleWorkingFolder(Start(), questions), std::nullopt);
    questions.Done();
    EXPECT_FALSE(QFile::exists(configFile_));
}

TEST_F(FirstStart, AFolderThatCannotBeLaidOutIsNamedAndAskedAgain) {
    const QString locked = documents_.filePath("locked");
    QDir().mkpath(locked);
    test::ReadOnlyFolder readOnly(locked);
    if (!readOnly.Usable()) GTEST_SKIP() << "this file system cannot refuse new files";
    const QString good = documents_.filePath("Quilto");

    ScriptedQuestions questions;
    questions.ExpectFolder(kFirstStartQuestion, In(locked, "Quilto").toStdString());
    questions.ExpectInform(
        "作業フォルダを用意できません。\n" + In(locked, "Quilto").toStdString() +
        ": 書き込みが許可されていません\n書き込みのできるフォルダを選んでください。");
    questions.ExpectFolder(kFirstStartQuestion, good.toStdString());
    EXPECT_EQ(SettleWorkingFolder(Start(), questions), good);
    questions.Done();
    // The second question proposes the folder that failed, to be corrected.
    EXPECT_EQ(questions.History()[2].initial, In(locked, "Quilto").toStdString());
}

TEST_F(FirstStart, AFolderOnTheCommandLineWinsAndIsRememberedOnlyAtTheFirstStart) {
    const QString named = documents_.filePath("named");
    ScriptedQuestions questions;
    EXPECT_EQ(SettleWorkingFolder(Start(named), questions), named);
    EXPECT_TRUE(QFile::exists(In(named, "XlsBase/XKP00.Dat")));
    EXPECT_EQ(Remembered(), named);

    // Once a folder is remembered, a folder on the command line is for that run only.
    const QString other = documents_.filePath("other");
    EXPECT_EQ(SettleWorkingFolder(Start(other), questions), other);
    EXPECT_EQ(Remembered(), named);
    questions.Done();
}

// The shipped invoice placements belong to the shipped free-form definition: a folder with
// a definition of its own from before them (any letter case) gets none, a new folder gets
// them with the definition.
TEST_F(FirstStart, AnEarlierFreeFormDefinitionGetsNoShippedInvoicePlacements) {
    ScriptedQuestions questions;
    for (const char* record : {"XlsBase/XKPSei00.Dat", "XlsBase/xkpsei00.dat"}) {
        SCOPED_TRACE(record);
        QTemporaryDir earlier;
        QDir(earlier.path()).mkdir("XlsBase");
        WriteAll(In(earlier.path(), record), "the firm's own");
        EXPECT_EQ(SettleWorkingFolder(Start(earlier.path()), questions), earlier.path());
        EXPECT_EQ(ReadAll(In(earlier.path(), record)), "the firm's own");
        EXPECT_FALSE(QFile::exists(In(earlier.path(), "XlsBase/XKPSei00.invoice")));
        EXPECT_TRUE(QFile::exists(In(earlier.path(), "XlsBase/XKP00.Dat")));  // it lacked that
    }
    const QString fresh = documents_.filePath("fresh");
    EXPECT_EQ(SettleWorkingFolder(Start(fresh), questions), fresh);
    EXPECT_EQ(ReadAll(In(fresh, "XlsBase/XKPSei00.invoice")), "SA1HJTouroku=M12\n");
    questions.Done();
}

TEST_F(FirstStart, AStartInAWorkingFolderUsesItAsItIsWithoutRemembering) {
    WriteAll(folder_.FilePath("sp_jis.dat"), std::string(6088, '\0'));
    ScriptedQuestions questions;
    EXPECT_EQ(SettleWorkingFolder(Start(), questions), folder_.Path());
    questions.Done();
    EXPECT_FALSE(QFile::exists(folder_.FilePath("XlsBase")));
    EXPECT_FALSE(QFile::exists(configFile_));
}

TEST_F(FirstStart, ARememberedFolderThatIsGoneIsNamedAndProposedAgain) {
    const QString gone = documents_.filePath("unmounted/Quilto");
    QString error;
    ASSERT_TRUE(RememberWorkingFolder(configFile_, gone, &error)) << error.toStdString();
    const QString replacement = documents_.filePath("Quilto");

    ScriptedQuestions questions;
    questions.ExpectFolder(MissingRememberedMessage(gone) + kChangeFolderQuestion,
                           replacement.toStdString());
    EXPECT_EQ(SettleWorkingFolder(Start(), questions), replacement);
    questions.Done();
    EXPECT_EQ(questions.History()[0].initial, gone.toStdString());
    EXPECT_EQ(Remembered(), replacement);
}

TEST_F(FirstStart, TheMenuCommandMovesToAnotherFolderOrStaysWhenCancelled) {
    const QString inUse = documents_.filePath("Quilto");
    const QString next = documents_.filePath("shared");
    ScriptedQuestions questions;
    questions.ExpectFolder(kChangeFolderQuestion, std::nullopt);
    questions.ExpectFolder(kChangeFolderQuestion, next.toStdString());
    EXPECT_EQ(ChangeWorkingFolder(inUse, configFile_, skeleton_.dir.path(), questions),
              std::nullopt);
    EXPECT_EQ(Remembered(), QString());
    EXPECT_EQ(ChangeWorkingFolder(inUse, configFile_, skeleton_.dir.path(), questions), next);
    questions.Done();
    EXPECT_EQ(questions.History()[1].initial, inUse.toStdString());
    EXPECT_TRUE(QFile::exists(In(next, "XlsBase/見積書00.xlsx")));
    EXPECT_EQ(Remembered(), next);
}

// The proposal follows the desktop's name for the documents folder, as xdg-user-dir does.
TEST(ProposedWorkingFolder, IsQuiltoInTheDocumentsFolderTheDesktopNames) {
    WorkingFolder folder(false);
    WriteAll(folder.ConfigHome() + "/user-dirs.dirs",
             "XDG_DOCUMENTS_DIR=\"" + folder.Path().toStdString() + "/書類\"\n");
    EXPECT_EQ(ProposedWorkingFolder(), folder.Path() + "/書類/Quilto");
    EXPECT_EQ(UserConfigFile(), folder.ConfigHome() + "/quilto/quilto.conf");
    // Not configured: the desktop's tool names the home folder, as a new user's HOME/Quilto.
    QFile::remove(folder.ConfigHome() + "/user-dirs.dirs");
    const QByteArray home = qgetenv("HOME");
    qputenv("HOME", QFile::encodeName(folder.Path()));
    const QString proposal = ProposedWorkingFolder();
    qputenv("HOME", home);
    if (QStandardPaths::findExecutable("xdg-user-dir").isEmpty())
        EXPECT_EQ(proposal, folder.Path() + "/Documents/Quilto");
    else
        EXPECT_EQ(proposal, folder.Path() + "/Quilto");
}

TEST(MainMenuCaption, NamesTheFolderInUseItsNameFirst) {
    const struct {
        const char* folder;
        const char* caption;
    } cases[] = {
        {"", "見積作成 (Quilto)"},
        {"/home/sato/ドキュメント/Quilto", "見積作成 (Quilto) - Quilto (~/ドキュメント)"},
        {"/home/sato/Quilto", "見積作成 (Quilto) - Quilto (~)"},
        {"/home/satoshi/Quilto", "見積作成 (Quilto) - Quilto (/home/satoshi)"},
        {"/mnt/nas/見積/", "見積作成 (Quilto) - 見積 (/mnt/nas)"},
        {"/", "見積作成 (Quilto) - /"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(MainMenuCaption(QString::fromUtf8(c.folder), "/home/sato"),
                  QString::fromUtf8(c.caption));
    }
}

}  // namespace
}  // namespace quilto
