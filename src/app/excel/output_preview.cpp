#include "app/excel/output_preview.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QStandardPaths>

#include "app/excel/pdf_preview_window.h"
#include "core/output/pdf_handover.h"
#include "core/shell/program_state.h"

namespace quilto {
namespace {

// Tells what became of a hand-over: the failure, or the archive's note after a success.
bool Told(const PdfHandOverOutcome& outcome, Questions& questions) {
    if (outcome.result != PdfHandOverResult::kDone) {
        questions.Inform(outcome.error.toStdString());
        return false;
    }
    if (!outcome.archiveNote.isEmpty()) questions.Inform(outcome.archiveNote.toStdString());
    return true;
}

}  // namespace

OutputPreview::OutputPreview(ProgramState& program, QString configFile)
    : program_(program),
      configFile_(std::move(configFile)),
      chooseSavePath_([](QWidget* parent, const QString& proposed) {
          // Replacing a file is asked by the program itself, in its own words.
          return QFileDialog::getSaveFileName(parent, QStringLiteral("PDF保存"), proposed,
                                              QStringLiteral("PDF (*.pdf)"), nullptr,
                                              QFileDialog::DontConfirmOverwrite);
      }) {}

void OutputPreview::Show(const QString& pdfPath, const OutputChoices& choices,
                         const QString& printer, QWidget* parent) {
    Questions& questions = program_.questions;
    PreviewActions actions;
    actions.print = [this, pdfPath, choices, printer, &questions](const PrintRange& range) {
        PdfHandOver request;
        request.way = PdfHandOverWay::kPrint;
        request.pdfPath = pdfPath;
        request.printer = printer;
        request.range = range;
        if (Told(HandOverPdf(program_.document, program_.environment, choices, request), questions))
            questions.Inform("印刷しました。");
    };
    PdfPreviewWindow* window = nullptr;
    actions.save = [this, pdfPath, choices, &window] { Save(pdfPath, choices, window); };
    actions.mail = [this, pdfPath, choices, &questions] {
        PdfHandOver request;
        request.way = PdfHandOverWay::kMail;
        request.pdfPath = pdfPath;
        (void)Told(HandOverPdf(program_.document, program_.environment, choices, request),
                   questions);
    };
    PdfPreviewWindow preview(pdfPath, printer, std::move(actions), parent);
    window = &preview;
    QString error;
    if (!preview.Loaded(&error)) {
        questions.Inform(error.toStdString());
        return;
    }
    preview.exec();
}

void OutputPreview::Save(const QString& pdfPath, const OutputChoices& choices, QWidget* parent) {
    Questions& questions = program_.questions;
    QString folder = LastPdfFolder(configFile_);
    if (folder.isEmpty())
        folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    QString path = chooseSavePath_(parent, QDir(folder).filePath(PdfFileNameOf(program_.document)));
    if (path.isEmpty()) return;
    if (QFileInfo(path).suffix().compare(QLatin1String("pdf"), Qt::CaseInsensitive) != 0)
        path += QStringLiteral(".pdf");
    if (QFileInfo::exists(path) &&
        !questions.AskOkCancel(
            QStringLiteral("%1 は既にあります。置き換えますか ？").arg(path).toStdString(),
            "PDF保存"))
        return;
    PdfHandOver request;
    request.way = PdfHandOverWay::kSave;
    request.pdfPath = pdfPath;
    request.savePath = path;
    if (!Told(HandOverPdf(program_.document, program_.environment, choices, request), questions))
        return;
    RememberPdfFolder(configFile_, QFileInfo(path).absolutePath());
    questions.Inform(QStringLiteral("PDF を保存しました。(%1)").arg(path).toStdString());
}

}  // namespace quilto
