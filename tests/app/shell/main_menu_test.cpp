#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include "app/modal_driver.h"
#include "app/shell/form_about.h"
#include "app/shell/shape_widget.h"
#include "app/shell/shell_fixture.h"
#include "core/foundation/clock.h"
#include "core/foundation/desktop_opening.h"
#include "core/shell/main_menu_actions.h"
#include "core/shell/startup.h"
#include "core/shell/working_folder.h"
#include "support/marker_holder.h"
#include "support/sjis.h"

namespace quilto {
namespace {

using test::Child;
using test::MarkerHolder;
using test::ModalDriver;
using test::ReadAll;
using test::ShellRun;
using test::Sjis;
using test::WriteAll;

QColor LogoColor(QWidget* menu) { return Child<ShapeWidget>(menu, "Shape1")->BrushColor(); }

using MainMenu = ShellRun;

TEST_F(MainMenu, StartsInAnEmptyInstallationAndShowsTheMenu) {
    WriteEstimate("000001", Sjis("山田建設"), Sjis("外壁塗装"));
    Start();
    questions.Done();
    EXPECT_EQ(Menu().StartUpResult(), StartUpCheckResult::kOk);
    EXPECT_TRUE(Menu().isVisible());
    EXPECT_EQ(ended, 0);
    for (const char* file : {"sp_jis.dat", "MST/sp_syo.dat", "MST/sp_Koji.dat", "MST/sp_unit.dat",
                             "XlsBase/XKP00.Dat", "XlsBase/XKPSei00.Dat", "XlsBase/XKP01.Dat",
                             "XlsBase/XKPSei01.Dat", "XlsBase/XKP02.Dat", "XlsBase/XKPSei02.Dat"}) {
        EXPECT_TRUE(QFile::exists(file)) << file;
    }
    EXPECT_EQ(State().shell.customerHistory, std::vector<std::string>{Sjis("山田建設")});

    EXPECT_EQ(Menu().objectName(), "FormMenu1");
    EXPECT_EQ(Menu().windowTitle(), "見積作成 (Quilto)");
    EXPECT_EQ(Menu().pos(), QPoint(35, 10));
    EXPECT_EQ(Menu().width(), 245);
    EXPECT_FALSE(Menu().windowFlags().testFlag(Qt::WindowCloseButtonHint));
    EXPECT_FALSE(Menu().windowFlags().testFlag(Qt::WindowSystemMenuHint));
    EXPECT_EQ(LogoColor(&Menu()), QColor(0, 0, 0xE3));
    EXPECT_EQ(Child<QLabel>(&Menu(), "MenTitle1")->text(), "QuiltoⅡ ");
    EXPECT_EQ(Child<QLabel>(&Menu(), "MenTitle2")->text(), "for Linux ");
    EXPECT_EQ(Child<QLabel>(&Menu(), "MenTitle10")->toolTip(),
              "(問合せ) クリックで情報表示します。");

    struct Button {
        const char* name;
        const char* caption;
        const char* hint;
        bool enabled;  // the forms behind the others come later
    };
    const Button buttons[] = {
        {"NewBtn", "新規作成", "新規に見積書を作成します。", true},
        {"CustBtn", "既存参照作成", "既存見積の内容を元に新規に作成します。", true},
        {"ChgBtn", "呼び出し", "既存見積の内容を変更します。", true},
        {"DelBtn", "削    除", "既存見積を削除します。", true},
        {"ExitBtn", "終    了", "見積作成を終了します。", true},
        {"ExlBtn1", "エクセル/印刷", "エクセルの表に出力します。", true},
        {"ExlBtn2", "エクセル表定義/編集", "表定義及びエクセル表の編集を行います。", true},
        {"SetBtn2", "環境設定", "会社情報・その他 を設定します。", true},
        {"SyoBtn1", "名称登録", "工事・商品・単位名を登録します。", true},
        {"BupBtn3", "バックアップ", "データの退避・復元をします。", true},
    };
    int previousTop = -1;
    for (const Button& b : buttons) {
        auto* button = Child<QPushButton>(&Menu(), b.name);
        ASSERT_NE(button, nullptr) << b.name;
        EXPECT_EQ(button->text(), QString::fromUtf8(b.caption)) << b.name;
        EXPECT_EQ(button->toolTip(), QString::fromUtf8(b.hint)) << b.name;
        EXPECT_EQ(button->isEnabled(), b.enabled) << b.name;
        EXPECT_TRUE(button->isVisible()) << b.name;
        const int top = button->mapTo(&Menu(), QPoint(0, 0)).y();
        EXPECT_GT(top, previousTop) << b.name << " stands below the button before it";
        previousTop = top;
    }
    struct Item {
        const char* name;
        const char* caption;
    };
    for (const Item& item : {Item{"Exit1", "終了(&X)"}, Item{"FIDdel1", "不要ファイル削除(&F)"},
                             Item{"MManual1", "マニュアル(&M)"}, Item{"About1", nullptr}}) {
        auto* action = Menu().findChild<QAction*>(item.name);
        ASSERT_NE(action, nullptr) << item.name;
        if (item.caption) {
            EXPECT_EQ(action->text(), QString::fromUtf8(item.caption));
        }
    }
}

TEST_F(MainMenu, DecliningToReCreateAnOutdatedEnvironmentEndsTheProgram) {
    const std::string outdated(6087, '\x01');
    WriteAll("sp_jis.dat", outdated);
    FixedNow now(QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5)));
    questions.ExpectOkCancel(
        "古い環境ファイルです、再作成します。\n元のファイルは sp_jis.dat.20260102-030405.bak "
        "として残します。",
        false, "確 認");
    questions.ExpectInform(kEnvironmentBrokenMessage);
    Start();
    questions.Done();
    EXPECT_NE(Menu().StartUpResult(), StartUpCheckResult::kOk);
    EXPECT_FALSE(Menu().isVisible());
    EXPECT_EQ(ended, 1);
    EXPECT_EQ(ReadAll("sp_jis.dat"), outdated);
}

