#include "core/editor/product_fill.h"

#include "core/editor/sheet_layout.h"
#include "core/foundation/text_bytes.h"
#include "core/masters/master_lines.h"

namespace quilto {

namespace {

constexpr int kNameBytes = 30;
constexpr int kSpecBytes = 30;

std::string FieldText(const std::string& line, ProductField field, int maxBytes = 0) {
    std::string text = Trimmed(ProductFieldOf(line, field));
    return maxBytes > 0 ? CutToBytes(text, maxBytes) : text;
}

}  // namespace

bool FillDetailRowFromProduct(TextGrid& detail, int row, const MasterLists& masters,
                              std::string_view category, std::string_view productCode,
                              const CalculationSettings& settings) {
    const SheetColumns& c = ColumnsOf(SheetKind::Detail);
    const int index =
        HasText(productCode) ? FindProduct(masters, Trimmed(category), Trimmed(productCode)) : -1;
    if (index < 0) {
        detail.SetCell(row, 1, {});
        detail.SetCell(row, 3, {});
        return false;
    }
    const std::string& line = masters.products[static_cast<std::size_t>(index)];
    detail.SetCell(row, 1, FieldText(line, ProductField::ProductCode));
    detail.SetCell(row, 3, FieldText(line, ProductField::Name, kNameBytes));
    detail.SetCell(row, 4, FieldText(line, ProductField::Specification, kSpecBytes));
    detail.SetCell(row, c.unit, FieldText(line, ProductField::Unit));
    detail.SetCell(row, c.unitPrice, FieldText(line, ProductField::Price));
    detail.SetCell(row, c.costUnitPrice, FieldText(line, ProductField::Cost));
    detail.SetCell(row, c.remarks, FieldText(line, ProductField::Remarks));
    detail.SetCell(row, c.quantity, {});
    detail.SetCell(row, c.amount, {});
    detail.SetCell(row, c.labourRate, {});
    FormatRowForDisplay(detail, SheetKind::Detail, row, settings);
    return true;
}

}  // namespace quilto
