#pragma once

// The backup window (バックアップ): the user picks a folder (a place of this machine, a
// folder tree and the chosen folder's files) and backs the data up into it, or, after
// revealing the hidden restore group, restores from it. The copying and all its rules live
// in settings/backup; this window shows the progress file by file and the messages. A
// restore ends the program, so that nothing in memory outlives the restored files.

#include <QDialog>
#include <QString>
#include <array>
#include <functional>
#include <memory>

class QAction;
class QComboBox;
class QFileIconProvider;
class QFileSystemModel;
class QGroupBox;
class QLabel;
class QListView;
class QPushButton;
class QTreeView;

namespace quilto {

class ProgramState;
struct CopyObserver;

class TFormMBup1 : public QDialog {
    Q_OBJECT

  public:
    explicit TFormMBup1(ProgramState& program, QWidget* parent = nullptr);
    ~TFormMBup1() override;

    // The folder currently chosen in the folder tree (absolute), and choosing one.
    QString ChosenFolder() const { return chosen_; }
    void ChooseFolder(const QString& folder);
    // How the program ends after a restore; the application's event loops end unless a test
    // replaces it.
    void SetProgramEnder(std::function<void()> endProgram) { endProgram_ = std::move(endProgram); }

  protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void done(int result) override;

  private:
    QWidget* BuildFolderGroup();
    QWidget* BuildRightColumn();
    void FillPlaces();
    void ShowRestoreGroup();
    void BackUp();
    void Restore();
    // Copying: the buttons rest, the window stays painted.
    void SetRunning(bool running);
    CopyObserver ProgressObserver();

    ProgramState& program_;
    std::function<void()> endProgram_;
    QString programFolder_;
    QString chosen_;
    bool running_ = false;
    bool revealChosen_ = false;  // until the user scrolls or clicks the tree
    std::unique_ptr<QFileIconProvider> iconProvider_;

    QFileSystemModel* folders_ = nullptr;
    QFileSystemModel* files_ = nullptr;
    QComboBox* driveComboBox1_ = nullptr;
    QTreeView* directoryListBox1_ = nullptr;
    QLabel* dLabel1_ = nullptr;
    QListView* fileListBox1_ = nullptr;
    QPushButton* backup1_ = nullptr;
    QGroupBox* gpRes_ = nullptr;
    QPushButton* bitBtn2_ = nullptr;
    QLabel* resLabel_ = nullptr;
    QLabel* labDrv1_ = nullptr;
    QLabel* labDrv2_ = nullptr;
    QLabel* infoPanel_ = nullptr;
    QPushButton* escBtn_ = nullptr;
    std::array<QLabel*, 3> status_{};
};

}  // namespace quilto
