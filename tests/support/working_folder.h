#pragma once

#include <QString>
#include <QTemporaryDir>
#include <string>

namespace quilto::test {

// A fresh temporary folder made the current directory for the life of the object, since the
// program works in its working folder. Optionally with the empty DAT, MST and XlsBase
// folders of an installation.
class WorkingFolder {
  public:
    explicit WorkingFolder(bool withInstallFolders = true);
    ~WorkingFolder();
    WorkingFolder(const WorkingFolder&) = delete;
    WorkingFolder& operator=(const WorkingFolder&) = delete;

    QString Path() const { return dir_.path(); }
    QString FilePath(const QString& relative) const { return dir_.filePath(relative); }

  private:
    QTemporaryDir dir_;
    QString previous_;
};

// Whole-file helpers for fixtures made in the tests.
std::string ReadAll(const QString& path);
void WriteAll(const QString& path, const std::string& bytes);

}  // namespace quilto::test
