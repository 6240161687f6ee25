#pragma once

// The free-form outputs (かがみ付フリー印刷, mainly for invoices) on a template whose sheet 1
// is a first page with a heading block and sheet 2 a following page of lines only.
// Output A prints the summary or the breakdown lines, output B every detail sheet of every
// construction, each under a heading line 【name】.

#include <QString>
#include <array>
#include <string>
#include <vector>

#include "core/output/invoice_tax.h"
#include "core/output/output_book.h"
#include "core/output/output_progress.h"
#include "core/output/output_source.h"

namespace quilto {

// The lines to print, gathered first, and the totals block taken from the special lines.
struct FreeFormLines {
    // Line i (from 0) holds the cells of printed line i + 1 by source column (1-11).
    std::vector<std::array<std::string, 12>> lines;
    // From the last "=", "-", "/", "%" and "\" line; the discount with its sign rule.
    std::string subtotal, discount, total, tax, grandTotal;
    // The same lines as figures, with the net of the ordinary lines: what the invoice's
    // tax per rate is worked out from.
    DocumentTaxTotals taxTotals;
};

// Gathers the lines of the source the choices name (summary, breakdown or details).
// Without Chk_ktype the special lines stay as empty lines and the totals block prints
// their amounts; with it they print as lines.
FreeFormLines GatherFreeFormLines(const OutputSource& source);

// Pages for the gathered lines: 0 when there are none.
int CountFreeFormPages(const OutputSource& source, const FreeFormLines& lines);

// Makes the pages and writes the heading block and every line; as WriteStandardOutput.
BookWriting WriteFreeFormOutput(OutputBook& book, const OutputSource& source,
                                const FreeFormLines& lines, int pages, OutputProgress& progress,
                                QString* error);

}  // namespace quilto
