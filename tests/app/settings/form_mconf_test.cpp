#include "app/settings/form_mconf.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QTest>
#include <cstdlib>

#include "app/modal_driver.h"
#include "app/shell/shape_widget.h"
#include "app/shell/shell_fixture.h"
#include "core/settings/own_settings_fields.h"
#include "core/shell/program_state.h"
#include "core/store/environment.h"
#include "core/store/registration_number.h"
#include "support/scripted_questions.h"
#include "support/sjis.h"
#include "support/working_folder.h"

namespace quilto {
namespace {

using test::Child;
using test::ModalDriver;
using test::PressKey;
using test::ReadAll;
using test::ScriptedQuestions;
using test::Sjis;
using test::Utf8;
using test::WorkingFolder;
using test::WriteAll;

// Typed as an input method commits text: one key event per character, any character.
void TypeText(QWidget* field, const QString& text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        const qsizetype width = text.at(i).isHighSurrogate() ? 2 : 1;
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, text.mid(i, width));
        QApplication::sendEvent(field, &press);
        i += width - 1;
    }
}

// The dialog on its own over a fresh environment file, shown and active.
class SettingsDialog : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(CreateEnvironmentFile(state.environment), EnvironmentFileResult::kOk);
        Open();
    }

    void Open() {
        form.show();
        form.activateWindow();
        ASSERT_TRUE(QTest::qWaitFor([this] { return QApplication::activeWindow() == &form; }));
    }
    void Close() {
        PressKey(Qt::Key_Escape);
        EXPECT_FALSE(form.isVisible());
    }

    QLineEdit* Edit(const char* name) { return Child<QLineEdit>(&form, name); }
    QComboBox* Combo(const char* name) { return Child<QComboBox>(&form, name); }
    QString Focused() const {
        QWidget* focus = QApplication::focusWidget();
        return focus ? focus->objectName() : QString();
    }
    // Puts the focus in a field as a click would and types over its whole text.
    void TypeOver(QWidget* field, const QString& text) {
        field->setFocus(Qt::MouseFocusReason);
        QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
        if (text.isEmpty()) {
            QTest::keyClick(field, Qt::Key_Delete);
        } else {
            TypeText(field, text);
        }
    }
    Environment Stored() {
        Environment stored;
        EXPECT_EQ(ReadEnvironment(stored), EnvironmentFileResult::kOk);
        return stored;
    }

    WorkingFolder folder;
    ScriptedQuestions questions;
    ProgramState state{questions};
    TFormMConf form{state};
};

TEST_F(SettingsDialog, OpensOnThePrintedCompanyBlockAndWalksItsFieldsByKey) {
    auto* pages = Child<QTabWidget>(&form, "PageControl1");
    auto* companies = Child<QTabWidget>(&form, "PageControl2");
    EXPECT_EQ(form.windowTitle(), "環境設定");
    EXPECT_EQ(pages->tabText(pages->currentIndex()), "会社情報");
    EXPECT_EQ(companies->tabText(companies->currentIndex()), "< 表示・印刷用 >");
    EXPECT_EQ(Focused(), "Edit1");
    EXPECT_TRUE(form.width() <= 1280 && form.height() <= 1024)
        << form.width() << "x" << form.height();

    QTest::keyClicks(Edit("Edit1"), "ab");
    PressKey(Qt::Key_Return);  // moves on, and never reaches the field
    EXPECT_EQ(Focused(), "Edit1B");
    EXPECT_EQ(Edit("Edit1")->text(), "ab");
    PressKey(Qt::Key_Down);
    PressKey(Qt::Key_Tab);
    EXPECT_EQ(Focused(), "Edit3");
    PressKey(Qt::Key_Up);
    PressKey(Qt::Key_Up);
    PressKey(Qt::Key_Up);
    EXPECT_EQ(Focused(), "Edit1");
    PressKey(Qt::Key_Up);  // nowhere to go from the first field
    EXPECT_EQ(Focused(), "Edit1");

    PressKey(Qt::Key_F12);
    EXPECT_EQ(pages->tabText(pages->currentIndex()), "その他");
    EXPECT_EQ(Focused(), "Syokei");
    PressKey(Qt::Key_F12);
    EXPECT_EQ(pages->tabText(pages->currentIndex()), "会社情報");
    EXPECT_EQ(Focused(), "Edit1");
    // The hidden lines of the printed block are never reached.
    for (const char* hidden : {"Edit10", "Edit11", "Edit12", "Edit13", "CheckBox1", "Chk_Gyo"}) {
        EXPECT_FALSE(form.findChild<QWidget*>(hidden)->isVisible()) << hidden;
    }
    Close();
    EXPECT_EQ(Utf8(Stored().Company(0, CompanyField::Name1)), "ab");
}

