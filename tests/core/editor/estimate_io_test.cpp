// Loading, saving, numbering and deleting estimates in a real working folder.

#include "core/editor/estimate_io.h"

#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cerrno>
#include <cstring>
#include <set>

#include "core/foundation/clock.h"
#include "support/file_size_limit.h"
#include "support/marker_holder.h"
#include "support/read_only_folder.h"
#include "support/scripted_questions.h"
#include "support/silent_questions.h"
#include "support/sjis.h"
#include "support/working_folder.h"

namespace quilto {
namespace {

using test::ReadAll;
using test::ScriptedQuestions;
using test::Sjis;
using test::WorkingFolder;
using test::WriteAll;

using test::SilentQuestions;

// A small valid estimate file with the given number and customer.
// A path as a failure message names it.
std::string Absolute(const QString& path) {
    return QFileInfo(path).absoluteFilePath().toStdString();
}

std::string EstimateBytes(const std::string& number, const std::string& customer = "c") {
    EstimateHeader header;
    EstimateStores stores;
    header.SetText(HeaderText::MNo, number);
    header.SetText(HeaderText::MName1, customer);
    return SerializeEstimate(header, stores);
}

void Touch(const QString& path, const std::string& bytes = {}) { WriteAll(path, bytes); }

// A document as the editor has it after the user typed a little.
void Fill(EstimateDocument& doc) {
    doc.SetText(HeaderText::MName1, Sjis("山田工務店"));
    doc.SetText(HeaderText::MTitle1, Sjis("外壁塗装工事"));
    doc.SetText(HeaderText::MBiko10, "7");
    doc.SetText(HeaderText::MYMD4, "R060101");
    doc.SetTaxRateText("10");
    doc.SetFigure(HeaderFigure::MGoukei01, "  1,650,000");
    doc.SetCheckBox2(true);
    doc.SetPatternIndex(1);
    TextGrid& summary = doc.Grid(SheetKind::Summary);
    summary.SetCell(1, 3, Sjis("仮設工事"));
    summary.SetCell(1, 5, "1,500");
    summary.SetCell(1, 6, "1,000");
    summary.SetCell(1, 7, "");
    summary.SetCell(3, 1, "=");
    TextGrid& breakdown = doc.Grid(SheetKind::Breakdown);
    breakdown.SetCell(1, 3, Sjis("足場"));
    breakdown.SetCell(1, 6, "150,000");
    breakdown.SetCell(1, 7, "90,000");
    doc.Stores().details.MutableLine(1, 2).SetName(Sjis("単管足場"));
    doc.Stores().details.MutableLine(1, 2).SetSpec(Sjis("H=10m"));
}

class EstimateIo : public ::testing::Test {
  protected:
    QString Dat(const QString& name) const { return folder_.FilePath("DAT/" + name); }

