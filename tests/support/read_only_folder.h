#pragma once

#include <QString>

namespace quilto::test {

// Makes a folder refuse new entries (creating, renaming, removing files in it) for the life
// of the object, while its existing files keep their own permissions: the state of a
// read-only share or a folder the user may not write. Permission bits do not stop root, so
// there the folder is also marked immutable where the file system allows it. Usable()
// tells whether the folder really refuses new files; a test skips when it does not.
class ReadOnlyFolder {
  public:
    explicit ReadOnlyFolder(const QString& path);
    ~ReadOnlyFolder();
    ReadOnlyFolder(const ReadOnlyFolder&) = delete;
    ReadOnlyFolder& operator=(const ReadOnlyFolder&) = delete;

    bool Usable() const { return usable_; }

  private:
    QString path_;
    bool immutable_ = false;
    bool usable_ = false;
};

}  // namespace quilto::test
