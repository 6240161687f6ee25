#include "core/settings/backup.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QStorageInfo>
#include <cerrno>
#include <cstring>
#include <utility>

#include "core/foundation/atomic_file.h"
#include "core/foundation/file_helpers.h"
#include "core/foundation/held_temporary_file.h"
#include "core/foundation/questions.h"
#include "core/settings/file_failure.h"
#include "core/store/environment.h"
#include "core/store/issued_archive.h"
#include "core/store/markers.h"
#include "core/store/own_settings.h"

namespace quilto {
namespace {

const QString kDataSet = QStringLiteral("DAT");
const QString kMasterSet = QStringLiteral("MST");
const QString kTemplateSet = QStringLiteral("XlsBase");
const QString kEnvironmentName = QString::fromLatin1(kEnvironmentFileName);
const QString kOwnSettingsName = QString::fromLatin1(kOwnSettingsFileName);

// A failure message lists this many failures and counts the rest.
constexpr std::size_t kFailuresShown = 20;

bool HasSuffix(const QString& name, const char* suffix) {
    return QFileInfo(name).suffix().compare(QLatin1String(suffix), Qt::CaseInsensitive) == 0;
}

// The plain files of a folder that a run copies: no folders, no hidden files, no devices or
// FIFOs, never a marker; only the estimates ("*.dat") when datOnly.
QStringList FilesToCopy(const QString& folder, bool datOnly) {
    QStringList files;
    for (const QString& name : QDir(folder).entryList(QDir::Files, QDir::Name)) {
        if (HasSuffix(name, "tmp")) continue;
        if (datOnly && !HasSuffix(name, "dat")) continue;
        files.append(name);
    }
    return files;
}

// A path as the user reads it; folders with their trailing separator.
QString Shown(const QString& path) { return QDir::toNativeSeparators(path); }
QString ShownFolder(const QString& folder) { return Shown(QDir::cleanPath(folder) + u'/'); }

// Two folders are the same when they resolve to the same place (a missing one by its
// cleaned absolute path).
QString Place(const QString& folder) {
    const QFileInfo info(folder);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(info.absoluteFilePath()) : canonical;
}
bool SamePlace(const QString& a, const QString& b) { return Place(a) == Place(b); }

// The chosen folder is the program folder, or one of its sets is a live folder (the data
// folder set elsewhere as <chosen>/DAT): copying would go onto the files themselves.
bool IsSameFolder(const LiveFolders& live, const QString& chosen) {
    const QDir backup(chosen);
    return SamePlace(live.program, chosen) || SamePlace(live.data, backup.filePath(kDataSet)) ||
           SamePlace(live.master, backup.filePath(kMasterSet)) ||
           SamePlace(live.templates, backup.filePath(kTemplateSet));
}

// The names in a folder by their upper-case form, so that a file whose name differs only
// in letter case (files migrated from Windows) is replaced instead of doubled. Sorted, so
// that of two such names the same one is always taken.
class FolderNames {
  public:
    explicit FolderNames(const QString& folder) : folder_(folder) {
        for (const QString& name : QDir(folder).entryList(
                 QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                 QDir::Name | QDir::Reversed)) {
            names_.insert(name.toUpper(), name);
        }
    }
    QString Target(const QString& name) const {
        return QDir(folder_).filePath(names_.value(name.toUpper(), name));
    }

