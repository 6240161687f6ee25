#pragma once

// Whole-file write locks on an open file description (fcntl F_OFD_SETLK): the lock belongs
// to the descriptor, conflicts even with another descriptor of the same process and is
// dropped by the kernel when the holder closes it or dies. Markers and the files of a
// first save are held this way so that leftover deletion can tell a running copy's file
// from one a crash left behind.

#include <QByteArray>

namespace quilto {

enum class LockResult { kTaken, kHeldElsewhere, kError };

// Tries once (retrying only interrupted calls); never waits for another holder.
LockResult TryWriteLock(int fd);

// True when name still refers to the file open as fd (not removed or replaced since).
bool NameRefersTo(int fd, const QByteArray& name);

}  // namespace quilto
