// Table-definition records from untrusted bytes: the first part of the input is taken as
// XKPnn.Dat, the rest as XKPSeinn.Dat, and the whole input as the text of XKPSeinn.invoice.
// Whatever the bytes, reading, showing, the cell addresses and taking the shown fields back
// must stay inside the records, and what the editor shows must save and show the same again.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "core/excel/cell_address.h"
#include "core/excel/table_definition.h"

using namespace quilto;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::size_t split = std::min(size, kXkpRecordSize);
    TableDefinitions definitions;
    definitions.ReadRecord(TableFile::kStandard, bytes.substr(0, split));
    definitions.ReadRecord(TableFile::kFreeForm, bytes.substr(split));
    // Placements read are valid cells and write out as text that reads back the same; a
    // damaged text names a line it has.
    InvoicePlacementsDamage damage;
    if (const auto placements = ParseInvoicePlacements(bytes, &damage)) {
        for (const auto& [field, cell] : *placements)
            if (!ParseDefinitionAddress(cell).IsValid()) std::abort();
        if (ParseInvoicePlacements(InvoicePlacementsText(*placements), nullptr) != placements)
            std::abort();
        if (!definitions.ReadInvoice(bytes)) std::abort();
    } else if (damage.line < 1 || static_cast<std::size_t>(damage.line) > size + 1 ||
               damage.reason.empty()) {
        std::abort();
    }

    const TableFieldTexts fields = definitions.Fields();
    for (std::size_t i = 0; i < fields.Size(); ++i) {
        const TableField& field = TableFields()[i];
        const CellPosition cell = definitions.Cell(field.name);
        if (cell.IsValid() && (cell.column > 702 || cell.row > 999)) std::abort();
        if (field.kind != TableFieldKind::kCount && fields.At(i).size() > kCellFieldCapacity) {
            std::abort();
        }
    }
    const RowsPerPage rows = definitions.Rows();
    if (EffectiveRowsPerPage(rows.breakdown) <= 0) std::abort();

    TableDefinitions again = definitions;
    again.TakeFields(fields);
    if (!(again.Fields() == fields)) std::abort();
    if (again.Record(TableFile::kStandard).size() != kXkpRecordSize ||
        again.Record(TableFile::kFreeForm).size() != kXkpSeiRecordSize) {
        std::abort();
    }

    // The address parser on its own, with the raw input as the address.
    const CellPosition position = ParseDefinitionAddress(bytes.substr(0, 8));
    if (position.IsValid() != !CellPositionText(bytes.substr(0, 8)).empty()) std::abort();
    return 0;
}
