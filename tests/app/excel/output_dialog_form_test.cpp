#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTest>
#include <QUrl>

#include "app/excel/form_mxls2.h"
#include "app/excel/output_runner.h"
#include "app/modal_driver.h"
#include "app/screenshot.h"
#include "core/excel/workbook.h"
#include "core/output/output_templates.h"
#include "core/shell/program_state.h"
#include "core/store/issued_archive.h"
#include "support/cups_sandbox.h"
#include "support/fake_printers.h"
#include "support/output_fixture.h"
#include "support/scripted_questions.h"
#include "support/working_folder.h"

namespace quilto {
namespace {

using test::Child;
using test::FakePrinters;
using test::ScriptedQuestions;
using test::WriteAll;

constexpr char kOutputQuestion[] = "エクセルに出力していいですか ？ ";
constexpr char kPrintQuestion[] = "現在設定されているプリンターに印刷していいですか ？ ";

class OutputDialogForm : public ::testing::Test {
  protected:
    void SetUp() override {
        printers.current = "PDF";
        form.SetUrlOpener([this](const QUrl& url) {
            opened << url;
            return true;
        });
    }

    // Breakdown: 外壁 with three detail lines, 屋根 named but without details, a subtotal
    // that owns details all the same, 内装 with 45 detail lines.
    void MakeEstimate() {
        test::OutputFixture estimate;
        estimate.Breakdown(1, "", "1", "外壁", "300");
        estimate.AddDetails(1, 3);
        estimate.Breakdown(2, "", "2", "屋根", "1000");
        estimate.Breakdown(3, "=", "", "小計", "1300");
        estimate.AddDetails(3, 2);
        estimate.Breakdown(4, "", "3", "内装", "4500");
        estimate.AddDetails(4, 45);
        program.document = estimate.document;
    }

    void Show() {
        form.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    }

    QCheckBox* Box(const char* name) { return Child<QCheckBox>(&form, name); }
    QListWidget* List() { return Child<QListWidget>(&form, "ListBox1"); }
    QString Text(const char* label) { return Child<QLabel>(&form, label)->text(); }
    void Click(const char* name) {
        QTest::mouseClick(Child<QAbstractButton>(&form, name), Qt::LeftButton);
    }

    // 表紙, 総括書, 内訳書, 原価印刷, かがみ付フリー印刷, Chk_ktype.
    std::vector<bool> Ticks() {
        std::vector<bool> ticks;
        for (const char* name :
             {"Check_H", "Check_3", "Check_1", "Check_gen", "Check_sei", "Chk_ktype"}) {
            ticks.push_back(Box(name)->isChecked());
        }
        return ticks;
    }

    test::WorkingFolder folder;
    ScriptedQuestions questions;
    ProgramState program{questions};
    FakePrinters printers;
    TFormMXls2 form{program, printers};
    QList<QUrl> opened;
};

TEST_F(OutputDialogForm, OffersTheConstructionsWithDetailsAndStartsWithTheDefaultTicks) {
    MakeEstimate();
    program.document.SetCheckBox1(true);
    WriteAll("XlsBase/見積書00.xlsx", "x");
    Show();
    EXPECT_EQ(form.windowTitle(), "EXCEL出力");
    EXPECT_EQ(Text("PTitle1"), "EXCEL出力処理");
    EXPECT_EQ(Text("Prn_info"), "【現在のﾌﾟﾘﾝﾀｰ】<PDF>");
    ASSERT_EQ(List()->count(), 2);
    EXPECT_EQ(List()->item(0)->text(), "外壁");
    EXPECT_EQ(List()->item(1)->text(), "内装");
    EXPECT_EQ(Ticks(), (std::vector<bool>{true, true, true, false, false, false}));
    EXPECT_TRUE(Child<QRadioButton>(&form, "RadioButton1")->isChecked());
    EXPECT_FALSE(Child<QWidget>(&form, "StepInfo")->isVisible());

    // Only 見積書00 exists: one pattern, and a typed "2" falls back to it.
    auto* patterns = Child<QComboBox>(&form, "CBListMS");
    ASSERT_EQ(patterns->count(), 1);
    patterns->setFocus();
    patterns->lineEdit()->selectAll();
    QTest::keyClicks(patterns, "2");
    Child<QWidget>(&form, "ListBox1")->setFocus();
    EXPECT_EQ(patterns->currentText(), " 0 標準パターン ");

    // Without 書式F00A the free-form choices are out of reach.
    EXPECT_FALSE(Box("Check_sei")->isEnabled());
    EXPECT_FALSE(Child<QRadioButton>(&form, "RadioButton3")->isEnabled());
    EXPECT_FALSE(Child<QWidget>(&form, "EYMD4")->isVisible());

    form.hide();
    printers.current.clear();
    WriteAll("XlsBase/書式F00A.xlsx", "x");
    Show();
    EXPECT_EQ(Text("Prn_info"), "【現在のﾌﾟﾘﾝﾀｰ】<>");
    EXPECT_TRUE(Box("Check_sei")->isEnabled());
    EXPECT_TRUE(Child<QWidget>(&form, "EYMD4")->isVisible());
}

TEST_F(OutputDialogForm, BoxesAndRadioButtonsAnswerEachOther) {
    MakeEstimate();
    WriteAll("XlsBase/書式F00A.xlsx", "x");
    Show();
    Click("Check_sei");
    EXPECT_EQ(Ticks(), (std::vector<bool>{false, false, false, false, true, false}));
    Click("Check_H");
    EXPECT_EQ(Ticks(), (std::vector<bool>{true, false, false, false, false, false}));
    Click("Check_gen");
    Click("RadioButton3");
    EXPECT_EQ(Ticks(), (std::vector<bool>{false, false, false, false, true, false}));
    EXPECT_TRUE(Child<QRadioButton>(&form, "RadioButton3")->isChecked());
    Click("Check_1");
    Click("Chk_ktype");
    EXPECT_EQ(Ticks(), (std::vector<bool>{false, false, false, false, false, true}));

    Click("AllOn");
    EXPECT_EQ(List()->selectedItems().size(), 2);
    Click("AllOff");
    EXPECT_EQ(List()->selectedItems().size(), 0);

    // 印 刷 日 takes today's date from a click on its label.
    QTest::mouseClick(Child<QWidget>(&form, "Panel3"), Qt::LeftButton);
    EXPECT_FALSE(Child<QLineEdit>(&form, "EYMD4")->text().isEmpty());
}

TEST_F(OutputDialogForm, ControlF1AndF2StartARunWithExactlyControl) {
    MakeEstimate();
    Show();
    QTest::keyClick(&form, Qt::Key_F1, Qt::ControlModifier | Qt::ShiftModifier);
    QTest::keyClick(&form, Qt::Key_F2, Qt::AltModifier | Qt::ControlModifier);
    EXPECT_TRUE(questions.History().empty());

    questions.ExpectOkCancel(kOutputQuestion, false);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F1, Qt::ControlModifier);
    questions.ExpectOkCancel(kPrintQuestion, false);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F2, Qt::ControlModifier);
    questions.Done();

