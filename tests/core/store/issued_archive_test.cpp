#include "core/store/issued_archive.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCryptographicHash>
#include <QDir>
#include <random>

#include "support/working_folder.h"

namespace quilto {
namespace {

using test::ReadAll;
using test::WorkingFolder;
using test::WriteAll;

IssueEntry Entry(const char* number, const QDateTime& at = {}) {
    IssueEntry e;
    e.number = QString::fromLatin1(number);
    e.customer = QStringLiteral("山田建設, 本社");  // a comma the CSV must quote
    e.title = QStringLiteral("外構工事 \"B棟\"");
    e.estimateDate = QStringLiteral("令和8年12月10日");
    e.amount = QStringLiteral("880421");
    e.issuedAt = at;
    e.documents = IssuedDocumentWord(IssuedDocument::kEstimate);
    return e;
}

class IssuedArchive : public ::testing::Test {
  protected:
    QString Folder() const { return folder_.FilePath(QStringLiteral("DAT/発行済み")); }
    WorkingFolder folder_;
};

TEST_F(IssuedArchive, KeepsThePdfByteForByteAndListsItWithItsHash) {
    const QDateTime at(QDate(2026, 12, 10), QTime(9, 5, 7));
    const std::string pdf = "%PDF-1.4 first";
    const ArchiveOutcome first = ArchiveIssuedPdf(Folder(), pdf, Entry("000123", at));
    ASSERT_EQ(first.result, ArchiveResult::kArchived) << first.failure.toStdString();
    EXPECT_EQ(QFileInfo(first.pdfPath).fileName(), QStringLiteral("000123_20261210-090507.pdf"));
    EXPECT_EQ(ReadAll(first.pdfPath), pdf);
    // A second issue within the same second gets a name of its own.
    const ArchiveOutcome second =
        ArchiveIssuedPdf(Folder(), "%PDF-1.4 second", Entry("000123", at));
    ASSERT_EQ(second.result, ArchiveResult::kArchived);
    EXPECT_EQ(QFileInfo(second.pdfPath).fileName(), QStringLiteral("000123_20261210-090507_2.pdf"));
    ASSERT_EQ(ArchiveIssuedPdf(Folder(), "%PDF other", Entry("000124")).result,
              ArchiveResult::kArchived);

    const std::string index = ReadAll(Folder() + QStringLiteral("/index.csv"));
    EXPECT_EQ(index.substr(0, 3), "\xEF\xBB\xBF");  // spreadsheet programs read it as UTF-8

    const ArchiveReading reading = ReadIssuedArchive(Folder());
    EXPECT_EQ(reading.unreadableLines, 0);
    EXPECT_TRUE(reading.pdfsWithoutLine.isEmpty());
    EXPECT_TRUE(reading.linesWithoutPdf.isEmpty());
    const std::vector<IssueEntry> issues = IssuesOf(reading, QStringLiteral("000123"));
    ASSERT_EQ(issues.size(), 2u);
    EXPECT_EQ(issues[0].customer, QStringLiteral("山田建設, 本社"));
    EXPECT_EQ(issues[0].title, QStringLiteral("外構工事 \"B棟\""));
    EXPECT_EQ(issues[0].issuedAt, at);
    EXPECT_EQ(issues[0].documents, QStringLiteral("見積書"));
    EXPECT_EQ(issues[0].sha256,
              QString::fromLatin1(QCryptographicHash::hash(QByteArray::fromStdString(pdf),
                                                           QCryptographicHash::Sha256)
                                      .toHex()));
    EXPECT_EQ(IssuesOf(reading, QStringLiteral("000124")).size(), 1u);
}

TEST_F(IssuedArchive, ACutLineIsIgnoredAndTheNextIssueStartsALineOfItsOwn) {
    ASSERT_EQ(ArchiveIssuedPdf(Folder(), "%PDF a", Entry("000001")).result,
              ArchiveResult::kArchived);
    const QString index = Folder() + QStringLiteral("/index.csv");
    WriteAll(index, ReadAll(index) + "000002,cut sho");  // a crash in the middle of a line
    EXPECT_EQ(ReadIssuedArchive(Folder()).unreadableLines, 1);
    ASSERT_EQ(ArchiveIssuedPdf(Folder(), "%PDF b", Entry("000003")).result,
              ArchiveResult::kArchived);
    const ArchiveReading reading = ReadIssuedArchive(Folder());
    EXPECT_EQ(reading.unreadableLines, 1);
    ASSERT_EQ(reading.entries.size(), 2u);
    EXPECT_EQ(reading.entries[1].number, QStringLiteral("000003"));
}

TEST_F(IssuedArchive, APdfWithoutItsLineIsReportedAndKeptAndAMissingPdfIsNamed) {
    ASSERT_EQ(ArchiveIssuedPdf(Folder(), "%PDF a", Entry("000001")).result,
              ArchiveResult::kArchived);
    const ArchiveOutcome gone = ArchiveIssuedPdf(Folder(), "%PDF b", Entry("000002"));
    ASSERT_EQ(gone.result, ArchiveResult::kArchived);
    ASSERT_TRUE(QFile::remove(gone.pdfPath));
    WriteAll(Folder() + QStringLiteral("/000009_20261210-120000.pdf"), "%PDF orphan");

    const ArchiveReading reading = ReadIssuedArchive(Folder());
    EXPECT_EQ(reading.pdfsWithoutLine, QStringList{QStringLiteral("000009_20261210-120000.pdf")});
    EXPECT_EQ(reading.linesWithoutPdf, QStringList{QFileInfo(gone.pdfPath).fileName()});
    EXPECT_TRUE(QFileInfo::exists(Folder() + QStringLiteral("/000009_20261210-120000.pdf")));

    // The start-up gives the orphan its line (it was handed over), keeps a file that is
    // not one of ours as it is, and deletes nothing.
    WriteAll(Folder() + QStringLiteral("/notes.pdf"), "%PDF someone's");
    ArchiveReading again = ReadIssuedArchive(Folder());
    const ArchiveRepair repair = AdoptUnlistedPdfs(Folder(), again);
    EXPECT_EQ(repair.adopted, QStringList{QStringLiteral("000009_20261210-120000.pdf")});
    EXPECT_EQ(again.pdfsWithoutLine, QStringList{QStringLiteral("notes.pdf")});
    const ArchiveReading after = ReadIssuedArchive(Folder());
    EXPECT_EQ(after.pdfsWithoutLine, QStringList{QStringLiteral("notes.pdf")});
    const std::vector<IssueEntry> adopted = IssuesOf(after, QStringLiteral("000009"));
    ASSERT_EQ(adopted.size(), 1u);
    EXPECT_EQ(adopted[0].issuedAt, QDateTime(QDate(2026, 12, 10), QTime(12, 0)));
    EXPECT_EQ(adopted[0].documents, QStringLiteral("不明"));
    EXPECT_TRUE(QFileInfo::exists(Folder() + QStringLiteral("/notes.pdf")));
}

TEST_F(IssuedArchive, AnIndexThatCannotBeWrittenIsReportedAndThePdfKept) {
    ASSERT_TRUE(QDir().mkpath(Folder() + QStringLiteral("/index.csv")));  // not a file
    const ArchiveOutcome outcome = ArchiveIssuedPdf(Folder(), "%PDF x", Entry("000001"));
    EXPECT_EQ(outcome.result, ArchiveResult::kIndexFailed);
    EXPECT_TRUE(outcome.failure.contains(QStringLiteral("index.csv")));
    EXPECT_EQ(ReadAll(outcome.pdfPath), "%PDF x");
}

// Issues in a child killed at random moments: whatever moment the kill falls on, every line
// the index lists names a whole PDF of the hash it gives, and only cut lines are unreadable.
// The child reports each issue it finished through a pipe, so that every kill falls after
// one to three whole issues, somewhere in the next one, however fast the build is.
TEST_F(IssuedArchive, AKillAtAnyMomentNeverListsAMissingOrCutPdf) {
    std::mt19937 random(20261210);
    std::uniform_int_distribution<int> finished(1, 3);
    const std::string pdf(200000, 'p');
    int issued = 0;
    for (int kill = 0; kill < 30; ++kill) {
        int pipeEnds[2];
        ASSERT_EQ(pipe(pipeEnds), 0);
        const pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            close(pipeEnds[0]);
            for (;;) {
                (void)ArchiveIssuedPdf(Folder(), pdf, Entry("000001"));
                if (write(pipeEnds[1], "i", 1) != 1) _exit(1);
            }
        }
        close(pipeEnds[1]);
        const int wanted = finished(random);
        char byte = 0;
        for (int n = 0; n < wanted; ++n) ASSERT_EQ(read(pipeEnds[0], &byte, 1), 1);
        issued += wanted;
        // Somewhere within the next issue: its PDF, its line or between them.
        std::uniform_int_distribution<int> micros(0, 4000);
        usleep(static_cast<useconds_t>(micros(random)));
        ::kill(pid, SIGKILL);
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        close(pipeEnds[0]);
    }
    const ArchiveReading reading = ReadIssuedArchive(Folder());
    ASSERT_TRUE(reading.failure.isEmpty());
    EXPECT_TRUE(reading.linesWithoutPdf.isEmpty());
    EXPECT_LE(reading.unreadableLines, 30);
    EXPECT_GE(static_cast<int>(reading.entries.size()), issued);
    const QByteArray hash =
        QCryptographicHash::hash(QByteArray::fromStdString(pdf), QCryptographicHash::Sha256)
            .toHex();
    for (const IssueEntry& e : reading.entries) {
        EXPECT_EQ(e.sha256, QString::fromLatin1(hash)) << e.fileName.toStdString();
        EXPECT_EQ(ReadAll(Folder() + QLatin1Char('/') + e.fileName).size(), pdf.size());
    }
    EXPECT_LE(reading.pdfsWithoutLine.size(), 30);
}

}  // namespace
}  // namespace quilto
