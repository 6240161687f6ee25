#include "core/foundation/button_question.h"

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include "support/scripted_questions.h"

namespace quilto {
namespace {

using Layout = ButtonQuestion::Layout;

TEST(ButtonQuestion, StartsWithDefaultTextsAndNoButtons) {
    ButtonQuestion q;
    EXPECT_EQ(q.Caption(), "ボタン選択");
    EXPECT_EQ(q.Message(), "ボタンを押してください。");
    for (int n = 1; n <= 3; ++n) {
        EXPECT_FALSE(q.ButtonShown(n)) << n;
        EXPECT_EQ(q.ButtonCaption(n), "") << n;
    }
}

// The form is reused: a blank message or caption keeps the last one shown, while the
// buttons are set afresh by every question.
TEST(ButtonQuestion, BlankTextsKeepThePreviousQuestionsTexts) {
    ButtonQuestion q;
    q.Apply("指定の見積書を削除します。", "", "削 除", "キャンセル", "");
    EXPECT_EQ(q.Message(), "指定の見積書を削除します。");
    EXPECT_EQ(q.Caption(), "ボタン選択");

    q.Apply(" \t\r\n", "確 認", "保存戻る", "破棄戻る", "再入力");
    EXPECT_EQ(q.Message(), "指定の見積書を削除します。");
    EXPECT_EQ(q.Caption(), "確 認");
    EXPECT_TRUE(q.ButtonShown(3));

    q.Apply("終了します。", "  ", "Ｏ Ｋ", "キャンセル", "");
    EXPECT_EQ(q.Message(), "終了します。");
    EXPECT_EQ(q.Caption(), "確 認");
    EXPECT_FALSE(q.ButtonShown(3));

    // A message of only a full-width blank is a character, not a blank.
    q.Apply("\u3000", "", "Ｏ Ｋ", "", "");
    EXPECT_EQ(q.Message(), "\u3000");
}

TEST(ButtonQuestion, ButtonsShowWhenTheirTrimmedCaptionIsNotBlankAndSetTheLayout) {
    struct Case {
        const char* b1;
        const char* b2;
        const char* b3;
        std::array<bool, 3> shown;
        Layout layout;
    };
    const Layout two{270, {44, 134, 224}};
    const Layout three{340, {30, 120, 210}};
    const Case cases[] = {
        {"削 除", "キャンセル", "", {true, true, false}, two},
        {"保存戻る", "破棄戻る", "再入力", {true, true, true}, three},
        {"Ｏ Ｋ", " ", "\t", {true, false, false}, two},
        {"", "", "", {false, false, false}, two},
        // Only the third button decides the width, whatever the others do.
        {"", "", "再入力", {false, false, true}, three},
    };
    for (const Case& c : cases) {
        ButtonQuestion q;
        q.Apply("m", "c", c.b1, c.b2, c.b3);
        SCOPED_TRACE(std::string(c.b1) + "|" + c.b2 + "|" + c.b3);
        for (int n = 1; n <= 3; ++n) EXPECT_EQ(q.ButtonShown(n), c.shown[n - 1]) << n;
        EXPECT_EQ(q.FormLayout(), c.layout);
        // Captions are kept as given, blanks included.
        EXPECT_EQ(q.ButtonCaption(2), c.b2);
    }
    ButtonQuestion q;
    EXPECT_FALSE(q.ButtonShown(0));
    EXPECT_FALSE(q.ButtonShown(4));
    EXPECT_EQ(q.ButtonCaption(4), "");
}

// The scripted seam is what every other test relies on to notice a wrong or missing
// question, so its own failures are checked here.
TEST(ScriptedQuestions, AnswersTheScriptAndRecordsWhatWasAsked) {
    test::ScriptedQuestions script;
    script.ExpectButtons("見積作成を終了してメニューに戻ります。", 3, "ボタン選択")
        .ExpectOkCancel("参照モードで入ります。", true, "確 認")
        .ExpectInform("見積番号が設定されていません。")
        .ExpectText("番号", std::string("000012"))
        .ExpectButtons("見積作成を終了してメニューに戻ります。", -1);

    EXPECT_EQ(script.AskButtons("見積作成を終了してメニューに戻ります。", "", "保存戻る",
                                "破棄戻る", "再入力"),
              ButtonAnswer::kThird);
    EXPECT_TRUE(script.AskOkCancel("参照モードで入ります。", "確 認"));
    script.Inform("見積番号が設定されていません。", "");
    EXPECT_EQ(script.AskText("呼び出し", "番号", "000001"), "000012");
    EXPECT_EQ(script.AskButtons("", "", "保存戻る", "破棄戻る", ""), ButtonAnswer::kClosed);
    script.Done();

    const auto& asked = script.History();
    ASSERT_EQ(asked.size(), 5u);
    EXPECT_EQ(asked[0].caption, "ボタン選択");
    EXPECT_EQ(asked[0].buttons[2], "再入力");
    EXPECT_EQ(asked[3].initial, "000001");
    // The blank message of the last question showed the previous one.
    EXPECT_EQ(asked[4].message, "見積作成を終了してメニューに戻ります。");
    EXPECT_EQ(asked[4].buttons[2], "");
}

TEST(ScriptedQuestions, UnexpectedOrMismatchedQuestionsFailAndGetTheSafeAnswer) {
    test::ScriptedQuestions script;
    bool ok = true;
    EXPECT_NONFATAL_FAILURE(ok = script.AskOkCancel("不要ファイルを削除します。", "確 認"),
                            "不要ファイルを削除します。");
    EXPECT_FALSE(ok);

    script.ExpectOkCancel("参照モードで入ります。", true);
    ButtonAnswer button = ButtonAnswer::kThird;
    EXPECT_NONFATAL_FAILURE(
        button = script.AskButtons("参照モードで入ります。", "", "Ｏ Ｋ", "", ""),
        "expected AskOkCancel");
    EXPECT_EQ(button, ButtonAnswer::kEscape);

    script.ExpectOkCancel("古い環境ファイルです、再作成します。", true, "確 認");
    EXPECT_NONFATAL_FAILURE(ok = script.AskOkCancel("古い環境ファイルです、再作成します。", "x"),
                            "caption");
    EXPECT_FALSE(ok);

    script.ExpectText("番号", std::string("1"));
    std::optional<std::string> text = "x";
    EXPECT_NONFATAL_FAILURE(text = script.AskText("", "名前", ""), "名前");
    EXPECT_EQ(text, std::nullopt);

    // Pressing a button the question does not show is a mistake in the script.
    script.ExpectButtons("終了します。", 3);
    EXPECT_NONFATAL_FAILURE(
        button = script.AskButtons("終了します。", "", "Ｏ Ｋ", "キャンセル", ""), "does not show");
    EXPECT_EQ(button, ButtonAnswer::kEscape);
}

TEST(ScriptedQuestions, UnusedAnswersFailTheTest) {
    EXPECT_NONFATAL_FAILURE(
        {
            test::ScriptedQuestions script;
            script.ExpectInform("見積作成エラー  -10");
        },
        "見積作成エラー  -10");
    test::ScriptedQuestions script;
    script.ExpectOkCancel("参照モードで入ります。", false);
    EXPECT_NONFATAL_FAILURE(script.Done(), "never asked");
}

}  // namespace
}  // namespace quilto
