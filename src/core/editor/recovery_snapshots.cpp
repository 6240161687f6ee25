#include "core/editor/recovery_snapshots.h"

#include <fcntl.h>
#include <malloc.h>
#include <unistd.h>

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QStandardPaths>
#include <algorithm>

#include "core/editor/estimate_io.h"
#include "core/foundation/atomic_file.h"
#include "core/foundation/cp932.h"
#include "core/foundation/file_helpers.h"
#include "core/foundation/file_lock.h"
#include "core/foundation/held_temporary_file.h"
#include "core/foundation/text_bytes.h"

namespace quilto {

namespace {

constexpr qint64 kMaxRecordBytes = 16 * 1024;

QString RecordText(const RecoveryRecord& r) {
    QString text;
    text += QStringLiteral("folder=") + r.workingFolder + QLatin1Char('\n');
    text += QStringLiteral("number=") + QString::fromStdString(r.number) + QLatin1Char('\n');
    text += QStringLiteral("new=") + (r.newEstimate ? QStringLiteral("1") : QStringLiteral("0")) +
            QLatin1Char('\n');
    text += QStringLiteral("saved=") + r.savedAt.toUTC().toString(Qt::ISODateWithMs) +
            QLatin1Char('\n');
    return text;
}

std::optional<RecoveryRecord> ReadRecord(const QString& path) {
    const std::optional<std::string> bytes = ReadWholeFile(path, kMaxRecordBytes);
    if (!bytes) return std::nullopt;
    RecoveryRecord r;
    bool haveFolder = false;
    for (const QString& line : QString::fromStdString(*bytes).split(QLatin1Char('\n'))) {
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq < 0) continue;
        const QString key = line.left(eq);
        const QString value = line.mid(eq + 1);
        if (key == QLatin1String("folder")) {
            r.workingFolder = value;
            haveFolder = true;
        } else if (key == QLatin1String("number")) {
            r.number = value.toStdString();
        } else if (key == QLatin1String("new")) {
            r.newEstimate = value == QLatin1String("1");
        } else if (key == QLatin1String("saved")) {
            r.savedAt = QDateTime::fromString(value, Qt::ISODateWithMs);
        }
    }
    if (!haveFolder || !r.savedAt.isValid()) return std::nullopt;
    QString base = path;
    base.chop(4);  // ".rec"
    r.recordPath = path;
    r.snapshotPath = base + QStringLiteral(".dat");
    r.lockPath = base + QStringLiteral(".lock");
    return r;
}

// Whether a running copy of the program holds the lock file (taking it and letting go
// again when nobody does).
bool HeldByRunningCopy(const QString& lockPath) {
    const QByteArray name = QFile::encodeName(lockPath);
    const int fd = ::open(name.constData(), O_RDWR | O_CLOEXEC);
    if (fd < 0) return false;
    const bool held = TryWriteLock(fd) == LockResult::kHeldElsewhere;
    ::close(fd);
    return held;
}

}  // namespace

QString RecoveryRoot() {
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    if (state.isEmpty() || !QDir::isAbsolutePath(state))
        state = QDir::homePath() + QStringLiteral("/.local/state");
    return state + QStringLiteral("/quilto/recovery");
}

QString RecoveryFolderOf(const QString& workingFolder) {
    const QString absolute = QDir(workingFolder).absolutePath();
    // The folder's own name for a person looking, a hash of the whole path so that two
    // folders of the same name never share snapshots.
    const QByteArray hash =
        QCryptographicHash::hash(absolute.toUtf8(), QCryptographicHash::Sha256).toHex().left(16);
    QString name = QFileInfo(absolute).fileName();
    name.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9_.-]")), QStringLiteral("_"));
    return RecoveryRoot() + QLatin1Char('/') + name.left(40) + QLatin1Char('-') +
           QString::fromLatin1(hash);
}

std::vector<RecoveryRecord> UnclaimedSnapshots(const QString& workingFolder) {
    std::vector<RecoveryRecord> found;
    const QString absolute = QDir(workingFolder).absolutePath();
    const QDir folder(RecoveryFolderOf(workingFolder));
    for (const QString& name :
         folder.entryList({QStringLiteral("*.rec")}, QDir::Files, QDir::Name)) {
        std::optional<RecoveryRecord> record = ReadRecord(folder.filePath(name));
        if (!record || record->workingFolder != absolute) continue;
        if (!QFileInfo::exists(record->snapshotPath)) continue;
        if (HeldByRunningCopy(record->lockPath)) continue;
        found.push_back(std::move(*record));
    }
    std::sort(found.begin(), found.end(), [](const RecoveryRecord& a, const RecoveryRecord& b) {
        return a.savedAt < b.savedAt;
    });
    return found;
}

bool NewerThanStored(const RecoveryRecord& record, Environment& environment) {
    if (record.newEstimate) return true;
    const QFileInfo stored(EstimateFilePath(environment, record.number));
    return !stored.exists() || stored.lastModified() < record.savedAt;
}

std::optional<RecoveryRecord> SnapshotToOffer(const QString& workingFolder,
                                              const std::string& number, Environment& environment) {
    std::optional<RecoveryRecord> offer;
    for (RecoveryRecord& record : UnclaimedSnapshots(workingFolder)) {
        if (record.newEstimate || record.number != number) continue;
        if (NewerThanStored(record, environment)) offer = std::move(record);
    }
    return offer;
}

