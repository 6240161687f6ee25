// A whole output run in a working folder: template found or missing, nothing to print,
// the filled workbook saved where it belongs, and what the user is told.

#include "core/output/output_run.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "core/excel/workbook.h"
#include "core/excel/xlsx_package.h"
#include "core/output/output_templates.h"
#include "support/output_fixture.h"
#include "support/scripted_questions.h"
#include "support/working_folder.h"

namespace quilto {
namespace {

using test::OutputFixture;
using test::RecordingProgress;
using test::ScriptedQuestions;
using test::Sjis;
using test::WorkingFolder;

// The fixture's estimate opened as the editor holds it, through the whole output.
OutputResult RunOutputOf(OutputFixture& f, Questions& questions, OutputProgress& progress) {
    EditorSession session;
    session.Document() = f.document;
    session.UseSettings(f.environment);
    return RunOutput(session, f.environment, f.choices, questions, progress);
}

// The texts of every worksheet part of a saved workbook, joined.
std::string WorksheetTexts(const QString& path) {
    XlsxPackage package;
    QString error;
    EXPECT_TRUE(ReadXlsxPackage(test::ReadAll(path), &package, &error)) << error.toStdString();
    std::string texts;
    for (const auto& [name, bytes] : package.parts)
        if (name.starts_with("xl/worksheets/sheet")) texts += bytes;
    return texts;
}

TEST(OutputRunTest, StandardOutputIsSavedInXlsAndReported) {
    WorkingFolder folder;
    test::InstallOutputFiles();
    OutputFixture f;
    f.document.SetText(HeaderText::MNo, "000042");
    f.document.SetText(HeaderText::MName1, Sjis("山田 太郎"));
    f.document.SetText(HeaderText::MTitle1, Sjis("浴室改修工事"));
    for (int row = 1; row <= 21; ++row) f.Breakdown(row, "", "", "工事", "1,234,567");
    f.AddDetails(1, 3);
    f.choices.constructions.fill(false);
    f.choices.constructions[1] = true;

    ScriptedQuestions questions;
    questions.ExpectOkCancel("エクセルに出力していいですか ？ ", true);
    questions.ExpectInform("*  完 了  *");
    RecordingProgress progress;
    const OutputResult result = RunOutputOf(f, questions, progress);
    questions.Done();

    ASSERT_EQ(result.status, OutputStatus::kDone) << result.error.toStdString();
    EXPECT_EQ(result.pages, 4);
    EXPECT_EQ(progress.pages_, 4);
    EXPECT_EQ(result.workbookPath, folder.FilePath("Xls/見積書00.xlsx"));
    EXPECT_EQ(progress.status_,
              "*  完 了  *  保存先: " + folder.FilePath("Xls/見積書00.xlsx").toStdString())
        << "the panel no longer says 出力処理中 and tells where the workbook went";
    QString error;
    const auto saved = Workbook::Open(result.workbookPath, &error);
    ASSERT_TRUE(saved) << error.toStdString();
    ASSERT_EQ(saved->SheetCount(), 5);
    EXPECT_FALSE(saved->IsSheetVisible(2));
    EXPECT_TRUE(saved->IsSheetVisible(4));
    const std::string texts = WorksheetTexts(result.workbookPath);
    EXPECT_NE(texts.find("山田 太郎"), std::string::npos);
    EXPECT_NE(texts.find("<v>1234567</v>"), std::string::npos);  // amounts as numbers
    // The title a PDF of it and the print job take: number, customer, title.
    XlsxPackage package;
    ASSERT_TRUE(ReadXlsxPackage(test::ReadAll(result.workbookPath), &package, &error));
    EXPECT_NE(package.parts["docProps/core.xml"].find(
                  "<dc:title>000042 山田 太郎 浴室改修工事</dc:title>"),
              std::string::npos)
        << package.parts["docProps/core.xml"];
}

// The cover's tax words follow the tick; when the figures say otherwise the user is asked
// before anything is written, and going back writes nothing.
TEST(OutputRunTest, ATaxTickThatContradictsTheFiguresIsAskedBeforeWriting) {
    struct Case {
        bool tick, taxLine, cover, freeForm, asks;
    };
    for (const Case c :
         {Case{false, true, true, false, true}, Case{true, false, true, false, true},
          Case{true, true, true, false, false}, Case{false, false, true, false, false},
          Case{false, true, false, false, false}, Case{false, true, false, true, true}}) {
        OutputFixture f;
        f.Breakdown(1, "", "1", "工事", "1,000");
        if (c.taxLine) f.Breakdown(2, "%", "", "", "100");
        f.document.SetCheckBox2(c.tick);
        f.choices.cover = c.cover;
        f.choices.freeForm = c.freeForm;
        EXPECT_EQ(!TaxTickMismatch(f.document, f.choices).empty(), c.asks)
            << c.tick << c.taxLine << c.cover << c.freeForm;
    }

    WorkingFolder folder;
    test::InstallOutputFiles();
    OutputFixture f;
    f.Breakdown(1, "", "1", "工事", "1,000");
    f.Breakdown(2, "%", "", "", "100");
    f.document.SetCheckBox2(false);
    ScriptedQuestions questions;
    questions.ExpectOkCancel("エクセルに出力していいですか ？ ", true);
    questions.ExpectOkCancel(TaxTickMismatch(f.document, f.choices), false);
    RecordingProgress progress;
    EXPECT_EQ(RunOutputOf(f, questions, progress).status, OutputStatus::kDeclined);
    questions.Done();
    EXPECT_FALSE(QFileInfo::exists(OutputWorkbookPath("見積書00")));
}

TEST(OutputRunTest, MissingTemplateAndNothingToPrintWriteNoWorkbook) {
    WorkingFolder folder;
    test::InstallOutputFiles();
    OutputFixture f;
    f.choices.cover = false;

    ScriptedQuestions questions;
    questions.ExpectOkCancel("現在設定されているプリンターに印刷していいですか ？ ", true);
    questions.ExpectInform("* 印刷データがありません。 *");
    RecordingProgress progress;
    f.choices.target = OutputTarget::kPrint;
    EXPECT_EQ(RunOutputOf(f, questions, progress).status, OutputStatus::kNoData);
    EXPECT_EQ(progress.status_, "印刷データがありません。");
    EXPECT_FALSE(QFileInfo::exists("Xls/見積書00.xlsx"));

    f.choices.pattern = 2;  // no templates of pattern 02
    questions.ExpectOkCancel("現在設定されているプリンターに印刷していいですか ？ ", true);
    questions.ExpectInform("*  エクセルの表がありません。  *");
    EXPECT_EQ(RunOutputOf(f, questions, progress).status, OutputStatus::kNoTemplate);
    EXPECT_EQ(progress.status_,
              "必要なEXCEL表 ( " + folder.FilePath("XlsBase/見積書02.xlsx").toStdString() + " )");

    questions.ExpectOkCancel("現在設定されているプリンターに印刷していいですか ？ ", false);
    EXPECT_EQ(RunOutputOf(f, questions, progress).status, OutputStatus::kDeclined);
    questions.Done();
}

// A cancel before the first line keeps no workbook: an earlier one of the same name stays,
// and the user is told in the message panel only.
TEST(OutputRunTest, CancelBeforeTheFirstLineSavesNoWorkbook) {
    WorkingFolder folder;
    test::InstallOutputFiles();
    ASSERT_TRUE(QDir().mkpath("Xls"));
    test::WriteAll("Xls/見積書00.xlsx", "earlier");
    OutputFixture f;
    f.Breakdown(1, "", "1", "工事", "100");
    f.AddDetails(1, 45);

    ScriptedQuestions questions;
    questions.ExpectOkCancel("エクセルに出力していいですか ？ ", true);
    RecordingProgress progress(0);  // キャンセル already pressed
    const OutputResult result = RunOutputOf(f, questions, progress);
    questions.Done();

    EXPECT_EQ(result.status, OutputStatus::kCancelled) << result.error.toStdString();
    EXPECT_TRUE(result.workbookPath.isEmpty());
    EXPECT_EQ(progress.lastPage_, 0);
    EXPECT_EQ(test::ReadAll("Xls/見積書00.xlsx"), "earlier");
    EXPECT_EQ(progress.status_, "出力を中止しました。ブックは保存していません。");
}

// An invoice takes the registration number from quilto.conf; a hand-edited one of the
// wrong form stops it, naming the file, rather than printing it or leaving it out.
TEST(OutputRunTest, TheInvoiceTakesTheRegistrationNumberFromTheSettingsFile) {
    WorkingFolder folder;
    test::InstallOutputFiles();
    TableDefinitions definitions;
    TableFieldTexts fields = StandardTableDefaults(TableFieldTexts());
    fields.Set("SA1HJTouroku", "M12");
    ASSERT_EQ(definitions.Save("", fields), TableFileResult::kOk);
    OutputFixture f;
    f.choices.freeForm = true;
    f.choices.freeFormSource = FreeFormSource::kBreakdown;
    f.Breakdown(1, "", "1", "工事", "1,000");
    RecordingProgress progress;

    test::WriteAll("quilto.conf", "registration_number=T7000012050002\n");
    OutputResult result =
        ProduceOutput(MakeOutputJob(f.document, f.environment, f.choices), progress);
    ASSERT_EQ(result.status, OutputStatus::kDone) << result.error.toStdString();
    EXPECT_NE(WorksheetTexts(result.workbookPath).find("登録番号 T7000012050002"),
              std::string::npos);

    QFile::remove(result.workbookPath);
    test::WriteAll("quilto.conf", "registration_number=T12345\n");
    result = ProduceOutput(MakeOutputJob(f.document, f.environment, f.choices), progress);
    EXPECT_EQ(result.status, OutputStatus::kFailed);
    EXPECT_TRUE(result.error.contains(QFileInfo("quilto.conf").absoluteFilePath()))
        << result.error.toStdString();
    EXPECT_TRUE(result.error.contains("T12345")) << result.error.toStdString();
    EXPECT_FALSE(QFileInfo::exists("Xls/書式F00A.xlsx"));
}

TEST(OutputRunTest, TemplateFollowsTheChoices) {
    OutputChoices choices;
    EXPECT_EQ(OutputTemplateStem(choices), "見積書00");
    choices.pattern = 1;
    choices.cost = true;
    EXPECT_EQ(OutputTemplateStem(choices), "原価表01");
    choices.pattern = 7;
    choices.freeForm = true;
    EXPECT_EQ(OutputTemplateStem(choices), "書式F00A");
    choices.pattern = 2;
    choices.freeFormSource = FreeFormSource::kDetails;
    EXPECT_EQ(OutputTemplateStem(choices), "書式F02B");
}

}  // namespace
}  // namespace quilto