TEST_F(SettingsDialog, TaxRateAndRoundingChoicesAreStoredAsTheirRulesSay) {
    struct Case {
        const char* rate;
        std::int64_t stored;
        const char* rounding;
        const char* shown;
        int code;
    };
    for (const Case& c :
         {Case{"", 10, "2", " 2 切上げ", 2}, Case{"0", 10, "7", " 0 四捨五入", 0},
          Case{"ab", 10, "1", " 1 切捨て", 1}, Case{"10", 10, "x", " 0 四捨五入", 0},
          Case{"123", 12, " 1", " 1 切捨て", 1}}) {
        if (!form.isVisible()) Open();
        PressKey(Qt::Key_F12);
        TypeOver(Edit("Zratio1"), QString::fromUtf8(c.rate));
        TypeOver(Combo("Hasu"), QString::fromUtf8(c.rounding));
        PressKey(Qt::Key_Tab);  // leaving the drop-down shows its standard item
        EXPECT_EQ(Combo("Hasu")->currentText(), QString::fromUtf8(c.shown)) << c.rounding;
        EXPECT_EQ(Focused(), "Hasu2");
        Close();
        const Environment stored = Stored();
        EXPECT_EQ(stored.TaxRate(), Fixed4::FromInt(c.stored)) << c.rate;
        EXPECT_EQ(stored.TaxRounding(), c.code) << c.rounding;
    }
    // An item chosen from the list is taken whole, longer than what can be typed.
    Open();
    Combo("Hasu2")->setFocus(Qt::MouseFocusReason);
    Combo("Hasu2")->setCurrentIndex(1);
    EXPECT_EQ(Combo("Hasu2")->currentText(), " 1 切捨て");
    EXPECT_EQ(state.environment.Settings().Text("Hasu2"), Sjis(" 1 切捨て"));
    Close();
    EXPECT_EQ(Stored().AmountRounding(), 1);
    // The rate field takes two characters at most, and digits only: a letter is refused as
    // it is typed rather than stored as the standard rate without a word.
    Open();
    TypeOver(Edit("Zratio1"), "123");
    EXPECT_EQ(Edit("Zratio1")->text(), "12");
    TypeOver(Edit("Zratio1"), "8a");
    EXPECT_EQ(Edit("Zratio1")->text(), "8");
    Close();
    EXPECT_EQ(Stored().TaxRate(), Fixed4::FromInt(8));
}

