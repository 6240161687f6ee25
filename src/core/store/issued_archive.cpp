#include "core/store/issued_archive.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <QThread>
#include <cerrno>
#include <cstring>

#include "core/foundation/atomic_file.h"
#include "core/foundation/file_helpers.h"
#include "core/foundation/file_lock.h"

namespace quilto {
namespace {

constexpr char kBom[] = "\xEF\xBB\xBF";
constexpr qint64 kIndexLimit = 256LL * 1024 * 1024;
constexpr int kFields = 9;

QString HeaderLine() {
    return QStringLiteral(
        "見積番号,得意先,件名,見積日,金額(税込),発行日時,発行書類,ファイル名,SHA-256");
}

QString CsvField(QString text) {
    // A field never holds a line break: a line is a record, and a cut line is recognised
    // as such.
    text.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"'))) return text;
    text.replace(QStringLiteral("\""), QStringLiteral("\"\""));
    return QLatin1Char('"') + text + QLatin1Char('"');
}

// The fields of one line; nullopt when its quotes do not close.
std::optional<QStringList> SplitCsvLine(const QString& line) {
    QStringList fields;
    QString field;
    bool quoted = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line[i];
        if (quoted) {
            if (c == QLatin1Char('"')) {
                if (i + 1 < line.size() && line[i + 1] == QLatin1Char('"')) {
                    field += c;
                    ++i;
                } else {
                    quoted = false;
                }
            } else {
                field += c;
            }
        } else if (c == QLatin1Char('"') && field.isEmpty()) {
            quoted = true;
        } else if (c == QLatin1Char(',')) {
            fields << field;
            field.clear();
        } else {
            field += c;
        }
    }
    if (quoted) return std::nullopt;
    fields << field;
    return fields;
}

QString LineOf(const IssueEntry& e) {
    const QStringList fields = {
        e.number,       e.customer, e.title,
        e.estimateDate, e.amount,   e.issuedAt.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")),
        e.documents,    e.fileName, e.sha256};
    QStringList quoted;
    for (const QString& f : fields) quoted << CsvField(f);
    return quoted.join(QLatin1Char(',')) + QLatin1Char('\n');
}

std::optional<IssueEntry> EntryOf(const QStringList& f) {
    static const QRegularExpression hex(QStringLiteral("^[0-9a-f]{64}$"));
    if (f.size() != kFields || !hex.match(f[8]).hasMatch() || f[7].isEmpty()) return std::nullopt;
    IssueEntry e{f[0], f[1], f[2], f[3], f[4], {}, f[6], f[7], f[8]};
    e.issuedAt = QDateTime::fromString(f[5], QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    if (!e.issuedAt.isValid()) return std::nullopt;
    return e;
}

// A name for the PDF that no earlier issue has: a second issue within the same second gets
// "_2", "_3", ...
QString FreePdfName(const QDir& folder, const QString& number, const QDateTime& at) {
    const QString stem = number + QLatin1Char('_') + at.toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString name = stem + QStringLiteral(".pdf");
    for (int n = 2; QFileInfo::exists(folder.filePath(name)); ++n)
        name = stem + QStringLiteral("_%1.pdf").arg(n);
    return name;
}

QString Reason(const QString& path, int error) {
    return path + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(error));
}

// Appends line to the index in one write, under the index's lock (another PC may be
// appending too). A new index starts with its byte-order mark and header line; an index
// whose last line a crash cut short gets the new line on a line of its own.
QString AppendIndexLine(const QString& indexPath, const QString& line) {
    const QByteArray name = QFile::encodeName(indexPath);
    const int fd = ::open(name.constData(), O_RDWR | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) return Reason(indexPath, errno);
    LockResult lock = TryWriteLock(fd);
    for (int tries = 0; lock == LockResult::kHeldElsewhere && tries < 100; ++tries) {
        QThread::msleep(20);
        lock = TryWriteLock(fd);
    }
    if (lock != LockResult::kTaken) {
        ::close(fd);
        return indexPath + QStringLiteral(": 他のPCが書込み中のため追記できませんでした");
    }
    QByteArray bytes;
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        const int error = errno;
        ::close(fd);
        return Reason(indexPath, error);
    }
    if (st.st_size == 0) {
        bytes += kBom;
        bytes += HeaderLine().toUtf8() + '\n';
    } else {
        char last = '\n';
        if (::pread(fd, &last, 1, st.st_size - 1) == 1 && last != '\n') bytes += '\n';
    }
    bytes += line.toUtf8();
    const ssize_t written = ::write(fd, bytes.constData(), static_cast<size_t>(bytes.size()));
    const int writeError = errno;
    if (written != bytes.size()) {
        // A short write leaves a cut line that reading ignores; never a line that lies.
        ::close(fd);
        return Reason(indexPath, written < 0 ? writeError : ENOSPC);
    }
    if (::fsync(fd) != 0) {
        const int error = errno;
        ::close(fd);
        return Reason(indexPath, error);
    }
    ::close(fd);
    return {};
}

}  // namespace

