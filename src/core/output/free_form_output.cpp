#include "core/output/free_form_output.h"

#include <algorithm>

#include "core/editor/line_kind.h"
#include "core/foundation/cp932.h"
#include "core/foundation/number_text.h"
#include "core/foundation/text_bytes.h"
#include "core/output/output_values.h"
#include "core/output/sheet_writer.h"

namespace quilto {

namespace {

using output_detail::LineCell;
using output_detail::LineCellOf;
using output_detail::SheetWriter;

using Line = std::array<std::string, 12>;

// Where each printed item sits in a gathered line; 0: not printed from this source.
struct SourceColumns {
    int number, name, spec, unit, quantity, unitPrice, amount, remarks;
};
constexpr SourceColumns kSummaryColumns{2, 3, 0, 4, 5, 6, 7, 10};
constexpr SourceColumns kBreakdownColumns{2, 3, 0, 4, 5, 0, 6, 8};
constexpr SourceColumns kDetailColumns{2, 3, 4, 5, 6, 7, 8, 11};

bool IsDetailOutput(const OutputChoices& choices) {
    return choices.freeFormSource == FreeFormSource::kDetails;
}

const SourceColumns& ColumnsFor(const OutputChoices& choices) {
    switch (choices.freeFormSource) {
        case FreeFormSource::kSummary:
            return kSummaryColumns;
        case FreeFormSource::kBreakdown:
            return kBreakdownColumns;
        case FreeFormSource::kDetails:
            break;
    }
    return kDetailColumns;
}

// The definition fields of output A ("SA") or B ("SB").
std::string Field(const OutputChoices& choices, std::string_view rest) {
    return (IsDetailOutput(choices) ? "SB" : "SA") + std::string(rest);
}

Fixed4 FigureOf(const std::string& amount) { return TextToFixed4(CleanNumber(amount)); }

// The totals block: the last special line of each kind counts. Every line also counts
// towards the net the invoice's tax is worked out from when there is no total line.
void TakeTotal(FreeFormLines& out, std::string_view marker, const std::string& amount,
               bool discountSign) {
    DocumentTaxTotals& figures = out.taxTotals;
    switch (LineKindOfMarker(marker)) {
        case LineKind::Syokei:
            out.subtotal = amount;
            break;
        case LineKind::Nebiki: {
            out.discount = DiscountAmount(amount, discountSign);
            const Fixed4 discount = FigureOf(amount);
            figures.net -= discount.raw < 0 ? -discount : discount;
            break;
        }
        case LineKind::Nakakei:
            out.total = amount;
            figures.hasTotal = true;
            figures.total = FigureOf(amount);
            break;
        case LineKind::Zei:
            out.tax = amount;
            figures.hasTax = true;
            figures.tax = FigureOf(amount);
            break;
        case LineKind::Goukei:
            out.grandTotal = amount;
            break;
        default:
            figures.net += FigureOf(amount);
            break;
    }
}

bool IsBlank(const Line& line) {
    return std::none_of(line.begin() + 1, line.end(),
                        [](const std::string& cell) { return HasText(cell); });
}

void GatherGridLines(const OutputSource& source, FreeFormLines& out) {
    const bool summary = source.choices.freeFormSource == FreeFormSource::kSummary;
    const TextGrid& grid =
        source.document.Grid(summary ? SheetKind::Summary : SheetKind::Breakdown);
    const int amountColumn = summary ? 7 : 6;
    const bool discountSign = source.environment.DiscountSign();
    const int columns = std::min(grid.ColCount(), static_cast<int>(Line{}.size()));
    for (int row = 1; row < grid.RowCount(); ++row) {
        const std::string& marker = grid.Cell(row, 1);
        TakeTotal(out, marker, grid.Cell(row, amountColumn), discountSign);
        Line& line = out.lines.emplace_back();
        if (!source.choices.linesTotals && IsSpecialLine(LineKindOfMarker(marker))) continue;
        for (int col = 1; col < columns; ++col) line[col] = grid.Cell(row, col);
    }
}

void GatherDetailLines(const OutputSource& source, FreeFormLines& out) {
    const EstimateDocument& doc = source.document;
    const TextGrid& grid = doc.Grid(SheetKind::Breakdown);
    const bool discountSign = source.environment.DiscountSign();
    const bool linesTotals = source.choices.linesTotals;
    for (int row = 1; row < grid.RowCount(); ++row) {
        const std::string& marker = grid.Cell(row, 1);
        const std::string& name = grid.Cell(row, 3);
        const std::string& amount = grid.Cell(row, 6);
        TakeTotal(out, marker, amount, discountSign);
        if (!HasText(marker) && !HasText(name) && !HasText(grid.Cell(row, 4)) && IsNoAmount(amount))
            continue;
        const LineKind kind = LineKindOfMarker(marker);
        const bool special = IsSpecialLine(kind);
        if (linesTotals && !OwnsDetailSheet(doc, row)) {
            if (special) {
                Line& line = out.lines.emplace_back();
                line[3] = name;
                line[8] = kind == LineKind::Nebiki ? DiscountAmount(amount, discountSign) : amount;
            }
            continue;
        }
        if (special) continue;
        out.lines.emplace_back()[3] = "\x81\x79" + TrimmedRight(name) + "\x81\x7A";  // 【 】
        const int count = DetailLineCount(doc, row);
        for (int i = 1; i <= count; ++i) {
            const LineRecord& record = doc.Stores().details.Line(row, i);
            Line& line = out.lines.emplace_back();
            line[1] = record.Code();
            line[2] = record.NumberText();
            line[3] = record.Name();
            line[4] = record.Spec();
            line[5] = record.Unit();
            const Fixed4 quantity = record.Quantity();
            const Fixed4 unitPrice = record.UnitPrice();
            const Fixed4 lineAmount = record.Amount();
            if ((quantity + unitPrice + lineAmount).raw != 0) {
                if (!IsSpecialLine(LineKindOfMarker(line[1]))) {
                    line[6] = Fixed4ToText(quantity);
                    line[7] = Fixed4ToText(unitPrice);
                }
                line[8] = Fixed4ToText(lineAmount);
            }
            line[11] = record.Remarks();
        }
        out.lines.emplace_back();  // a blank line closes each construction
    }
}

// The cells of one kind of page (first or following).
struct PageCells {
    LineCell number, name, spec, unit, quantity, unitPrice, amount, remarks;
    std::string logo, pageNumber;  // fixed cells: the field names
    bool nameWithSpec = false;     // name and specification share one cell
};

PageCells CellsOf(const OutputSource& source, char page) {
    const OutputChoices& choices = source.choices;
    const TableDefinitions& defs = source.definitions;
    const SourceColumns& columns = ColumnsFor(choices);
    const std::string prefix = Field(choices, std::string(1, page));
    const auto cell = [&](const char* name, int column) {
        return column == 0 ? LineCell{} : LineCellOf(defs, prefix + name);
    };
    PageCells cells{cell("GBan", columns.number),
                    cell("Name", columns.name),
                    cell("Kikaku", columns.spec),
                    cell("Tanni", columns.unit),
                    cell("Suu", columns.quantity),
                    cell("Utanka", columns.unitPrice),
                    cell("Ugou", columns.amount),
                    cell("Tekiyo", columns.remarks),
                    prefix + "add2",
                    prefix + "Page1"};
    cells.nameWithSpec = cells.spec.Defined() && cells.spec.at == cells.name.at;
    return cells;
}

class FreeFormWriter {
  public:
    FreeFormWriter(OutputBook& book, const OutputSource& source, OutputProgress& progress)
        : out_(book, progress), source_(source), progress_(progress) {}