bool DiscardSnapshot(const RecoveryRecord& record) {
    bool gone = true;
    for (const QString& path : {record.snapshotPath, record.recordPath, record.lockPath}) {
        if (QFileInfo::exists(path) && !QFile::remove(path)) gone = false;
    }
    return gone;
}

std::string RecoveryQuestion(const RecoveryRecord& record, bool heldElsewhere) {
    const std::string when =
        record.savedAt.toLocalTime().toString(QStringLiteral("yyyy/MM/dd HH:mm")).toStdString();
    std::string text = record.newEstimate ? "保存されていない新しい見積"
                                          : "見積 " + record.number + " の保存されていない編集";
    text += " (" + when + ") が残っています。\n復元しますか。";
    if (heldElsewhere) {
        text += "\nこの見積は他で使用中のため、復元した内容は読取専用で開きます。";
    }
    return text;
}

// --- SnapshotWriter ------------------------------------------------------------------------

SnapshotWriter::SnapshotWriter(QString workingFolder)
    : folder_(RecoveryFolderOf(workingFolder)), workingFolder_(QDir(workingFolder).absolutePath()) {
    const QString unique = QString::number(::getpid()) + QLatin1Char('-') +
                           QString::number(QRandomGenerator::global()->generate(), 36);
    base_ = folder_ + QStringLiteral("/session-") + unique;
    thread_ = std::thread([this] { Run(); });
}

SnapshotWriter::~SnapshotWriter() {
    {
        std::unique_lock lock(mutex_);
        idle_.wait(lock, [this] { return !pending_ && !busy_; });
        stop_ = true;
    }
    wake_.notify_all();
    thread_.join();
    // The lock file stays where it is, no longer held: the snapshot is unclaimed now.
    if (lock_) lock_->Keep();
}

void SnapshotWriter::Submit(const EstimateDocument& document) {
    Job job{std::make_unique<EstimateDocument>(document), QDateTime::currentDateTimeUtc()};
    {
        std::lock_guard lock(mutex_);
        pending_ = std::move(job);
    }
    wake_.notify_all();
}

bool SnapshotWriter::WriteNow(const EstimateDocument& document) {
    Submit(document);
    Wait();
    std::lock_guard lock(mutex_);
    return lastFailure_.isEmpty();
}

void SnapshotWriter::Wait() {
    std::unique_lock lock(mutex_);
    idle_.wait(lock, [this] { return !pending_ && !busy_; });
}

void SnapshotWriter::Discard() {
    Wait();
    std::lock_guard lock(mutex_);
    for (const QString& ending : {QStringLiteral(".dat"), QStringLiteral(".rec")})
        QFile::remove(base_ + ending);
    // The lock file last: while it is held, no other copy takes the snapshot for its own.
    if (lock_) lock_->Discard();
    lock_.reset();
}

int SnapshotWriter::Written() const {
    std::lock_guard lock(mutex_);
    return written_;
}

QString SnapshotWriter::LastFailure() const {
    std::lock_guard lock(mutex_);
    return lastFailure_;
}

void SnapshotWriter::Run() {
    for (;;) {
        Job job;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return stop_ || pending_.has_value(); });
            if (stop_ && !pending_) return;
            job = std::move(*pending_);
            pending_.reset();
            busy_ = true;
        }
        const bool ok = Write(std::move(job));
        // The copy's grids and the file's bytes are gone now, but the heap keeps the pages
        // they used wherever smaller blocks still live around them: given back here, off the
        // typing path, so that a long session does not hold a snapshot's worth more.
        malloc_trim(0);
        {
            std::lock_guard lock(mutex_);
            busy_ = false;
            if (ok) {
                ++written_;
                lastFailure_.clear();
            } else {
                lastFailure_ = LastFileFailure();
                if (lastFailure_.isEmpty()) lastFailure_ = QStringLiteral("書き込めません");
            }
        }
        idle_.notify_all();
    }
}

bool SnapshotWriter::Write(Job job) {
    if (!QDir().mkpath(folder_)) {
        NoteFileFailure(folder_, QStringLiteral("回復用のフォルダを作れません"));
        return false;
    }
    if (!lock_) {
        auto held = std::make_unique<HeldTemporaryFile>();
        if (!held->CreateNamed(base_ + QStringLiteral(".lock"))) {
            NoteFileFailure(base_ + QStringLiteral(".lock"),
                            QStringLiteral("回復用のファイルを作れません"));
            return false;
        }
        lock_ = std::move(held);
    }
    RecoveryRecord record;
    record.workingFolder = workingFolder_;
    record.number = Trimmed(job.document->Text(HeaderText::MNo));
    record.newEstimate = ClaimsNewNumber(job.document->Entry()) && !job.document->NumberAssigned();
    record.savedAt = job.takenAt;
    const std::string bytes = EstimateFileBytes(std::move(*job.document));
    // The snapshot first, then its record: a record always names a whole snapshot.
    return SaveFileAtomically(base_ + QStringLiteral(".dat"), bytes) &&
           SaveFileAtomically(base_ + QStringLiteral(".rec"), RecordText(record).toStdString());
}

}  // namespace quilto
