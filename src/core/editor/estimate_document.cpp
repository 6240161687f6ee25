#include "core/editor/estimate_document.h"

#include <optional>

#include "core/editor/line_kind.h"
#include "core/foundation/text_bytes.h"
#include "core/store/cost_class.h"

namespace quilto {

namespace {

EstimateCalculations& NoCalculations() {
    static EstimateCalculations none;
    return none;
}

// Which record field each grid column shows. The breakdown's cost column is the record's
// cost unit price field: breakdown lines keep their cost there.
enum class Field {
    None,
    Code,
    NumberText,
    Name,
    Spec,
    Unit,
    Quantity,
    UnitPrice,
    Amount,
    CostUnitPrice,
    Cost,
    LabourRate,
    Remarks,
    WorkDays,   // breakdown lines: the labour-rate field holds their days of work
    CostClass,  // detail lines: the record's last byte
};

using ColumnFields = std::array<Field, 15>;

const ColumnFields& FieldsOf(SheetKind sheet) {
    static constexpr ColumnFields kBreakdown = {
        Field::None,     Field::Code,   Field::NumberText,    Field::Name,    Field::Unit,
        Field::Quantity, Field::Amount, Field::CostUnitPrice, Field::Remarks, Field::WorkDays};
    static constexpr ColumnFields kDetail = {
        Field::None, Field::Code,     Field::NumberText, Field::Name,   Field::Spec,
        Field::Unit, Field::Quantity, Field::UnitPrice,  Field::Amount, Field::CostUnitPrice,
        Field::Cost, Field::Remarks,  Field::LabourRate, Field::None,   Field::CostClass};
    static constexpr ColumnFields kSummary = {Field::None,      Field::Code,   Field::NumberText,
                                              Field::Name,      Field::Unit,   Field::Quantity,
                                              Field::UnitPrice, Field::Amount, Field::CostUnitPrice,
                                              Field::Cost,      Field::Remarks};
    return BySheet(sheet, kBreakdown, kDetail, kSummary);
}

// The text of a text field; empty for a numeric one. It looks into the record.
std::string_view FieldText(const LineRecord& r, Field f) {
    switch (f) {
        case Field::Code:
            return r.CodeView();
        case Field::NumberText:
            return r.NumberTextView();
        case Field::Name:
            return r.NameView();
        case Field::Spec:
            return r.SpecView();
        case Field::Unit:
            return r.UnitView();
        case Field::Remarks:
            return r.RemarksView();
        default:
            return {};
    }
}

// The value of a numeric field; nothing for a text field.
std::optional<Fixed4> FieldNumber(const LineRecord& r, Field f) {
    switch (f) {
        case Field::Quantity:
            return r.Quantity();
        case Field::UnitPrice:
            return r.UnitPrice();
        case Field::Amount:
            return r.Amount();
        case Field::CostUnitPrice:
            return r.CostUnitPrice();
        case Field::Cost:
            return r.Cost();
        case Field::LabourRate:
            return r.LabourRate();
        default:
            return std::nullopt;
    }
}

bool IsNumberField(Field f) { return f >= Field::Quantity && f <= Field::LabourRate; }

// A numeric field set from a cell's value.
void SetFieldNumber(LineRecord& r, Field f, Fixed4 value) {
    switch (f) {
        case Field::Quantity:
            return r.SetQuantity(value);
        case Field::UnitPrice:
            return r.SetUnitPrice(value);
        case Field::Amount:
            return r.SetAmount(value);
        case Field::CostUnitPrice:
            return r.SetCostUnitPrice(value);
        case Field::Cost:
            return r.SetCost(value);
        case Field::LabourRate:
            return r.SetLabourRate(value);
        default:
            return;
    }
}

void SetField(LineRecord& r, Field f, const std::string& text) {
    switch (f) {
        case Field::None:
            return;
        case Field::Code:
            return r.SetCode(text);
        case Field::NumberText:
            return r.SetNumberText(text);
        case Field::Name:
            return r.SetName(text);
        case Field::Spec:
            return r.SetSpec(text);
        case Field::Unit:
            return r.SetUnit(text);
        case Field::Remarks:
            return r.SetRemarks(text);
        default:
            return SetFieldNumber(r, f, TextToFixed4(text));
    }
}

// What a user can type into each cover text, in bytes; the file fields are wider.
int CoverTextMaxBytes(HeaderText field) {
    switch (field) {
        case HeaderText::MNo:
            return 6;
        case HeaderText::MBango:
            return 15;
        case HeaderText::MTitle1:
            return 50;
        case HeaderText::MCode1:
            return 6;
        case HeaderText::MName1:
            return 40;
        case HeaderText::MName2:
            return 30;
        case HeaderText::MBasyo1:
            return 60;
        case HeaderText::MTanto1:
            return 20;
        case HeaderText::MYMD1:
        case HeaderText::MYMD2:
        case HeaderText::MYMD3:
            return 22;
        case HeaderText::MYMD4:
            return 24;  // written by the free print, not typed
        case HeaderText::MKigen1:
            return 50;
        case HeaderText::MBiko9:
            return 30;
        default:
            return 80;  // MBiko1-8 and MBiko10
    }
}

constexpr int kFigureMaxBytes = 14;
constexpr int kTaxRateMaxBytes = 2;

std::optional<HeaderText> TextByName(std::string_view control) {
    for (int i = 0; i < kHeaderTextCount; ++i) {
        const auto field = static_cast<HeaderText>(i);
        if (control == LayoutOf(field).control) return field;
    }
    return std::nullopt;
}

std::optional<HeaderFigure> FigureByName(std::string_view control) {
    for (int i = 0; i < kHeaderFigureCount; ++i) {
        const auto figure = static_cast<HeaderFigure>(i);
        if (control == ControlNameOf(figure)) return figure;
    }
    return std::nullopt;
}

constexpr std::string_view kTaxRateControl = "ZRitu";

// "(未)" in CP932: details entered, name not yet given.
constexpr const char* kDetailsWithoutName = "(\x96\xA2)";

// The detail store keeps a row when anything identifies it or it carries an amount.
bool DetailRowWorthKeeping(const TextGrid& grid, int row) {
    for (int col : {1, 3, 4, 5}) {
        if (HasText(grid.Cell(row, col))) return true;
    }
    return grid.NumberAt(row, 8).raw != 0;
}

bool DetailRecordShown(const LineRecord& r) {
    if (r.NoTextNorAmount()) return false;
    return HasText(r.CodeView()) || HasText(r.NameView()) || HasText(r.SpecView()) ||
           HasText(r.UnitView()) || r.Amount().raw != 0;
}

void ClearDataCells(TextGrid& grid) {
    for (int row = 1; row < grid.RowCount(); ++row) {
        for (int col = 1; col < grid.ColCount(); ++col) grid.ClearCell(row, col);
    }
}

}  // namespace

EstimateDocument::EstimateDocument()
    : breakdown_(ColumnsOf(SheetKind::Breakdown).rowCount,
                 ColumnsOf(SheetKind::Breakdown).colCount),
      detail_(ColumnsOf(SheetKind::Detail).rowCount, ColumnsOf(SheetKind::Detail).colCount),
      summary_(ColumnsOf(SheetKind::Summary).rowCount, ColumnsOf(SheetKind::Summary).colCount),
      calculations_(&NoCalculations()) {}

const std::string& EstimateDocument::Text(HeaderText field) const {
    return texts_[static_cast<std::size_t>(field)];
}

void EstimateDocument::SetText(HeaderText field, std::string text) {
    texts_[static_cast<std::size_t>(field)] = std::move(text);
}

const std::string& EstimateDocument::Figure(HeaderFigure figure) const {
    return figures_[static_cast<std::size_t>(figure)];
}

void EstimateDocument::SetFigure(HeaderFigure figure, std::string text) {
    figures_[static_cast<std::size_t>(figure)] = std::move(text);
}

int EstimateDocument::PatternIndex() const {
    const std::int64_t value = header_.PatternValue().raw;
    return value >= 0 && value <= 20000 ? static_cast<int>(value / 10000) : 0;
}

void EstimateDocument::SetPatternIndex(int index) {
    header_.SetPatternValue(Fixed4::FromInt(index));
}

std::optional<std::string> EstimateDocument::CoverText(std::string_view control) const {
    if (const auto field = TextByName(control)) return Text(*field);
    if (const auto figure = FigureByName(control)) return Figure(*figure);
    if (control == kTaxRateControl) return taxRate_;
    return std::nullopt;
}

bool EstimateDocument::SetCoverText(std::string_view control, std::string text) {
    if (const auto field = TextByName(control)) {
        SetText(*field, std::move(text));
    } else if (const auto figure = FigureByName(control)) {
        SetFigure(*figure, std::move(text));
    } else if (control == kTaxRateControl) {
        taxRate_ = std::move(text);
    } else {
        return false;
    }
    return true;
}

int EstimateDocument::CoverMaxBytes(std::string_view control) {
    if (const auto field = TextByName(control)) return CoverTextMaxBytes(*field);
    if (FigureByName(control)) return kFigureMaxBytes;
    if (control == kTaxRateControl) return kTaxRateMaxBytes;
    return 0;
}

bool EstimateDocument::HasRequiredFields() const {
    return HasText(Text(HeaderText::MTitle1)) && HasText(Text(HeaderText::MName1));
}

TextGrid& EstimateDocument::Grid(SheetKind sheet) {
    return BySheet(sheet, breakdown_, detail_, summary_);
}

const TextGrid& EstimateDocument::Grid(SheetKind sheet) const {
    return BySheet(sheet, breakdown_, detail_, summary_);
}

void EstimateDocument::LoadDetailSheet(int row) {
    detailRow_ = 0;
    // Subtotal, total, discount, tax and grand-total lines own no detail sheet.
    if (row < 1 || row > kBreakdownLines || IsSpecialLine(LineKindOf(breakdown_, row))) {
        ClearDataCells(detail_);
        return;
    }
    // Each row is emptied and filled in one pass: a shown record overwrites the cells of
    // its fields, so only the others are emptied.
    const ColumnFields& fields = FieldsOf(SheetKind::Detail);
    for (int line = 1; line < detail_.RowCount(); ++line) {
        const LineRecord* r = line <= kDetailLines ? &stores_.details.Line(row, line) : nullptr;
        const bool shown = r != nullptr && DetailRecordShown(*r);
        if (shown) RecordToRow(*r, SheetKind::Detail, detail_, line);
        for (int col = 1; col < detail_.ColCount(); ++col) {
            const bool written = col < static_cast<int>(fields.size()) &&
                                 fields[static_cast<std::size_t>(col)] != Field::None;
            if (!shown || !written) detail_.ClearCell(line, col);
        }
    }
    detailRow_ = row;
    calculations_->DetailSheetLoaded(*this, row);
}

void EstimateDocument::StoreDetailSheet() {
    const int k = detailRow_;
    if (k < 1 || k > kBreakdownLines) return;
    calculations_->BeforeDetailSheetStored(*this, k);
    detailRow_ = 0;
    // Whether the line's figures came from this sheet: a line that had no detail lines
    // carries an amount and cost typed on it, which an empty sheet (looked at, or passed
    // through by the multiplier) must not replace.
    const bool hadLines = HasDetailLines(stores_, k);
    for (int line = 1; line <= kDetailLines; ++line) {
        if (DetailRowWorthKeeping(detail_, line)) {
            // Lines that come back as they were are not written: the sheet stays shared.
            LineRecord r;
            RowToRecord(detail_, line, SheetKind::Detail, r);
            stores_.details.SetLine(k, line, r);
        } else {
            stores_.details.ClearLine(k, line);
        }
    }
    FinishStoredSheet(k, hadLines);
}

void EstimateDocument::DetailSheetStoredInPlace(int row, bool hadLines) {
    if (row < 1 || row > kBreakdownLines) return;
    FinishStoredSheet(row, hadLines);
}

void EstimateDocument::FinishStoredSheet(int k, bool hadLines) {
    if (hadLines || HasDetailLines(stores_, k)) calculations_->DetailSheetStored(*this, k);
    const int count = DetailCount(stores_, k);
    stores_.breakdown[static_cast<std::size_t>(k)].SetDetailCount(count);
    if (count > 0 && !HasText(breakdown_.Cell(k, 3))) breakdown_.SetCell(k, 2, kDetailsWithoutName);
}

void EstimateDocument::SyncDetailSheet() {
    const int k = detailRow_;
    if (k < 1 || k > kBreakdownLines) return;
    StoreDetailSheet();
    detailRow_ = k;
}

void EstimateDocument::DropDetailSheet() {
    ClearDataCells(detail_);
    detailRow_ = 0;
}

void EstimateDocument::PrepareForSave() {
    StoreDetailSheet();
    calculations_->BeforeSave(*this);
}

void EstimateDocument::ClearCoverAndGrids() {
    for (auto& t : texts_) t.clear();
    for (auto& f : figures_) f.clear();
    taxRate_.clear();
    checkBox1_ = checkBox2_ = false;
    ClearDataCells(breakdown_);
    ClearDataCells(summary_);
    DropDetailSheet();
}

void EstimateDocument::ClearRecords() {
    header_.Clear();
    stores_.Clear();
}

void EstimateDocument::BeginSession(EntryMode entryMode) {
    entryMode_ = entryMode;
    numberAssigned_ = false;
}

void EstimateDocument::SetCalculations(EstimateCalculations* calculations) {
    calculations_ = calculations ? calculations : &NoCalculations();
}

bool HasDetailLines(const EstimateStores& stores, int row) {
    if (!stores.details.HasSheet(row)) return false;
    for (int line = 1; line <= kDetailLines; ++line) {
        if (DetailRecordShown(stores.details.Line(row, line))) return true;
    }
    return false;
}

void RecordToRow(const LineRecord& record, SheetKind sheet, TextGrid& grid, int row) {
    const ColumnFields& fields = FieldsOf(sheet);
    for (int col = 1; col < grid.ColCount() && col < static_cast<int>(fields.size()); ++col) {
        const Field f = fields[static_cast<std::size_t>(col)];
        if (f == Field::WorkDays) {
            // Blank rather than "0": most lines have no days, and a zero would make every
            // row of the grid look used.
            if (record.WorkDays().raw == 0) {
                grid.ClearCell(row, col);
            } else {
                grid.SetNumberCell(row, col, record.WorkDays());
            }
        } else if (f == Field::CostClass) {
            grid.SetCell(row, col, CostClassCellText(CostClassOfByte(record.CostClassByte())));
        } else if (const auto value = FieldNumber(record, f)) {
            // The calculation and the store read the value back without parsing the text.
            grid.SetNumberCell(row, col, *value);
        } else if (f != Field::None) {
            grid.RewriteCell(row, col,
                             [&](std::string& text) { text.assign(FieldText(record, f)); });
        }
    }
}

void RowToRecord(const TextGrid& grid, int row, SheetKind sheet, LineRecord& record) {
    const ColumnFields& fields = FieldsOf(sheet);
    for (int col = 1; col < grid.ColCount() && col < static_cast<int>(fields.size()); ++col) {
        const Field f = fields[static_cast<std::size_t>(col)];
        if (f == Field::WorkDays) {
            record.SetWorkDays(grid.NumberAt(row, col));
        } else if (f == Field::CostClass) {
            const auto cls = CostClassOfCellText(grid.Cell(row, col));
            record.SetCostClassByte(
                static_cast<std::uint8_t>(cls.value_or(CostClass::Unclassified)));
        } else if (IsNumberField(f)) {
            SetFieldNumber(record, f, grid.NumberAt(row, col));
        } else if (f != Field::None) {
            SetField(record, f, grid.Cell(row, col));
        }
    }
    if (sheet == SheetKind::Breakdown) record.SetCost(Fixed4{});
}

}  // namespace quilto