    // The print flag stays: the next showing is titled for printing.
    form.hide();
    Show();
    EXPECT_EQ(Text("PTitle1"), "印 刷 処 理");
    EXPECT_EQ(Child<QPushButton>(&form, "XPrnBtn")->text(), "印  刷");
}

TEST_F(OutputDialogForm, OutputPrintsTheChosenConstructionsOnlyAndOpensTheWorkbook) {
    test::InstallOutputFiles();
    MakeEstimate();
    Show();
    List()->item(1)->setSelected(true);  // 内装 only: 45 lines at 20 rows, three pages
    questions.ExpectOkCancel(kOutputQuestion, true).ExpectInform("*  完 了  *");
    Click("XOutBTN");
    questions.Done();

    const QString workbook = QDir::current().absoluteFilePath("Xls/見積書00.xlsx");
    ASSERT_EQ(opened.size(), 1);
    EXPECT_EQ(opened[0], QUrl::fromLocalFile(workbook));
    QString error;
    std::unique_ptr<Workbook> book = Workbook::Open(workbook, &error);
    ASSERT_TRUE(book) << error.toStdString();
    int visible = 0;
    for (int sheet = 1; sheet <= book->SheetCount(); ++sheet)
        visible += book->IsSheetVisible(sheet);
    EXPECT_EQ(visible, 1 + 1 + 3) << "cover, breakdown and the three detail pages of 内装";
    EXPECT_EQ(Text("StatusBar1Panel0"), " 総頁数 = 5");
    auto* bar = Child<QProgressBar>(&form, "ProgressBar1");
    EXPECT_EQ(bar->value(), bar->maximum());
    EXPECT_TRUE(Child<QWidget>(&form, "PanelB1")->isVisible());
    EXPECT_FALSE(Child<QWidget>(&form, "XSetBTN")->isVisible()) << "back only on the next showing";
    EXPECT_EQ(Text("Hyoji"), QStringLiteral("*  完 了  *  保存先: ") + workbook)
        << "not 出力処理中 any more";
    test::SaveScreenshot(&form, "ui-output-dialog-after-run.png");
}

TEST_F(OutputDialogForm, MissingTemplateIsNamedInTheMessagePanel) {
    MakeEstimate();
    Show();
    questions.ExpectOkCancel(kOutputQuestion, true)
        .ExpectInform("*  エクセルの表がありません。  *");
    Click("XOutBTN");
    questions.Done();
    EXPECT_TRUE(Text("Hyoji").startsWith("必要なEXCEL表 ( ")) << Text("Hyoji").toStdString();
    EXPECT_TRUE(Text("Hyoji").contains("見積書00")) << Text("Hyoji").toStdString();
    EXPECT_TRUE(opened.isEmpty());
}

