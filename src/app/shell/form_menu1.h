#pragma once

// The main menu: a narrow window from which every function is reached. It never edits
// anything itself: it sets the entry mode, lets the estimate list pick an estimate and opens
// the form of the chosen function. When it is first shown it runs the start-up (environment,
// histories, start-up check, masters, table definitions); a failed start ends the program.
// Closing it ends the program.

#include <QMainWindow>
#include <QPointer>
#include <QString>
#include <functional>

#include "core/editor/entry_mode.h"
#include "core/shell/startup_check.h"

class QAction;
class QDialog;
class QLabel;
class QPushButton;
class QTimer;
class QUrl;

namespace quilto {

class ProgramState;
class ShapeWidget;
class TFormAbout;
class TFormMenu2;
class TFormMXls1;

class TFormMenu1 : public QMainWindow {
    Q_OBJECT

  public:
    explicit TFormMenu1(ProgramState& program, QWidget* parent = nullptr);

    // The forms made after this one, used only once the start-up has run.
    void SetForms(TFormAbout* formAbout, TFormMenu2* formMenu2);
    // The table-definition editor behind エクセル表定義/編集; the button waits for it.
    void SetTableDefinitionForm(TFormMXls1* formMXls1);
    // The settings command (環境設定: the settings dialog, then the editor's recalculation) and
    // the backup window (バックアップ); their buttons stay disabled until they are set.
    void SetSettingsForms(std::function<void()> runSettings, QDialog* formMBup1);
    // Opens the estimate editor for the entry mode and selected number of the shell; until an
    // editor is installed the buttons that need it stay disabled.
    void SetEditorOpener(std::function<void()> openEditor);
    // Opens the name registration; SyoBtn1 stays disabled until it is set.
    void SetRegistrationOpener(std::function<void()> openRegistration);
    // How the manual is opened; the desktop's handler unless a test replaces it.
    void SetUrlOpener(std::function<bool(const QUrl&)> openUrl);
    // Where the manual is looked for (ManualPath); the program's own folder unless a test
    // names another.
    void SetProgramFolder(const QString& folder);

    // The working folder in use (shown in the caption) and what the command that points the
    // program at another folder needs: the user's configuration file and the installation's
    // skeleton. Until it is set the command stays disabled and the caption names no folder.
    void SetWorkingFolder(const QString& folder, const QString& configFile,
                          const QString& skeleton);

    // True once the start-up has run; StartUpResult() is its result.
    bool StartedUp() const { return startedUp_; }
    StartUpCheckResult StartUpResult() const { return startUpResult_; }

    // Shows the version window and lets Timer1 close it after interval milliseconds (100 to
    // 90000; anything else is 1000).
    void ShowVersionWindow(int interval);

  signals:
    // The main menu closed: the program ends.
    void ProgramEnded();

  protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    // The form sees keys before its buttons: Esc closes it.
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void BuildMenuBar();
    QWidget* BuildLogo();
    void RunStartUpOnce();
    // Unsaved edits a copy of the program left behind in this working folder: each is offered
    // (復元する / 破棄する / 後で); the first one recovered opens in the editor.
    void OfferRecovery();
    void ShowEstimateList(QPushButton* button, EntryMode entryMode);
    // Runs a window of the second panel with the logo greyed meanwhile.
    void ShowTool(const std::function<void()>& show);
    void OpenEditor();
    void DeleteLeftovers();
    void OpenManual();
    // 作業フォルダの変更: asks for another folder, lays it out, remembers it and starts again
    // there (environment, histories, check, masters); a failed start there ends the program.
    void ChangeFolder();

    ProgramState& program_;
    QPointer<TFormAbout> formAbout_;
    QPointer<TFormMenu2> formMenu2_;
    QPointer<TFormMXls1> formMXls1_;
    std::function<void()> runSettings_;
    QPointer<QDialog> formMBup1_;
    std::function<void()> openEditor_;
    std::function<void()> openRegistration_;
    std::function<bool(const QUrl&)> openUrl_;
    QString programFolder_;
    QString workingFolder_;
    QString configFile_;
    QString skeleton_;
    QAction* folderChange_ = nullptr;

    ShapeWidget* shape1_ = nullptr;
    QLabel* menTitle10_ = nullptr;
    QPushButton* newBtn_ = nullptr;
    QPushButton* custBtn_ = nullptr;
    QPushButton* chgBtn_ = nullptr;
    QPushButton* delBtn_ = nullptr;
    QPushButton* exitBtn_ = nullptr;
    QPushButton* exlBtn1_ = nullptr;
    QPushButton* exlBtn2_ = nullptr;
    QPushButton* setBtn2_ = nullptr;
    QPushButton* syoBtn1_ = nullptr;
    QPushButton* bupBtn3_ = nullptr;
    QTimer* timer1_ = nullptr;
    bool startUpQueued_ = false;
    bool startedUp_ = false;
    StartUpCheckResult startUpResult_ = StartUpCheckResult::kOk;
};

}  // namespace quilto
