#pragma once

// 発行履歴: the documents issued to clients from one estimate, newest first, from the
// issued-document archive; a double click or 開く opens the kept PDF in the desktop's
// viewer. Shown by the estimate list and the editor alike.

#include <QDialog>
#include <vector>

#include "core/store/issued_archive.h"

class QTableWidget;

namespace quilto {

class IssueHistoryDialog : public QDialog {
    Q_OBJECT

  public:
    // issues: the estimate's issues (oldest first, as the archive keeps them).
    IssueHistoryDialog(const QString& archiveFolder, const QString& number,
                       std::vector<IssueEntry> issues, QWidget* parent = nullptr);

  private:
    void OpenChosen();

    QString archiveFolder_;
    std::vector<IssueEntry> issues_;  // newest first, as listed
    QTableWidget* table_ = nullptr;
};

}  // namespace quilto
