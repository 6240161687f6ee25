#include "core/output/output_run.h"

#include <QDir>
#include <QFileInfo>
#include <memory>

#include "core/editor/estimate_io.h"
#include "core/editor/line_kind.h"
#include "core/excel/cups_print.h"
#include "core/excel/office_convert.h"
#include "core/excel/office_service.h"
#include "core/excel/pattern_choice.h"
#include "core/excel/table_definition.h"
#include "core/excel/workbook.h"
#include "core/foundation/file_helpers.h"
#include "core/output/free_form_output.h"
#include "core/output/itemised_output.h"
#include "core/output/pdf_handover.h"
#include "core/output/standard_output.h"
#include "core/store/own_settings.h"
#include "core/store/registration_number.h"

namespace quilto {

namespace {

// The workbook layer behind the engine's calls.
class WorkbookBook : public OutputBook {
  public:
    explicit WorkbookBook(Workbook& workbook) : workbook_(workbook) {}

    int SheetCount() const override { return workbook_.SheetCount(); }
    bool CopySheetAfter(int sheet, int after, QString* error) override {
        return workbook_.CopySheetAfter(sheet, after, error);
    }
    bool SetSheetVisible(int sheet, bool visible, QString* error) override {
        return workbook_.SetSheetVisible(sheet, visible, error);
    }
    bool IsSheetVisible(int sheet) const override { return workbook_.IsSheetVisible(sheet); }
    bool ActivateSheet(int sheet, QString* error) override {
        return workbook_.ActivateSheet(sheet, error);
    }
    bool WriteCell(std::string_view address, std::string_view text, QString* error) override {
        return workbook_.WriteCell(address, text, error);
    }
    bool WriteCell(int row, int column, std::string_view text, QString* error) override {
        return workbook_.WriteCell(row, column, text, error);
    }