// A long output: thirty constructions of sixty detail lines each, 93 pages. キャンセル
// during the run stops it where it is; the pages so far are still saved.
TEST_F(OutputDialogForm, CancelStopsALongOutputWhileTheDialogStaysLive) {
    test::InstallOutputFiles();
    test::OutputFixture estimate;
    for (int row = 1; row <= 30; ++row) {
        estimate.Breakdown(row, "", std::to_string(row), "工事" + std::to_string(row), "100");
        estimate.AddDetails(row, 60);
    }
    program.document = estimate.document;
    Show();
    Click("AllOn");
    auto* runner = form.findChild<OutputRunner*>();
    ASSERT_NE(runner, nullptr);
    int pagesSeen = 0;
    bool liveWhileRunning = false;
    // The output's thread waits at each page until the window has seen it: an optimised
    // build otherwise writes all 123 pages before the window takes in page 3 and its click.
    QObject::connect(
        runner, &OutputRunner::PageReached, &form,
        [&](int page) {
            pagesSeen = page;
            if (page == 3) {
                liveWhileRunning = form.Running() &&
                                   Child<QWidget>(&form, "StepInfo")->isVisible() &&
                                   !Child<QWidget>(&form, "PanelB1")->isVisible();
                QTest::mouseClick(Child<QPushButton>(&form, "CanBtn"), Qt::LeftButton);
            }
        },
        Qt::BlockingQueuedConnection);
    questions.ExpectOkCancel(kOutputQuestion, true).ExpectInform("*  完 了  *");
    Click("XOutBTN");
    questions.Done();
    EXPECT_TRUE(liveWhileRunning);
    auto* bar = Child<QProgressBar>(&form, "ProgressBar1");
    EXPECT_EQ(bar->maximum(), 1 + 2 + 120);  // 60 lines and the sheet's total: 4 pages each
    EXPECT_GE(pagesSeen, 3);
    EXPECT_LT(pagesSeen, bar->maximum()) << "the run went to its end after キャンセル";
    EXPECT_EQ(opened.size(), 1);
}

TEST(OutputDialogPrinting, PrintRunSendsThePagesToTheDefaultQueue) {
    if (!test::CupsSchedulerRunning()) GTEST_SKIP() << "no CUPS scheduler is running";
    test::WorkingFolder folder;
    test::CupsClientSandbox sandbox;
    test::CupsPdfQueues queues({"QuiltoDialogPrint"});
    ASSERT_TRUE(queues.Ready());
    std::unique_ptr<PrinterSource> cups = CupsPrinters();
    std::string error;
    ASSERT_TRUE(cups->MakeDefault("QuiltoDialogPrint", &error)) << error;
    test::InstallOutputFiles();

    ScriptedQuestions questions;
    ProgramState program{questions};
    test::OutputFixture estimate;
    estimate.Breakdown(1, "", "1", "外壁", "300");
    estimate.AddDetails(1, 3);
    program.document = estimate.document;
    TFormMXls2 form(program, *cups);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    EXPECT_EQ(Child<QLabel>(&form, "Prn_info")->text(), "【現在のﾌﾟﾘﾝﾀｰ】<QuiltoDialogPrint>");
    Child<QListWidget>(&form, "ListBox1")->selectAll();
    questions.ExpectOkCancel(kPrintQuestion, true).ExpectInform("*  完 了  *");
    Child<QPushButton>(&form, "XPrnBtn")->click();
    questions.Done();

    // The job goes through the queue and cups-pdf writes its pages.
    ASSERT_TRUE(QTest::qWaitFor(
        [] {
            QProcess lpstat;
            lpstat.start("lpstat", {"-o", "QuiltoDialogPrint"});
            return lpstat.waitForFinished(10000) && lpstat.readAll().trimmed().isEmpty();
        },
        60000))
        << "the job is still queued";
    const QString outFolder = queues.OutputFolder("QuiltoDialogPrint");
    const QFileInfoList pdfs = QDir(outFolder).entryInfoList({"*.pdf"}, QDir::Files);
    ASSERT_EQ(pdfs.size(), 1) << "PDFs in " << outFolder.toStdString();
    const QString printed = pdfs.first().absoluteFilePath();
    QProcess info;
    info.start("pdfinfo", {printed});
    ASSERT_TRUE(info.waitForFinished(30000));
    const QString pages = QString::fromLocal8Bit(info.readAll());
    EXPECT_TRUE(pages.contains(QRegularExpression("Pages:\\s+3\\b"))) << pages.toStdString();
    // What went to the printer is kept as issued, byte for byte the PDF that was sent.
    const ArchiveReading archive = ReadIssuedArchive(QStringLiteral("DAT/発行済み"));
    ASSERT_EQ(archive.entries.size(), 1u);
    EXPECT_EQ(test::ReadAll(QStringLiteral("DAT/発行済み/") + archive.entries[0].fileName),
              test::ReadAll(QStringLiteral("Xls/見積書00.pdf")));

    form.hide();
    form.show();
    EXPECT_EQ(Child<QLabel>(&form, "PTitle1")->text(), "印 刷 処 理");
}

}  // namespace
}  // namespace quilto
