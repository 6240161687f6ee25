#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QUrl>

#include "app/excel/form_mxls1.h"
#include "app/modal_driver.h"
#include "app/shell/shell_fixture.h"
#include "core/excel/table_definition.h"
#include "core/foundation/desktop_opening.h"
#include "core/shell/program_state.h"
#include "support/scripted_questions.h"
#include "support/working_folder.h"

namespace quilto {
namespace {

using test::Child;
using test::ReadAll;
using test::ScriptedQuestions;
using test::WorkingFolder;
using test::WriteAll;

// Patterns 00 and 01 on disk: 00 with the standard cells, 01 with its own cover cell.
class TableDefinitionForm : public ::testing::Test {
  protected:
    void SetUp() override {
        for (const char* code : {"00", "01"}) {
            WriteAll(QStringLiteral("XlsBase/XKP%1.Dat").arg(code),
                     std::string(kXkpRecordSize, '\0'));
            WriteAll(QStringLiteral("XlsBase/XKPSei%1.Dat").arg(code),
                     std::string(kXkpSeiRecordSize, '\0'));
        }
        TableDefinitions tables;
        ASSERT_EQ(tables.Save("00", StandardTableDefaults(TableFieldTexts())),
                  TableFileResult::kOk);
        TableFieldTexts pattern1;
        pattern1.Set("HName1", "B2");
        ASSERT_EQ(tables.Save("01", pattern1), TableFileResult::kOk);
        WriteAll(QStringLiteral("XlsBase/見積書00.xlsx"), "template");
        WriteAll(QStringLiteral("XlsBase/見積書01.xlsx"), "template");
    }

    void Show() {
        form.show();
        form.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    }

    QLineEdit* Field(const char* name) { return form.Field(name); }
    QString Edit1() { return Child<QLineEdit>(&form, "Edit1")->text(); }
    QTabWidget* Tabs() { return Child<QTabWidget>(&form, "PageControl1"); }
    QComboBox* Patterns() { return Child<QComboBox>(&form, "CBListMS"); }

    // Focuses a field (showing its tab) and types into it as a user would.
    void TypeInto(const char* name, const QString& text) {
        QLineEdit* field = Field(name);
        for (QWidget* w = field->parentWidget(); w; w = w->parentWidget()) {
            if (auto* tabs = qobject_cast<QTabWidget*>(w->parentWidget()->parentWidget())) {
                tabs->setCurrentWidget(w);
            }
            if (w->parentWidget() == &form) break;
        }
        field->setFocus();
        QApplication::processEvents();
        field->selectAll();
        QTest::keyClicks(field, text);
    }

    WorkingFolder folder;
    ScriptedQuestions questions;
    ProgramState program{questions};
    TFormMXls1 form{program};
};

TEST_F(TableDefinitionForm, ShowsPattern00OnTheCoverWithEveryFieldBoundAndTheHiddenOnesKept) {
    Show();
    EXPECT_EQ(form.windowTitle(), "EXCELセル設定");
    // The heading tab holds the most fields (the invoice's among them), and the window
    // still fits the screen.
    EXPECT_TRUE(form.frameGeometry().width() <= 1280 && form.frameGeometry().height() <= 1024)
        << form.frameGeometry().width() << "x" << form.frameGeometry().height();
    EXPECT_EQ(Child<QLabel>(&form, "PTitle1")->text(), "EXCEL表定義");
    EXPECT_EQ(Tabs()->currentIndex(), 0);
    EXPECT_EQ(QApplication::focusWidget(), Field("HName1"));
    ASSERT_EQ(Patterns()->count(), 2);
    EXPECT_EQ(Patterns()->itemText(0), " 0 標準パターン ");
    EXPECT_EQ(Patterns()->itemText(1), " 1 パターン １");

    QStringList tabs;
    for (int i = 0; i < Tabs()->count(); ++i) tabs << Tabs()->tabText(i);
    EXPECT_EQ(tabs, (QStringList{"表 紙", "総括書", "内訳書", "明細書", "*フリー書式１頁*",
                                 "*フリー書式２頁*"}));
    const QStringList hidden{"HName2", "HJTanto", "DSGou", "EKake", "EKTan"};
    for (const TableField& field : TableFields()) {
        QLineEdit* edit = Field(field.name);
        ASSERT_NE(edit, nullptr) << field.name;
        EXPECT_EQ(edit->objectName(), field.name);
        const bool isHidden = hidden.contains(QString::fromLatin1(field.name));
        EXPECT_EQ(edit->isHidden(), isHidden) << field.name;
        auto* label = Child<QLabel>(&form, (std::string(field.name) + "Label").c_str());
        ASSERT_NE(label, nullptr) << field.name;
        EXPECT_EQ(label->isHidden(), isHidden) << field.name;
    }
    EXPECT_EQ(Field("HMBango")->text(), "AB4");
    EXPECT_EQ(Field("GyoD1")->text(), "20");
    EXPECT_EQ(Field("SB1Utanka")->text(), "M14");
    EXPECT_EQ(Field("HJTanto")->text(), "AA25");  // hidden, loaded all the same

    // Saved as shown, the hidden fields included.
    Field("HJTanto")->setText("Z9");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F10);
    TableDefinitions saved;
    ASSERT_EQ(saved.Load("00"), TableFileResult::kOk);
    EXPECT_EQ(saved.Text("HJTanto"), "Z9");
    EXPECT_EQ(saved.Text("HMBango"), "AB4");
    EXPECT_EQ(saved.Count("SA2LinP1"), 35);

