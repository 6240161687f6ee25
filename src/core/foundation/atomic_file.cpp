#include "core/foundation/atomic_file.h"

#include <QFile>
#include <QSaveFile>
#include <cerrno>

#include "core/foundation/file_helpers.h"

namespace quilto {

bool SaveFileAtomically(const QString& path, std::string_view bytes) {
    // QSaveFile writes beside the target and fsyncs before the rename. Unbuffered, so that
    // a short write (full disk, file-size limit) shows in write()'s count: a buffered
    // QSaveFile (Qt 6.4) loses the failure of its final flush and commits a cut file.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        NoteFileFailure(path, file.errorString());
        return false;
    }
    const auto size = static_cast<qint64>(bytes.size());
    errno = 0;
    if (file.write(bytes.data(), size) != size) {
        // A short write past the file-size limit leaves QSaveFile with "Unknown error";
        // the system's own reason is the one to tell.
        const int error = errno;
        if (error != 0) {
            NoteFileFailureErrno(path, error);
        } else {
            NoteFileFailure(path, file.errorString());
        }
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        NoteFileFailure(path, file.errorString());
        return false;
    }
    // The rename is only durable once the folder itself is on disk. Should that flush fail,
    // the new content is in place all the same; the save is reported as done.
    SyncFolderOf(path);
    return true;
}

std::optional<std::string> ReadWholeFile(const QString& path, qint64 maxBytes) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
    if (file.size() > maxBytes) return std::nullopt;
    const QByteArray data = file.read(maxBytes + 1);
    if (data.size() > maxBytes) return std::nullopt;
    return std::string(data.constData(), static_cast<std::size_t>(data.size()));
}

}  // namespace quilto