QString IssuedDocumentWord(IssuedDocument document) {
    switch (document) {
        case IssuedDocument::kEstimate:
            return QStringLiteral("見積書");
        case IssuedDocument::kCostSheet:
            return QStringLiteral("原価表");
        case IssuedDocument::kFreeForm:
            return QStringLiteral("自由書式");
        case IssuedDocument::kItemised:
            return QStringLiteral("材料費等内訳書");
    }
    return {};
}

ArchiveOutcome ArchiveIssuedPdf(const QString& archiveFolder, std::string_view pdf,
                                IssueEntry entry) {
    ArchiveOutcome outcome;
    QDir folder(archiveFolder);
    if (!folder.mkpath(QStringLiteral("."))) {
        outcome.result = ArchiveResult::kFolderFailed;
        outcome.failure = archiveFolder + QStringLiteral(": フォルダを作成できません");
        return outcome;
    }
    if (!entry.issuedAt.isValid()) entry.issuedAt = QDateTime::currentDateTime();
    entry.issuedAt.setTime(QTime(entry.issuedAt.time().hour(), entry.issuedAt.time().minute(),
                                 entry.issuedAt.time().second()));
    entry.fileName = FreePdfName(folder, entry.number, entry.issuedAt);
    entry.sha256 = QString::fromLatin1(
        QCryptographicHash::hash(QByteArrayView(pdf.data(), static_cast<qsizetype>(pdf.size())),
                                 QCryptographicHash::Sha256)
            .toHex());
    outcome.pdfPath = folder.filePath(entry.fileName);
    ClearFileFailure();
    if (!SaveFileAtomically(outcome.pdfPath, pdf)) {
        outcome.result = ArchiveResult::kPdfFailed;
        outcome.failure = LastFileFailure();
        return outcome;
    }
    const QString failure =
        AppendIndexLine(folder.filePath(QString::fromUtf8(kIssuedIndexName)), LineOf(entry));
    if (!failure.isEmpty()) {
        // The PDF stays: it was issued, and the next reading reports it without its line.
        outcome.result = ArchiveResult::kIndexFailed;
        outcome.failure = failure;
    }
    return outcome;
}

ArchiveReading ReadIssuedArchive(const QString& archiveFolder) {
    ArchiveReading reading;
    const QDir folder(archiveFolder);
    const QString indexPath = folder.filePath(QString::fromUtf8(kIssuedIndexName));
    QSet<QString> listed;
    if (QFileInfo::exists(indexPath)) {
        const std::optional<std::string> bytes = ReadWholeFile(indexPath, kIndexLimit);
        if (!bytes) {
            reading.failure = indexPath + QStringLiteral(": 読み取れません");
        } else {
            QString text = QString::fromUtf8(*bytes);
            if (text.startsWith(QChar(0xFEFF))) text.remove(0, 1);
            const bool cutShort = !text.isEmpty() && !text.endsWith(QLatin1Char('\n'));
            reading.lastLineCut = cutShort;
            QStringList lines = text.split(QLatin1Char('\n'));
            if (!lines.isEmpty() && lines.back().isEmpty()) lines.pop_back();
            for (qsizetype i = 0; i < lines.size(); ++i) {
                QString line = lines[i];
                if (line.endsWith(QLatin1Char('\r'))) line.chop(1);
                if (i == 0 && line == HeaderLine()) continue;
                const bool last = i + 1 == lines.size();
                const std::optional<QStringList> fields = SplitCsvLine(line);
                const std::optional<IssueEntry> entry =
                    fields && !(last && cutShort) ? EntryOf(*fields) : std::nullopt;
                if (!entry) {
                    ++reading.unreadableLines;
                    continue;
                }
                listed.insert(entry->fileName);
                if (!folder.exists(entry->fileName)) reading.linesWithoutPdf << entry->fileName;
                reading.entries.push_back(*entry);
            }
        }
    }
    if (reading.failure.isEmpty()) {
        for (const QString& pdf :
             folder.entryList({QStringLiteral("*.pdf")}, QDir::Files, QDir::Name))
            if (!listed.contains(pdf)) reading.pdfsWithoutLine << pdf;
    }
    return reading;
}

