#pragma once

// Temporary files of writes that a kill, a crash or a power cut interrupted: every rewrite
// goes through a temporary file beside its target (NAME.XXXXXX while a file is saved,
// .NAME.copying while backup and restore copy it), renamed over the target once complete.
// A write that never finished leaves that file behind, whole or not, for ever. They are
// removed at start-up and by the check, once nothing has written to them for a while: a
// write in progress, in this copy or in another PC's on a shared folder, touches its file
// all the time and takes seconds, not minutes.

#include <QDateTime>
#include <QStringList>

namespace quilto {

class Environment;

// Files untouched for this long are no write in progress.
inline constexpr qint64 kInterruptedWriteAgeSeconds = 10 * 60;

struct InterruptedWrites {
    QStringList removed;  // paths
    QStringList kept;     // leftovers that could not be removed: path and reason
};

// Looks in the given folders (not their subfolders).
InterruptedWrites RemoveInterruptedWrites(const QStringList& folders, const QDateTime& now);

// The folders of the working folder whose files are rewritten: the working folder itself
// (the environment file, the backup estimate), the data and master folders, XlsBase and the
// issued-document archive.
QStringList WrittenFolders(Environment& environment);

// What to tell the user (UTF-8), empty when nothing was found.
std::string InterruptedWritesMessage(const InterruptedWrites& found);

}  // namespace quilto
