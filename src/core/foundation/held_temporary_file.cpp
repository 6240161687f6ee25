#include "core/foundation/held_temporary_file.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QRandomGenerator>
#include <cerrno>

#include "core/foundation/file_lock.h"

namespace quilto {
namespace {

constexpr int kAttempts = 100;

int OpenNew(const QByteArray& name) {
    for (;;) {
        const int fd = ::open(name.constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EINTR) return fd;
    }
}

QByteArray RandomSuffix() {
    static constexpr char kLetters[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    QByteArray suffix(".XXXXXX");
    for (int i = 1; i < suffix.size(); ++i)
        suffix[i] = kLetters[QRandomGenerator::global()->bounded(62)];
    return suffix;
}

// Removes name when nobody holds it: EBUSY when a running copy does.
bool RemoveUnheld(const QByteArray& name) {
    const int fd = ::open(name.constData(), O_RDWR | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0) return errno == ENOENT;
    bool removed = false;
    switch (TryWriteLock(fd)) {
        case LockResult::kTaken:
            removed = !NameRefersTo(fd, name) || ::unlink(name.constData()) == 0;
            break;
        case LockResult::kHeldElsewhere:
            errno = EBUSY;
            break;
        case LockResult::kError:
            break;
    }
    const int error = errno;
    ::close(fd);
    errno = error;
    return removed;
}

}  // namespace

HeldTemporaryFile::~HeldTemporaryFile() { Discard(); }

bool HeldTemporaryFile::Adopt(int fd, const QByteArray& name) {
    // A leftover clean-up may have removed the new file before the lock was ours.
    if (TryWriteLock(fd) == LockResult::kTaken && NameRefersTo(fd, name)) {
        fd_ = fd;
        name_ = name;
        return true;
    }
    ::close(fd);
    return false;
}

bool HeldTemporaryFile::CreateBeside(const QString& target) {
    Discard();
    const QByteArray base = QFile::encodeName(target);
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        const QByteArray name = base + RandomSuffix();
        const int fd = OpenNew(name);
        if (fd < 0) {
            if (errno == EEXIST) continue;
            return false;
        }
        if (Adopt(fd, name)) return true;
    }
    errno = EAGAIN;
    return false;
}

bool HeldTemporaryFile::CreateNamed(const QString& path) {
    Discard();
    const QByteArray name = QFile::encodeName(path);
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        if (!RemoveUnheld(name)) return false;
        const int fd = OpenNew(name);
        if (fd < 0) {
            if (errno == EEXIST) continue;
            return false;
        }
        if (Adopt(fd, name)) return true;
    }
    errno = EAGAIN;
    return false;
}

bool HeldTemporaryFile::CopyModeOf(const QString& target) {
    struct stat old {};
    if (::stat(QFile::encodeName(target).constData(), &old) != 0) return true;
    return ::fchmod(fd_, old.st_mode & 07777) == 0;
}

bool HeldTemporaryFile::Write(std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd_, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        if (n == 0) {
            errno = ENOSPC;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

bool HeldTemporaryFile::CommitOver(const QString& target, bool flush) {
    if (fd_ < 0) {
        errno = EBADF;
        return false;
    }
    if ((flush && ::fsync(fd_) != 0) ||
        ::rename(name_.constData(), QFile::encodeName(target).constData()) != 0) {
        const int error = errno;
        Discard();
        errno = error;
        return false;
    }
    ::close(fd_);  // the content was flushed above; closing drops the lock
    fd_ = -1;
    name_.clear();
    return true;
}

bool HeldTemporaryFile::CommitAsNew(const QString& target) {
    if (fd_ < 0) {
        errno = EBADF;
        return false;
    }
    const QByteArray targetName = QFile::encodeName(target);
    if (::fsync(fd_) != 0) {
        const int error = errno;
        Discard();
        errno = error;
        return false;
    }
    int renamed = ::renameat2(AT_FDCWD, name_.constData(), AT_FDCWD, targetName.constData(),
                              RENAME_NOREPLACE);
    if (renamed != 0 && (errno == EINVAL || errno == ENOSYS || errno == ENOTSUP)) {
        // The file system cannot refuse to replace: the name is free under the caller's
        // claim when nothing carries it now.
        struct stat existing {};
        if (::lstat(targetName.constData(), &existing) == 0) {
            errno = EEXIST;
        } else {
            renamed = ::rename(name_.constData(), targetName.constData());
        }
    }
    if (renamed != 0) {
        const int error = errno;
        Discard();
        errno = error;
        return false;
    }
    ::close(fd_);
    fd_ = -1;
    name_.clear();
    return true;
}

QByteArray HeldTemporaryFile::Keep() {
    if (fd_ < 0) return {};
    ::close(fd_);
    fd_ = -1;
    QByteArray name;
    name.swap(name_);
    return name;
}

void HeldTemporaryFile::Discard() {
    if (fd_ < 0) return;
    if (NameRefersTo(fd_, name_)) ::unlink(name_.constData());
    ::close(fd_);
    fd_ = -1;
    name_.clear();
}

}  // namespace quilto