ArchiveRepair AdoptUnlistedPdfs(const QString& archiveFolder, ArchiveReading& reading) {
    ArchiveRepair repair;
    if (!reading.failure.isEmpty()) return repair;
    static const QRegularExpression named(
        QStringLiteral("^(\\d{6})_(\\d{8}-\\d{6})(_\\d+)?\\.pdf$"));
    const QDir folder(archiveFolder);
    const QString indexPath = folder.filePath(QString::fromUtf8(kIssuedIndexName));
    QStringList still;
    for (const QString& pdf : reading.pdfsWithoutLine) {
        const std::optional<std::string> bytes = ReadWholeFile(folder.filePath(pdf), 1LL << 30);
        const auto m = named.match(pdf);
        if (!bytes || !m.hasMatch()) {
            still << pdf;  // not one of ours, or unreadable: left as it is, and said again
            continue;
        }
        IssueEntry e;
        e.number = m.captured(1);
        e.issuedAt = QDateTime::fromString(m.captured(2), QStringLiteral("yyyyMMdd-HHmmss"));
        e.documents = QStringLiteral("不明");
        e.fileName = pdf;
        e.sha256 = QString::fromLatin1(
            QCryptographicHash::hash(QByteArray::fromStdString(*bytes), QCryptographicHash::Sha256)
                .toHex());
        const QString failure = AppendIndexLine(indexPath, LineOf(e));
        if (!failure.isEmpty()) {
            repair.failure = failure;
            still << pdf;
            continue;
        }
        repair.adopted << pdf;
        reading.entries.push_back(e);
    }
    reading.pdfsWithoutLine = still;
    return repair;
}

ArchiveMerge MergeIssuedArchive(const QString& from, const QString& to) {
    ArchiveMerge merge;
    if (!QDir(from).exists()) return merge;
    const ArchiveReading source = ReadIssuedArchive(from);
    if (!source.failure.isEmpty()) {
        merge.failures << source.failure;
        return merge;
    }
    if (!QDir().mkpath(to)) {
        merge.failures << to + QStringLiteral(": フォルダを作成できません");
        return merge;
    }
    const ArchiveReading target = ReadIssuedArchive(to);
    if (!target.failure.isEmpty()) {
        merge.failures << target.failure;
        return merge;
    }
    QSet<QString> listed;
    for (const IssueEntry& e : target.entries) listed.insert(e.fileName);
    const QDir fromDir(from);
    const QDir toDir(to);
    const QString indexPath = toDir.filePath(QString::fromUtf8(kIssuedIndexName));
    // A PDF the target lists but lost is brought back too.
    for (const IssueEntry& e : source.entries) {
        const bool needLine = !listed.contains(e.fileName);
        const bool needPdf = !toDir.exists(e.fileName);
        if (!needLine && !needPdf) continue;
        if (needPdf) {
            const std::optional<std::string> pdf =
                ReadWholeFile(fromDir.filePath(e.fileName), 1LL << 30);
            ClearFileFailure();
            if (!pdf) {
                merge.failures << fromDir.filePath(e.fileName) + QStringLiteral(": 読み取れません");
                continue;
            }
            if (!SaveFileAtomically(toDir.filePath(e.fileName), *pdf)) {
                merge.failures << LastFileFailure();
                continue;
            }
        }
        if (needLine) {
            if (const QString failure = AppendIndexLine(indexPath, LineOf(e)); !failure.isEmpty()) {
                merge.failures << failure;
                continue;
            }
            listed.insert(e.fileName);
        }
        ++merge.copied;
    }
    return merge;
}

std::vector<IssueEntry> IssuesOf(const ArchiveReading& archive, const QString& number) {
    std::vector<IssueEntry> issues;
    for (const IssueEntry& e : archive.entries)
        if (e.number == number) issues.push_back(e);
    return issues;
}

}  // namespace quilto
