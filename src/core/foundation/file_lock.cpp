#include "core/foundation/file_lock.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>

namespace quilto {

LockResult TryWriteLock(int fd) {
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    lock.l_start = 0;
    lock.l_len = 0;  // the whole file, however long
    lock.l_pid = 0;  // required for open-file-description locks
    for (;;) {
        if (::fcntl(fd, F_OFD_SETLK, &lock) == 0) return LockResult::kTaken;
        if (errno == EINTR) continue;
        if (errno == EAGAIN || errno == EACCES) return LockResult::kHeldElsewhere;
        return LockResult::kError;
    }
}

bool NameRefersTo(int fd, const QByteArray& name) {
    struct stat opened {};
    struct stat named {};
    if (::fstat(fd, &opened) != 0 || ::lstat(name.constData(), &named) != 0) return false;
    return opened.st_dev == named.st_dev && opened.st_ino == named.st_ino;
}

}  // namespace quilto
