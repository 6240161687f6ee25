#pragma once

// A realistic estimate written into a shipped template through the workbook layer, the
// way the output engine drives it (sheet preparation, then cover, summary, breakdown and
// detail cells by the table definitions), remembering every value it wrote.

#include <QString>
#include <map>
#include <string>
#include <vector>

#include "core/excel/table_definition.h"
#include "core/excel/workbook.h"

namespace quilto::test {

struct WrittenCell {
    int sheet;
    std::string address;
    std::string cp932;  // as written
};

struct FilledEstimate {
    std::vector<WrittenCell> cells;
    int pages = 0;        // visible sheets
    int detailPages = 0;  // detail sheets made
};

// Fills book (a copy of 見積書nn or 原価表nn) with the sample estimate. withCover false
// hides the cover sheet as a run without 表紙 does.
FilledEstimate FillSampleEstimate(Workbook& book, const TableDefinitions& defs, bool cost,
                                  bool withCover);

// Fills book (a copy of 書式FnnA or 書式FnnB) as a free-form invoice: part 'A' with the
// breakdown's three lines on one page (sheet 2 hidden), part 'B' with every detail line
// under 【construction】 headings over two pages.
FilledEstimate FillSampleInvoice(Workbook& book, const TableDefinitions& defs, char part);

}  // namespace quilto::test