TEST_F(MainMenu, ExitButtonMenuItemAndEscEndTheProgram) {
    const std::vector<std::function<void(TFormMenu1&)>> ways = {
        [](TFormMenu1& menu) { Child<QPushButton>(&menu, "ExitBtn")->click(); },
        [](TFormMenu1& menu) { menu.findChild<QAction*>("Exit1")->trigger(); },
        [](TFormMenu1& menu) {
            menu.activateWindow();
            QTest::keyClick(Child<QPushButton>(&menu, "ChgBtn"), Qt::Key_Escape);
        },
    };
    Start();
    for (std::size_t i = 0; i < ways.size(); ++i) {
        ended = 0;
        Menu().show();
        ways[i](Menu());
        EXPECT_FALSE(Menu().isVisible()) << i;
        EXPECT_EQ(ended, 1) << i;
    }
    EXPECT_EQ(State().shell.entryMode, EntryMode::kExit);
}

TEST_F(MainMenu, ListButtonsGreyTheLogoAndRedTheirCaptionWhileTheListIsUp) {
    Start();
    auto* chgBtn = Child<QPushButton>(&Menu(), "ChgBtn");
    QColor logoDuring;
    QColor captionDuring;
    QString modeDuring;
    {
        ModalDriver driver([&](QWidget* list) {
            logoDuring = LogoColor(&Menu());
            captionDuring = chgBtn->palette().color(QPalette::ButtonText);
            modeDuring = Child<QLabel>(list, "EMode")->text();
            Child<QPushButton>(list, "MlistRet")->click();
        });
        chgBtn->click();
    }
    EXPECT_EQ(logoDuring, QColor(0x80, 0x80, 0x80));
    EXPECT_EQ(captionDuring, QColor(255, 0, 0));
    EXPECT_EQ(modeDuring, "呼び出し");
    EXPECT_EQ(LogoColor(&Menu()), QColor(0, 0, 0xE3));
    EXPECT_EQ(chgBtn->palette().color(QPalette::ButtonText), QColor(0, 0, 0));
    EXPECT_EQ(State().shell.entryMode, EntryMode::kCallUp);
}

