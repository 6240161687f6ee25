#pragma once

// LibreOffice prints a hidden sheet when that sheet has a print area (measured with
// LibreOffice 7.4: a hidden sheet without one is skipped). The workbook converted for
// printing is therefore a copy whose hidden sheets have lost their print areas; the saved
// workbook keeps them, for the day a user shows such a sheet again.

#include <QString>

namespace quilto {

// Writes the workbook at `xlsx` to `copy` with the print areas of its hidden sheets removed.
// False and *error when either file cannot be read or written.
bool WritePrintableCopy(const QString& xlsx, const QString& copy, QString* error);

}  // namespace quilto
