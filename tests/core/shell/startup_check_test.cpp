#include "core/shell/startup_check.h"

#include <fcntl.h>
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <string>

#include "core/excel/table_definition.h"
#include "core/foundation/clock.h"
#include "core/masters/master_lists.h"
#include "core/store/environment.h"
#include "support/read_only_folder.h"
#include "support/scripted_questions.h"
#include "support/sjis.h"
#include "support/working_folder.h"

namespace quilto {
namespace {

using test::ReadAll;
using test::ScriptedQuestions;
using test::Sjis;
using test::Utf8;
using test::WorkingFolder;
using test::WriteAll;

constexpr const char* kConfirm = "確 認";
// An outdated environment file is kept under this name when the check runs at kNow.
const QDateTime kNow(QDate(2026, 12, 10), QTime(9, 5, 7));
constexpr const char* kKeptEnvironment = "sp_jis.dat.20261210-090507.bak";
const std::string kOutdatedEnvironment =
    "古い環境ファイルです、再作成します。\n元のファイルは sp_jis.dat.20261210-090507.bak "
    "として残します。";

// A failure message: the fixed text and code, then the file and the system's reason.
std::string FailureMessage(const std::string& text, const QString& path, int error) {
    return text + "\n" + QFileInfo(path).absoluteFilePath().toStdString() + ": " +
           std::strerror(error);
}

// The check as the program runs it at start: the environment read first.
StartUpCheckResult RunCheck(ScriptedQuestions& questions) {
    Environment environment;
    ReadEnvironment(environment);
    MasterLists masters;
    TableDefinitions tables;
    return CheckAndCreate(environment, masters, tables, questions);
}

std::int64_t SizeOf(const char* path) { return QFileInfo::exists(path) ? QFile(path).size() : -1; }

std::string StoredText(const std::string& bytes, std::size_t offset) {
    return bytes.substr(offset + 1, static_cast<unsigned char>(bytes.at(offset)));
}

std::int64_t Int64At(const std::string& bytes, std::size_t offset) {
    std::uint64_t value = 0;
    for (int i = 7; i >= 0; --i)
        value = (value << 8) | static_cast<unsigned char>(bytes[offset + i]);
    return static_cast<std::int64_t>(value);
}

// What a new environment file holds, checked at its offsets.
void ExpectNewEnvironmentFile() {
    const std::string bytes = ReadAll("sp_jis.dat");
    ASSERT_EQ(bytes.size(), 6088u);
    EXPECT_EQ(StoredText(bytes, 0), "***\\??Q-$%%7");
    EXPECT_EQ(Utf8(StoredText(bytes, 4546)), "－  小  計  －");
    EXPECT_EQ(Utf8(StoredText(bytes, 4567)), "－  値  引  －");
    EXPECT_EQ(Utf8(StoredText(bytes, 4588)), "－    計    －");
    EXPECT_EQ(Utf8(StoredText(bytes, 4609)), "－  消費税  －");
    EXPECT_EQ(Utf8(StoredText(bytes, 4630)), "－  合  計  －");
    EXPECT_EQ(Int64At(bytes, 4328), 100000);
    EXPECT_EQ(StoredText(bytes, 5188), "");
    EXPECT_EQ(StoredText(bytes, 5389), "");
    EXPECT_EQ(StoredText(bytes, 19), "");
}

const char* const kPatternFiles[] = {"XlsBase/XKP00.Dat",    "XlsBase/XKP01.Dat",
                                     "XlsBase/XKP02.Dat",    "XlsBase/XKPSei00.Dat",
                                     "XlsBase/XKPSei01.Dat", "XlsBase/XKPSei02.Dat"};

void ExpectPatternsZeroToTwo() {
    for (const char* file : kPatternFiles) {
        EXPECT_EQ(SizeOf(file), QString(file).contains("Sei") ? 1372 : 1096) << file;
    }
}

TEST(StartupCheck, AnEmptyInstallationGetsEveryFile) {
    WorkingFolder folder;
    ScriptedQuestions questions;
    ASSERT_EQ(RunCheck(questions), StartUpCheckResult::kOk);

    ExpectNewEnvironmentFile();
    EXPECT_EQ(SizeOf("MST/sp_syo.dat"), 0);
    EXPECT_EQ(SizeOf("MST/sp_Koji.dat"), 0);
    EXPECT_EQ(Utf8(ReadAll("MST/sp_unit.dat")), "式\r\n本\r\n個\r\n台\r\n冊\r\nｍ\r\n㎡\r\nm3\r\n");
    ExpectPatternsZeroToTwo();
    EXPECT_FALSE(QFile::exists("XlsBase/XKP03.Dat"));

    // A second start finds everything in order and changes nothing.
    WriteAll("MST/sp_unit.dat", "");
    const std::string environment = ReadAll("sp_jis.dat");
    ASSERT_EQ(RunCheck(questions), StartUpCheckResult::kOk);
    EXPECT_EQ(SizeOf("MST/sp_unit.dat"), 0);
    EXPECT_EQ(ReadAll("sp_jis.dat"), environment);
}

TEST(StartupCheck, MastersGoToTheConfiguredFolder) {
    WorkingFolder folder;
    ASSERT_TRUE(QDir().mkdir("masters"));
    Environment environment;
    environment.SetMasterFolderSetting("masters");
    environment.BuildRecord();
    WriteAll("sp_jis.dat", environment.Record());
    ScriptedQuestions questions;
    ASSERT_EQ(RunCheck(questions), StartUpCheckResult::kOk);
    EXPECT_EQ(SizeOf("masters/sp_syo.dat"), 0);
    EXPECT_GT(SizeOf("masters/sp_unit.dat"), 0);
    EXPECT_FALSE(QFile::exists("MST/sp_syo.dat"));
}

TEST(StartupCheck, AnEnvironmentFileOfAnotherSizeIsMadeAgainOnlyWhenAccepted) {
    for (const std::size_t size : {6087u, 6089u}) {
        for (const bool accept : {false, true}) {
            SCOPED_TRACE(testing::Message() << size << (accept ? " OK" : " Cancel"));
            WorkingFolder folder;
            std::string old(size, '\0');
            old.replace(5189, 3, "old");  // a data folder setting
            old[5188] = 3;
            old.replace(20, 4, "Firm");
            old[19] = 4;
            WriteAll("sp_jis.dat", old);
            FixedNow now(kNow);
            ScriptedQuestions questions;
            questions.ExpectOkCancel(kOutdatedEnvironment, accept, kConfirm);
            if (!accept) {
                EXPECT_EQ(RunCheck(questions), StartUpCheckResult::kFailed);
                EXPECT_EQ(ReadAll("sp_jis.dat"), old);
                EXPECT_FALSE(QFile::exists(kKeptEnvironment));
                EXPECT_FALSE(QFile::exists("MST/sp_syo.dat"));  // the check stopped there
                continue;
            }
            EXPECT_EQ(RunCheck(questions), StartUpCheckResult::kOk);
            ExpectNewEnvironmentFile();
            // The old file is kept whole beside the new one.
            EXPECT_EQ(ReadAll(kKeptEnvironment), old);
        }
    }
}

TEST(StartupCheck, AFailedCreationIsToldWithItsCodeTheFileAndTheReason) {
    const struct {
        const char* blocked;  // a folder where the file should be, or a missing folder
        bool missingFolder;
        const char* message;
        const char* file;
        int error;
        StartUpCheckResult code;
    } cases[] = {
        {"MST", true, "商品作成エラー =-1", "MST/sp_syo.dat", ENOENT,
         StartUpCheckResult::kProductFileFailed},
        {"MST/sp_syo.dat", false, "商品作成エラー =-1", "MST/sp_syo.dat", EISDIR,
         StartUpCheckResult::kProductFileFailed},
        {"MST/sp_Koji.dat", false, "工事作成エラー =-1", "MST/sp_Koji.dat", EISDIR,
         StartUpCheckResult::kConstructionFileFailed},
        {"MST/sp_unit.dat", false, "単位作成エラー =-1", "MST/sp_unit.dat", EISDIR,
         StartUpCheckResult::kUnitFileFailed},
        {"XlsBase", true, "XlsDat作成エラー =-1", "XlsBase/XKP00.Dat", ENOENT,
         StartUpCheckResult::kTableDefinitionFailed},
        {"XlsBase/XKPSei00.Dat", false, "XlsDat 作成エラー =-1", "XlsBase/XKPSei00.Dat", EISDIR,
         StartUpCheckResult::kTableDefinitionFailed},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.blocked);
        WorkingFolder folder;
        if (c.missingFolder) {
            ASSERT_TRUE(QDir(c.blocked).removeRecursively());
        } else {
            ASSERT_TRUE(QDir().mkdir(c.blocked));  // exists, but cannot be read as a file
        }
        ScriptedQuestions questions;
        std::string message = FailureMessage(c.message, c.file, c.error);
        // A missing folder is named, with what to do.
        if (c.missingFolder)
            message.append(1, '\n').append(MissingFolderAdvice(QDir(c.blocked).absolutePath()));
        questions.ExpectInform(message);
        EXPECT_EQ(RunCheck(questions), c.code);
        EXPECT_EQ(SizeOf("sp_jis.dat"), 6088);
        // What could not be read is not replaced.
        if (!c.missingFolder) {
            EXPECT_TRUE(QFileInfo(c.blocked).isDir());
        }
        // Nothing half-made is left behind: only what the steps before completed.
        EXPECT_EQ(QDir().entryList(QDir::Files | QDir::Hidden).join(' ').toStdString(),
                  "sp_jis.dat");
        if (!c.missingFolder && std::string(c.blocked).rfind("XlsBase", 0) == 0) {
            EXPECT_EQ(QDir("XlsBase").entryList(QDir::Files).join(' ').toStdString(), "XKP00.Dat");
        }
    }
}

TEST(StartupCheck, AnUnwritableFolderKeepsTheOldEnvironmentFile) {
    WorkingFolder folder;
    const std::string old(6087, '\x22');
    WriteAll("sp_jis.dat", old);
    test::ReadOnlyFolder readOnly(folder.Path());
    if (!readOnly.Usable()) GTEST_SKIP() << "cannot make a folder read-only here";
    // Not even the copy of the old file can be made: nothing is replaced.
    // The reason is the system's own, whatever it says for this folder.
    ASSERT_LT(::open("probe", O_WRONLY | O_CREAT, 0666), 0);
    const std::string reason = std::strerror(errno);
    FixedNow now(kNow);
    ScriptedQuestions questions;
    questions.ExpectOkCancel(kOutdatedEnvironment, true, kConfirm);
    questions.ExpectInform("環境作成エラー =-1\n" +
                           folder.FilePath(kKeptEnvironment).toStdString() + ": " + reason);
    EXPECT_EQ(RunCheck(questions), StartUpCheckResult::kFailed);
    questions.Done();
    EXPECT_EQ(ReadAll("sp_jis.dat"), old);
    EXPECT_FALSE(QFile::exists(kKeptEnvironment));
}

// Sets up a complete installation whose pattern 02 holds a definition of its own.
void CompleteInstallation() {
    ScriptedQuestions questions;
    ASSERT_EQ(RunCheck(questions), StartUpCheckResult::kOk);
    WriteAll("XlsBase/XKP02.Dat", std::string(1096, 'A'));
}

// A damaged definition of pattern 00 is made again alone, from the definitions the program
// ships, once the user agrees; the damaged file is kept as .bak and every other definition
// (a customised pattern 02, patterns of the user's own, the other file of pattern 00) stays.
TEST(StartupCheck, ADamagedPatternZeroFileIsMadeAgainAloneOnceAccepted) {
    const struct {
        const char* file;
        const char* other;
        TableFile kind;
        std::size_t wrongSize;
        const char* question;
    } cases[] = {
        {"XlsBase/XKP00.Dat", "XlsBase/XKPSei00.Dat", TableFile::kStandard, 1000,
         "古い XKP00.Dat ファイルです、再作成します。"},
        {"XlsBase/XKPSei00.Dat", "XlsBase/XKP00.Dat", TableFile::kFreeForm, 1373,
         "古い XKPSei00.Dat ファイルです、再作成します。"},
    };
    for (const auto& c : cases) {
        for (const bool accept : {false, true}) {
            SCOPED_TRACE(testing::Message() << c.file << (accept ? " OK" : " Cancel"));
            WorkingFolder folder;
            CompleteInstallation();
            const std::string damaged(c.wrongSize, 'B');
            WriteAll(c.file, damaged);
            WriteAll("XlsBase/XKP03.Dat", std::string(1096, 'C'));
            WriteAll("XlsBase/xkp04.DAT", std::string(1096, 'D'));
            const std::string other = ReadAll(c.other);
            ScriptedQuestions questions;
            questions.ExpectOkCancel(c.question, accept, kConfirm);
            if (!accept) {
                EXPECT_EQ(RunCheck(questions), StartUpCheckResult::kFailed);
                EXPECT_EQ(ReadAll(c.file), damaged);
                continue;
            }
            EXPECT_EQ(RunCheck(questions), StartUpCheckResult::kOk);
            EXPECT_EQ(ReadAll(c.file), ShippedTableDefinitions().Record(c.kind));
            EXPECT_EQ(ReadAll(QString::fromLatin1(c.file) + ".bak"), damaged);
            EXPECT_EQ(ReadAll(c.other), other);
            EXPECT_EQ(ReadAll("XlsBase/XKP02.Dat"), std::string(1096, 'A'));
            EXPECT_EQ(ReadAll("XlsBase/XKP03.Dat"), std::string(1096, 'C'));
            EXPECT_EQ(ReadAll("XlsBase/xkp04.DAT"), std::string(1096, 'D'));
            ExpectPatternsZeroToTwo();
        }
    }
}

TEST(StartupCheck, AMissingPatternOneWritesBothFurtherPatterns) {
    WorkingFolder folder;
    CompleteInstallation();
    ASSERT_TRUE(QFile::remove("XlsBase/XKP01.Dat"));
    ASSERT_TRUE(QFile::remove("XlsBase/XKPSei02.Dat"));
    ScriptedQuestions questions;
    ASSERT_EQ(RunCheck(questions), StartUpCheckResult::kOk);
    ExpectPatternsZeroToTwo();
    EXPECT_EQ(ReadAll("XlsBase/XKP02.Dat"), std::string(1096, '\0'));
}

}  // namespace
}  // namespace quilto
