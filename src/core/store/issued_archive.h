#pragma once

// The issued-document archive: every PDF handed to a client is kept, byte for byte, in the
// folder 発行済み of the data folder as NNNNNN_YYYYMMDD-HHMMSS.pdf, with one line appended to
// 発行済み/index.csv for it (UTF-8 with a byte-order mark, as spreadsheet programs on
// Japanese desktops expect). The law asks a firm to keep what it issued and to find it by
// date, amount and client; the archive is therefore only ever appended to: the program
// never rewrites, prunes or deletes it, and a deleted estimate keeps its archive.
//
// The PDF is written (crash-safely) before its line, so the index never lists a PDF that is
// not there; a kill between the two leaves a PDF without a line, which reading reports and
// never deletes. A line is appended with one write under a lock of the index, so two PCs
// issuing at once never interleave; a line a crash cut short is ignored and reported.

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <string_view>
#include <vector>

namespace quilto {

inline constexpr char kIssuedFolderName[] = "発行済み";
inline constexpr char kIssuedIndexName[] = "index.csv";

// What was issued; the index names it in Japanese.
enum class IssuedDocument { kEstimate, kCostSheet, kFreeForm, kItemised };
QString IssuedDocumentWord(IssuedDocument document);

struct IssueEntry {
    QString number;  // six digits
    QString customer;
    QString title;
    QString estimateDate;  // as typed on the cover
    QString amount;        // including tax, a plain integer text ("880421")
    QDateTime issuedAt;    // local time, to the second
    QString documents;     // the words of what was issued, joined by "・"
    QString fileName;      // in the archive folder
    QString sha256;        // of the PDF, lower-case hex
};

enum class ArchiveResult { kArchived, kFolderFailed, kPdfFailed, kIndexFailed };

struct ArchiveOutcome {
    ArchiveResult result = ArchiveResult::kArchived;
    QString pdfPath;  // where the PDF was kept
    QString failure;  // path and reason, when not archived
};

// Keeps pdf as an issue of entry's estimate; entry's issuedAt, fileName and sha256 are set
// here (issuedAt from now when it is invalid).
[[nodiscard]] ArchiveOutcome ArchiveIssuedPdf(const QString& archiveFolder, std::string_view pdf,
                                              IssueEntry entry);

struct ArchiveReading {
    std::vector<IssueEntry> entries;  // in the order they were issued
    int unreadableLines = 0;          // cut short by a crash, or edited by hand
    bool lastLineCut = false;         // the last write to the index was cut short
    QStringList pdfsWithoutLine;      // kept, never deleted: a kill came between PDF and line
    QStringList linesWithoutPdf;      // file names listed whose PDF is gone
    QString failure;                  // the index exists but cannot be read: path and reason
};

ArchiveReading ReadIssuedArchive(const QString& archiveFolder);

// What the start-up does with the archive: a PDF without its line (a kill came between the
// two) was handed over all the same, so it gets its line, with what its name tells (number
// and time) and 不明 for what was issued; nothing is deleted. Returns the reading after it.
struct ArchiveRepair {
    QStringList adopted;  // PDFs that got their line now
    QString failure;      // a line that could not be appended: path and reason
};
ArchiveRepair AdoptUnlistedPdfs(const QString& archiveFolder, ArchiveReading& reading);

// Backup and restore carry the archive by merging it, never by replacing it: the PDFs of
// `from` that `to` lacks are copied (crash-safely), then their lines appended to `to`'s
// index. Nothing in `to` is changed or removed, so restoring an older backup loses no issue
// made since. `to` is made when missing; a `from` without an archive is nothing to do.
struct ArchiveMerge {
    int copied = 0;
    QStringList failures;  // path and reason of each PDF or line that could not be carried
};
ArchiveMerge MergeIssuedArchive(const QString& from, const QString& to);

// The issues of one estimate, oldest first.
std::vector<IssueEntry> IssuesOf(const ArchiveReading& archive, const QString& number);

}  // namespace quilto
