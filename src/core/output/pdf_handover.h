#pragma once

// Handing a finished PDF to a client from the preview: printed, saved where the user
// picked, or attached to a mail. All three go through HandOverPdf, which does the one thing
// asked and then keeps the PDF in the issued-document archive, so whatever reaches a client
// is archived in one place.

#include <QString>

#include "core/excel/cups_print.h"
#include "core/output/output_choices.h"

namespace quilto {

class EstimateDocument;
class Environment;

enum class PdfHandOverWay { kPrint, kSave, kMail };

struct PdfHandOver {
    PdfHandOverWay way = PdfHandOverWay::kSave;
    QString pdfPath;  // the PDF as previewed
    // kPrint: the printer (empty: the user's default) and which pages, how many copies.
    QString printer;
    PrintRange range;
    // kSave: where it goes (an existing file there is replaced: the caller asked first).
    QString savePath;
};

enum class PdfHandOverResult { kDone, kFailed };

struct PdfHandOverOutcome {
    PdfHandOverResult result = PdfHandOverResult::kFailed;
    QString error;        // kFailed: what went wrong, and what to do
    QString archiveNote;  // kDone, but the archive could not keep the PDF: what to do
    QString handedPath;   // the file that went out (the saved file, the mail's attachment)
};

// Prints, saves or mails request.pdfPath, then archives it as issued with the estimate's
// number, customer and title.
[[nodiscard]] PdfHandOverOutcome HandOverPdf(const EstimateDocument& document,
                                             Environment& environment, const OutputChoices& choices,
                                             const PdfHandOver& request);

// A PDF's file name from the estimate's number, customer and title, joined by "_": characters
// no file system or mail program takes (/ \ : * ? " < > | and control characters) become
// "_", leading dots and spaces go, and the name is cut, whole characters only, to the 255
// bytes a Linux file name may have. "見積書.pdf" when all three are empty.
QString PdfFileName(const QString& number, const QString& customer, const QString& title);
// PdfFileName of the estimate.
QString PdfFileNameOf(const EstimateDocument& document);
// The title of a printed or converted estimate, as a print queue and a PDF's properties show
// it: the number, customer and title joined by blanks, blank ones left out; 見積書 when all
// three are blank.
QString DocumentTitle(const QString& number, const QString& customer, const QString& title);
// DocumentTitle of the estimate.
QString DocumentTitleOf(const EstimateDocument& document);
// The mail's subject: 御見積書 with the title and the number.
QString MailSubjectOf(const EstimateDocument& document);

// The folder the user last saved a PDF in, kept per user in configFile; empty when none was
// kept or it is gone.
QString LastPdfFolder(const QString& configFile);
void RememberPdfFolder(const QString& configFile, const QString& folder);

}  // namespace quilto
