#pragma once

// The folder question: what the folder is for, the folder proposed in an edit box, a button
// that browses for another one. The browser's side bar offers the home folder, mounted
// media and the network shares of the machine, so that an office's shared folder is found
// where a user looks for it.

#include <QDialog>

class QLineEdit;

namespace quilto {

class FolderQuestion : public QDialog {
    Q_OBJECT

  public:
    FolderQuestion(const QString& caption, const QString& message, const QString& initial,
                   QWidget* parent = nullptr);

    QString Folder() const;

  private:
    void Browse();

    QLineEdit* folder_ = nullptr;
};

}  // namespace quilto