TEST_F(MainMenu, OnlyAPickInTheListOpensTheEditorAndDeletionNever) {
    WriteEstimate("000001", "c", "t");
    Start();
    int opened = 0;
    std::string openedWith;
    Menu().SetEditorOpener([&] {
        ++opened;
        openedWith = State().shell.selectedNumber;
    });
    EXPECT_TRUE(Child<QPushButton>(&Menu(), "NewBtn")->isEnabled());

    const auto pickFirstLine = [](QWidget* list) {
        auto* lines = Child<QListWidget>(list, "ListBox1");
        lines->setCurrentRow(0);
        Child<QPushButton>(list, "MlistEnt")->click();
    };
    {
        ModalDriver driver([](QWidget* list) { Child<QPushButton>(list, "MlistRet")->click(); });
        Child<QPushButton>(&Menu(), "CustBtn")->click();
    }
    EXPECT_EQ(opened, 0);
    {
        ModalDriver driver(pickFirstLine);
        Child<QPushButton>(&Menu(), "CustBtn")->click();
    }
    EXPECT_EQ(opened, 1);
    EXPECT_EQ(openedWith, "000001");
    {
        questions.ExpectButtons(
            "指定の見積書を削除します。\n\n管理No : 000001\nお客様名 : c\n工事名称 : t", 2);
        ModalDriver driver([&](QWidget* list) {
            pickFirstLine(list);
            Child<QPushButton>(list, "MlistRet")->click();
        });
        Child<QPushButton>(&Menu(), "DelBtn")->click();
    }
    questions.Done();
    EXPECT_EQ(opened, 1);
    EXPECT_EQ(State().shell.entryMode, EntryMode::kDelete);
}

TEST_F(MainMenu, LeftoverDeletionAsksAndKeepsMarkersARunningCopyHolds) {
    Start();
    WriteAll("DAT/m_000002.tmp", "");
    WriteAll("DAT/m_000003.TMP", "");
    WriteAll("MST/Master.tmp", "");
    WriteAll("DAT/m_000002.dat", "not a marker");
    MarkerHolder other("DAT/m_000001.tmp");
    ASSERT_TRUE(other.Held());
    QAction* fidDel1 = Menu().findChild<QAction*>("FIDdel1");

    questions.ExpectOkCancel("不要ファイルを削除します。", false, "確 認 (*.tmp)");
    fidDel1->trigger();
    EXPECT_TRUE(QFile::exists("DAT/m_000002.tmp"));
    EXPECT_TRUE(QFile::exists("MST/Master.tmp"));

    questions.ExpectOkCancel("不要ファイルを削除します。", true, "確 認 (*.tmp)");
    questions.ExpectInform("不要ファイルを 3 件削除しました。\n使用中のため 1 件残しました。");
    fidDel1->trigger();
    questions.Done();
    EXPECT_TRUE(QFile::exists("DAT/m_000001.tmp"));  // held by the other copy
    EXPECT_FALSE(QFile::exists("DAT/m_000002.tmp"));
    EXPECT_FALSE(QFile::exists("DAT/m_000003.TMP"));
    EXPECT_FALSE(QFile::exists("MST/Master.tmp"));
    EXPECT_TRUE(QFile::exists("DAT/m_000002.dat"));
}

TEST_F(MainMenu, VersionWindowClosesByItselfOnTheTimer) {
    Start();
    auto* timer1 = Menu().findChild<QTimer*>("Timer1");
    Menu().findChild<QAction*>("About1")->trigger();
    EXPECT_TRUE(program->FormAbout().isVisible());
    EXPECT_FALSE(program->FormAbout().isModal());
    EXPECT_TRUE(timer1->isActive());
    EXPECT_EQ(timer1->interval(), 30000);
    program->FormAbout().close();

    // Clicking the credit line does the same.
    QTest::mouseClick(Child<QLabel>(&Menu(), "MenTitle10"), Qt::LeftButton);
    EXPECT_TRUE(program->FormAbout().isVisible());

    Menu().ShowVersionWindow(150);
    EXPECT_EQ(timer1->interval(), 150);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !program->FormAbout().isVisible(); }, 3000));
    EXPECT_FALSE(timer1->isActive());
    Menu().ShowVersionWindow(90001);
    EXPECT_EQ(timer1->interval(), 1000);
}

