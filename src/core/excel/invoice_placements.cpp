#include "core/excel/invoice_placements.h"

#include "core/excel/cell_address.h"
#include "core/excel/table_definition_fields.h"
#include "core/foundation/text_bytes.h"

namespace quilto {

namespace {

bool IsInvoiceField(std::string_view name) {
    const int index = TableFieldIndex(name);
    return index >= 0 && TableFields()[static_cast<std::size_t>(index)].file == TableFile::kInvoice;
}

}  // namespace

std::optional<InvoicePlacements> ParseInvoicePlacements(std::string_view text,
                                                        InvoicePlacementsDamage* damage) {
    InvoicePlacements placements;
    std::map<std::string, int, std::less<>> given;
    int number = 0;
    const auto fail = [&](std::string reason) -> std::optional<InvoicePlacements> {
        if (damage != nullptr) *damage = {number, std::move(reason)};
        return std::nullopt;
    };
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t end = std::min(text.find('\n', at), text.size());
        const std::string_view line = TrimmedView(text.substr(at, end - at));
        at = end + 1;
        ++number;
        if (line.empty() || line.front() == '#') continue;
        const std::size_t equals = line.find('=');
        if (equals == std::string_view::npos) return fail("「項目=セル」の形ではありません");
        const std::string field = Trimmed(line.substr(0, equals));
        const std::string cell = Trimmed(line.substr(equals + 1));
        if (!IsInvoiceField(field)) return fail("「" + field + "」は請求書の項目ではありません");
        if (const auto earlier = given.find(field); earlier != given.end()) {
            return fail("「" + field + "」は " + std::to_string(earlier->second) +
                        " 行目にもあります");
        }
        given.emplace(field, number);
        if (cell.empty()) continue;
        if (!ParseDefinitionAddress(cell).IsValid())
            return fail("「" + cell + "」はセル番地ではありません");
        placements.emplace(field, cell);
    }
    return placements;
}

std::string InvoicePlacementsText(const InvoicePlacements& placements) {
    std::string text =
        "# Quilto: cells of the invoice items on the first page of the free-form outputs\n"
        "# (SA: output A, SB: output B); nothing after \"=\" means not printed.\n";
    for (const TableField& field : TableFields()) {
        if (field.file != TableFile::kInvoice) continue;
        const auto placed = placements.find(std::string_view(field.name));
        text.append(field.name).append("=");
        if (placed != placements.end()) text.append(placed->second);
        text.append("\n");
    }
    return text;
}

}  // namespace quilto
