// Opening an estimate in each entry mode, saving it and closing the editor.

#include <QFile>
#include <QPushButton>
#include <QStatusBar>
#include <QSysInfo>
#include <QToolButton>

#include "app/editor/editor_fixture.h"
#include "app/editor/estimate_session.h"
#include "app/shell/shape_widget.h"
#include "core/editor/estimate_io.h"
#include "core/store/markers.h"
#include "support/cli_runner.h"

namespace quilto {
namespace {

using test::Child;
using test::EditorRun;
using test::ModalDriver;
using test::ReadAll;
using test::Sjis;
using test::Utf8;

class OpenSaveClose : public EditorRun {
  protected:
    // An estimate saved through the editor itself.
    void SaveEstimate(const char* customer, const char* title) {
        Open(EntryMode::kNew);
        Type(QString::fromUtf8(customer));
        Key(Qt::Key_Return);
        Type(QString::fromUtf8(title));
        Document().Grid(SheetKind::Summary).SetCell(1, 3, "line");
        Document().Grid(SheetKind::Summary).SetCell(1, 7, "1000");
        questions.ExpectButtons(kCloseQuestion, 1);
        Trigger("Exit1");
        ASSERT_FALSE(Editor().isVisible());
    }
};

TEST_F(OpenSaveClose, ANewEstimateTakesTheNumberAfterTheHighest) {
    for (const char* name : {"DAT/m_000001.dat", "DAT/m_000002.dat", "DAT/m_000010.dat"})
        test::WriteAll(name, "x");
    Open(EntryMode::kNew);
    EXPECT_EQ(Utf8(Document().Text(HeaderText::MNo)), "000011");
    EXPECT_EQ(Editor().findChild<QLineEdit*>("MNo")->text(), "000011");
    EXPECT_FALSE(Editor().findChild<QLineEdit*>("MNo")->isEnabled());
    EXPECT_TRUE(
        Editor().findChild<QComboBox*>("MName1")->hasFocus() ||
        Editor().findChild<QComboBox*>("MName1")->isAncestorOf(QApplication::focusWidget()));
    EXPECT_EQ(Utf8(Document().TaxRateText()), "10");
    questions.ExpectButtons(kCloseQuestion, 2);
    Key(Qt::Key_Escape);
    EXPECT_TRUE(Editor().isVisible()) << "Esc alone does not close";
    Key(Qt::Key_Escape, Qt::ShiftModifier);
    EXPECT_FALSE(Editor().isVisible());
}

TEST_F(OpenSaveClose, SaveAndReturnWithABlankCustomerStaysOpen) {
    Open(EntryMode::kNew);
    Key(Qt::Key_Return);
    Type(QStringLiteral("題名"));
    questions.ExpectButtons(kCloseQuestion, 1).ExpectInform(kNoDataMessage);
    Trigger("Exit1");
    EXPECT_TRUE(Editor().isVisible());
    EXPECT_FALSE(QFile::exists("DAT/m_000001.dat"));
    EXPECT_FALSE(QFile::exists("m_BackUp.dat"));
    questions.ExpectButtons(kCloseQuestion, 3);
    Trigger("Cancel");
    EXPECT_TRUE(Editor().isVisible()) << "再入力";
    questions.ExpectButtons(kCloseQuestion, 2);
    Trigger("Cancel");
    EXPECT_FALSE(Editor().isVisible());
}

TEST_F(OpenSaveClose, AFigurePastTheRangeIsNamedAndNothingIsSaved) {
    Open(EntryMode::kNew);
    Type(QStringLiteral("山田工務店"));
    Key(Qt::Key_Return);
    Type(QStringLiteral("工事"));
    TextGrid& summary = Document().Grid(SheetKind::Summary);
    summary.SetCell(1, 3, "huge");
    summary.SetCell(1, 5, "9999999");
    summary.SetCell(1, 6, "999999999999");
    questions.ExpectInform(CalculationOverflowMessage({SheetKind::Summary, 0, 1}));
    Trigger("Save1");
    questions.Done();
    EXPECT_FALSE(QFile::exists("DAT/m_000001.dat"));
    EXPECT_FALSE(QFile::exists("m_BackUp.dat"));
    EXPECT_TRUE(Editor().isVisible());
}

TEST_F(OpenSaveClose, ASaveSaysSoInTheStatusBarWithItsNumber) {
    Open(EntryMode::kNew);
    Type(QStringLiteral("山田工務店"));
    Key(Qt::Key_Return);
    Type(QStringLiteral("工事"));
    Document().Grid(SheetKind::Summary).SetCell(1, 3, "line");
    Document().Grid(SheetKind::Summary).SetCell(1, 7, "1000");
    Trigger("Save1");
    ASSERT_TRUE(QFile::exists("DAT/m_000001.dat"));
    EXPECT_EQ(Editor().findChild<QStatusBar*>("StatusBar1")->currentMessage(),
              QStringLiteral("保存しました (000001)"));
    questions.ExpectButtons(kCloseQuestion, 1);
    Trigger("Exit1");
}

TEST_F(OpenSaveClose, CopyModeSavesUnderTheNextNumberAndLeavesTheSourceAlone) {
    SaveEstimate("元の施主", "元の工事");
    const std::string source = ReadAll("DAT/m_000001.dat");
    Open(EntryMode::kCopy, "000001");
    EXPECT_EQ(Utf8(Document().Text(HeaderText::MNo)), "000002");
    EXPECT_EQ(Utf8(Document().Text(HeaderText::MName1)), "元の施主");
    EXPECT_EQ(CellText(SheetKind::Summary, 1, 7), "1,000");
    EXPECT_EQ(State().markers.EstimateState(), MarkerState::kNone) << "a copy claims no marker";
    questions.ExpectButtons(kCloseQuestion, 1);
    Click("CancelBTN");
    EXPECT_EQ(ReadAll("DAT/m_000001.dat"), source);
    ASSERT_TRUE(QFile::exists("DAT/m_000002.dat"));
}

TEST_F(OpenSaveClose, AnEstimateInUseElsewhereOpensReadOnlyAndIsNeverWritten) {
    SaveEstimate("山田工務店", "工事");
    const std::string before = ReadAll("DAT/m_000001.dat");
    const std::string backup = ReadAll("m_BackUp.dat");
    Markers other(questions, MarkerFoldersOf(State().environment));
    ASSERT_EQ(other.HoldEstimateMarker("000001"), MarkerHold::kDone);
    ASSERT_EQ(State().markers.CheckEstimateMarker("000001"),
              MarkerCheck::kPresent);  // as the list does

    Open(EntryMode::kCallUp, "000001");
    // The caption names who has it open: here this very process, through the other markers.
    EXPECT_TRUE(Editor().windowTitle().contains(
        QStringLiteral(" < 書込み不可 > 使用中: PC「%1」").arg(QSysInfo::machineHostName())))
        << Editor().windowTitle().toStdString();
    EXPECT_FALSE(Editor().findChild<QToolButton*>("SaveBTN")->isEnabled());
    Document().Grid(SheetKind::Summary).SetCell(1, 7, "2000");
    Trigger("Save1");
    Trigger("Exit1");  // no question in read-only mode
    EXPECT_FALSE(Editor().isVisible());
    EXPECT_EQ(ReadAll("DAT/m_000001.dat"), before);
    EXPECT_EQ(ReadAll("m_BackUp.dat"), backup);
    EXPECT_TRUE(QFile::exists("DAT/m_000001.tmp")) << "the other copy's marker stays";
}

// The window saves as the command line does: an estimate stored with a stale detail sheet,
// edited and saved in the editor without looking at that sheet, is already what
// quilto-cli calc --save makes of it, byte for byte (its backup estimate too).
TEST_F(OpenSaveClose, TheWindowsSaveWritesWhatTheCommandLinesSaveWrites) {
    {
        EstimateDocument d;
        d.SetText(HeaderText::MNo, "000001");
        d.SetText(HeaderText::MName1, "customer");
        d.SetText(HeaderText::MTitle1, "title");
        d.SetTaxRateText("10");
        d.Grid(SheetKind::Breakdown).SetCell(1, 3, "pipes");
        d.Grid(SheetKind::Breakdown).SetCell(1, 6, "500");
        LineRecord& pipe = d.Stores().details.MutableLine(1, 1);
        pipe.SetName("pipe");
        pipe.SetQuantity(Fixed4::FromInt(2));
        pipe.SetUnitPrice(Fixed4::FromInt(300));
        pipe.SetAmount(Fixed4::FromInt(500));  // stored before a price change: stale
        d.Stores().breakdown[1].SetDetailCount(1);
        d.BeginSession(EntryMode::kCallUp);
        ASSERT_EQ(quilto::SaveEstimate(d, State().environment, questions), EstimateResult::kOk);
    }
    Open(EntryMode::kCallUp, "000001");
    Context().pageControl1->setCurrentIndex(kSummaryTab);
    Focus(SheetKind::Summary, 1, 3);
    Cell(QStringLiteral("roof"));
    Focus(SheetKind::Summary, 1, 6);
    Cell(QStringLiteral("1200"));
    Trigger("Save1");
    const std::string window = ReadAll("DAT/m_000001.dat");
    const std::string windowBackup = ReadAll("m_BackUp.dat");
    questions.ExpectButtons(kCloseQuestion, 2);
    Trigger("Exit1");
    ASSERT_FALSE(Editor().isVisible());

    const auto cli = test::RunCli({"calc", "000001", "--json", "--save"});
    ASSERT_EQ(cli.exitCode, 0) << cli.err;
    EXPECT_EQ(ReadAll("DAT/m_000001.dat"), window);
    EXPECT_EQ(ReadAll("m_BackUp.dat"), windowBackup);
}

TEST_F(OpenSaveClose, CallUpHoldsTheMarkerUntilTheEditorReallyCloses) {
    SaveEstimate("山田工務店", "工事");
    Open(EntryMode::kCallUp, "000001");
    EXPECT_FALSE(Editor().windowTitle().contains("書込み不可"));
    EXPECT_EQ(State().markers.EstimateState(), MarkerState::kHeld);
    Document().SetText(HeaderText::MName1, "");
    Editor().findChild<QComboBox*>("MName1")->setEditText("");
    questions.ExpectButtons(kCloseQuestion, 1).ExpectInform(kNoDataMessage);
    Trigger("Exit1");
    EXPECT_TRUE(QFile::exists("DAT/m_000001.tmp")) << "still held while it stays open";
    questions.ExpectButtons(kCloseQuestion, 2);
    Trigger("Exit1");
    EXPECT_FALSE(QFile::exists("DAT/m_000001.tmp"));
}

TEST_F(OpenSaveClose, OutputModeWithoutTheOutputDialogOpensForChangeAndSaysSo) {
    SaveEstimate("山田工務店", "工事");
    Editor().SetOutputDialog({});
    questions.ExpectInform(kOutputMissingMessage);
    Open(EntryMode::kOutput, "000001");
    EXPECT_EQ(Utf8(Document().Text(HeaderText::MName1)), "山田工務店");
    EXPECT_FALSE(Editor().findChild<QAction*>("XlsPrint1")->isEnabled());
    questions.ExpectButtons(kCloseQuestion, 2);
    Trigger("Exit1");

    // With the dialog installed it shows half a second after opening, then the editor closes.
    int shown = 0;
    Editor().SetOutputDialog([&] { ++shown; });
    Open(EntryMode::kOutput, "000001");
    EXPECT_TRUE(QTest::qWaitFor([&] { return !Editor().isVisible(); }, 3000));
    EXPECT_EQ(shown, 1);
}

TEST_F(OpenSaveClose, TheMainMenuOpensTheEditorModallyAndTheListOpensTheChosenEstimate) {
    SaveEstimate("山田工務店", "工事");
    TFormMenu1& menu = program->FormMenu1();
    QColor logo;
    std::string number;
    {
        ModalDriver driver([&](QWidget* editor) {
            logo = Child<ShapeWidget>(&menu, "Shape1")->BrushColor();
            number = Utf8(Document().Text(HeaderText::MNo));
            EXPECT_EQ(editor->objectName(), "FormMVell1");
            questions.ExpectButtons(kCloseQuestion, 2);
            Editor().findChild<QAction*>("Exit1")->trigger();
        });
        Child<QPushButton>(&menu, "NewBtn")->click();
    }
    EXPECT_EQ(number, "000002");
    EXPECT_EQ(logo, QColor(0, 0, 0xE3)) << "the logo stays blue while the editor is up";
    std::string customer;
    std::unique_ptr<ModalDriver> editorDriver;
    {
        ModalDriver list([&](QWidget* form) {
            Child<QListWidget>(form, "ListBox1")->setCurrentRow(0);
            // The editor opens as the list closes.
            editorDriver = std::make_unique<ModalDriver>([&](QWidget*) {
                customer = Utf8(Document().Text(HeaderText::MName1));
                questions.ExpectButtons(kCloseQuestion, 2);
                Editor().findChild<QAction*>("Exit1")->trigger();
            });
            Child<QPushButton>(form, "MlistEnt")->click();
        });
        Child<QPushButton>(&menu, "ChgBtn")->click();
    }
    editorDriver.reset();
    EXPECT_EQ(customer, "山田工務店");
}

}  // namespace
}  // namespace quilto
