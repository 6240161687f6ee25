#pragma once

#include <QString>
#include <QTemporaryDir>
#include <string>

namespace quilto::test {

// A fresh temporary folder made the current directory for the life of the object, since the
// program works in its working folder. Optionally with the empty DAT, MST and XlsBase
// folders of an installation. The user's configuration folder is a temporary one, empty.
// The desktop's trash (XDG_DATA_HOME) is a temporary folder of
// its own for the same time, so that nothing a test deletes lands in the real one.
class WorkingFolder {
  public:
    explicit WorkingFolder(bool withInstallFolders = true);
    ~WorkingFolder();
    WorkingFolder(const WorkingFolder&) = delete;
    WorkingFolder& operator=(const WorkingFolder&) = delete;

    QString Path() const { return dir_.path(); }
    QString FilePath(const QString& relative) const { return dir_.filePath(relative); }
    // Where the trash keeps the files moved into it.
    QString TrashFiles() const { return dataHome_.filePath(QStringLiteral("Trash/files")); }
    // Points the trash at path for the rest of the object's life (a place where no trash can
    // be made stands for a file system without one).
    void SetDataHome(const QString& path);
    // The user's configuration folder (XDG_CONFIG_HOME), empty and temporary for the life of
    // the object, so that no run sees the working folder a developer's own program remembers.
    QString ConfigHome() const { return configHome_.path(); }

  private:
    QTemporaryDir dir_;
    QTemporaryDir dataHome_;
    QTemporaryDir configHome_;
    QString previous_;
    QByteArray previousDataHome_;
    bool hadDataHome_ = false;
    QByteArray previousConfigHome_;
    bool hadConfigHome_ = false;
};

// Whole-file helpers for fixtures made in the tests.
std::string ReadAll(const QString& path);
void WriteAll(const QString& path, const std::string& bytes);

}  // namespace quilto::test
