#pragma once

// Cells written onto a sheet page: what a page holds besides its template sheet, and the
// page put together from both when the workbook is saved.

#include <pugixml.hpp>

#include <map>
#include <optional>
#include <string>
#include <utility>

#include "core/excel/zip_writer.h"

namespace quilto::worksheet {

struct CellWrite {
    enum Kind { kClear, kNumber, kText } kind = kClear;
    std::string value;  // the number in plain decimal form, or the text as UTF-8
};

using CellWrites = std::map<std::pair<int, int>, CellWrite>;  // (row, column) -> value

// The writes applied to a sheet: new rows and cells where the sheet has none (styled from
// their row or column), values replacing what the cells held, the used range grown.
void ApplyWrites(pugi::xml_document& doc, const CellWrites& writes);
// Whether a sheet's tab selection is to change to `select`.
bool TabSelectionDiffers(const pugi::xml_document& doc, bool select);
// Only the active tab is selected; several selected tabs would group the sheets.
void SelectTab(pugi::xml_document& doc, bool select);

// A changed sheet written as zip entry `name` the way copying it whole, applying the writes
// and the tab selection and saving it would write it, byte for byte, without the copy.
// Empty, with nothing written, for a sheet this cannot be done for; then the caller takes
// the whole copy.
std::optional<bool> WriteChangedSheet(ZipWriter& zip, const std::string& name,
                                      const pugi::xml_document& base, const CellWrites& writes,
                                      bool tabChanges, bool select);

}  // namespace quilto::worksheet
