#pragma once

// The environment settings dialog (環境設定): the company data on four sub-tabs and the
// options the editor and the output read. Its widgets mirror the environment's working copy
// of the dialog (EnvironmentSettings, by control name): opening reads the file into it,
// every edit goes into it, the buttons apply the rules of settings/environment_dialog to it,
// and closing always saves it. There is no cancel.

#include <QDialog>
#include <map>
#include <string>

#include "core/store/own_settings.h"

class QCheckBox;
class QComboBox;
class QGridLayout;
class QLineEdit;
class QTabWidget;

namespace quilto {

class ProgramState;

class TFormMConf : public QDialog {
    Q_OBJECT

  public:
    explicit TFormMConf(ProgramState& program, QWidget* parent = nullptr);

  signals:
    // The dialog closed: its settings are in effect in memory (and saved, unless a message
    // said otherwise). Whoever shows captions or figures that depend on them refreshes now.
    void SettingsClosed();

  protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Every way of closing (閉じる, Esc, the close box) ends here: the settings are saved.
    void done(int result) override;

  private:
    QWidget* BuildCompanyTab();
    QWidget* BuildCompanyPage(int block);
    QWidget* BuildOptionsTab();
    QWidget* BuildCaptionGroup();
    QWidget* BuildMessageGroup();
    QWidget* BuildPatternGroup();
    // A text field bound to its control; field names it in messages.
    QLineEdit* AddEdit(const std::string& name, const QString& field, QWidget* parent);
    QComboBox* AddRounding(const std::string& name, const QString& field, QWidget* parent);
    QCheckBox* AddCheck(const std::string& name, const QString& caption, QWidget* parent);
    void AddRow(QGridLayout* grid, int row, const QString& label, QWidget* field);

    // A field kept in quilto.conf, not in the environment (OwnSettingsFields).
    QLineEdit* AddOwnEdit(const char* name, int maxLength, QWidget* parent);
    // Working copy -> widgets.
    void ShowSettings();
    // The quilto.conf fields: checked first; false keeps the dialog open at the field.
    bool SaveOwnFields();
    void GoToField(QLineEdit* field);
    bool HandleKey(QWidget* watched, QKeyEvent* event);
    void MoveFocus(bool next);
    void SwitchTab();

    ProgramState& program_;
    std::map<std::string, QLineEdit*> edits_;
    std::map<std::string, QComboBox*> combos_;
    std::map<std::string, QCheckBox*> checks_;
    QLineEdit* registrationNumber_ = nullptr;
    QLineEdit* welfareRate_ = nullptr;
    OwnSettings storedOwn_;  // quilto.conf as read when the dialog opened
    QTabWidget* pageControl1_ = nullptr;
    QTabWidget* pageControl2_ = nullptr;
    bool filling_ = false;
};

}  // namespace quilto