TEST_F(MainMenu, ManualOpensThroughTheDesktopOrSaysItCannot) {
    Start();
    std::vector<QUrl> opened;
    bool opens = true;
    Menu().SetUrlOpener([&](const QUrl& url) {
        opened.push_back(url);
        return opens;
    });
    QAction* manual = Menu().findChild<QAction*>("MManual1");
    // The program's folder: the manual is looked for beside it.
    ASSERT_TRUE(QDir().mkpath("prefix/bin"));
    Menu().SetProgramFolder(folder.FilePath("prefix/bin"));
    const std::string installed =
        folder.FilePath("prefix/share/quilto/manual/index.html").toStdString();

    questions.ExpectInform("＊ ファイル読取エラー発生。 ( " + installed + " )");
    manual->trigger();  // no manual anywhere
    EXPECT_TRUE(opened.empty());

    ASSERT_TRUE(QDir().mkpath("prefix/share/quilto/manual"));
    WriteAll("prefix/share/quilto/manual/index.html", "<html></html>");
    manual->trigger();
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0].toLocalFile().toStdString(), installed);

    // Where the program was built, the manual beside it comes first.
    ASSERT_TRUE(QDir().mkpath("prefix/bin/manual"));
    WriteAll("prefix/bin/manual/index.html", "<html></html>");
    // A manual that is there but does not open: why, and a button that opens its folder.
    opens = false;
    const QString built = folder.FilePath("prefix/bin/manual/index.html");
    questions.ExpectButtons(
        OpeningFailureMessage("＊ ファイル読取エラー発生。 ( " + built.toStdString() + " )", built,
                              FindOpeningGap(built, SystemOpeningPlaces())),
        2);
    questions.ExpectInform("フォルダーを開けませんでした。 (" +
                           folder.FilePath("prefix/bin/manual").toStdString() + ")");
    manual->trigger();
    ASSERT_EQ(opened.size(), 3u);
    EXPECT_EQ(opened[2], QUrl::fromLocalFile(folder.FilePath("prefix/bin/manual")));
    questions.Done();
    EXPECT_TRUE(Menu().isVisible());
}

// The menu command points the program at another folder: laid out, remembered, shown in
// the caption, and the run starts again there (its histories come from the new folder).
TEST_F(MainMenu, ChangesToAnotherWorkingFolderAndStartsAgainThere) {
    QTemporaryDir skeleton;
    for (const char* sub : {"DAT", "MST", "Xls", "XlsBase"}) QDir(skeleton.path()).mkdir(sub);
    QTemporaryDir elsewhere;
    const QString next = elsewhere.filePath("共有/Quilto");
    QDir().mkpath(next + "/DAT");
    const QString before = QDir::currentPath();
    QDir::setCurrent(next);
    WriteEstimate("000007", Sjis("佐藤建設"), Sjis("屋根工事"));
    QDir::setCurrent(before);
    const QString configFile = folder.ConfigHome() + "/quilto/quilto.conf";
    Start();
    Menu().SetWorkingFolder(before, configFile, skeleton.path());
    EXPECT_EQ(Menu().windowTitle(), MainMenuCaption(before, QDir::homePath()));
    EXPECT_TRUE(State().shell.customerHistory.empty());

    questions.ExpectFolder(kChangeFolderQuestion, next.toStdString(), kFolderQuestionCaption);
    Menu().findChild<QAction*>("FolderChange1")->trigger();
    questions.Done();
    EXPECT_EQ(questions.History().back().initial, before.toStdString());
    EXPECT_EQ(QDir::currentPath(), next);
    EXPECT_TRUE(Menu().windowTitle().contains(" - Quilto (")) << Menu().windowTitle().toStdString();
    EXPECT_TRUE(QFile::exists(next + "/sp_jis.dat"));
    EXPECT_TRUE(QFileInfo(next + "/XlsBase").isDir());
    EXPECT_EQ(State().shell.customerHistory, std::vector<std::string>{Sjis("佐藤建設")});
    EXPECT_EQ(RememberedWorkingFolder(configFile), next);
    EXPECT_TRUE(Menu().isVisible());
    QDir::setCurrent(before);
}

}  // namespace
}  // namespace quilto
