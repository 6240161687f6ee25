#pragma once

// The sheet 材料費等内訳書: the itemised estimate (each work type's amount split into its
// cost classes, with its days of work) on the last sheet of the quotation template, after
// the standard sheets. A template without that sheet (one made before it existed) cannot
// take it; when the sheet is not chosen it stays in the workbook, hidden.

#include <QString>

#include "core/editor/itemised_costs.h"
#include "core/output/output_book.h"
#include "core/output/output_progress.h"
#include "core/output/output_source.h"

namespace quilto {

// The quotation template's sheet that holds the itemised estimate.
inline constexpr int kItemisedTemplateSheet = 5;

// Whether a template with this many sheets has the itemised sheet.
bool TemplateHasItemisedSheet(int templateSheets);

// The pages the itemised sheet takes: 0 when it is not chosen, else one page per
// 20 lines, the total line included.
int CountItemisedPages(const OutputSource& source, const ItemisedEstimate& itemised);

// After the standard output wrote its pages: templateSheets is the template's sheet count
// before any copy, pagesBefore the pages already written (for the progress). Hides the
// sheet when it is not chosen. A template without the sheet is left alone.
BookWriting WriteItemisedOutput(OutputBook& book, const OutputSource& source,
                                const ItemisedEstimate& itemised, int templateSheets,
                                int pagesBefore, OutputProgress& progress, QString* error);

}  // namespace quilto