  private:
    QString folder_;
    QHash<QString, QString> names_;
};

// The hidden file beside target through which a run copies it: ".NAME.copying" for a
// backup's copy, ".NAME.restoring" for a restore's, which waits there until every file of
// the restore is in place.
QString CopyingName(const QString& target, const char* ending = ".copying") {
    const QFileInfo info(target);
    return info.dir().filePath(QStringLiteral(".") + info.fileName() + QLatin1String(ending));
}

// Copies source into a hidden file beside target, held until it is renamed, so that the
// leftover clean-up of a running copy never takes it. Unlike CopyFileOver it does not flush
// every file to disk on its own: a run of thousands of files would wait for the disk
// thousands of times. The run syncs each folder it wrote once, at the end. False with errno.
bool CopyIntoHiddenFile(const QString& source, const QString& target, HeldTemporaryFile& part,
                        const char* ending = ".copying") {
    QFile in(source);
    if (QFileInfo(source).isDir()) {
        errno = EISDIR;
        return false;
    }
    if (!in.open(QIODevice::ReadOnly)) {
        errno = EACCES;
        return false;
    }
    if (QFileInfo(target).isDir()) {
        errno = EISDIR;
        return false;
    }
    // New files get the usual permissions (umask applies); a replaced one keeps its own.
    if (!part.CreateNamed(CopyingName(target, ending)) || !part.CopyModeOf(target)) return false;
    constexpr qint64 kChunk = 1 << 16;
    while (!in.atEnd()) {
        const QByteArray chunk = in.read(kChunk);
        if (chunk.isEmpty()) {
            if (in.error() == QFileDevice::NoError) break;
            errno = EIO;
            return false;
        }
        if (!part.Write(
                std::string_view(chunk.constData(), static_cast<std::size_t>(chunk.size()))))
            return false;
    }
    return true;
}

int CopyThroughHiddenFile(const QString& source, const QString& target) {
    HeldTemporaryFile part;
    return CopyIntoHiddenFile(source, target, part) && part.CommitOver(target, false) ? 0 : -1;
}

// Makes what was written into folder durable; false when the disk reports a failure.
bool SyncFolder(const QString& folder) {
    const int fd =
        ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool ok = ::syncfs(fd) == 0;
    ::close(fd);
    return ok;
}

class Copier {
  public:
    Copier(const CopyObserver& observer, int total) : observer_(observer), total_(total) {}

    void Count() {
        if (observer_.count) observer_.count(done_, total_);
    }

    void Copy(const QString& source, const QString& target) {
        if (observer_.info) observer_.info(Shown(source) + QStringLiteral(" ≫ ") + Shown(target));
        if (CopyThroughHiddenFile(source, target) == 0) {
            ++run_.copied;
        } else {
            run_.failures.push_back(CopyFailureText(source, target));
        }
        written_.insert(QFileInfo(target).absolutePath());
        ++done_;
        Count();
    }

    // Every file of a set into its target folder.
    void CopySet(const QString& from, const QStringList& names, const QString& to) {
        const FolderNames existing(to);
        for (const QString& name : names) Copy(QDir(from).filePath(name), existing.Target(name));
    }

    void Fail(const QString& folder, const char* reason) {
        run_.failures.push_back(FolderFailureText(folder, reason));
    }

    // The issued-document archive goes with the estimates, merged into what is there, never
    // in place of it: it is only ever added to, so an older backup restored loses no issue.
    void MergeArchive(const QString& fromData, const QString& toData) {
        const QString name = QString::fromUtf8(kIssuedFolderName);
        const ArchiveMerge merge =
            MergeIssuedArchive(QDir(fromData).filePath(name), QDir(toData).filePath(name));
        run_.copied += merge.copied;
        for (const QString& failure : merge.failures)
            run_.failures.push_back(failure.toStdString());
        if (merge.copied > 0) written_.insert(QDir(toData).filePath(name));
    }

    CopyRun Finish() {
        for (const QString& folder : written_) {
            if (!SyncFolder(folder)) Fail(folder, "ディスクへの書き込みを確認できません");
        }
        run_.result = run_.failures.empty() ? CopyRunResult::kDone : CopyRunResult::kFailed;
        return run_;
    }

