#include "app/foundation/qt_questions.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialogButtonBox>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <algorithm>

#include "app/modal_driver.h"

namespace quilto {
namespace {

using test::ModalDriver;
using test::PressKey;

// The texts of a button box's buttons, in order.
std::vector<std::string> ButtonTexts(QWidget* dialog) {
    std::vector<std::string> texts;
    for (QAbstractButton* b : dialog->findChild<QDialogButtonBox*>()->buttons()) {
        texts.push_back(b->text().toStdString());
    }
    std::sort(texts.begin(), texts.end());
    return texts;
}

QAbstractButton* ButtonWithText(QWidget* dialog, const char* text) {
    for (QAbstractButton* b : dialog->findChild<QDialogButtonBox*>()->buttons()) {
        if (b->text() == QString::fromUtf8(text)) return b;
    }
    ADD_FAILURE() << "no button " << text;
    return nullptr;
}

TEST(QtQuestions, OkCancelIsTrueOnlyForOk) {
    QtQuestions questions;
    struct Case {
        const char* name;
        std::function<void(QWidget*)> act;
        bool ok;
    };
    const Case cases[] = {
        {"OK clicked", [](QWidget* m) { ButtonWithText(m, "OK")->click(); }, true},
        {"Enter", [](QWidget*) { PressKey(Qt::Key_Return); }, true},
        {"キャンセル clicked", [](QWidget* m) { ButtonWithText(m, "キャンセル")->click(); }, false},
        {"Esc", [](QWidget*) { PressKey(Qt::Key_Escape); }, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string title, text;
        std::vector<std::string> buttons;
        ModalDriver driver([&](QWidget* modal) {
            title = modal->windowTitle().toStdString();
            text = static_cast<QMessageBox*>(modal)->text().toStdString();
            buttons = ButtonTexts(modal);
            c.act(modal);
        });
        EXPECT_EQ(questions.AskOkCancel("参照モードで入ります。", "確 認"), c.ok);
        EXPECT_EQ(title, "確 認");
        EXPECT_EQ(text, "参照モードで入ります。");
        EXPECT_EQ(buttons, (std::vector<std::string>{"OK", "キャンセル"}));
    }
}

// A main window that stays on top would hide the box; it leaves the top band, stays where
// it was, and the box belongs to the window that was active.
TEST(QtQuestions, OkCancelTakesTheMainWindowOffTheTopAndOpensOverTheActiveWindow) {
    QWidget mainWindow(nullptr, Qt::WindowStaysOnTopHint);
    mainWindow.setGeometry(100, 120, 400, 300);
    mainWindow.show();
    mainWindow.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&mainWindow));
    QtQuestions questions;
    questions.SetMainWindow(&mainWindow);

    QWidget* parent = nullptr;
    ModalDriver driver([&](QWidget* modal) {
        parent = modal->parentWidget();
        PressKey(Qt::Key_Escape);
    });
    EXPECT_FALSE(questions.AskOkCancel("不要ファイルを削除します。", "確 認 (*.tmp)"));
    EXPECT_EQ(parent, &mainWindow);
    EXPECT_FALSE(mainWindow.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(mainWindow.isVisible());
    EXPECT_EQ(mainWindow.geometry(), QRect(100, 120, 400, 300));
}

TEST(QtQuestions, InformShowsOneOkButtonAndTheProgramNameWhenUntitled) {
    QtQuestions questions;
    std::string title, text;
    std::vector<std::string> buttons;
    {
        ModalDriver driver([&](QWidget* modal) {
            title = modal->windowTitle().toStdString();
            text = static_cast<QMessageBox*>(modal)->text().toStdString();
            buttons = ButtonTexts(modal);
            PressKey(Qt::Key_Return);
        });
        questions.Inform("見積番号が設定されていません。");
    }
    EXPECT_EQ(title, QApplication::applicationName().toStdString());
    EXPECT_EQ(text, "見積番号が設定されていません。");
    EXPECT_EQ(buttons, (std::vector<std::string>{"OK"}));
}

TEST(QtQuestions, AskTextReturnsTheTypedTextOrNothingWhenCancelled) {
    QtQuestions questions;
    std::string initial;
    {
        ModalDriver driver([&](QWidget* modal) {
            auto* edit = modal->findChild<QLineEdit*>();
            initial = edit->text().toStdString();
            edit->setText(QString::fromUtf8("見積 ０１２"));
            PressKey(Qt::Key_Return);
        });
        EXPECT_EQ(questions.AskText("呼び出し", "見積番号", "000001"), "見積 ０１２");
    }
    EXPECT_EQ(initial, "000001");
    ModalDriver driver([](QWidget*) { PressKey(Qt::Key_Escape); });
    EXPECT_EQ(questions.AskText("呼び出し", "見積番号", "000001"), std::nullopt);
}

}  // namespace
}  // namespace quilto
