#include "core/foundation/atomic_file.h"

#include <QFile>
#include <cerrno>

#include "core/foundation/file_helpers.h"
#include "core/foundation/held_temporary_file.h"

namespace quilto {

bool SaveFileAtomically(const QString& path, std::string_view bytes) {
    return SaveFileAtomically(
        path, [bytes](const std::function<bool(std::string_view)>& write) { return write(bytes); });
}

namespace {

bool SaveAtomically(
    const QString& path,
    const std::function<bool(const std::function<bool(std::string_view piece)>& write)>& produce,
    bool durable) {
    // Written through a temporary file beside the target that stays locked until it is
    // renamed, so that the leftover clean-up of any running copy leaves it alone. Every
    // step reports the system's own reason (a short write past the file-size limit, a full
    // disk, a missing folder).
    HeldTemporaryFile file;
    if (!file.CreateBeside(path) || !file.CopyModeOf(path)) {
        NoteFileFailureErrno(path, errno);
        return false;
    }
    int writeFailure = 0;
    const bool made = produce([&](std::string_view piece) {
        if (writeFailure == 0 && !file.Write(piece)) writeFailure = errno;
        return writeFailure == 0;
    });
    if (writeFailure != 0 || !made) {
        NoteFileFailureErrno(path, writeFailure != 0 ? writeFailure : EINVAL);
        return false;
    }
    if (!file.CommitOver(path, durable)) {
        NoteFileFailureErrno(path, errno);
        return false;
    }
    // The rename is only durable once the folder itself is on disk. Should that flush fail,
    // the new content is in place all the same; the save is reported as done.
    if (durable) SyncFolderOf(path);
    return true;
}

}  // namespace

bool SaveFileAtomically(
    const QString& path,
    const std::function<bool(const std::function<bool(std::string_view piece)>& write)>& produce) {
    return SaveAtomically(path, produce, true);
}

bool SaveRebuildableFileAtomically(
    const QString& path,
    const std::function<bool(const std::function<bool(std::string_view piece)>& write)>& produce) {
    return SaveAtomically(path, produce, false);
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
