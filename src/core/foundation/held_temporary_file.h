#pragma once

// The temporary file of a crash-safe write, held with an open-file-description lock from
// the moment it exists until it is renamed over its target or removed. A kill drops the
// lock with the process, so a temporary file nobody holds is the leftover of a write that
// never finished, and one somebody holds is a write going on right now, in this copy of the
// program or in another one on a shared folder: the leftover clean-up takes the lock to
// tell them apart, never the file's age.

#include <QByteArray>
#include <QString>
#include <string_view>

namespace quilto {

class HeldTemporaryFile {
  public:
    HeldTemporaryFile() = default;
    // Removes a file that was neither committed nor discarded.
    ~HeldTemporaryFile();
    HeldTemporaryFile(const HeldTemporaryFile&) = delete;
    HeldTemporaryFile& operator=(const HeldTemporaryFile&) = delete;

    // A new file "<target>.XXXXXX" (six random letters and digits) beside target, locked.
    // False with errno set when the folder takes no new file.
    bool CreateBeside(const QString& target);
    // A new file of exactly this name, locked; an unheld leftover of that name is removed
    // first. False with errno EBUSY when another running copy holds that name.
    bool CreateNamed(const QString& path);

    int Descriptor() const { return fd_; }
    const QByteArray& Name() const { return name_; }
    // Gives the file the permission bits of target when target exists.
    bool CopyModeOf(const QString& target);
    // Writes all of bytes; false with errno set on a short write.
    bool Write(std::string_view bytes);
    // Flushes the content and renames the file over target; false with errno set (the
    // file is then removed). The lock goes with the close.
    bool CommitOver(const QString& target, bool flush = true);
    // Flushes the content and gives the file target's name only when no file of that name
    // exists (EEXIST otherwise); the caller must hold a claim on the name where the file
    // system cannot refuse to replace.
    bool CommitAsNew(const QString& target);
    // Removes the file (while still holding it) and closes it.
    void Discard();
    // Closes the file and leaves it where it is, no longer held; its name is returned.
    QByteArray Keep();

  private:
    bool Adopt(int fd, const QByteArray& name);
    int fd_ = -1;
    QByteArray name_;
};

}  // namespace quilto