TEST_F(SettingsDialog, FieldsCountCp932BytesAndRefuseWhatCp932CannotHold) {
    QLineEdit* name = Edit("Edit1");
    TypeOver(name, QString(41, u'a'));
    EXPECT_EQ(name->text(), QString(40, u'a'));
    // 38 bytes and one double-byte character fit; a second one would split the 40th byte.
    TypeOver(name, QString(38, u'a') + "工務");
    EXPECT_EQ(name->text(), QString(38, u'a') + "工");
    // A paste in the middle is cut at its end, the rest of the text kept.
    TypeOver(Edit("Edit2"), "1234");
    Edit("Edit2")->setCursorPosition(2);
    QApplication::clipboard()->setText("-56789");
    QTest::keyClick(Edit("Edit2"), Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(Edit("Edit2")->text(), "12-56734");

    const std::size_t askedBefore = questions.History().size();
    questions.ExpectInform("「😀」は使えない文字です (自社郵便番号)");
    TypeText(Edit("Edit2"), QStringLiteral("😀"));
    // The refusal is said from the event loop, once the typing has been undone.
    EXPECT_TRUE(QTest::qWaitFor([&] { return questions.History().size() > askedBefore; }));
    questions.Done();
    EXPECT_EQ(Edit("Edit2")->text(), "12-56734");

    // JIS-style characters from an input method are stored as CP932 holds them.
    TypeOver(Edit("Edit5"), QStringLiteral("03〜1234−5678"));
    Close();
    EXPECT_EQ(Stored().Company(0, CompanyField::Tel), Sjis("03～1234－5678"));
    EXPECT_EQ(Stored().Company(0, CompanyField::Name1), std::string(38, 'a') + Sjis("工"));
}

TEST_F(SettingsDialog, UsingCompanyTwoPrintsItWhileItsOwnBlockStays) {
    Close();
    state.environment.Settings().SetText("Edit201", Sjis("二号建設"));
    state.environment.Settings().SetText("Edit209", Sjis("ロゴ二"));
    state.environment.Settings().SetText("Edit10", Sjis("隠し行"));
    ASSERT_EQ(WriteEnvironment(state.environment), EnvironmentFileResult::kOk);
    Open();
    EXPECT_EQ(Edit("Edit201")->text(), "二号建設");
    Child<QTabWidget>(&form, "PageControl2")->setCurrentIndex(2);
    Child<QPushButton>(&form, "Button5")->click();
    EXPECT_EQ(Edit("Edit1")->text(), "二号建設");
    EXPECT_EQ(Utf8(Stored().Company(0, CompanyField::Name1)), "") << "nothing saved before closing";
    Child<QPushButton>(&form, "Button1")->click();
    const Environment stored = Stored();
    EXPECT_EQ(Utf8(stored.Company(0, CompanyField::Name1)), "二号建設");
    EXPECT_EQ(Utf8(stored.Company(0, CompanyField::Logo)), "ロゴ二");
    EXPECT_EQ(Utf8(stored.Company(2, CompanyField::Name1)), "二号建設");
    EXPECT_EQ(Utf8(stored.Company(0, CompanyField::Extra1)), "隠し行");
}

TEST_F(SettingsDialog, StandardButtonsAndAClearedCaptionShownAgainAsTheDefault) {
    PressKey(Qt::Key_F12);
    Child<QPushButton>(&form, "Button3")->click();
    EXPECT_EQ(Edit("Goukei")->text(), "【  合  計  】");
    Child<QPushButton>(&form, "BitBtn1")->click();
    EXPECT_EQ(Edit("SMes02")->text(), "消費税は含まれていません。 ");
    TypeOver(Edit("Syokei"), "");
    Child<QCheckBox>(&form, "CheckBox2")->click();
    Child<QCheckBox>(&form, "Chk_Nebi")->click();
    Close();
    EXPECT_EQ(ReadAll("sp_jis.dat").at(4546), '\0') << "a cleared caption is stored blank";
    EXPECT_EQ(Utf8(state.environment.Caption(LineCaption::GrandTotal)), "【  合  計  】");
    EXPECT_EQ(state.environment.QuantityDecimals(), 2);
    EXPECT_TRUE(state.environment.DiscountSign());
    Open();
    EXPECT_EQ(Edit("Syokei")->text(), "－  小  計  －");
    Close();
}

TEST_F(SettingsDialog, ASaveThatFailsIsReportedAndTheSettingsStillTakeEffect) {
    int closed = 0;
    QObject::connect(&form, &TFormMConf::SettingsClosed, [&closed] { ++closed; });
    PressKey(Qt::Key_F12);
    TypeOver(Edit("Zratio1"), "5");
    QFile::remove("sp_jis.dat");
    questions.ExpectInform(
        "環境設定を保存できませんでした。\n" +
        QDir::current().absoluteFilePath("sp_jis.dat").toStdString() +
        " (ファイルがありません)\n変更した設定は、見積作成を終了するまでの間だけ有効です。");
    Close();
    questions.Done();
    EXPECT_EQ(closed, 1);
    EXPECT_EQ(state.environment.TaxRate(), Fixed4::FromInt(5));
}

TEST_F(SettingsDialog, RegistrationNumberAndWelfareRateAreKeptInQuiltoConf) {
    Close();
    WriteAll(OwnSettingsPath(), "welfare_rate=15.6\nfuture_key=1\n");
    Open();
    QLineEdit* number = Edit(kRegistrationNumberControl);
    QLineEdit* rate = Edit(kWelfareRateControl);
    EXPECT_EQ(number->text(), "");
    EXPECT_EQ(rate->text(), "15.6");
    EXPECT_TRUE(number->isVisible()) << "on the printed company block";

    // A wrong form keeps the dialog open at the field; nothing is saved meanwhile.
    TypeOver(Edit("Edit1"), QStringLiteral("山田工務店"));
    TypeOver(number, QStringLiteral("T700001205000"));
    questions.ExpectInform(RegistrationCheckMessage(RegistrationCheck::kWrongForm));
    PressKey(Qt::Key_F12);
    PressKey(Qt::Key_Escape);
    questions.Done();
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(Focused(), kRegistrationNumberControl);
    EXPECT_EQ(Child<QTabWidget>(&form, "PageControl1")->currentIndex(), 0);
    EXPECT_EQ(Stored().Company(0, CompanyField::Name1), "");
    EXPECT_EQ(ReadAll(OwnSettingsPath()), "welfare_rate=15.6\nfuture_key=1\n");

    // Typed with the input method in full width: kept as "T" and 13 digits.
    TypeOver(number, QStringLiteral("Ｔ７００００１２０５０００２"));
    Close();
    EXPECT_EQ(Utf8(Stored().Company(0, CompanyField::Name1)), "山田工務店");
    EXPECT_EQ(ReadAll(OwnSettingsPath()),
              "welfare_rate=15.6\nfuture_key=1\nregistration_number=T7000012050002\n");

    // A check digit that does not fit a corporate number is told, and kept.
    Open();
    EXPECT_EQ(number->text(), "T7000012050002");
    TypeOver(number, QStringLiteral("T1000012050002"));
    questions.ExpectInform(RegistrationCheckMessage(RegistrationCheck::kCheckDigitWarning));
    Close();
    questions.Done();
    OwnSettings stored;
    ASSERT_TRUE(ReadOwnSettings(stored, nullptr));
    EXPECT_EQ(stored.RegistrationNumber(), "T1000012050002");

    // A rate out of range goes back to the options tab; cleared, the rate is gone.
    Open();
    TypeOver(rate, QStringLiteral("0"));
    questions.ExpectInformStartingWith("法定福利費率は 0 より大きく 100 以下");
    PressKey(Qt::Key_Escape);
    questions.Done();
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(Child<QTabWidget>(&form, "PageControl1")->currentIndex(), 1);
    EXPECT_EQ(Focused(), kWelfareRateControl);
    TypeOver(rate, QString());
    Close();
    ASSERT_TRUE(ReadOwnSettings(stored, nullptr));
    EXPECT_EQ(stored.WelfareRate(), std::nullopt);
    EXPECT_EQ(stored.RegistrationNumber(), "T1000012050002");
    EXPECT_EQ(stored.Value("future_key"), "1");
}

// Opened from the main menu: the logo is grey meanwhile. With QUILTO_SCREENSHOT_DIR set,
// both tabs are saved there for a person to look at.
using SettingsFromMenu = test::ShellRun;

TEST_F(SettingsFromMenu, TheMenuButtonOpensTheDialogWithTheLogoGreyed) {
    Start();
    QColor logo;
    {
        ModalDriver driver([&](QWidget* modal) {
            logo = Child<ShapeWidget>(&Menu(), "Shape1")->BrushColor();
            EXPECT_EQ(modal->objectName(), "FormMConf");
            if (const char* dir = std::getenv("QUILTO_SCREENSHOT_DIR")) {
                auto* pages = Child<QTabWidget>(modal, "PageControl1");
                for (int tab = 0; tab < 2; ++tab) {
                    pages->setCurrentIndex(tab);
                    modal->repaint();  // the tab shown is painted before the picture is taken
                    QScreen* screen = modal->screen();
                    const QPixmap picture = QGuiApplication::platformName() == "xcb"
                                                ? screen->grabWindow(modal->winId())
                                                : modal->grab();
                    picture.save(QDir(QString::fromLocal8Bit(dir))
                                     .filePath(QStringLiteral("formmconf_tab%1.png").arg(tab + 1)));
                }
            }
            TypeText(Child<QLineEdit>(modal, "Edit1"), QStringLiteral("山田工務店"));
            PressKey(Qt::Key_Escape);
        });
        Child<QPushButton>(&Menu(), "SetBtn2")->click();
    }
    EXPECT_EQ(logo, QColor(0x80, 0x80, 0x80));
    EXPECT_EQ(Child<ShapeWidget>(&Menu(), "Shape1")->BrushColor(), QColor(0, 0, 0xE3));
    EXPECT_EQ(Utf8(State().environment.Company(0, CompanyField::Name1)), "山田工務店");
}

}  // namespace
}  // namespace quilto
