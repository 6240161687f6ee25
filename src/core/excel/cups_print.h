#pragma once

// Sends a finished PDF to a printer through CUPS. Choosing printers and the user's default
// is the printer setup's business; this only prints.

#include <QString>

namespace quilto {

// Prints pdfPath on printer (empty: the user's current default destination, as lpoptions,
// LPDEST or PRINTER name it, else the server's default). Returns the CUPS job id, or 0
// with *error when there is no such printer, no default printer, or CUPS refuses the job.
int PrintPdf(const QString& pdfPath, const QString& printer, const QString& title, QString* error);

// Which pages and how many copies: pages firstPage to lastPage (1-based; 0 for both: all).
struct PrintRange {
    int firstPage = 0;
    int lastPage = 0;
    int copies = 1;
};

// PrintPdf of only the pages and copies range asks for.
int PrintPdf(const QString& pdfPath, const QString& printer, const QString& title,
             const PrintRange& range, QString* error);

}  // namespace quilto