    void Run(const FreeFormLines& lines, int pages) {
        if (pages == 1) out_.Hide(2);
        for (int i = 1; i <= pages - 2; ++i) out_.Copy(2, 1 + i);
        sheet_ = 1;
        page_ = 1;
        progress_.Page(1);
        out_.Activate(1);
        WriteHeading(lines);
        WriteLines(lines.lines);
        out_.ActivateFirstVisible();
    }

  private:
    void Fixed(std::string_view field, std::string_view value) {
        out_.Fixed(source_.definitions, Field(source_.choices, field), value);
    }

    void WriteHeading(const FreeFormLines& lines) {
        const EstimateDocument& doc = source_.document;
        const Environment& env = source_.environment;
        Fixed("1HMno", "'" + doc.Text(HeaderText::MBiko10));
        Fixed("1HTitle1", doc.Text(HeaderText::MTitle1));
        Fixed("1HName1", doc.Text(HeaderText::MName1));
        Fixed("1HYMD1", source_.choices.printDate);
        Fixed("1HGoukeiU", CleanNumber(lines.grandTotal));
        Fixed("1Hadd1", doc.CheckBox2() ? env.TaxIncludedMessage() : env.TaxExcludedMessage());
        if (!source_.choices.linesTotals) {
            Fixed("1HSkei", CleanNumber(lines.subtotal));
            Fixed("1HNebiki", CleanNumber(lines.discount));
            Fixed("1HNakakei", CleanNumber(lines.total));
            Fixed("1HZei", CleanNumber(lines.tax));
            Fixed("1HGoukei", CleanNumber(lines.grandTotal));
        }
        out_.Company(source_.definitions, Field(source_.choices, "1"), env);
        WriteInvoiceItems(lines);
    }

