#pragma once

// The table-definition editor (EXCELセル設定): for the chosen print pattern, the spreadsheet
// cell of every item of the cover, summary, breakdown and detail sheets and of the two
// free-form layouts, and the lines a page holds. Its fields are the working copy of the
// program's definitions: loading a pattern fills them, 保存 takes them back. The rules
// live in excel/table_definition_editor; this window binds them to its fields.

#include <QDialog>
#include <QString>
#include <functional>
#include <vector>

#include "core/excel/table_definition_editor.h"

class QLineEdit;
class QPushButton;
class QTabWidget;
class QUrl;

namespace quilto {

class PatternCombo;
class ProgramState;

class TFormMXls1 : public QDialog {
    Q_OBJECT

  public:
    explicit TFormMXls1(ProgramState& program, QWidget* parent = nullptr);

    // How エクセル表編集 picks a template (caption, folder, filter; empty when cancelled)
    // and opens it; the desktop's file dialog and handler unless a test replaces them.
    using FileChooser = std::function<QString(const QString&, const QString&, const QString&)>;
    void SetFileChooser(FileChooser chooser);
    void SetUrlOpener(std::function<bool(const QUrl&)> openUrl);

    // The field that shows a definition field, by its name; nullptr for an unknown name.
    QLineEdit* Field(const char* name) const;

  protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void BuildFields();
    QLineEdit* MakeField(std::size_t index, QWidget* parent);
    void ShowFields();
    void LoadChosenPattern();
    void PatternLeft();
    void Save();
    void PutStandardValues();
    void RestorePrevious();
    void EditTemplate();
    void ShowCoverFirst();
    bool HandleKey(QObject* watched, QKeyEvent* event);
    void FieldEntered(std::size_t index);
    void FieldLeft(std::size_t index);
    std::size_t IndexOf(const QObject* widget) const;

    ProgramState& program_;
    TableDefinitionSession session_;
    FileChooser chooseFile_;
    std::function<bool(const QUrl&)> openUrl_;
    // The pattern whose definitions the fields show.
    int loadedPattern_ = 0;

    std::vector<QLineEdit*> fields_;  // one per field of TableFields(), same order
    PatternCombo* cbListMS_ = nullptr;
    QLineEdit* edit1_ = nullptr;
    QTabWidget* pageControl1_ = nullptr;
    QTabWidget* freePages_ = nullptr;
    QPushButton* saveBtn_ = nullptr;
};

}  // namespace quilto
