#include "foundation/file_helpers.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include "foundation/cp932.h"
#include "foundation/text_bytes.h"

namespace quilto {
namespace {

// True when the last byte is the given separator standing as a character of its own; with
// the Windows separator the second byte of a double-byte character (表 is 0x95 0x5C) is
// part of that character, not a separator.
bool EndsWithSeparator(std::string_view path, char separator) {
    if (path.empty() || path.back() != separator) return false;
    return ByteClass(path, static_cast<int>(path.size())) != 2;
}

// Extensions are compared the way the file names were written on Windows: letters in
// upper case.
QString UpperExtension(const QString& fileName) {
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? QString() : fileName.mid(dot).toUpper();
}

}  // namespace

void StripSeparator(std::string& path, char separator) {
    if (EndsWithSeparator(path, separator)) path.pop_back();
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

int CanOpenFile(const QString& path) {
    if (path.isEmpty() || QFileInfo(path).isDir()) return -1;
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? 0 : -1;
}

int CreateEmptyFile(const QString& path) {
    if (path.isEmpty() || QFileInfo(path).isDir()) return -1;
    // Never creates the folder: a missing folder means the installation is not as expected,
    // and the caller reports it.
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) ? 0 : -1;
}

int DeleteFilesWithExt(const QString& folder, std::string_view extension) {
    // An empty extension would match every file without one; nothing asks for that.
    if (extension.empty()) return 0;
    const QString wanted = Cp932ToQStringLossy(extension).toUpper();
    const QDir dir(folder);
    // Plain files only: hidden files, links, devices and folders are left alone.
    const QStringList names =
        dir.entryList(QDir::Files | QDir::NoDotAndDotDot | QDir::NoSymLinks, QDir::Name);
    for (const QString& name : names) {
        if (UpperExtension(name) == wanted) QFile::remove(dir.filePath(name));
    }
    return 0;
}

int CopyFileOver(const QString& source, const QString& target) {
    if (QFileInfo(source).isDir()) return -1;
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly)) return -1;
    // Written beside the target and renamed over it: a failed copy leaves the old target
    // as it was instead of a truncated file.
    QSaveFile out(target);
    if (!out.open(QIODevice::WriteOnly)) return -1;
    constexpr qint64 kChunk = 1 << 16;
    while (!in.atEnd()) {
        const QByteArray chunk = in.read(kChunk);
        if (chunk.isEmpty()) {
            if (in.error() == QFileDevice::NoError) break;
            out.cancelWriting();
            return -1;
        }
        if (out.write(chunk) != chunk.size()) {
            out.cancelWriting();
            return -1;
        }
    }
    return out.commit() ? 0 : -1;
}

}  // namespace quilto
