#pragma once

// Temporary files of writes that a kill, a crash or a power cut interrupted: every rewrite
// goes through a temporary file beside its target (NAME.XXXXXX while a file is saved,
// .NAME.copying while backup and restore copy it), renamed over the target once complete.
// A write that never finished leaves that file behind, whole or not, for ever. They are
// removed at start-up, by the check and by the leftover deletion of the menu. A write in
// progress, in this copy or in another PC's on a shared folder, holds its temporary file's
// lock from its creation to its rename (HeldTemporaryFile), so the lock tells a leftover
// from a write going on: a held file stays, whatever its age.

#include <QStringList>

namespace quilto {

class Environment;

struct InterruptedWrites {
    QStringList removed;  // paths
    QStringList kept;     // leftovers that could not be removed: path and reason
    int held = 0;         // writes going on now in a running copy: left alone
};

// Looks in the given folders (not their subfolders).
InterruptedWrites RemoveInterruptedWrites(const QStringList& folders);

// The folders of the working folder whose files are rewritten: the working folder itself
// (the environment file, the backup estimate), the data and master folders, XlsBase and the
// issued-document archive.
QStringList WrittenFolders(Environment& environment);

// What to tell the user (UTF-8), empty when nothing was found.
std::string InterruptedWritesMessage(const InterruptedWrites& found);

}  // namespace quilto