  private:
    const CopyObserver& observer_;
    int total_;
    int done_ = 0;
    CopyRun run_;
    QSet<QString> written_;
};

// The closing message: done, or the failure message followed by what failed.
void Tell(Questions& questions, const CopyRun& run, const char* done, const char* failed) {
    if (run.result == CopyRunResult::kDone) {
        questions.Inform(done);
        return;
    }
    std::string message = std::string(failed) + "\n\nコピーできなかったもの:";
    for (std::size_t i = 0; i < run.failures.size() && i < kFailuresShown; ++i) {
        message += "\n" + run.failures[i];
    }
    if (run.failures.size() > kFailuresShown) {
        message += "\nほか " + std::to_string(run.failures.size() - kFailuresShown) + " 件";
    }
    questions.Inform(message);
}

// What is missing for copying every source to its target, per file system, or empty when
// there is room: the new files stand beside the old ones until the swap.
std::string SpaceShortage(const std::vector<std::pair<QString, QString>>& copies) {
    QHash<QString, qint64> needed;
    QHash<QString, qint64> available;
    QHash<QString, QString> shown;
    for (const auto& [from, to] : copies) {
        const QStorageInfo storage(QFileInfo(to).absolutePath());
        const QString root = storage.rootPath();
        needed[root] += QFileInfo(from).size();
        available[root] = storage.bytesAvailable();
        shown.insert(root, QFileInfo(to).absolutePath());
    }
    std::string shortage;
    for (auto it = needed.cbegin(); it != needed.cend(); ++it) {
        // A little room beyond the files themselves for the file system's own records.
        const qint64 want = it.value() + it.value() / 50 + (1 << 20);
        if (available.value(it.key()) >= want) continue;
        shortage += QStringLiteral("%1: 必要 %2 MB、空き %3 MB\n")
                        .arg(Shown(shown.value(it.key())))
                        .arg((want + (1 << 20) - 1) >> 20)
                        .arg(available.value(it.key()) >> 20)
                        .toStdString();
    }
    return shortage;
}

bool Confirmed(Questions& questions, const char* question) {
    return questions.AskButtons(question, "", kRunButton, kCancelButton, "") ==
           ButtonAnswer::kFirst;
}

CopyRun Refused(CopyRunResult result = CopyRunResult::kRefused) {
    CopyRun run;
    run.result = result;
    return run;
}

}  // namespace

LiveFolders LiveFoldersOf(Environment& environment, const QString& programFolder) {
    const QDir program(programFolder);
    return {QDir::cleanPath(program.absolutePath()),
            QDir::cleanPath(program.absoluteFilePath(NativePath(DataFolder(environment)))),
            QDir::cleanPath(program.absoluteFilePath(NativePath(MasterFolder(environment)))),
            QDir::cleanPath(program.absoluteFilePath(kTemplateSet))};
}

std::vector<QString> HeldMarkers(const LiveFolders& live) {
    std::vector<QString> held;
    for (const QString& folder : {live.data, live.master}) {
        const QDir dir(folder);
        for (const QString& name : dir.entryList(QDir::Files, QDir::Name)) {
            if (HasSuffix(name, "tmp") && MarkerHeld(dir.filePath(name))) {
                held.push_back(dir.filePath(name));
            }
        }
    }
    return held;
}

CopyRun RunBackup(Questions& questions, const LiveFolders& live, const QString& chosen,
                  const CopyObserver& observer, bool ask) {
    const QDir target(chosen);
    if (observer.info) {
        observer.info(ShownFolder(live.program) + QStringLiteral(" ≫ ") + ShownFolder(chosen));
    }
    if (IsSameFolder(live, chosen)) {
        questions.Inform(kSameFolderMessage);
        return Refused();
    }
    if (ask && !Confirmed(questions, kBackupQuestion)) return Refused(CopyRunResult::kCancelled);
    // An older backup's record must not vouch for this run until it is complete.
    const QString record = target.filePath(QString::fromLatin1(kBackupDoneRecord));
    QFile::remove(record);

    const QStringList estimates = FilesToCopy(live.data, true);
    const QString environmentFile =
        ResolveCaseInsensitive(QDir(live.program).filePath(kEnvironmentName));
    const QString environmentCopy = FolderNames(live.master).Target(kEnvironmentName);
    // Quilto's own settings beside the environment travel the same way, when there are any.
    const QString ownSettingsFile = OwnSettingsPath(live.program);
    const bool hasOwnSettings = QFileInfo(ownSettingsFile).isFile();
    const QString ownSettingsCopy = FolderNames(live.master).Target(kOwnSettingsName);
    const bool hasMasters = QFileInfo(live.master).isDir();
    const QStringList mastersBefore = FilesToCopy(live.master, false);
    const bool environmentInMasters = mastersBefore.contains(QFileInfo(environmentCopy).fileName());
    const bool ownSettingsInMasters =
        !hasOwnSettings || mastersBefore.contains(QFileInfo(ownSettingsCopy).fileName());
    const QStringList templates = FilesToCopy(live.templates, false);
    // The environment is copied into the masters and then with them.
    const qsizetype masterFiles =
        hasMasters ? 1 + mastersBefore.size() + (environmentInMasters ? 0 : 1) +
                         (hasOwnSettings ? 1 : 0) + (ownSettingsInMasters ? 0 : 1)
                   : 0;
    Copier copier(observer, static_cast<int>(estimates.size() + masterFiles + templates.size()));
    copier.Count();

    // A set whose live folder is missing, or whose folder in the backup cannot be made, is
    // reported; the other sets still go.
    auto folderFor = [&](const QString& from, const QString& set) {
        if (!QFileInfo(from).isDir()) {
            copier.Fail(from, "フォルダーがありません");
            return QString();
        }
        const QString to = target.filePath(set);
        if (!QDir().mkpath(to)) {
            copier.Fail(to, "フォルダーを作成できません");
            return QString();
        }
        return to;
    };

    if (const QString to = folderFor(live.data, kDataSet); !to.isEmpty()) {
        copier.CopySet(live.data, estimates, to);
        copier.MergeArchive(live.data, to);
    }
    // The environment travels in the master set.
    if (hasMasters) copier.Copy(environmentFile, environmentCopy);
    if (hasMasters && hasOwnSettings) copier.Copy(ownSettingsFile, ownSettingsCopy);
    if (const QString to = folderFor(live.master, kMasterSet); !to.isEmpty()) {
        copier.CopySet(live.master, FilesToCopy(live.master, false), to);
    }
    if (const QString to = folderFor(live.templates, kTemplateSet); !to.isEmpty()) {
        copier.CopySet(live.templates, templates, to);
    }
    CopyRun run = copier.Finish();
    // Written last: a restore takes only a backup that got this far.
    if (run.result == CopyRunResult::kDone) {
        const std::string content =
            "completed=" + QDateTime::currentDateTime().toString(Qt::ISODate).toStdString() +
            "\nfiles=" + std::to_string(run.copied) + "\n";
        if (!SaveFileAtomically(record, content)) {
            run.failures.push_back(LastFileFailure().toStdString());
            run.result = CopyRunResult::kFailed;
        }
    }
    Tell(questions, run, kBackupDoneMessage, kBackupFailedMessage);
    return run;
}

std::string RestoreQuestion(const QString& backupFolder) {
    return std::string(kRestoreQuestion) +
           "\nバックアップ: " + ShownFolder(backupFolder).toStdString() +
           "\n現在の見積・マスター・表定義・環境設定は、このバックアップの内容で置き換えられます"
           "。" +
           "\nリストアが終わると、見積作成を一旦終了します。";
}

CopyRun RunRestore(Questions& questions, const LiveFolders& live, const QString& chosen,
                   const CopyObserver& observer, bool ask) {
    const QDir source(chosen);
    if (observer.info) {
        observer.info(ShownFolder(chosen) + QStringLiteral(" ≫ ") + ShownFolder(live.program));
    }
    if (IsSameFolder(live, chosen)) {
        questions.Inform(kSameFolderMessage);
        return Refused();
    }
    const QString dataSource = source.filePath(kDataSet);
    const QString masterSource = source.filePath(kMasterSet);
    const QString templateSource = source.filePath(kTemplateSet);
    if (!QFileInfo(dataSource).isDir() && !QFileInfo(masterSource).isDir() &&
        !QFileInfo(templateSource).isDir()) {
        questions.Inform(kNoBackupMessage);
        return Refused();
    }
    if (!QFileInfo(source.filePath(QString::fromLatin1(kBackupDoneRecord))).isFile()) {
        questions.Inform(
            std::string(kBackupIncompleteMessage) + "\n" + ShownFolder(chosen).toStdString() +
            "\n新しいバックアップを取り直してください。以前の版で作ったバックアップで、"
            "中身がそろっていることを確かめてあるなら、このフォルダーに空のファイル " +
            kBackupDoneRecord + " を作るとリストアできます。");
        return Refused();
    }
    // Restoring over data that another copy has open would change it under that copy.
    if (const std::vector<QString> held = HeldMarkers(live); !held.empty()) {
        std::string message = std::string(kRestoreInUseMessage) + "\n";
        for (const QString& marker : held)
            message.append(1, '\n').append(Shown(marker).toStdString());
        questions.Inform(message);
        return Refused();
    }

    // What goes where; a set whose folder is missing on either side stops the restore
    // before anything is touched (a restore makes no folder).
    struct Set {
        QString from;
        QStringList names;
        QString to;
    };
    const Set sets[] = {
        {dataSource, FilesToCopy(dataSource, true), live.data},
        {masterSource, FilesToCopy(masterSource, false), live.master},
        {templateSource, FilesToCopy(templateSource, false), live.templates},
    };
    std::vector<std::pair<QString, QString>> copies;
    CopyRun refused = Refused();
    for (const Set& set : sets) {
        if (!QFileInfo(set.from).isDir()) {
            refused.failures.push_back(
                FolderFailureText(set.from, "バックアップにフォルダーがありません"));
        } else if (!QFileInfo(set.to).isDir()) {
            refused.failures.push_back(FolderFailureText(set.to, "フォルダーがありません"));
        } else {
            const FolderNames existing(set.to);
            for (const QString& name : set.names)
                copies.emplace_back(QDir(set.from).filePath(name), existing.Target(name));
        }
    }
    // The environment goes back where the program reads it, not only into the masters.
    const QString environmentBackup =
        ResolveCaseInsensitive(QDir(masterSource).filePath(kEnvironmentName));
    if (QFileInfo(environmentBackup).isFile())
        copies.emplace_back(environmentBackup, FolderNames(live.program).Target(kEnvironmentName));
    const QString ownSettingsBackup = QDir(masterSource).filePath(kOwnSettingsName);
    if (QFileInfo(ownSettingsBackup).isFile())
        copies.emplace_back(ownSettingsBackup, FolderNames(live.program).Target(kOwnSettingsName));
    if (!refused.failures.empty()) {
        Tell(questions, refused, kRestoreDoneMessage, kRestoreFailedMessage);
        return refused;
    }
    if (const std::string shortage = SpaceShortage(copies); !shortage.empty()) {
        questions.Inform(std::string(kRestoreNoSpaceMessage) + "\n" + shortage);
        return Refused();
    }
    if (ask && !Confirmed(questions, RestoreQuestion(chosen).c_str()))
        return Refused(CopyRunResult::kCancelled);

    // The record of this restore, held while it runs: a kill leaves it for the next start.
    HeldTemporaryFile running;
    const QString recordPath = QDir(live.program).filePath(QString::fromLatin1(kRestoreRecord));
    const QByteArray recordText = chosen.toUtf8() + '\n';
    if (!running.CreateNamed(recordPath) ||
        !running.Write(std::string_view(recordText.constData(),
                                        static_cast<std::size_t>(recordText.size()))) ||
        ::fsync(running.Descriptor()) != 0) {
        const int error = errno;
        CopyRun failed = Refused();
        failed.failures.push_back(FolderFailureText(recordPath, std::strerror(error)));
        Tell(questions, failed, kRestoreDoneMessage, kRestoreFailedMessage);
        return failed;
    }
    SyncFolderOf(recordPath);

    if (observer.status)
        observer.status(QStringLiteral(" ") + Shown(QDir(dataSource).filePath("*.dat")));
    // First every file beside its target; the live files stay as they are.
    CopyRun run;
    std::vector<std::pair<QByteArray, QString>> staged;
    QSet<QString> folders;
    int done = 0;
    if (observer.count) observer.count(0, static_cast<int>(copies.size()));
    for (const auto& [from, to] : copies) {
        if (observer.info) observer.info(Shown(from) + QStringLiteral(" ≫ ") + Shown(to));
        HeldTemporaryFile part;
        if (CopyIntoHiddenFile(from, to, part, ".restoring")) {
            staged.emplace_back(part.Keep(), to);
        } else {
            run.failures.push_back(CopyFailureText(from, to) + " " + std::strerror(errno));
        }
        folders.insert(QFileInfo(to).absolutePath());
        if (observer.count) observer.count(++done, static_cast<int>(copies.size()));
    }
    for (const QString& folder : folders) {
        if (!SyncFolder(folder))
            run.failures.push_back(
                FolderFailureText(folder, "ディスクへの書き込みを確認できません"));
    }
    if (!run.failures.empty()) {
        // Nothing of the backup reaches the live folders.
        for (const auto& file : staged) ::unlink(file.first.constData());
        running.Discard();
        run.result = CopyRunResult::kFailed;
        run.failures.push_back("現在のデータは変更していません。");
        Tell(questions, run, kRestoreDoneMessage, kRestoreFailedMessage);
        return run;
    }
    // Then the names, one rename each: nothing left to fail but the disk itself.
    for (const auto& [name, to] : staged) {
        if (::rename(name.constData(), QFile::encodeName(to).constData()) == 0) {
            ++run.copied;
        } else {
            run.failures.push_back(FolderFailureText(to, std::strerror(errno)));
        }
    }
    for (const QString& folder : folders) SyncFolder(folder);
    if (QFileInfo(dataSource).isDir() && QFileInfo(live.data).isDir()) {
        Copier archive(observer, 0);
        archive.MergeArchive(dataSource, live.data);
        const CopyRun merged = archive.Finish();
        run.copied += merged.copied;
        run.failures.insert(run.failures.end(), merged.failures.begin(), merged.failures.end());
    }
    run.result = run.failures.empty() ? CopyRunResult::kDone : CopyRunResult::kFailed;
    // A swap that failed half-way stays recorded, so that the next start offers to finish it.
    if (run.result == CopyRunResult::kDone) {
        running.Discard();
    } else {
        running.Keep();
    }
    Tell(questions, run, kRestoreDoneMessage, kRestoreFailedMessage);
    return run;
}

bool OfferUnfinishedRestore(Questions& questions, const LiveFolders& live) {
    const QString recordPath = QDir(live.program).filePath(QString::fromLatin1(kRestoreRecord));
    if (!QFileInfo(recordPath).isFile() || MarkerHeld(recordPath)) return false;
    QFile record(recordPath);
    QString backup;
    if (record.open(QIODevice::ReadOnly))
        backup = QString::fromUtf8(record.readLine(4096)).trimmed();
    record.close();
    // What the cut-off restore had copied beside the live files goes; a new run copies anew.
    for (const QString& folder : {live.data, live.master, live.templates, live.program}) {
        const QDir dir(folder);
        for (const QString& name :
             dir.entryList({QStringLiteral(".*.restoring")}, QDir::Files | QDir::Hidden))
            DeleteIfFree(dir.filePath(name));
    }
    const bool again =
        questions.AskOkCancel(std::string(kRestoreUnfinishedMessage) +
                                  "\nバックアップ: " + ShownFolder(backup).toStdString() +
                                  "\nデータには古いものと復元したものが混ざっているかもしれません。"
                                  "もう一度リストアを実行しますか？",
                              "確 認");
    if (again && !backup.isEmpty()) {
        RunRestore(questions, live, backup, {}, false);
    } else {
        DeleteIfFree(recordPath);
    }
    return again;
}

}  // namespace quilto
