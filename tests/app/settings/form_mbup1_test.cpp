#include "app/settings/form_mbup1.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileSystemModel>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>
#include <cstdlib>

#include "app/modal_driver.h"
#include "app/shell/shell_fixture.h"
#include "core/settings/backup.h"
#include "core/shell/program_state.h"
#include "core/store/environment.h"
#include "support/scripted_questions.h"
#include "support/working_folder.h"

namespace quilto {
namespace {

using test::Child;
using test::ModalDriver;
using test::PressKey;
using test::ReadAll;
using test::ScriptedQuestions;
using test::WorkingFolder;
using test::WriteAll;

class BackupWindow : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(CreateEnvironmentFile(state.environment), EnvironmentFileResult::kOk);
        WriteAll("DAT/m_000001.dat", "estimate one");
        WriteAll("DAT/m_000001.tmp", "");
        WriteAll("MST/sp_syo.dat", "products");
        WriteAll("XlsBase/XKP00.Dat", "table");
        form.SetProgramEnder([this] { ++ended; });
        Open();
    }

    void Open() {
        form.show();
        form.activateWindow();
        ASSERT_TRUE(QTest::qWaitFor([this] { return QApplication::activeWindow() == &form; }));
    }

    QLabel* Label(const char* name) { return Child<QLabel>(&form, name); }
    QString Status(int panel) {
        return Label(QStringLiteral("StatusBar1Panel%1").arg(panel).toLatin1().constData())->text();
    }

    WorkingFolder folder;
    QTemporaryDir backup;
    ScriptedQuestions questions;
    ProgramState state{questions};
    TFormMBup1 form{state};
    int ended = 0;
};

TEST_F(BackupWindow, OpensOnTheProgramFolderWithTheRestoreGroupHidden) {
    const QString here = QDir::currentPath();
    EXPECT_EQ(form.windowTitle(), "バックアップ");
    EXPECT_EQ(form.ChosenFolder(), here);
    EXPECT_EQ(Label("DLabel1")->text(), here);
    EXPECT_EQ(Label("LabDrv1")->text(), "DAT/");
    EXPECT_EQ(Label("LabDrv2")->text(), "MST/");
    EXPECT_EQ(Status(0), " [現在のフォルダー] " + here);
    EXPECT_EQ(QApplication::focusWidget()->objectName(), "DirectoryListBox1");
    EXPECT_TRUE(form.width() <= 1280 && form.height() <= 1024);

    auto* restore = Child<QGroupBox>(&form, "GPRes");
    EXPECT_FALSE(restore->isVisible());
    // Ctrl+F12, or the label's pop-up menu item, shows it; each opening hides it again.
    QTest::keyClick(&form, Qt::Key_F12, Qt::ControlModifier);
    EXPECT_TRUE(restore->isVisible());
    EXPECT_FALSE(Label("ResLabel")->isVisible());
    PressKey(Qt::Key_Escape);
    EXPECT_FALSE(form.isVisible());
    Open();
    EXPECT_FALSE(restore->isVisible());
    EXPECT_TRUE(Label("ResLabel")->isVisible());
    form.findChild<QAction*>("DRest")->trigger();
    EXPECT_TRUE(restore->isVisible());

    // The places to choose from start with home and the root.
    auto* places = Child<QComboBox>(&form, "DriveComboBox1");
    ASSERT_GE(places->count(), 2);
    EXPECT_EQ(places->itemData(1).toString(), "/");
    // Choosing a place goes there; choosing a folder shows the place it lies in.
    places->setCurrentIndex(0);
    emit places->activated(0);
    EXPECT_EQ(form.ChosenFolder(), QDir::homePath());
    form.ChooseFolder(backup.path());
    EXPECT_EQ(places->currentData().toString(),
              backup.path().startsWith(QDir::homePath() + "/") ? QDir::homePath() : "/");
}

