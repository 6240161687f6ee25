// プレビュー in the output dialog with the real LibreOffice and CUPS: the PDF's pages as Qt PDF
// reads them, the saved PDF against the previewed one, a page range printed to a cups-pdf
// queue of the test's own, and キャンセル during the conversion. Under QUILTO_INTEGRATION=1
// a missing program fails the test instead of skipping it.

#include <gtest/gtest.h>

#include <signal.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPdfDocument>
#include <QPdfSelection>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QTest>
#include <QTimer>

#include <functional>
#include "app/excel/form_mxls2.h"
#include "app/excel/output_preview.h"
#include "app/excel/output_runner.h"
#include "app/excel/pdf_preview_window.h"
#include "app/modal_driver.h"
#include "core/excel/office_convert.h"
#include "core/excel/office_service.h"
#include "core/excel/printers.h"
#include "core/output/output_templates.h"
#include "core/shell/program_state.h"
#include "core/store/issued_archive.h"
#include "support/cups_sandbox.h"
#include "support/output_fixture.h"
#include "support/scripted_questions.h"
#include "support/sjis.h"
#include "support/working_folder.h"

namespace quilto {
namespace {

using test::Child;

#define REQUIRE_PROGRAM(condition, what)                                 \
    do {                                                                 \
        if (!(condition)) {                                              \
            if (qEnvironmentVariableIntValue("QUILTO_INTEGRATION") == 1) \
                FAIL() << what << " is not available";                   \
            GTEST_SKIP() << what << " is not available";                 \
        }                                                                \
    } while (0)

// The shipped templates and standard definitions, and an estimate of five constructions
// with ten detail lines each for 株式会社 山田商事.
void InstallEstimate(ProgramState& program) {
    test::InstallOutputFiles();
    const QString shipped = QStringLiteral(QUILTO_XLSBASE_DIR "/見積書00.xlsx");
    QFile::remove("XlsBase/見積書00.xlsx");
    ASSERT_TRUE(QFile::copy(shipped, "XlsBase/見積書00.xlsx"));
    test::OutputFixture estimate;
    for (int row = 1; row <= 5; ++row) {
        estimate.Breakdown(row, "", std::to_string(row), "工事" + std::to_string(row), "1000");
        estimate.AddDetails(row, 10);
    }
    program.document = estimate.document;
    program.document.SetText(HeaderText::MNo, "000077");
    program.document.SetText(HeaderText::MName1, test::Sjis("株式会社 山田商事"));
    program.document.SetText(HeaderText::MTitle1, test::Sjis("本社ビル改装工事"));
}

// Runs action on the preview window as soon as it shows (the output dialog is modal too,
// so the window is looked for by its class). A preview still open after two minutes is
// closed and the test fails, so that a broken preview cannot hang the run.
class OnPreview {
  public:
    explicit OnPreview(std::function<void(PdfPreviewWindow*)> action) : action_(std::move(action)) {
        QObject::connect(&poll_, &QTimer::timeout, [this] {
            for (QWidget* widget : QApplication::topLevelWidgets()) {
                auto* preview = qobject_cast<PdfPreviewWindow*>(widget);
                if (preview == nullptr || !preview->isVisible() || ran_) continue;
                ran_ = true;
                poll_.stop();
                action_(preview);
                if (preview->isVisible()) {
                    ADD_FAILURE() << "the preview was left open";
                    preview->reject();
                }
            }
        });
        poll_.start(50);
    }
    ~OnPreview() {
        if (!ran_) ADD_FAILURE() << "no preview showed";
    }

