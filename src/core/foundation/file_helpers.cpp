#include "core/foundation/file_helpers.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>
#include <QUrl>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "core/foundation/clock.h"
#include "core/foundation/cp932.h"
#include "core/foundation/held_temporary_file.h"
#include "core/foundation/text_bytes.h"

namespace quilto {
namespace {

// True when the last byte is the given separator standing as a character of its own; with
// the Windows separator the second byte of a double-byte character (表 is 0x95 0x5C) is
// part of that character, not a separator.
bool EndsWithSeparator(std::string_view path, char separator) {
    if (path.empty() || path.back() != separator) return false;
    return ByteClass(path, static_cast<int>(path.size())) != ByteKind::kSecond;
}

thread_local QString lastFileFailure;

}  // namespace

QString LastFileFailure() { return lastFileFailure; }

void ClearFileFailure() { lastFileFailure.clear(); }

void NoteFileFailure(const QString& path, const QString& reason) {
    lastFileFailure = QFileInfo(path).absoluteFilePath() + QStringLiteral(": ") + reason;
}

void NoteFileFailureErrno(const QString& path, int error) {
    NoteFileFailure(path, QString::fromLocal8Bit(std::strerror(error)));
}

bool SyncFolderOf(const QString& path) {
    const QString folder = QFileInfo(path).absolutePath();
    const QByteArray name = QFile::encodeName(folder);
    const int fd = ::open(name.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        NoteFileFailureErrno(folder, errno);
        return false;
    }
    int synced = ::fsync(fd);
    // Some file systems cannot flush a folder at all; what they hold is as safe as it gets.
    if (synced != 0 && (errno == EINVAL || errno == EROFS || errno == ENOTSUP)) synced = 0;
    if (synced != 0) NoteFileFailureErrno(folder, errno);
    ::close(fd);
    return synced == 0;
}

namespace {

bool SameDevice(const QString& a, const QString& b) {
    struct stat sa {};
    struct stat sb {};
    return ::stat(QFile::encodeName(a).constData(), &sa) == 0 &&
           ::stat(QFile::encodeName(b).constData(), &sb) == 0 && sa.st_dev == sb.st_dev;
}

// The nearest folder of path (itself or above it) that exists.
QString ExistingAncestor(QString path) {
    while (!QFileInfo(path).isDir()) {
        const QString up = QFileInfo(path).absolutePath();
        if (up == path) break;
        path = up;
    }
    return path;
}

// The freedesktop trash for a file: the user's own ($XDG_DATA_HOME/Trash) when the file is
// on the same file system, otherwise $topdir/.Trash-$uid of the file's file system. Empty
// when none can be made: a file is never moved across file systems into a trash.
QString TrashFolderFor(const QString& file) {
    QString dataHome = qEnvironmentVariable("XDG_DATA_HOME");
    if (dataHome.isEmpty() || QDir::isRelativePath(dataHome)) {
        dataHome = QDir::homePath() + QStringLiteral("/.local/share");
    }
    const QString folder = QFileInfo(file).absolutePath();
    const QString home = dataHome + QStringLiteral("/Trash");
    if (SameDevice(folder, ExistingAncestor(home))) return home;
    const QString top = QStorageInfo(folder).rootPath();
    if (top.isEmpty()) return {};
    const QString shared = QDir(top).filePath(QStringLiteral(".Trash-%1").arg(::getuid()));
    return SameDevice(folder, ExistingAncestor(shared)) ? shared : QString();
}

bool MakePrivateFolder(const QString& path) {
    if (QFileInfo(path).isDir()) return true;
    if (!QDir().mkpath(QFileInfo(path).absolutePath())) return false;
    return ::mkdir(QFile::encodeName(path).constData(), 0700) == 0 || QFileInfo(path).isDir();
}

// Moves file into the trash as the desktop's file managers do: the name is reserved by
// creating its .trashinfo (which records where the file came from and when) and the file
// is then renamed into files/. False, with the file where it was, when there is no usable
// trash.
bool MoveToTrash(const QString& file, QString& inTrash) {
    const QString trash = TrashFolderFor(file);
    if (trash.isEmpty()) return false;
    const QString files = trash + QStringLiteral("/files");
    const QString info = trash + QStringLiteral("/info");
    if (!MakePrivateFolder(trash) || !MakePrivateFolder(files) || !MakePrivateFolder(info)) {
        return false;
    }
    const QFileInfo source(file);
    const QString absolute = source.absoluteFilePath();
    for (int n = 1; n < 1000; ++n) {
        const QString name =
            n == 1
                ? source.fileName()
                : source.completeBaseName() + QStringLiteral(".%1").arg(n) +
                      (source.suffix().isEmpty() ? QString() : QLatin1Char('.') + source.suffix());
        const QString infoPath = info + QLatin1Char('/') + name + QStringLiteral(".trashinfo");
        QFile record(infoPath);
        if (!record.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
            if (QFileInfo::exists(infoPath)) continue;
            return false;
        }
        const QString target = files + QLatin1Char('/') + name;
        if (QFileInfo::exists(target)) {
            record.remove();
            continue;
        }
        const QByteArray text = "[Trash Info]\nPath=" + QUrl::toPercentEncoding(absolute, "/") +
                                "\nDeletionDate=" + Now().toString(Qt::ISODate).left(19).toUtf8() +
                                "\n";
        const bool recorded = record.write(text) == text.size() && record.flush();
        record.close();
        if (!recorded || std::rename(QFile::encodeName(absolute).constData(),
                                     QFile::encodeName(target).constData()) != 0) {
            QFile::remove(infoPath);
            return false;
        }
        SyncFolderOf(absolute);
        SyncFolderOf(target);
        inTrash = target;
        return true;
    }
    return false;
}

}  // namespace

Removal RemoveRecoverably(const QString& path, const QString& keepFolder) {
    Removal removal;
    const QFileInfo info(path);
    if (!info.isFile()) {
        NoteFileFailureErrno(path, ENOENT);
        return removal;
    }
    QString inTrash;
    if (MoveToTrash(path, inTrash)) {
        removal.moved = true;
        removal.movedTo = inTrash;
        removal.toTrash = true;
        return removal;
    }
    // No trash for this file system (or none that can be written): the file goes into the
    // keep folder beside it instead, never away for good.
    const QDir keep(keepFolder);
    if (!keep.exists() && ::mkdir(QFile::encodeName(keepFolder).constData(), 0777) != 0) {
        NoteFileFailureErrno(keepFolder, errno);
        return removal;
    }
    QString target = keep.filePath(info.fileName());
    if (QFileInfo::exists(target)) {
        const QString stamp = Now().toString(QStringLiteral("yyyyMMdd-hhmmsszzz"));
        target =
            keep.filePath(info.completeBaseName() + QLatin1Char('.') + stamp +
                          (info.suffix().isEmpty() ? QString() : QLatin1Char('.') + info.suffix()));
    }
    const QByteArray from = QFile::encodeName(path);
    const QByteArray to = QFile::encodeName(target);
    if (std::rename(from.constData(), to.constData()) != 0) {
        NoteFileFailureErrno(path, errno);
        return removal;
    }
    SyncFolderOf(path);
    SyncFolderOf(target);
    removal.moved = true;
    removal.movedTo = target;
    return removal;
}

std::string AppendSeparator(std::string_view path, char separator) {
    if (path.empty()) return {};
    std::string result(path);
    // However many separators it ends in, a folder path comes back with exactly one.
    while (EndsWithSeparator(result, separator)) result.pop_back();
    // A path of separators only is the root, which must not turn into the (empty) working
    // folder.
    result.push_back(separator);
    return result;
}

QString NativePath(std::string_view cp932Path) { return Cp932ToQStringLossy(cp932Path); }

QString ResolveCaseInsensitive(const QString& path) {
    const QFileInfo info(path);
    if (info.exists()) return path;
    const QString name = info.fileName();
    if (name.isEmpty()) return path;
    const QDir folder = info.dir();
    // Sorted by name so that, should both xkp00.dat and Xkp00.dat exist, the choice is
    // always the same one.
    const QStringList entries = folder.entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString& entry : entries) {
        if (entry.compare(name, Qt::CaseInsensitive) == 0) return folder.filePath(entry);
    }
    return path;
}

