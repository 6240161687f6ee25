#pragma once

// Where a pattern's invoice items go on the free-form first pages: a small text file of
// Quilto's own beside the pattern's definition, XlsBase/XKPSeinn.invoice. The two records
// have no field for these items, and their reserved bytes must stay zero for the other
// programs that read them, so the cells live here instead. One "field=cell" line for each
// item, for example
//
//     SA1HJTouroku=M12
//
// (the field names are those of the definition editor, the cell an address as the records
// hold them, or nothing: not printed). Lines starting with "#" and blank lines are notes.
// A pattern without the file has no invoice item placed.

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace quilto {

// Field name -> cell address, only the items that are placed.
using InvoicePlacements = std::map<std::string, std::string, std::less<>>;

// Why a file's text is not a set of placements: the line (from 1) and the reason (UTF-8).
struct InvoicePlacementsDamage {
    int line = 0;
    std::string reason;
};

// The placements of a file's text; nullopt, with the first bad line in *damage, when a line
// is neither a note nor "field=cell" with a field of the invoice items that no earlier line
// gave and a valid cell address or nothing.
std::optional<InvoicePlacements> ParseInvoicePlacements(std::string_view text,
                                                        InvoicePlacementsDamage* damage);

// The file's text: a note saying what it is, then every invoice item in the editor's order,
// the unplaced ones with nothing after "=".
std::string InvoicePlacementsText(const InvoicePlacements& placements);

// The file is no bigger than this; a larger one is not ours.
inline constexpr long long kInvoicePlacementsMaxBytes = 16 * 1024;

}  // namespace quilto
