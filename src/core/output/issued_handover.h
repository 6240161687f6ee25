#pragma once

// Where a PDF leaves the program for a client: printed, saved as a PDF, mailed. Each of
// those makes one call here, which keeps the PDF in the issued-document archive of the data
// folder with the estimate's number, customer, title, date and amount. A preview that is
// only looked at is not handed over, and so not kept.

#include <QString>

#include "core/output/output_choices.h"
#include "core/store/issued_archive.h"

namespace quilto {

class EstimateDocument;
class Environment;

// What the archive calls the output the choices make.
QString IssuedDocumentsOf(const OutputChoices& choices);

// Keeps the PDF at pdfPath, made from document with choices, as issued now.
[[nodiscard]] ArchiveOutcome HandOverIssuedPdf(const EstimateDocument& document,
                                               Environment& environment,
                                               const OutputChoices& choices,
                                               const QString& pdfPath);

// The note to show when the PDF went to the client but could not be kept (the output itself
// succeeded): where and why, and that it must be kept by hand.
QString ArchiveFailureNote(const ArchiveOutcome& outcome);

}  // namespace quilto