std::int64_t FileSizeOf(const QString& path) {
    if (QFileInfo(path).isDir()) return -1;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return -1;
    return file.size();
}

bool CanOpenFile(const QString& path) {
    if (path.isEmpty() || QFileInfo(path).isDir()) return false;
    QFile file(path);
    return file.open(QIODevice::ReadOnly);
}

bool CreateEmptyFile(const QString& path) {
    if (path.isEmpty() || QFileInfo(path).isDir()) return false;
    // Never creates the folder: a missing folder means the installation is not as expected,
    // and the caller reports it.
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return true;
    NoteFileFailure(path, file.errorString());
    return false;
}

bool CopyFileOver(const QString& source, const QString& target) {
    if (QFileInfo(source).isDir()) {
        NoteFileFailureErrno(source, EISDIR);
        return false;
    }
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly)) {
        NoteFileFailure(source, in.errorString());
        return false;
    }
    // Written beside the target (held, so no clean-up takes it meanwhile) and renamed over
    // it: a failed copy leaves the old target as it was instead of a truncated file.
    HeldTemporaryFile out;
    if (!out.CreateBeside(target) || !out.CopyModeOf(target)) {
        NoteFileFailureErrno(target, errno);
        return false;
    }
    constexpr qint64 kChunk = 1 << 16;
    while (!in.atEnd()) {
        const QByteArray chunk = in.read(kChunk);
        if (chunk.isEmpty()) {
            if (in.error() == QFileDevice::NoError) break;
            NoteFileFailure(source, in.errorString());
            return false;
        }
        if (!out.Write(
                std::string_view(chunk.constData(), static_cast<std::size_t>(chunk.size())))) {
            NoteFileFailureErrno(target, errno);
            return false;
        }
    }
    if (!out.CommitOver(target)) {
        NoteFileFailureErrno(target, errno);
        return false;
    }
    SyncFolderOf(target);
    return true;
}

}  // namespace quilto
