#pragma once

// Sends a finished PDF to a printer through CUPS. Choosing printers and the user's default
// is the printer setup's business; this only prints.

#include <QString>

namespace quilto {

// Prints pdfPath on printer (empty: the user's current default destination, as lpoptions,
// LPDEST or PRINTER name it, else the server's default). Returns the CUPS job id, or 0
// with *error when there is no such printer, no default printer, or CUPS refuses the job.
int PrintPdf(const QString& pdfPath, const QString& printer, const QString& title, QString* error);

}  // namespace quilto
