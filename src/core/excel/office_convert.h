#pragma once

// LibreOffice run headless as a converter: legacy .Xls templates to .xlsx, filled workbooks
// to PDF. Each run gets a user profile of its own (so a LibreOffice the user has open is
// neither used nor disturbed), a time limit, and its own process group, which is killed
// whole afterwards: no LibreOffice process outlives a conversion.

#include <QString>
#include <functional>

namespace quilto {

constexpr int kOfficeTimeoutMs = 120000;

// Asked now and then during a conversion: true stops it (the process is ended).
using OfficeCancelled = std::function<bool()>;

// The soffice program: $QUILTO_SOFFICE when set (even to a missing file, which then counts
// as not installed), else soffice or libreoffice on the PATH, else LibreOffice's usual
// place. Empty when there is none.
QString FindOffice();

// Converts input into output; the format follows output's suffix ("xlsx" or "pdf"). The
// output is written only when the conversion succeeded, and replaces an existing file
// whole. false and *error when LibreOffice is missing, fails or takes longer than
// timeoutMs.
bool ConvertWithOffice(const QString& input, const QString& output, QString* error,
                       int timeoutMs = kOfficeTimeoutMs);

enum class OfficeOutcome { kDone, kFailed, kCancelled };

// ConvertWithOffice that stops (writing nothing) as soon as cancelled says so.
[[nodiscard]] OfficeOutcome ConvertWithOfficeCancellable(const QString& input,
                                                         const QString& output,
                                                         const OfficeCancelled& cancelled,
                                                         QString* error,
                                                         int timeoutMs = kOfficeTimeoutMs);

// The message for a missing LibreOffice: what is needed and how to install it.
QString OfficeMissingMessage();

// Copies the workbook input to copy as LibreOffice is to print it: an .xlsx loses the print
// areas of its hidden sheets, or LibreOffice prints them; anything else is copied as it is.
bool PrepareWorkbookForPdf(const QString& input, const QString& copy);

// The .xlsx template for stem in the folder xlsBase. <stem>.xlsx (letters in any case) is
// taken as it is. Otherwise a legacy <stem>.Xls (any case) is converted once into
// xlsBase/.converted/<stem>.xlsx and converted again whenever the .Xls is newer. *note
// tells the user when the template came from a conversion (LibreOffice may give the cells
// holding Japanese text its default Japanese font); empty otherwise.
bool ResolveTemplate(const QString& xlsBase, const QString& stem, QString* xlsxPath, QString* note,
                     QString* error, int timeoutMs = kOfficeTimeoutMs);

}  // namespace quilto