  private:
    Workbook& workbook_;
};

OutputResult Failed(QString error) {
    OutputResult result;
    result.status = OutputStatus::kFailed;
    result.error = std::move(error);
    return result;
}

}  // namespace

std::string OutputPatternCode(int pattern) {
    switch (pattern) {
        case 1:
            return "01";
        case 2:
            return "02";
        default:
            return "";
    }
}

QString OutputTemplateStem(const OutputChoices& choices) {
    const std::string code = OutputPatternCode(choices.pattern);
    const QString nn = QString::fromStdString(code.empty() ? "00" : code);
    if (choices.freeForm) {
        return QStringLiteral("書式F") + nn +
               (choices.freeFormSource == FreeFormSource::kDetails ? "B" : "A");
    }
    return (choices.cost ? QStringLiteral("原価表") : QStringLiteral("見積書")) + nn;
}

QString OutputTemplatePath(const QString& stem) {
    return ResolveCaseInsensitive(QDir::current().absoluteFilePath("XlsBase/" + stem + ".xlsx"));
}

QString OutputWorkbookPath(const QString& stem) {
    return QDir::current().absoluteFilePath("Xls/" + stem + ".xlsx");
}

OutputJob MakeOutputJob(const EstimateDocument& document, const Environment& environment,
                        const OutputChoices& choices) {
    return OutputJob{document, environment, choices};
}

bool ConfirmOutput(Questions& questions, OutputTarget target) {
    const std::string what =
        target == OutputTarget::kPrint ? "現在設定されているプリンターに印刷" : "エクセルに出力";
    return questions.AskOkCancel(what + "していいですか ？ ", "");
}

namespace {

bool HasTaxLine(const EstimateDocument& document) {
    for (SheetKind sheet : {SheetKind::Summary, SheetKind::Breakdown}) {
        const TextGrid& grid = document.Grid(sheet);
        const int last = LastUsedGridRow(grid);
        for (int row = 1; row <= last; ++row)
            if (LineKindOf(grid, row) == LineKind::Zei) return true;
    }
    return false;
}

}  // namespace

std::string TaxTickMismatch(const EstimateDocument& document, const OutputChoices& choices) {
    if (!choices.freeForm && !choices.cover) return {};
    const bool tick = document.CheckBox2();
    if (tick == HasTaxLine(document)) return {};
    return tick ? "「消費税含む(印刷)」が付いていますが、見積に消費税の行がありません。"
                  "表紙は税抜の金額に「消費税を含む」旨の文言を添えて印刷されます。\n"
                  "このまま出力しますか？（キャンセルで戻ります）"
                : "「消費税含む(印刷)」が外れていますが、見積に消費税の行があります。"
                  "表紙は消費税を含んだ金額に「消費税は含まれていない」旨の文言を添えて"
                  "印刷されます。\nこのまま出力しますか？（キャンセルで戻ります）";
}

bool ConfirmTaxTick(Questions& questions, const EstimateDocument& document,
                    const OutputChoices& choices) {
    const std::string mismatch = TaxTickMismatch(document, choices);
    return mismatch.empty() || questions.AskOkCancel(mismatch, "確認");
}

bool StoreFreeFormNumbers(EditorSession& session, Environment& environment,
                          const OutputChoices& choices, Questions& questions) {
    EstimateDocument& document = session.Document();
    if (!choices.freeForm || document.ReadOnly()) return true;
    document.SetText(HeaderText::MBiko10, choices.documentNumber);
    document.SetText(HeaderText::MYMD4, choices.printDate);
    const SaveResult result = session.Save(environment, questions);
    if (result.Saved()) return true;
    if (const std::string why = SaveOutcomeMessage(result); !why.empty()) questions.Inform(why);
    questions.Inform("** 見積保存エラー（請求処理） !! ");
    return false;
}

OutputResult ProduceOutput(const OutputJob& job, OutputProgress& progress) {
    const QString stem = OutputTemplateStem(job.choices);
    OutputResult result;
    result.templatePath = OutputTemplatePath(stem);
    QString error;
    QString xlsxTemplate;
    // A legacy .Xls template is converted here (once, then cached).
    if (!ResolveTemplate(QDir::current().absoluteFilePath("XlsBase"), stem, &xlsxTemplate,
                         &result.note, &error)) {
        // A template that is there but could not be used (a legacy one that would not
        // convert) is a failure with its reason; none at all is told as such.
        if (!FindTemplate(stem).isEmpty()) return Failed(error);
        result.status = OutputStatus::kNoTemplate;
        return result;
    }
    QDir::current().mkpath("Xls");
    progress.Status("出力処理中！ << マウス・キーボードの操作は 注意して下さい。>>");

    // A damaged definition would put the cover alone into the workbook, or nothing at all.
    if (const std::string problem = DefinitionProblem(OutputPatternCode(job.choices.pattern));
        !problem.empty())
        return Failed(QString::fromStdString(problem));
    TableDefinitions definitions;
    definitions.Load(OutputPatternCode(job.choices.pattern));
    OutputSource source{job.document, job.environment, job.choices, definitions};
    if (job.choices.freeForm) {
        // An invoice without the registration number the firm set would not be a
        // qualified invoice: a settings file that cannot be read stops the output.
        OwnSettings own;
        if (!ReadOwnSettings(own, &error)) return Failed(error);
        source.registrationNumber = own.RegistrationNumber();
        // The dialog accepts only the right form; a hand-edited file may hold another.
        if (CheckRegistrationNumber(source.registrationNumber) == RegistrationCheck::kWrongForm) {
            return Failed(QStringLiteral("%1 の登録番号「%2」は「T」と13桁の数字ではありません。"
                                         "環境設定の「登録番号」で直してください。")
                              .arg(QFileInfo(OwnSettingsPath()).absoluteFilePath(),
                                   QString::fromStdString(source.registrationNumber)));
        }
    }
    FreeFormLines lines;
    StandardPages standard;
    ItemisedEstimate itemised;
    int itemisedPages = 0;
    if (job.choices.freeForm) {
        lines = GatherFreeFormLines(source);
        result.pages = CountFreeFormPages(source, lines);
        const bool details = job.choices.freeFormSource == FreeFormSource::kDetails;
        progress.Begin(result.pages, details ? static_cast<int>(lines.lines.size()) : -1);
    } else {
        standard = CountStandardPages(source);
        if (job.choices.itemised) {
            itemised = ItemiseEstimate(job.document, job.environment.AmountRounding());
            itemisedPages = CountItemisedPages(source, itemised);
        }
        result.pages = standard.Total() + itemisedPages;
        progress.Begin(result.pages, -1);
    }
    if (result.pages == 0) {
        progress.Status("印刷データがありません。");
        result.status = OutputStatus::kNoData;
        return result;
    }

    std::unique_ptr<Workbook> workbook = Workbook::Open(xlsxTemplate, &error);
    if (!workbook) return Failed(error);
    WorkbookBook book(*workbook);
    const int templateSheets = book.SheetCount();
    if (itemisedPages > 0 && !TemplateHasItemisedSheet(templateSheets)) {
        return Failed(QStringLiteral("%1 には「材料費等内訳書」のシートがありません。"
                                     "新しいテンプレートに替えるか、「材料費等内訳書」の"
                                     "チェックを外してください。")
                          .arg(xlsxTemplate));
    }
    BookWriting written =
        job.choices.freeForm
            ? WriteFreeFormOutput(book, source, lines, result.pages, progress, &error)
            : WriteStandardOutput(book, source, standard, progress, &error);
    if (written == BookWriting::kWritten && !job.choices.freeForm) {
        written = WriteItemisedOutput(book, source, itemised, templateSheets, standard.Total(),
                                      progress, &error);
    }
    if (written == BookWriting::kFailed) return Failed(error);
    if (written == BookWriting::kCancelled) {
        // An earlier workbook of the same name stays as it was.
        result.status = OutputStatus::kCancelled;
        return result;
    }

    const bool elsewhere =
        job.choices.target == OutputTarget::kWorkbook && !job.choices.outputPath.isEmpty();
    result.workbookPath = elsewhere ? job.choices.outputPath : OutputWorkbookPath(stem);
    // The PDF made of it takes this title, and the print job is named the same.
    const QString title = DocumentTitleOf(job.document);
    workbook->SetTitle(title);
    if (!workbook->Save(result.workbookPath, &error)) return Failed(error);
    workbook.reset();

    if (job.choices.target != OutputTarget::kWorkbook) {
        // Printing goes through a PDF beside the workbook; hidden sheets are not in it.
        result.pdfPath = job.choices.target == OutputTarget::kPdf
                             ? job.choices.outputPath
                             : QDir::current().absoluteFilePath("Xls/" + stem + ".pdf");
        progress.Status("PDF に変換中…");
        QString officeNote;
        const OfficeOutcome converted = ConvertToPdf(
            job.office, result.workbookPath, result.pdfPath,
            [&progress] { return progress.Cancelled(); }, &error, &officeNote);
        if (!officeNote.isEmpty()) result.note += (result.note.isEmpty() ? "" : "\n") + officeNote;
        if (converted == OfficeOutcome::kCancelled) {
            result.status = OutputStatus::kCancelled;
            result.error = QStringLiteral("PDF への変換を中止しました。");
            return result;
        }
        if (converted == OfficeOutcome::kFailed) return Failed(error);
    }
    if (job.choices.target == OutputTarget::kPrint) {
        progress.Status("印刷中…");
        if (PrintPdf(result.pdfPath, job.choices.printer, title, &error) == 0) return Failed(error);
    }
    result.status = OutputStatus::kDone;
    return result;
}

void ReportOutput(const OutputResult& result, Questions& questions, OutputProgress& progress) {
    if (!result.note.isEmpty()) questions.Inform(result.note.toStdString());
    switch (result.status) {
        case OutputStatus::kDone:
            // The panel said 出力処理中 until now; it says where the workbook went instead.
            progress.Status(result.workbookPath.isEmpty()
                                ? std::string("*  完 了  *")
                                : "*  完 了  *  保存先: " +
                                      QDir::toNativeSeparators(result.workbookPath).toStdString());
            questions.Inform("*  完 了  *");
            break;
        case OutputStatus::kNoData:
            questions.Inform("* 印刷データがありません。 *");
            break;
        case OutputStatus::kNoTemplate:
            questions.Inform("*  エクセルの表がありません。  *");
            progress.Status("必要なEXCEL表 ( " + result.templatePath.toStdString() + " )");
            break;
        case OutputStatus::kFailed:
            questions.Inform(result.error.toStdString());
            break;
        case OutputStatus::kCancelled:
            // A cancel during the conversion comes after the workbook was saved.
            progress.Status(result.error.isEmpty()
                                ? "出力を中止しました。ブックは保存していません。"
                                : result.error.toStdString());
            break;
        case OutputStatus::kDeclined:
            break;
    }
}

OutputResult RunOutput(EditorSession& session, Environment& environment,
                       const OutputChoices& choices, Questions& questions,
                       OutputProgress& progress) {
    const EstimateDocument& document = session.Document();
    OutputResult result;
    result.status = OutputStatus::kDeclined;
    if (!ConfirmOutput(questions, choices.target)) return result;
    if (!ConfirmTaxTick(questions, document, choices)) return result;
    if (!StoreFreeFormNumbers(session, environment, choices, questions)) return result;
    result = ProduceOutput(MakeOutputJob(document, environment, choices), progress);
    ReportOutput(result, questions, progress);
    return result;
}

}  // namespace quilto