    // The invoice items go to their own file; the free-form record's reserved slots after
    // the heading block stay zero.
    Field("SA1HZRitu")->setText("A37");
    Field("SB1HJTouroku")->setText("M12");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F10);
    ASSERT_EQ(saved.Load("00"), TableFileResult::kOk);
    EXPECT_EQ(saved.Text("SA1HZRitu"), "A37");
    EXPECT_EQ(saved.Text("SB1HJTouroku"), "M12");
    const std::string invoice = test::ReadAll("XlsBase/XKPSei00.invoice");
    EXPECT_NE(invoice.find("\nSA1HZRitu=A37\n"), std::string::npos) << invoice;
    const std::string freeForm = test::ReadAll("XlsBase/XKPSei00.Dat");
    for (const std::size_t offset : {572u, 1092u})
        EXPECT_EQ(freeForm.substr(offset, 49), std::string(49, '\0')) << offset;
}

TEST_F(TableDefinitionForm, AddressFieldsTakeUpperCaseAndShowTheirPosition) {
    Show();
    TypeInto("HTitle1", "ab4");
    EXPECT_EQ(Field("HTitle1")->text(), "AB4");
    QTest::keyClick(Field("HTitle1"), Qt::Key_Return);
    EXPECT_NE(QApplication::focusWidget(), Field("HTitle1")) << "Enter moves on";
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Up);
    EXPECT_EQ(QApplication::focusWidget(), Field("HTitle1")) << "Up moves back";
    EXPECT_EQ(Edit1(), "   28,  4");

    TypeInto("DName", "a0");
    QTest::keyClick(Field("DName"), Qt::Key_Tab);
    EXPECT_EQ(Field("DName")->text(), "");

    // Entering a field shows where its address points.
    Field("EName")->setText("c3");
    TypeInto("EName", "");
    EXPECT_EQ(Edit1(), "    3,  3");

    // Lines per page: digits only; entering one empties the position.
    TypeInto("GyoE1", "x1-5");
    EXPECT_EQ(Field("GyoE1")->text(), "15");
    EXPECT_EQ(Edit1(), "");
}

TEST_F(TableDefinitionForm, KeysWalkTheTabsSaveAndClose) {
    Show();
    QStringList walked;
    for (int i = 0; i < 5; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F12);
        walked << Tabs()->tabText(Tabs()->currentIndex());
    }
    EXPECT_EQ(walked, (QStringList{"総括書", "内訳書", "明細書", "表 紙", "総括書"}));
    Tabs()->setCurrentIndex(4);
    QTest::keyClick(Tabs(), Qt::Key_F12);
    EXPECT_EQ(Tabs()->currentIndex(), 4) << "F12 does nothing on the free-form tabs";

    TypeInto("HName1", "c7");
    QTest::keyClick(Field("HName1"), Qt::Key_F10);
    TableDefinitions saved;
    ASSERT_EQ(saved.Load("00"), TableFileResult::kOk);
    EXPECT_EQ(saved.Text("HName1"), "C7");

    QTest::keyClick(Field("HName1"), Qt::Key_Escape);
    EXPECT_FALSE(form.isVisible());
}

