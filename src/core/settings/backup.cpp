#include "core/settings/backup.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <cerrno>

#include "core/foundation/file_helpers.h"
#include "core/foundation/held_temporary_file.h"
#include "core/foundation/questions.h"
#include "core/settings/file_failure.h"
#include "core/store/environment.h"
#include "core/store/issued_archive.h"
#include "core/store/markers.h"

namespace quilto {
namespace {

const QString kDataSet = QStringLiteral("DAT");
const QString kMasterSet = QStringLiteral("MST");
const QString kTemplateSet = QStringLiteral("XlsBase");
const QString kEnvironmentName = QString::fromLatin1(kEnvironmentFileName);

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

// The hidden file beside target through which a run copies it.
QString CopyingName(const QString& target) {
    const QFileInfo info(target);
    return info.dir().filePath(QStringLiteral(".") + info.fileName() + QStringLiteral(".copying"));
}

// Copies source into a hidden file beside target, held until it is renamed, so that the
// leftover clean-up of a running copy never takes it. Unlike CopyFileOver it does not flush
// every file to disk on its own: a run of thousands of files would wait for the disk
// thousands of times. The run syncs each folder it wrote once, at the end. False with errno.
bool CopyIntoHiddenFile(const QString& source, const QString& target, HeldTemporaryFile& part) {
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
    if (!part.CreateNamed(CopyingName(target)) || !part.CopyModeOf(target)) return false;
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

bool Confirmed(Questions& questions, const char* question) {
    return questions.AskButtons(question, "", kRunButton, kCancelButton, "") == 1;
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

    const QStringList estimates = FilesToCopy(live.data, true);
    const QString environmentFile =
        ResolveCaseInsensitive(QDir(live.program).filePath(kEnvironmentName));
    const QString environmentCopy = FolderNames(live.master).Target(kEnvironmentName);
    const bool hasMasters = QFileInfo(live.master).isDir();
    const QStringList mastersBefore = FilesToCopy(live.master, false);
    const bool environmentInMasters = mastersBefore.contains(QFileInfo(environmentCopy).fileName());
    const QStringList templates = FilesToCopy(live.templates, false);
    // The environment is copied into the masters and then with them.
    const qsizetype masterFiles =
        hasMasters ? 1 + mastersBefore.size() + (environmentInMasters ? 0 : 1) : 0;
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
    if (const QString to = folderFor(live.master, kMasterSet); !to.isEmpty()) {
        copier.CopySet(live.master, FilesToCopy(live.master, false), to);
    }
    if (const QString to = folderFor(live.templates, kTemplateSet); !to.isEmpty()) {
        copier.CopySet(live.templates, templates, to);
    }
    const CopyRun run = copier.Finish();
    Tell(questions, run, kBackupDoneMessage, kBackupFailedMessage);
    return run;
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
    // Restoring over data that another copy has open would change it under that copy.
    if (const std::vector<QString> held = HeldMarkers(live); !held.empty()) {
        std::string message = std::string(kRestoreInUseMessage) + "\n";
        for (const QString& marker : held)
            message.append(1, '\n').append(Shown(marker).toStdString());
        questions.Inform(message);
        return Refused();
    }
    if (ask && !Confirmed(questions, kRestoreQuestion)) return Refused(CopyRunResult::kCancelled);

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
    const QString environmentBackup =
        ResolveCaseInsensitive(QDir(masterSource).filePath(kEnvironmentName));
    const bool hasEnvironment = QFileInfo(environmentBackup).isFile();
    int total = hasEnvironment ? 1 : 0;
    for (const Set& set : sets) total += static_cast<int>(set.names.size());
    Copier copier(observer, total);
    copier.Count();

    if (observer.status)
        observer.status(QStringLiteral(" ") + Shown(QDir(dataSource).filePath("*.dat")));
    // A restore makes no folder: a set whose live folder is missing is reported.
    for (const Set& set : sets) {
        if (!QFileInfo(set.from).isDir()) {
            copier.Fail(set.from, "バックアップにフォルダーがありません");
        } else if (!QFileInfo(set.to).isDir()) {
            copier.Fail(set.to, "フォルダーがありません");
        } else {
            copier.CopySet(set.from, set.names, set.to);
        }
    }
    if (QFileInfo(dataSource).isDir() && QFileInfo(live.data).isDir())
        copier.MergeArchive(dataSource, live.data);
    // The environment goes back where the program reads it, not only into the masters.
    if (hasEnvironment) {
        copier.Copy(environmentBackup, FolderNames(live.program).Target(kEnvironmentName));
    }
    const CopyRun run = copier.Finish();
    Tell(questions, run, kRestoreDoneMessage, kRestoreFailedMessage);
    return run;
}

}  // namespace quilto
