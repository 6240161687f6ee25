#pragma once

// One output run, from the user's choices to a saved, printed or converted workbook.
//
// The output dialog runs it in three steps, so the long middle one can run off the GUI
// thread while a progress bar and キャンセル stay live:
//
//   1. on the GUI thread: ConfirmOutput, then (free-form output only) StoreFreeFormNumbers,
//      then MakeOutputJob to take a copy of everything the output reads;
//   2. on any thread: ProduceOutput(job, progress), which asks nothing;
//   3. on the GUI thread: ReportOutput(result, questions, progress).
//
// RunOutput does all three in a row (the command line).

#include <QString>
#include <string>

#include "core/editor/editor_session.h"
#include "core/editor/estimate_document.h"
#include "core/foundation/questions.h"
#include "core/output/output_choices.h"
#include "core/output/output_progress.h"
#include "core/store/environment.h"

namespace quilto {

class OfficeService;

// The pattern code of the dialog's pattern choice: "01", "02", or "" (pattern 00).
std::string OutputPatternCode(int pattern);
// The template the choices call for, without folder and extension: 見積書nn, 原価表nn
// (cost print), 書式FnnA or 書式FnnB (free-form summary/breakdown or details); nn is 00,
// 01 or 02.
QString OutputTemplateStem(const OutputChoices& choices);
// XlsBase/<stem>.xlsx of the working folder (found in any letter case). Where there is only
// a legacy XlsBase/<stem>.Xls, the output converts it with LibreOffice and uses that.
QString OutputTemplatePath(const QString& stem);
// Xls/<stem>.xlsx of the working folder: the filled workbook.
QString OutputWorkbookPath(const QString& stem);

// Everything the output reads, copied, so that it can run while the editor stays as it is.
struct OutputJob {
    EstimateDocument document;
    Environment environment;
    OutputChoices choices;
    // The resident LibreOffice that converts to PDF; none: one LibreOffice run per PDF.
    OfficeService* office = nullptr;
};
OutputJob MakeOutputJob(const EstimateDocument& document, const Environment& environment,
                        const OutputChoices& choices);

enum class OutputStatus {
    kDone,        // written (and saved, printed or converted)
    kNoData,      // nothing to print: no workbook was written
    kNoTemplate,  // the template is missing: templatePath names it
    kFailed,      // the workbook, LibreOffice or the printer failed: error says why
    kDeclined,    // the user did not confirm, or the estimate could not be saved first
    kCancelled,   // cancelled before the first line (no workbook was written), or during
                  // the PDF conversion (no PDF was written; error says so)
};

struct OutputResult {
    OutputStatus status = OutputStatus::kFailed;
    int pages = 0;
    QString templatePath;
    QString workbookPath;  // the filled workbook (kDone)
    QString pdfPath;       // the PDF, when one was made
    QString note;          // the template was converted from a legacy .Xls: what that means
    QString error;
};

// "エクセルに出力していいですか ？ " / "現在設定されているプリンターに印刷していいですか ？ ":
// true for OK.
bool ConfirmOutput(Questions& questions, OutputTarget target);

// The 「消費税含む(印刷)」 tick decides the cover's tax message; when it and the figures
// disagree (a tax line with the tick off, or the tick on without a tax line) the client
// would read a figure that contradicts its words. The message that says so (UTF-8), empty
// when they agree or the output prints no tax message (no cover, no free-form heading).
std::string TaxTickMismatch(const EstimateDocument& document, const OutputChoices& choices);
// Asks, when they disagree, whether to go on anyway (OK) or go back (Cancel): true to go on.
bool ConfirmTaxTick(Questions& questions, const EstimateDocument& document,
                    const OutputChoices& choices);

// Before a free-form output: the document number and print date chosen in the dialog go
// into the open estimate (MBiko10, MYMD4) and it is saved as the editor saves, unless it is
// read-only. False after "** 見積保存エラー（請求処理） !! " when the save failed (after
// the reason, when the save stopped before writing). Nothing for a standard output.
bool StoreFreeFormNumbers(EditorSession& session, Environment& environment,
                          const OutputChoices& choices, Questions& questions);

// Template, pages, sheets, cells, then the workbook saved as Xls/<stem>.xlsx (or
// choices.outputPath) and, for print or PDF, converted and printed. Works in the current
// directory (the working folder); asks nothing.
OutputResult ProduceOutput(const OutputJob& job, OutputProgress& progress);

// What the user is told at the end: "*  完 了  *" (and in the message panel where the
// workbook was saved), "* 印刷データがありません。 *", the
// missing template ("*  エクセルの表がありません。  *" and the template in the message
// panel), the failure's reason, or, after a cancel before the first line, a note in the
// message panel only.
void ReportOutput(const OutputResult& result, Questions& questions, OutputProgress& progress);

// The three steps in a row (ConfirmTaxTick after ConfirmOutput).
OutputResult RunOutput(EditorSession& session, Environment& environment,
                       const OutputChoices& choices, Questions& questions,
                       OutputProgress& progress);

}  // namespace quilto