    // What makes the document a qualified invoice, written whether or not the totals
    // block is: the registration number, and the rate with its amount and tax.
    void WriteInvoiceItems(const FreeFormLines& lines) {
        const std::string& number = source_.registrationNumber;
        Fixed("1HJTouroku", number.empty() ? std::string() : Cp932("登録番号 ") + number);
        const InvoiceTax tax =
            InvoiceTaxOf(lines.taxTotals, TextToFixed4(CleanNumber(source_.document.TaxRateText())),
                         source_.document.CheckBox2(), source_.environment.TaxRounding());
        if (tax.rateLabel.empty()) return;
        Fixed("1HZRitu", Cp932(tax.rateLabel));
        Fixed("1HZTaisyo", Fixed4ToText(tax.base));
        Fixed("1HZGaku", Fixed4ToText(tax.tax));
    }

    static std::string Cp932(const std::string& utf8) {
        return Utf8ToCp932(utf8).value_or(std::string());
    }

    void WriteLines(const std::vector<Line>& lines) {
        const TableDefinitions& defs = source_.definitions;
        const int first = EffectiveRowsPerPage(defs.Count(Field(source_.choices, "1LinP1")));
        const int following = EffectiveRowsPerPage(defs.Count(Field(source_.choices, "2LinP1")));
        const PageCells firstCells = CellsOf(source_, '1');
        const PageCells followingCells = CellsOf(source_, '2');
        const SourceColumns& columns = ColumnsFor(source_.choices);
        const std::string logo = source_.environment.Company(0, CompanyField::Logo);
        const bool discountSign = source_.environment.DiscountSign();
        int at = 0;
        for (const Line& line : lines) {
            if (progress_.Cancelled()) return;
            if (++at > (page_ == 1 ? first : following)) {
                ++sheet_;
                ++page_;
                progress_.Page(page_);
                out_.Activate(sheet_);
                at = 1;
            }
            const PageCells& cells = page_ == 1 ? firstCells : followingCells;
            if (at == 1) {
                out_.Fixed(defs, cells.logo, logo);
                out_.Fixed(defs, cells.pageNumber, std::to_string(page_));
            }
            WriteLine(cells, columns, line, at, discountSign);
        }
    }

    void WriteLine(const PageCells& cells, const SourceColumns& columns, const Line& line, int at,
                   bool discountSign) {
        const auto text = [&](int column) {
            return column == 0 ? std::string() : TrimmedRight(line[column]);
        };
        std::string name = text(columns.name);
        const std::string spec = text(columns.spec);
        if (cells.nameWithSpec) {
            if (HasText(spec)) name += "\n  " + spec;
        } else {
            out_.Line(cells.spec, at, spec);
        }
        out_.Line(cells.number, at, text(columns.number));
        out_.Line(cells.name, at, name);
        out_.Line(cells.unit, at, text(columns.unit));
        if (columns.quantity) out_.Line(cells.quantity, at, line[columns.quantity]);
        if (columns.unitPrice) out_.Line(cells.unitPrice, at, line[columns.unitPrice]);
        const std::string& amount = line[columns.amount];
        out_.Line(cells.amount, at,
                  LineKindOfMarker(line[1]) == LineKind::Nebiki
                      ? DiscountAmount(amount, discountSign)
                      : amount);
        const std::string remarks = text(columns.remarks);
        if (PrintsRemarks(remarks)) out_.Line(cells.remarks, at, remarks);
    }

    SheetWriter out_;
    const OutputSource& source_;
    OutputProgress& progress_;
    int sheet_ = 0;
    int page_ = 0;
};

}  // namespace

FreeFormLines GatherFreeFormLines(const OutputSource& source) {
    FreeFormLines out;
    if (IsDetailOutput(source.choices)) {
        GatherDetailLines(source, out);
    } else {
        GatherGridLines(source, out);
    }
    while (!out.lines.empty() && IsBlank(out.lines.back())) out.lines.pop_back();
    return out;
}

int CountFreeFormPages(const OutputSource& source, const FreeFormLines& lines) {
    if (lines.lines.empty()) return 0;
    const TableDefinitions& defs = source.definitions;
    return PageCount(static_cast<int>(lines.lines.size()),
                     defs.Count(Field(source.choices, "1LinP1")),
                     defs.Count(Field(source.choices, "2LinP1")));
}

BookWriting WriteFreeFormOutput(OutputBook& book, const OutputSource& source,
                                const FreeFormLines& lines, int pages, OutputProgress& progress,
                                QString* error) {
    return output_detail::WriteBookWith(
        [&] { FreeFormWriter(book, source, progress).Run(lines, pages); }, error);
}

}  // namespace quilto
