#pragma once

// The standard output: cover, summary, breakdown and detail sheets on a template whose
// sheet 1 is the cover, sheet 2 a summary page, sheet 3 a breakdown page and sheet 4 a
// detail page. Further pages are copies of those sheets; a section that is not printed
// keeps its sheet, hidden.

#include <QString>

#include "core/output/output_book.h"
#include "core/output/output_progress.h"
#include "core/output/output_source.h"

namespace quilto {

struct StandardPages {
    int cover = 0;
    int summary = 0;
    int breakdown = 0;
    int detail = 0;
    int Total() const { return cover + summary + breakdown + detail; }
};

// The pages each section needs with the user's choices. A definition with no breakdown or
// summary rows per page (GyoD1 or GyoF1 of 0 or less) prints the cover only.
StandardPages CountStandardPages(const OutputSource& source);

// Makes the pages and writes every value. A cancel between lines leaves the rest unwritten
// and still counts as written; a cancel while the pages are made gives kCancelled.
BookWriting WriteStandardOutput(OutputBook& book, const OutputSource& source,
                                const StandardPages& pages, OutputProgress& progress,
                                QString* error);

}  // namespace quilto