  private:
    std::function<void(PdfPreviewWindow*)> action_;
    QTimer poll_;
    bool ran_ = false;
};

std::string ReadBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : std::string();
}

int PdfPages(const QString& path) {
    QProcess info;
    info.start("pdfinfo", {path});
    info.waitForFinished(30000);
    const QRegularExpressionMatch match =
        QRegularExpression("Pages:\\s+(\\d+)").match(QString::fromLocal8Bit(info.readAll()));
    return match.hasMatch() ? match.captured(1).toInt() : -1;
}

TEST(PreviewIntegration, PreviewSavesAndPrintsExactlyThePagesShown) {
    REQUIRE_PROGRAM(!FindOffice().isEmpty(), "LibreOffice");
    REQUIRE_PROGRAM(test::CupsSchedulerRunning(), "a CUPS scheduler");
    test::WorkingFolder folder;
    test::CupsClientSandbox sandbox;
    test::CupsPdfQueues queues({"QuiltoPreviewPrint"});
    ASSERT_TRUE(queues.Ready());
    std::unique_ptr<PrinterSource> cups = CupsPrinters();
    std::string error;
    ASSERT_TRUE(cups->MakeDefault("QuiltoPreviewPrint", &error)) << error;

    test::ScriptedQuestions questions;
    ProgramState program{questions};
    InstallEstimate(program);
    TFormMXls2 form(program, *cups);
    QString proposed;
    const QString savedPath = folder.FilePath("out/見積.pdf");
    QDir().mkpath(folder.FilePath("out"));
    form.Preview().SetSavePathChooser([&](QWidget*, const QString& offered) {
        proposed = offered;
        return savedPath;
    });
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    Child<QPushButton>(&form, "AllOn")->click();

    QString previewed;
    int shownPages = 0;
    QString firstPageText;
    bool closedByEsc = false;
    questions.ExpectInform("PDF を保存しました。(" + savedPath.toStdString() + ")")
        .ExpectInform("印刷しました。");
    OnPreview driver([&](PdfPreviewWindow* preview) {
        previewed = preview->PdfPath();
        shownPages = preview->PageCount();
        firstPageText = preview->Document()->getAllText(0).text();
        EXPECT_EQ(Child<QLabel>(preview, "PageLabel")->text(),
                  QStringLiteral("1 / %1 頁").arg(shownPages));
        EXPECT_EQ(Child<QListWidget>(preview, "Thumbnails")->count(), shownPages);
        // Keys as the user's go: to the page view, which has the focus.
        preview->activateWindow();
        QWidget* view = preview->focusWidget();
        ASSERT_NE(view, nullptr);
        const auto press = [&](Qt::Key key) { QTest::keyClick(view, key); };
        press(Qt::Key_End);
        EXPECT_EQ(preview->CurrentPage(), shownPages - 1);
        press(Qt::Key_PageUp);
        EXPECT_EQ(preview->CurrentPage(), shownPages - 2);
        press(Qt::Key_Home);
        EXPECT_EQ(preview->CurrentPage(), 0);

        Child<QPushButton>(preview, "PreviewSavePdf")->click();
        Child<QSpinBox>(preview, "FromPage")->setValue(2);
        Child<QSpinBox>(preview, "ToPage")->setValue(3);
        Child<QPushButton>(preview, "PreviewPrint")->click();
        press(Qt::Key_Escape);
        closedByEsc = !preview->isVisible();
    });
    Child<QPushButton>(&form, "PreviewBtn")->click();
    questions.Done();
    EXPECT_TRUE(closedByEsc);

    // The pages the engine made, with the estimate's cover first.
    const int enginePages = Child<QProgressBar>(&form, "ProgressBar1")->maximum();
    EXPECT_EQ(shownPages, enginePages);
    EXPECT_GE(shownPages, 7);  // cover, breakdown, five detail sheets
    EXPECT_TRUE(firstPageText.contains("株式会社 山田商事")) << firstPageText.toStdString();
    EXPECT_TRUE(firstPageText.contains("本社ビル改装工事")) << firstPageText.toStdString();

    // PDF保存 offered the estimate's name and wrote the previewed file, byte for byte.
    EXPECT_TRUE(proposed.endsWith("/000077_株式会社 山田商事_本社ビル改装工事.pdf"))
        << proposed.toStdString();
    EXPECT_FALSE(ReadBytes(previewed).empty());
    EXPECT_EQ(ReadBytes(savedPath), ReadBytes(previewed));

    // 印刷 sent pages 2-3 of that file to the queue.
    ASSERT_TRUE(QTest::qWaitFor(
        [] {
            QProcess lpstat;
            lpstat.start("lpstat", {"-o", "QuiltoPreviewPrint"});
            return lpstat.waitForFinished(10000) && lpstat.readAll().trimmed().isEmpty();
        },
        60000))
        << "the job is still queued";
    const QString outFolder = queues.OutputFolder("QuiltoPreviewPrint");
    const QFileInfoList pdfs = QDir(outFolder).entryInfoList({"*.pdf"}, QDir::Files);
    ASSERT_EQ(pdfs.size(), 1) << "PDFs in " << outFolder.toStdString();
    EXPECT_EQ(PdfPages(pdfs.first().absoluteFilePath()), 2);

    // Both hand-overs are kept as issued.
    EXPECT_EQ(ReadIssuedArchive(QStringLiteral("DAT/発行済み")).entries.size(), 2u);
}

TEST(PreviewIntegration, CancelDuringTheConversionShowsNothingAndTheNextPreviewWorks) {
    REQUIRE_PROGRAM(!FindOffice().isEmpty(), "LibreOffice");
    test::WorkingFolder folder;
    test::ScriptedQuestions questions;
    ProgramState program{questions};
    InstallEstimate(program);
    test::CupsClientSandbox sandbox;
    std::unique_ptr<PrinterSource> printers = CupsPrinters();
    TFormMXls2 form(program, *printers);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    Child<QPushButton>(&form, "AllOn")->click();

    auto* runner = form.findChild<OutputRunner*>();
    bool cancelledWhileConverting = false;
    const QMetaObject::Connection watch =
        QObject::connect(runner, &OutputRunner::StatusChanged, &form, [&](const QString& text) {
            if (!text.startsWith("PDF に変換中")) return;
            QTimer::singleShot(150, &form, [&] {
                cancelledWhileConverting = form.Running();
                QTest::mouseClick(Child<QPushButton>(&form, "CanBtn"), Qt::LeftButton);
            });
        });
    Child<QPushButton>(&form, "PreviewBtn")->click();
    QObject::disconnect(watch);
    questions.Done();  // no preview, no message box
    EXPECT_TRUE(cancelledWhileConverting);
    EXPECT_FALSE(form.Running());
    EXPECT_EQ(Child<QLabel>(&form, "Hyoji")->text(), "PDF への変換を中止しました。");
    EXPECT_TRUE(Child<QWidget>(&form, "PanelB1")->isVisible());

    // The office stopped mid-way was replaced: the next preview shows its pages.
    int pages = 0;
    OnPreview driver([&](PdfPreviewWindow* preview) {
        pages = preview->PageCount();
        preview->reject();
    });
    Child<QPushButton>(&form, "PreviewBtn")->click();
    EXPECT_GE(pages, 7);
}

TEST(PreviewIntegration, ACrashedOfficeIsStartedAgainWithANote) {
    REQUIRE_PROGRAM(!FindOffice().isEmpty(), "LibreOffice");
    test::WorkingFolder folder;
    test::ScriptedQuestions questions;
    ProgramState program{questions};
    InstallEstimate(program);
    test::CupsClientSandbox sandbox;
    std::unique_ptr<PrinterSource> printers = CupsPrinters();
    TFormMXls2 form(program, *printers);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    const auto previewPages = [&] {
        int pages = 0;
        OnPreview driver([&](PdfPreviewWindow* preview) {
            pages = preview->PageCount();
            preview->reject();
        });
        Child<QPushButton>(&form, "PreviewBtn")->click();
        return pages;
    };
    ASSERT_GT(previewPages(), 0);
    const qint64 office = form.Office().OfficePid();
    ASSERT_GT(office, 0);
    ::kill(static_cast<pid_t>(-office), SIGKILL);  // the office and its helpers

    questions.ExpectInform("LibreOffice が終了していたため、起動し直しました。");
    EXPECT_GT(previewPages(), 0);
    questions.Done();
    EXPECT_NE(form.Office().OfficePid(), office);
}

}  // namespace
}  // namespace quilto