TEST_F(TableDefinitionForm, StandardPreviousAndPatternChangeWorkOnTheFieldsOnly) {
    Show();
    // 前回値 before any save in this run: every field empty, every count 0.
    Child<QPushButton>(&form, "BefBTN")->click();
    EXPECT_EQ(Field("HMBango")->text(), "");
    EXPECT_EQ(Field("GyoF1")->text(), " 0");
    EXPECT_EQ(Field("SB2LinP1")->text(), " 0");

    // 標準 puts the standard values back without touching the separator or the files.
    Field("HBKsep")->setText("-");
    const std::string before = ReadAll("XlsBase/XKP00.Dat");
    Child<QPushButton>(&form, "setBTN")->click();
    EXPECT_EQ(Field("HMBango")->text(), "AB4");
    EXPECT_EQ(Field("GyoF1")->text(), "20");
    EXPECT_EQ(Field("HBKsep")->text(), "-");
    EXPECT_EQ(ReadAll("XlsBase/XKP00.Dat"), before);

    // Choosing another pattern drops the edits and shows that pattern's cells.
    TypeInto("HMBango", "Q1");
    Tabs()->setCurrentIndex(2);
    Patterns()->setFocus();
    Patterns()->lineEdit()->selectAll();
    QTest::keyClicks(Patterns(), "123");
    EXPECT_EQ(Patterns()->currentText(), "12") << "two characters at most";
    Patterns()->lineEdit()->selectAll();
    QTest::keyClicks(Patterns(), "1");
    QTest::keyClick(Patterns(), Qt::Key_Tab);
    EXPECT_EQ(Patterns()->currentIndex(), 1);
    EXPECT_EQ(Field("HName1")->text(), "B2");
    EXPECT_EQ(Field("HMBango")->text(), "");
    EXPECT_EQ(Tabs()->currentIndex(), 0);
    EXPECT_EQ(QApplication::focusWidget(), Field("HName1"));

    // Passing through the combo on the same pattern keeps the edits; a pattern beyond the
    // list falls back to the first.
    TypeInto("HMBango", "Q1");
    Patterns()->setFocus();
    QTest::keyClick(Patterns(), Qt::Key_Tab);
    EXPECT_EQ(Field("HMBango")->text(), "Q1");
    Patterns()->setFocus();
    Patterns()->lineEdit()->selectAll();
    QTest::keyClicks(Patterns(), "2");
    QTest::keyClick(Patterns(), Qt::Key_Return);
    EXPECT_EQ(Patterns()->currentIndex(), 0);
    EXPECT_EQ(Field("HMBango")->text(), "AB4");

    // After a save, 前回値 brings back what was saved.
    TypeInto("HMBango", "K9");
    Child<QPushButton>(&form, "SaveBTN")->click();
    TypeInto("HMBango", "A1");
    Child<QPushButton>(&form, "BefBTN")->click();
    EXPECT_EQ(Field("HMBango")->text(), "K9");
}

TEST_F(TableDefinitionForm, TemplateEditingOpensTheChosenWorkbook) {
    QString caption, folderAsked, filter;
    form.SetFileChooser([&](const QString& c, const QString& f, const QString& x) {
        caption = c;
        folderAsked = f;
        filter = x;
        return f + QStringLiteral("/見積書01.xlsx");
    });
    QList<QUrl> opened;
    form.SetUrlOpener([&](const QUrl& url) {
        opened << url;
        return false;
    });
    Show();
    // The failure says why with the path, and its first button copies the path.
    const QString chosen = folder.Path() + "/XlsBase/見積書01.xlsx";
    questions.ExpectButtons(OpeningFailureMessage("エクセル表を開けませんでした。", chosen,
                                                  FindOpeningGap(chosen, SystemOpeningPlaces())),
                            1);
    Child<QPushButton>(&form, "XlsBtn")->click();
    questions.Done();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), chosen);
    EXPECT_EQ(caption, "基本エクセル表選択(Excel)");
    EXPECT_EQ(folderAsked, folder.Path() + "/XlsBase");
    EXPECT_TRUE(filter.contains("*.xlsx") && filter.contains("*.xls")) << filter.toStdString();
    ASSERT_EQ(opened.size(), 1);
    EXPECT_EQ(opened[0], QUrl::fromLocalFile(folder.Path() + "/XlsBase/見積書01.xlsx"));

    // Cancelling the file dialog opens nothing.
    form.SetFileChooser([](const QString&, const QString&, const QString&) { return QString(); });
    Child<QPushButton>(&form, "XlsBtn")->click();
    EXPECT_EQ(opened.size(), 1);
}

TEST_F(TableDefinitionForm, AFailedSaveSaysWhichFilesWereNotWritten) {
    Show();
    QFile::remove("XlsBase/XKPSei00.Dat");
    questions.ExpectInform(
        "表定義を保存できませんでした。 (XlsBase/XKP00.Dat, XlsBase/XKPSei00.Dat, "
        "XlsBase/XKPSei00.invoice)");
    Child<QPushButton>(&form, "SaveBTN")->click();
    questions.Done();
}

using MainMenuTableDefinitions = test::ShellRun;

TEST_F(MainMenuTableDefinitions, ButtonOpensTheEditorOnPattern00) {
    Start();
    QString shown;
    QString cell;
    {
        test::ModalDriver driver([&](QWidget* modal) {
            shown = modal->objectName();
            cell = Child<QLineEdit>(modal, "GyoD1")->text();
            test::PressKey(Qt::Key_Escape);
        });
        Child<QPushButton>(&Menu(), "ExlBtn2")->click();
    }
    EXPECT_EQ(shown, "FormMXls1");
    EXPECT_EQ(cell, "20") << "the start-up writes the definitions the program ships";
    EXPECT_FALSE(program->FormMXls1().isVisible());
}

}  // namespace
}  // namespace quilto