TEST_F(BackupWindow, BacksUpIntoTheChosenFolderShowingEachFileAndStaysOpen) {
    form.ChooseFolder(backup.path());
    EXPECT_EQ(Label("DLabel1")->text(), backup.path());
    questions.ExpectButtons(kBackupQuestion, 1).ExpectInform(kBackupDoneMessage);
    Child<QPushButton>(&form, "Backup1")->click();
    questions.Done();
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(ReadAll(backup.filePath("DAT/m_000001.dat")), "estimate one");
    EXPECT_FALSE(QFile::exists(backup.filePath("DAT/m_000001.tmp")));
    EXPECT_EQ(Label("InfoPanel")->text(), QDir::current().absoluteFilePath("XlsBase/XKP00.Dat") +
                                              " ≫ " + backup.filePath("XlsBase/XKP00.Dat"));
    EXPECT_EQ(Status(1), "5 / 5");
    EXPECT_EQ(ended, 0);

    // The program folder itself is refused.
    form.ChooseFolder(QDir::currentPath());
    questions.ExpectInform(kSameFolderMessage);
    Child<QPushButton>(&form, "Backup1")->click();
    questions.Done();
}

TEST_F(BackupWindow, RestoreEndsTheProgramAndCancellingItDoesNot) {
    form.ChooseFolder(backup.path());
    questions.ExpectButtons(kBackupQuestion, 1).ExpectInform(kBackupDoneMessage);
    Child<QPushButton>(&form, "Backup1")->click();
    WriteAll("DAT/m_000001.dat", "changed");
    QTest::keyClick(&form, Qt::Key_F12, Qt::ControlModifier);

    questions.ExpectButtons(RestoreQuestion(backup.path()), 2);
    Child<QPushButton>(&form, "BitBtn2")->click();
    EXPECT_EQ(ended, 0);
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(ReadAll("DAT/m_000001.dat"), "changed");

    questions.ExpectButtons(RestoreQuestion(backup.path()), 1)
        .ExpectInform(kRestoreDoneMessage)
        .ExpectInform(kRestoreEndsMessage);
    Child<QPushButton>(&form, "BitBtn2")->click();
    questions.Done();
    EXPECT_EQ(ended, 1);
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(ReadAll("DAT/m_000001.dat"), "estimate one");
}

// From the main menu, with QUILTO_SCREENSHOT_DIR set the window is saved there with its
// restore group shown.
using BackupFromMenu = test::ShellRun;

TEST_F(BackupFromMenu, TheMenuButtonOpensTheWindowOnTheProgramFolder) {
    Start();
    QString chosen;
    {
        ModalDriver driver([&](QWidget* modal) {
            EXPECT_EQ(modal->objectName(), "FormMBup1");
            chosen = static_cast<TFormMBup1*>(modal)->ChosenFolder();
            QTest::keyClick(modal, Qt::Key_F12, Qt::ControlModifier);
            if (const char* dir = std::getenv("QUILTO_SCREENSHOT_DIR")) {
                // The folder tree fills in the background: the picture waits for it to show
                // the chosen folder.
                auto* tree = Child<QTreeView>(modal, "DirectoryListBox1");
                auto* folders = static_cast<QFileSystemModel*>(tree->model());
                EXPECT_TRUE(QTest::qWaitFor([&] {
                    const QModelIndex shown = folders->index(chosen);
                    return shown.isValid() &&
                           tree->viewport()->rect().intersects(tree->visualRect(shown));
                }));
                modal->repaint();
                const QPixmap picture = QGuiApplication::platformName() == "xcb"
                                            ? modal->screen()->grabWindow(modal->winId())
                                            : modal->grab();
                picture.save(QDir(QString::fromLocal8Bit(dir)).filePath("formmbup1.png"));
            }
            PressKey(Qt::Key_Escape);
        });
        Child<QPushButton>(&Menu(), "BupBtn3")->click();
    }
    EXPECT_EQ(chosen, QDir::currentPath());
    EXPECT_EQ(ended, 0);
}

}  // namespace
}  // namespace quilto
