#include "app/foundation/form_msg1.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>

#include "app/foundation/qt_questions.h"
#include "app/modal_driver.h"

namespace quilto {
namespace {

using test::Child;
using test::ModalDriver;
using test::PressKey;

QPushButton* Button(QWidget* form, int number) {
    return Child<QPushButton>(form, ("BitBtn" + std::to_string(number)).c_str());
}

// What the form looked like while it was showing.
struct Shown {
    int width = 0;
    std::array<bool, 3> visible{};
    std::array<int, 3> left{};
    std::array<QSize, 3> size{};
    std::string caption;
    std::string message;
    std::string focus;
};

Shown Look(QWidget* form) {
    Shown s;
    s.width = form->width();
    for (int n = 1; n <= 3; ++n) {
        s.visible[n - 1] = Button(form, n)->isVisible();
        s.left[n - 1] = Button(form, n)->x();
        s.size[n - 1] = Button(form, n)->size();
    }
    s.caption = form->windowTitle().toStdString();
    s.message = Child<QLabel>(form, "Msg1")->text().toStdString();
    if (QWidget* focus = QApplication::focusWidget()) s.focus = focus->objectName().toStdString();
    return s;
}

TEST(FormMsg1, TwoButtonsMakeTheNarrowFormAndThreeTheWideOne) {
    TFormMsg1 form;
    Shown shown;
    {
        ModalDriver driver([&](QWidget* modal) {
            shown = Look(modal);
            Button(modal, 1)->click();
        });
        form.AskButtons("指定の見積書を削除します。", "", "削 除", "キャンセル", "");
    }
    EXPECT_EQ(shown.width, 270);
    EXPECT_EQ(shown.visible, (std::array<bool, 3>{true, true, false}));
    EXPECT_EQ(shown.left[0], 44);
    EXPECT_EQ(shown.left[1], 134);
    EXPECT_EQ(shown.size[0], QSize(83, 27));
    EXPECT_EQ(shown.message, "指定の見積書を削除します。");
    EXPECT_EQ(Button(&form, 2)->text().toStdString(), "キャンセル");

    {
        ModalDriver driver([&](QWidget* modal) {
            shown = Look(modal);
            Button(modal, 1)->click();
        });
        form.AskButtons("見積作成を終了してメニューに戻ります。", "", "保存戻る", "破棄戻る",
                        "再入力");
    }
    EXPECT_EQ(shown.width, 340);
    EXPECT_EQ(shown.visible, (std::array<bool, 3>{true, true, true}));
    EXPECT_EQ(shown.left, (std::array<int, 3>{30, 120, 210}));
    for (const QSize& size : shown.size) EXPECT_EQ(size, QSize(83, 27));
}

// The form is made once and reused: a question without a caption shows the last caption
// given, and the very first one the form's own "ボタン選択".
TEST(FormMsg1, IsCreatedOnceAndKeepsTheLastCaptionForABlankOne) {
    QtQuestions questions;
    std::vector<Shown> shown;
    const auto ask = [&](const std::string& message, const std::string& caption) {
        ModalDriver driver([&](QWidget* modal) {
            shown.push_back(Look(modal));
            Button(modal, 2)->click();
        });
        return questions.AskButtons(message, caption, "Ｏ Ｋ", "キャンセル", "");
    };
    EXPECT_EQ(ask("終了します。", ""), ButtonAnswer::kSecond);
    EXPECT_EQ(ask("バックアップを実行します。", "バックアップ"), ButtonAnswer::kSecond);
    EXPECT_EQ(ask(" ", " "), ButtonAnswer::kSecond);
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(shown[0].caption, "ボタン選択");
    EXPECT_EQ(shown[1].caption, "バックアップ");
    EXPECT_EQ(shown[2].caption, "バックアップ");
    EXPECT_EQ(shown[2].message, "バックアップを実行します。");

    int forms = 0;
    for (QWidget* w : QApplication::topLevelWidgets()) forms += w->objectName() == "FormMsg1";
    EXPECT_EQ(forms, 1);
}

TEST(FormMsg1, AnswersWithTheButtonEscOrMinusOneWhenClosedOtherwise) {
    struct Case {
        const char* name;
        std::function<void(QWidget*)> act;
        ButtonAnswer result;
    };
    const Case cases[] = {
        {"BitBtn1 clicked", [](QWidget* m) { Button(m, 1)->click(); }, ButtonAnswer::kFirst},
        {"BitBtn2 clicked", [](QWidget* m) { Button(m, 2)->click(); }, ButtonAnswer::kSecond},
        {"BitBtn3 clicked", [](QWidget* m) { Button(m, 3)->click(); }, ButtonAnswer::kThird},
        {"Esc", [](QWidget*) { PressKey(Qt::Key_Escape); }, ButtonAnswer::kEscape},
        {"Enter at once", [](QWidget*) { PressKey(Qt::Key_Return); }, ButtonAnswer::kFirst},
        {"Tab, Enter",
         [](QWidget*) {
             PressKey(Qt::Key_Tab);
             PressKey(Qt::Key_Enter);
         },
         ButtonAnswer::kSecond},
        {"Tab, Tab, Enter",
         [](QWidget*) {
             PressKey(Qt::Key_Tab);
             PressKey(Qt::Key_Tab);
             PressKey(Qt::Key_Return);
         },
         ButtonAnswer::kThird},
        {"Down, Esc",
         [](QWidget*) {
             PressKey(Qt::Key_Down);
             PressKey(Qt::Key_Escape);
         },
         ButtonAnswer::kEscape},
        {"window closed", [](QWidget* m) { m->close(); }, ButtonAnswer::kClosed},
    };
    TFormMsg1 form;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string focus;
        ModalDriver driver([&](QWidget* modal) {
            focus = Look(modal).focus;
            c.act(modal);
        });
        EXPECT_EQ(form.AskButtons("見積作成を終了してメニューに戻ります。", "", "保存戻る",
                                  "破棄戻る", "再入力"),
                  c.result);
        EXPECT_EQ(focus, "BitBtn1");
    }
}

// Japanese captions must come out as glyphs, not boxes: the application font has to cover
// every character the form shows. With QUILTO_SCREENSHOT_DIR set, the form is also saved
// as formmsg1.png there for a person to look at.
TEST(FormMsg1, ShowsJapaneseInTheApplicationFont) {
    const QStringList installed = QFontDatabase::families();
    if (!installed.contains("IPAPGothic") && !installed.contains("IPAGothic")) {
        GTEST_SKIP() << "no Japanese font installed (fonts-ipafont-gothic)";
    }
    EXPECT_TRUE(QApplication::font().family().startsWith("IPA"))
        << QApplication::font().family().toStdString();
    QtQuestions questions;
    QPixmap picture;
    std::u16string missing;
    {
        ModalDriver driver([&](QWidget* modal) {
            for (QWidget* w : {static_cast<QWidget*>(Child<QLabel>(modal, "Msg1")),
                               static_cast<QWidget*>(Button(modal, 1))}) {
                const QFontMetrics metrics(w->font());
                const QString text = w->property("text").toString();
                for (QChar ch : text) {
                    if (!metrics.inFont(ch)) missing += ch.unicode();
                }
            }
            QScreen* screen = modal->screen();
            picture = QGuiApplication::platformName() == "xcb" ? screen->grabWindow(modal->winId())
                                                               : modal->grab();
            Button(modal, 1)->click();
        });
        EXPECT_EQ(questions.AskButtons({}, {}, "Ｏ Ｋ", {}, {}), ButtonAnswer::kFirst);
    }
    EXPECT_EQ(QString::fromStdU16String(missing).toStdString(), "");
    ASSERT_FALSE(picture.isNull());
    if (const char* dir = std::getenv("QUILTO_SCREENSHOT_DIR")) {
        EXPECT_TRUE(picture.save(QDir(QString::fromLocal8Bit(dir)).filePath("formmsg1.png")));
    }
}

}  // namespace
}  // namespace quilto
