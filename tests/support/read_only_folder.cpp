#include "support/read_only_folder.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <QDir>
#include <QFile>

namespace quilto::test {
namespace {

bool CanCreateFileIn(const QString& folder) {
    QFile probe(QDir(folder).filePath(QStringLiteral(".write-probe")));
    if (!probe.open(QIODevice::WriteOnly | QIODevice::NewOnly)) return false;
    probe.close();
    probe.remove();
    return true;
}

bool SetImmutable(const QString& folder, bool on) {
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
    if (fd < 0) return false;
    int flags = 0;
    bool done = false;
    if (::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0) {
        flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
        done = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    ::close(fd);
    return done;
}

}  // namespace

ReadOnlyFolder::ReadOnlyFolder(const QString& path) : path_(path) {
    QFile::setPermissions(path_, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup |
                                     QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther);
    if (CanCreateFileIn(path_)) immutable_ = SetImmutable(path_, true);
    usable_ = !CanCreateFileIn(path_);
}

ReadOnlyFolder::~ReadOnlyFolder() {
    if (immutable_) SetImmutable(path_, false);
    QFile::setPermissions(path_, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                     QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther |
                                     QFile::ExeOther);
}

}  // namespace quilto::test
