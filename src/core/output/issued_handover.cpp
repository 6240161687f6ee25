#include "core/output/issued_handover.h"

#include "core/editor/estimate_document.h"
#include "core/foundation/atomic_file.h"
#include "core/foundation/cp932.h"
#include "core/foundation/fixed4.h"
#include "core/store/environment.h"
#include "core/store/estimate_search.h"

namespace quilto {
namespace {

// An issued PDF is kept whole; a PDF this large is not an estimate.
constexpr qint64 kPdfLimit = 512LL * 1024 * 1024;

}  // namespace

QString IssuedDocumentsOf(const OutputChoices& choices) {
    if (choices.freeForm) return IssuedDocumentWord(IssuedDocument::kFreeForm);
    return IssuedDocumentWord(choices.cost ? IssuedDocument::kCostSheet
                                           : IssuedDocument::kEstimate);
}

ArchiveOutcome HandOverIssuedPdf(const EstimateDocument& document, Environment& environment,
                                 const OutputChoices& choices, const QString& pdfPath) {
    const std::optional<std::string> pdf = ReadWholeFile(pdfPath, kPdfLimit);
    if (!pdf) {
        ArchiveOutcome outcome;
        outcome.result = ArchiveResult::kPdfFailed;
        outcome.failure = pdfPath + QStringLiteral(": 読み取れません");
        return outcome;
    }
    IssueEntry entry;
    entry.number = Cp932ToQStringLossy(document.Text(HeaderText::MNo));
    entry.customer = Cp932ToQStringLossy(document.Text(HeaderText::MName1));
    entry.title = Cp932ToQStringLossy(document.Text(HeaderText::MTitle1));
    entry.estimateDate = Cp932ToQStringLossy(document.Text(HeaderText::MYMD1));
    // The figure as the cover shows it, as a plain number for a spreadsheet.
    entry.amount = QString::fromStdString(
        Fixed4ToText(TextToFixed4(document.Figure(HeaderFigure::MGoukei01))));
    entry.documents = IssuedDocumentsOf(choices);
    return ArchiveIssuedPdf(IssuedArchiveFolder(environment), *pdf, entry);
}

QString ArchiveFailureNote(const ArchiveOutcome& outcome) {
    return QStringLiteral(
               "発行済み書類の保管に失敗しました（%1）。出力したPDFは別に保管して下さい。")
        .arg(outcome.failure);
}

}  // namespace quilto