    WorkingFolder folder_;
    Environment env_;
    ScriptedQuestions questions_;
    FixedToday today_{QDate(2024, 5, 20)};
};

TEST_F(EstimateIo, NextNumberIsOneAboveTheHighestSixDigitName) {
    struct Case {
        std::vector<const char*> files;
        const char* next;
    };
    const Case cases[] = {
        {{}, "000001"},
        {{"m_000001.dat", "m_000007.dat"}, "000008"},
        {{"m_000001.dat", "m_abc.dat"}, "000002"},
        {{"m_000002.dat", "M_000010.DAT", "m_1234567.dat", "m_00001x.dat", "m_000099.tmp",
          "x_000050.dat"},
         "000011"},
        // Past the last number, the lowest free one: never one that exists.
        {{"m_999999.dat", "m_000001.dat", "m_000002.dat"}, "000003"},
    };
    for (const Case& c : cases) {
        QDir dat(folder_.FilePath("DAT"));
        for (const QString& f : dat.entryList(QDir::Files)) dat.remove(f);
        for (const char* f : c.files) Touch(Dat(f));
        EXPECT_EQ(NextManagementNumber(env_), c.next) << c.files.size() << " files";
    }
}

TEST_F(EstimateIo, NewEstimateStartsFromTheEnvironment) {
    EstimateDocument doc;
    Fill(doc);
    doc.SetText(HeaderText::MNo, "000003");
    NewEstimate(doc, env_);
    EXPECT_EQ(doc.Text(HeaderText::MNo), "");
    EXPECT_EQ(doc.Text(HeaderText::MName1), "");
    EXPECT_EQ(doc.Text(HeaderText::MYMD1), Sjis("令和06年05月20日"));
    EXPECT_EQ(doc.Figure(HeaderFigure::MGoukei01), "0");
    EXPECT_EQ(doc.TaxRateText(), "10");  // the file's rate is 0
    EXPECT_FALSE(doc.CheckBox2());
    EXPECT_EQ(doc.Grid(SheetKind::Summary).Cell(1, 5), "");
    EXPECT_TRUE(doc.Stores().details.Line(1, 2).IsZero());
    EXPECT_EQ(doc.PatternIndex(), 0);

    env_.Settings().SetText("Zratio1", "8");
    env_.BuildRecord();
    ASSERT_EQ(env_.TaxRate(), Fixed4::FromInt(8));
    NewEstimate(doc, env_);
    EXPECT_EQ(doc.TaxRateText(), "8");
}

TEST_F(EstimateIo, FirstSaveOfANewEstimateTakesTheNextNumberOnce) {
    for (EntryMode mode : {EntryMode::kNew, EntryMode::kCopy}) {
        SCOPED_TRACE(static_cast<int>(mode));
        EstimateDocument doc;
        doc.BeginSession(mode);
        Fill(doc);
        doc.SetText(HeaderText::MNo, "000001");  // proposed when the editor opened
        Touch(Dat("m_000001.dat"), EstimateBytes("000001"));
        Touch(Dat("m_000007.dat"), EstimateBytes("000007"));
        const std::string seven = ReadAll(Dat("m_000007.dat"));

        ASSERT_EQ(SaveEstimate(doc, env_, questions_), EstimateResult::kOk);
        EXPECT_EQ(doc.Text(HeaderText::MNo), "000008");
        EXPECT_EQ(doc.Text(HeaderText::MBiko10), "");
        EXPECT_EQ(doc.Text(HeaderText::MYMD4), "");
        EstimateHeader header;
        ASSERT_EQ(ReadEstimateHeader(env_, "m_000008.dat", header), EstimateResult::kOk);
        EXPECT_EQ(header.Text(HeaderText::MNo), "000008");
        EXPECT_EQ(header.Text(HeaderText::MBiko10), "");
        EXPECT_EQ(header.Text(HeaderText::MYMD4), "");
        EXPECT_EQ(ReadAll(Dat("m_000007.dat")), seven);

        doc.SetText(HeaderText::MTitle1, "second");
        ASSERT_EQ(SaveEstimate(doc, env_, questions_), EstimateResult::kOk);
        EXPECT_EQ(doc.Text(HeaderText::MNo), "000008");
        EXPECT_FALSE(QFile::exists(Dat("m_000009.dat")));
        ASSERT_EQ(ReadEstimateHeader(env_, "m_000008.dat", header), EstimateResult::kOk);
        EXPECT_EQ(header.Text(HeaderText::MTitle1), "second");
        QFile::remove(Dat("m_000008.dat"));
    }
    // Leftover temporary files would pile up in the data folder.
    EXPECT_EQ(QDir(folder_.FilePath("DAT")).entryList(QDir::Files).size(), 2);
}

TEST_F(EstimateIo, OpenedEstimateIsSavedUnderItsOwnNumber) {
    EstimateDocument doc;
    doc.BeginSession(EntryMode::kCallUp);
    Fill(doc);
    doc.SetText(HeaderText::MNo, "000005");
    ASSERT_EQ(SaveEstimate(doc, env_, questions_), EstimateResult::kOk);
    EXPECT_EQ(doc.Text(HeaderText::MNo), "000005");
    EXPECT_EQ(doc.Text(HeaderText::MBiko10), "7");
    EstimateHeader header;
    ASSERT_EQ(ReadEstimateHeader(env_, "m_000005.dat", header), EstimateResult::kOk);
    EXPECT_EQ(header.Text(HeaderText::MBiko10), "7");
    EXPECT_EQ(NextManagementNumber(env_), "000006");
}

TEST_F(EstimateIo, NumberTakenMeanwhileIsSkipped) {
    // Something the numbering does not count holds the next name.
    ASSERT_TRUE(QDir(folder_.FilePath("DAT")).mkdir("m_000001.dat"));
    EstimateDocument doc;
    doc.BeginSession(EntryMode::kNew);
    Fill(doc);
    doc.SetText(HeaderText::MNo, "000001");
    ASSERT_EQ(SaveEstimate(doc, env_, questions_), EstimateResult::kOk);
    EXPECT_EQ(doc.Text(HeaderText::MNo), "000002");
    EXPECT_TRUE(QFileInfo(Dat("m_000002.dat")).isFile());
}

// A number that another copy is giving out right now (its claim file held) is skipped, and
// a claim a crash left (nobody holds it) is taken over and cleared away.
TEST_F(EstimateIo, ANumberClaimedByAnotherCopyIsSkipped) {
    Touch(Dat("m_000003.claim"), "left by a crash");
    for (const char* expected : {"000002", "000003"}) {
        test::MarkerHolder other(Dat("m_000001.claim").toLocal8Bit().constData());
        ASSERT_TRUE(other.Held());
        EstimateDocument doc;
        doc.BeginSession(EntryMode::kNew);
        Fill(doc);
        doc.SetText(HeaderText::MNo, "000001");
        ASSERT_EQ(SaveEstimate(doc, env_, questions_), EstimateResult::kOk);
        EXPECT_EQ(doc.Text(HeaderText::MNo), expected);
        EXPECT_TRUE(QFileInfo(Dat(QStringLiteral("m_%1.dat").arg(expected))).isFile());
        EXPECT_FALSE(QFileInfo::exists(Dat("m_000001.dat")));
    }
    EXPECT_FALSE(QFileInfo::exists(Dat("m_000003.claim")));
}

// Copies of the program saving new estimates into one data folder at the same moment each
// get numbers of their own, and every file is whole.
TEST_F(EstimateIo, ConcurrentNewEstimatesNeverShareANumber) {
    constexpr int kCopies = 4;
    constexpr int kEach = 8;
    std::vector<pid_t> children;
    for (int copy = 0; copy < kCopies; ++copy) {
        const pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            SilentQuestions silent;
            int failures = 0;
            for (int i = 0; i < kEach; ++i) {
                EstimateDocument doc;
                doc.BeginSession(EntryMode::kNew);
                doc.SetText(HeaderText::MNo, "000001");
                doc.SetText(HeaderText::MName1, "copy " + std::to_string(copy));
                doc.SetText(HeaderText::MTitle1, std::to_string(i));
                if (SaveEstimate(doc, env_, silent) != EstimateResult::kOk) ++failures;
            }
            _exit(failures);
        }
        children.push_back(pid);
    }
    for (pid_t pid : children) {
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    }
    const QStringList files = QDir(folder_.FilePath("DAT")).entryList(QDir::Files, QDir::Name);
    ASSERT_EQ(files.size(), kCopies * kEach) << files.join(' ').toStdString();
    std::set<std::string> saved;
    for (const QString& name : files) {
        EstimateHeader header;
        EstimateStores stores;
        ASSERT_EQ(ReadEstimateFile(Dat(name), header, stores), EstimateResult::kOk);
        EXPECT_EQ("m_" + header.Text(HeaderText::MNo) + ".dat", name.toStdString());
        saved.insert(header.Text(HeaderText::MName1) + "/" + header.Text(HeaderText::MTitle1));
    }
    EXPECT_EQ(saved.size(), static_cast<std::size_t>(kCopies * kEach));
}

TEST_F(EstimateIo, SaveWritesTheBackupInTheWorkingFolderFirst) {
    QTemporaryDir elsewhere;
    env_.SetDataFolderSetting(elsewhere.path().toStdString());
    EstimateDocument doc;
    doc.BeginSession(EntryMode::kNew);
    Fill(doc);
    doc.SetText(HeaderText::MNo, "000001");
    ASSERT_EQ(SaveEstimateWithBackup(doc, env_, questions_), EstimateResult::kOk);

    const std::string backup = ReadAll(folder_.FilePath("m_BackUp.dat"));
    const std::string saved = ReadAll(QDir(elsewhere.path()).filePath("m_000001.dat"));
    ASSERT_FALSE(backup.empty());
    ASSERT_EQ(backup.size(), saved.size());
    EXPECT_FALSE(QFile::exists(QDir(elsewhere.path()).filePath("m_BackUp.dat")));
    EstimateHeader b, s;
    b.Assign(backup);
    s.Assign(saved);
    EXPECT_EQ(b.Text(HeaderText::MNo), "BackUp");
    EXPECT_EQ(s.Text(HeaderText::MNo), "000001");
    // The backup was written before the number was given: it still has the old notes.
    EXPECT_EQ(b.Text(HeaderText::MBiko10), "7");
    EXPECT_EQ(backup.substr(kEstimateHeaderSize), saved.substr(kEstimateHeaderSize));

    // A read-only document writes nothing.
    doc.SetReadOnly(true);
    doc.SetText(HeaderText::MTitle1, "changed");
    EXPECT_EQ(SaveEstimateWithBackup(doc, env_, questions_), EstimateResult::kReadOnly);
    EXPECT_EQ(ReadAll(folder_.FilePath("m_BackUp.dat")), backup);

    doc.SetReadOnly(false);
    doc.SetText(HeaderText::MNo, " ");
    EXPECT_EQ(SaveEstimateWithBackup(doc, env_, questions_), EstimateResult::kNoNumber);
    EXPECT_EQ(ReadAll(folder_.FilePath("m_BackUp.dat")), backup);
}

TEST_F(EstimateIo, CellTextsAreStoredAsNumbers) {
    EstimateDocument doc;
    doc.BeginSession(EntryMode::kCallUp);
    Fill(doc);
    doc.SetText(HeaderText::MNo, "000002");
    doc.SetTaxRateText(" 8 %");
    doc.SetFigure(HeaderFigure::MGoukei12, "");
    ASSERT_EQ(SaveEstimate(doc, env_, questions_), EstimateResult::kOk);

    EstimateHeader header;
    EstimateStores stores;
    ASSERT_EQ(ReadEstimateFile(Dat("m_000002.dat"), header, stores), EstimateResult::kOk);
    EXPECT_EQ(stores.summary[1].Quantity().raw, 15000000);
    EXPECT_EQ(stores.summary[1].UnitPrice().raw, 10000000);
    EXPECT_EQ(stores.summary[1].Amount().raw, 0);
    EXPECT_EQ(stores.breakdown[1].Amount().raw, 1500000000);
    EXPECT_EQ(stores.breakdown[1].CostUnitPrice().raw, 900000000);
    EXPECT_EQ(stores.breakdown[1].DetailCount(), 2);
    EXPECT_EQ(stores.details.Line(1, 2).Spec(), "H=10m");
    EXPECT_EQ(header.Figure(HeaderFigure::MGoukei01).raw, 16500000000);
    EXPECT_EQ(header.Figure(HeaderFigure::MGoukei12).raw, 0);
    EXPECT_EQ(header.TaxRate(), 8);
    EXPECT_EQ(header.CheckBox1(), 0);
    EXPECT_EQ(header.CheckBox2(), 1);
    EXPECT_EQ(header.PatternValue().raw, 10000);
    EXPECT_EQ(header.SignatureKind(), EstimateSignature::Current);
}

TEST_F(EstimateIo, LoadFillsCoverGridsAndDetailStore) {
    EstimateDocument original;
    original.BeginSession(EntryMode::kCallUp);
    Fill(original);
    original.SetText(HeaderText::MNo, "000004");
    original.SetCheckBox1(true);
    ASSERT_EQ(SaveEstimate(original, env_, questions_), EstimateResult::kOk);

    struct Counter : EstimateCalculations {
        int rows = 0, refreshes = 0;
        void FormatRowForDisplay(EstimateDocument&, SheetKind, int) override { ++rows; }
        void RefreshHeaderFigures(EstimateDocument&) override { ++refreshes; }
    } counter;
    EstimateDocument doc;
    doc.SetCalculations(&counter);
    doc.Grid(SheetKind::Summary).SetCell(900, 3, "stale");
    doc.SetText(HeaderText::MNo, "4");  // not yet six digits: the file is m_4.dat
    EXPECT_EQ(LoadEstimate(doc, env_), EstimateResult::kIoError);
    doc.SetText(HeaderText::MNo, "000004");
    ASSERT_EQ(LoadEstimate(doc, env_), EstimateResult::kOk);

    EXPECT_EQ(doc.Text(HeaderText::MName1), Sjis("山田工務店"));
    EXPECT_EQ(doc.Text(HeaderText::MBiko10), "7");
    EXPECT_EQ(doc.Figure(HeaderFigure::MGoukei01), "1650000");
    EXPECT_EQ(doc.Figure(HeaderFigure::MGoukei11), "0");
    EXPECT_EQ(doc.TaxRateText(), "10");
    EXPECT_TRUE(doc.CheckBox1());
    EXPECT_TRUE(doc.CheckBox2());
    EXPECT_EQ(doc.PatternIndex(), 1);
    const TextGrid& summary = doc.Grid(SheetKind::Summary);
    EXPECT_EQ(summary.Cell(1, 3), Sjis("仮設工事"));
    EXPECT_EQ(summary.Cell(1, 5), "1500");
    EXPECT_EQ(summary.Cell(1, 7), "0");
    EXPECT_EQ(summary.Cell(3, 1), "=");
    EXPECT_EQ(summary.Cell(900, 3), "");
    EXPECT_EQ(summary.Cell(1000, 9), "0");  // every row is filled, as the editor shows it
    EXPECT_EQ(doc.Grid(SheetKind::Breakdown).Cell(1, 7), "90000");
    EXPECT_EQ(doc.Stores().details.Line(1, 2).Name(), Sjis("単管足場"));
    EXPECT_EQ(doc.Grid(SheetKind::Detail).Cell(2, 3), "");  // filled when shown
    EXPECT_EQ(counter.rows, 1300);
    EXPECT_GE(counter.refreshes, 1);

    // Saving what was loaded gives the same file.
    const std::string before = ReadAll(Dat("m_000004.dat"));
    doc.BeginSession(EntryMode::kCallUp);
    ASSERT_EQ(SaveEstimate(doc, env_, questions_), EstimateResult::kOk);
    EXPECT_EQ(ReadAll(Dat("m_000004.dat")), before);
}

// A copy of an open estimate (a recovery snapshot takes one) shares its detail lines with
// it: whatever the editor does next, the copy still saves as the estimate it was.
TEST_F(EstimateIo, ACopyKeepsTheEstimateAsItWasWhileTheEditorGoesOn) {
    for (const char* number : {"000004", "000005"}) {
        EstimateDocument original;
        original.BeginSession(EntryMode::kCallUp);
        Fill(original);
        original.SetText(HeaderText::MNo, number);
        original.Stores().details.MutableLine(1, 3).SetName(number);
        ASSERT_EQ(SaveEstimate(original, env_, questions_), EstimateResult::kOk);
    }
    EstimateDocument doc;
    doc.SetText(HeaderText::MNo, "000004");
    ASSERT_EQ(LoadEstimate(doc, env_), EstimateResult::kOk);
    const std::string expected = EstimateFileBytes(doc);
    const EstimateDocument copy = doc;

    doc.LoadDetailSheet(1);
    doc.Grid(SheetKind::Detail).SetCell(2, 3, "changed");
    doc.StoreDetailSheet();
    doc.Stores().details.SwapSheets(1, 2);
    // The other file has as many records: loading it could reuse the loaded block.
    doc.SetText(HeaderText::MNo, "000005");
    ASSERT_EQ(LoadEstimate(doc, env_), EstimateResult::kOk);
    EXPECT_EQ(doc.Stores().details.Line(1, 3).Name(), "000005");

    EXPECT_EQ(EstimateFileBytes(copy), expected);
    EXPECT_EQ(copy.Stores().details.Line(1, 3).Name(), "000004");
}

TEST_F(EstimateIo, UnreadableFileGivesANewEstimateUnderTheSameNumber) {
    Touch(Dat("m_000006.dat"), std::string(1391, 'x'));
    EstimateDocument doc;
    Fill(doc);
    doc.SetText(HeaderText::MNo, "000006");
    EXPECT_EQ(LoadEstimate(doc, env_), EstimateResult::kIoError);
    EXPECT_EQ(doc.Text(HeaderText::MNo), "000006");
    EXPECT_EQ(doc.Text(HeaderText::MName1), "");
    EXPECT_EQ(doc.Text(HeaderText::MYMD1), Sjis("令和06年05月20日"));
    EXPECT_EQ(doc.Grid(SheetKind::Summary).Cell(1, 5), "");
    EXPECT_FALSE(doc.ReadOnly());
    // It is written over once the user saves.
    doc.BeginSession(EntryMode::kCallUp);
    Fill(doc);
    ASSERT_EQ(SaveEstimate(doc, env_, questions_), EstimateResult::kOk);
    EstimateHeader header;
    ASSERT_EQ(ReadEstimateHeader(env_, "m_000006.dat", header), EstimateResult::kOk);
    EXPECT_EQ(header.Text(HeaderText::MName1), Sjis("山田工務店"));
}

TEST_F(EstimateIo, OldFileLoadsItsSpecificationAndIsSavedInTheCurrentLayout) {
    std::string file(kEstimateHeaderSize, '\0');
    file[0] = 12;
    file.replace(1, 12, "***\\??Q-$%%7");
    std::string detail(kLineRecordSize, '\0');
    detail[0] = 1;  // kind 1, number 1
    detail[2] = 1;
    detail[69] = 4;
    detail.replace(70, 4, "SPEC");
    std::string breakdown(kLineRecordSize, '\0');
    breakdown[2] = 1;
    breakdown[18] = 1;
    breakdown[19] = 'B';
    Touch(Dat("m_000009.dat"), file + breakdown + detail);

    EstimateDocument doc;
    doc.BeginSession(EntryMode::kCallUp);
    doc.SetText(HeaderText::MNo, "000009");
    ASSERT_EQ(LoadEstimate(doc, env_), EstimateResult::kOk);
    EXPECT_EQ(doc.Stores().details.Line(1, 1).Spec(), "SPEC");
    ASSERT_EQ(SaveEstimate(doc, env_, questions_), EstimateResult::kOk);
    const std::string saved = ReadAll(Dat("m_000009.dat"));
    ASSERT_EQ(saved.size(), kEstimateHeaderSize + 3 * kLineRecordSize);
    EXPECT_EQ(saved.substr(1, 12), "**$\\??Q-$%%7");
    const std::string savedDetail = saved.substr(kEstimateHeaderSize + 2 * kLineRecordSize);
    EXPECT_EQ(savedDetail.substr(59, 5), "\x04SPEC");
}

TEST_F(EstimateIo, ForeignFileOpensReadOnlyAndIsNeverOverwritten) {
    std::string foreign(2000, 'z');
    foreign[0] = 5;
    Touch(Dat("m_000003.dat"), foreign);
    EstimateDocument doc;
    doc.BeginSession(EntryMode::kCallUp);
    doc.SetText(HeaderText::MNo, "000003");
    ASSERT_EQ(LoadEstimate(doc, env_), EstimateResult::kOk);
    EXPECT_TRUE(doc.ReadOnly());
    EXPECT_TRUE(doc.ForeignFile());
    EXPECT_EQ(doc.Text(HeaderText::MName1), "");
    EXPECT_EQ(doc.Grid(SheetKind::Summary).Cell(1, 5), "");

    Fill(doc);
    EXPECT_EQ(SaveEstimateWithBackup(doc, env_, questions_), EstimateResult::kReadOnly);
    // Even a document that does not know where it came from cannot write over it.
    EstimateDocument other;
    other.BeginSession(EntryMode::kCallUp);
    Fill(other);
    other.SetText(HeaderText::MNo, "000003");
    questions_.ExpectInform("見積作成エラー  -3\n" + Absolute(Dat("m_000003.dat")) +
                            ": 見積データではないファイルです（上書きしません）");
    EXPECT_EQ(SaveEstimate(other, env_, questions_), EstimateResult::kSaveFailed);
    questions_.Done();
    EXPECT_EQ(ReadAll(Dat("m_000003.dat")), foreign);

    // Loading an estimate afterwards makes the document writable again.
    Touch(Dat("m_000004.dat"), EstimateBytes("000004"));
    doc.SetText(HeaderText::MNo, "000004");
    ASSERT_EQ(LoadEstimate(doc, env_), EstimateResult::kOk);
    EXPECT_FALSE(doc.ReadOnly());
}

TEST_F(EstimateIo, MigratedNamesInOtherLetterCaseAreUsed) {
    Touch(Dat("M_000012.DAT"), EstimateBytes("000012", "migrated"));
    EstimateDocument doc;
    doc.BeginSession(EntryMode::kCallUp);
    doc.SetText(HeaderText::MNo, "000012");
    ASSERT_EQ(LoadEstimate(doc, env_), EstimateResult::kOk);
    EXPECT_EQ(doc.Text(HeaderText::MName1), "migrated");
    doc.SetText(HeaderText::MName1, "saved");
    ASSERT_EQ(SaveEstimate(doc, env_, questions_), EstimateResult::kOk);
    EXPECT_EQ(QDir(folder_.FilePath("DAT")).entryList(QDir::Files), QStringList{"M_000012.DAT"});
    EstimateHeader header;
    ASSERT_EQ(ReadEstimateHeader(env_, "m_000012.dat", header), EstimateResult::kOk);
    EXPECT_EQ(header.Text(HeaderText::MName1), "saved");
}

// The file's own number wins over the number in a header copied from another estimate.
TEST_F(EstimateIo, CopiedFileIsSavedUnderItsOwnName) {
    Touch(Dat("m_000001.dat"), EstimateBytes("000001", "one"));
    Touch(Dat("m_000002.dat"), EstimateBytes("000001", "copy of one"));
    const std::string one = ReadAll(Dat("m_000001.dat"));
    EstimateDocument doc;
    doc.BeginSession(EntryMode::kCallUp);
    doc.SetText(HeaderText::MNo, "000002");
    ASSERT_EQ(LoadEstimate(doc, env_), EstimateResult::kOk);
    EXPECT_EQ(doc.Text(HeaderText::MNo), "000002");
    ASSERT_EQ(SaveEstimate(doc, env_, questions_), EstimateResult::kOk);
    EXPECT_EQ(ReadAll(Dat("m_000001.dat")), one);
}

// A write that fails part-way (the disk is full) leaves the old file whole and says so.
TEST_F(EstimateIo, FailedWriteKeepsTheOldFileAndReportsIt) {
    Touch(Dat("m_000001.dat"), EstimateBytes("000001", "old"));
    const std::string old = ReadAll(Dat("m_000001.dat"));
    EstimateDocument doc;
    doc.BeginSession(EntryMode::kCallUp);
    Fill(doc);
    doc.SetText(HeaderText::MNo, "000001");
    for (int row = 1; row <= 100; ++row) doc.Grid(SheetKind::Summary).SetCell(row, 3, "line");
    // Each with the file and the system's reason.
    const std::string tooLarge = std::string(": ") + std::strerror(EFBIG);
    questions_.ExpectInform("見積作成エラ－  -1\n" + Absolute(Dat("m_000001.dat")) + tooLarge);

    EstimateDocument fresh = doc;
    fresh.BeginSession(EntryMode::kNew);
    questions_.ExpectInform("見積作成エラ－  -1\n" + Absolute(Dat("m_000002.dat")) + tooLarge);

    EstimateResult result = EstimateResult::kOk;
    EstimateResult freshResult = EstimateResult::kOk;
    {
        test::FileSizeLimit full(8192);
        result = SaveEstimate(doc, env_, questions_);
        freshResult = SaveEstimate(fresh, env_, questions_);
    }
    EXPECT_EQ(result, EstimateResult::kSaveFailed);
    EXPECT_EQ(freshResult, EstimateResult::kSaveFailed);
    EXPECT_FALSE(fresh.NumberAssigned());
    questions_.Done();
    EXPECT_EQ(ReadAll(Dat("m_000001.dat")), old);
    EXPECT_EQ(QDir(folder_.FilePath("DAT")).entryList(QDir::Files), QStringList{"m_000001.dat"});
}

TEST_F(EstimateIo, ReadOnlyDataFolderRefusesEverySaveWithItsMessage) {
    Touch(Dat("m_000001.dat"), EstimateBytes("000001", "old"));
    const std::string old = ReadAll(Dat("m_000001.dat"));
    test::ReadOnlyFolder readOnly(folder_.FilePath("DAT"));
    if (!readOnly.Usable()) GTEST_SKIP() << "this file system lets us write anywhere";

    EstimateDocument doc;
    doc.BeginSession(EntryMode::kCallUp);
    Fill(doc);
    doc.SetText(HeaderText::MNo, "000001");
    questions_.ExpectInformStartingWith("見積作成エラ－  -1\n" + Absolute(Dat("m_000001.dat")) +
                                        ": ");
    EXPECT_EQ(SaveEstimate(doc, env_, questions_), EstimateResult::kSaveFailed);
    EXPECT_EQ(ReadAll(Dat("m_000001.dat")), old);

    // A new estimate cannot even be created there.
    EstimateDocument fresh;
    fresh.BeginSession(EntryMode::kNew);
    Fill(fresh);
    fresh.SetText(HeaderText::MNo, "000002");
    questions_.ExpectInformStartingWith(
        "見積作成エラー  -1\n" +
        QFileInfo(folder_.FilePath("DAT/")).absoluteFilePath().toStdString() + ": ");
    EXPECT_EQ(SaveEstimate(fresh, env_, questions_), EstimateResult::kSaveFailed);
    EXPECT_FALSE(fresh.NumberAssigned());
    questions_.Done();
}

TEST_F(EstimateIo, DeleteRemovesTheFileAndClearsTheCover) {
    Touch(Dat("m_000003.dat"), EstimateBytes("000003"));
    EstimateDocument doc;
    Fill(doc);
    doc.SetText(HeaderText::MNo, "000003");
    ASSERT_EQ(DeleteEstimate(doc, env_), EstimateResult::kOk);
    EXPECT_FALSE(QFile::exists(Dat("m_000003.dat")));
    EXPECT_EQ(doc.Text(HeaderText::MName1), "");
    EXPECT_EQ(doc.Text(HeaderText::MYMD1), Sjis("令和06年05月20日"));

    Fill(doc);
    doc.SetText(HeaderText::MNo, "000003");
    EXPECT_EQ(DeleteEstimate(doc, env_), EstimateResult::kIoError);
    EXPECT_EQ(doc.Text(HeaderText::MName1), Sjis("山田工務店"));
}

TEST_F(EstimateIo, HeaderAloneForTheList) {
    Touch(Dat("m_000001.dat"), EstimateBytes("000001", "listed"));
    Touch(Dat("m_000002.dat"), std::string(1391, '\0'));
    EstimateHeader header;
    ASSERT_EQ(ReadEstimateHeader(env_, "m_000001.dat", header), EstimateResult::kOk);
    EXPECT_EQ(header.Text(HeaderText::MName1), "listed");
    EXPECT_EQ(header.SignatureKind(), EstimateSignature::Current);
    EXPECT_EQ(ReadEstimateHeader(env_, "m_000002.dat", header), EstimateResult::kIoError);
    EXPECT_EQ(ReadEstimateHeader(env_, "m_000404.dat", header), EstimateResult::kIoError);
}

}  // namespace
}  // namespace quilto
