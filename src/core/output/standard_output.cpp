#include "core/output/standard_output.h"

#include <algorithm>
#include <string>

#include "core/editor/line_kind.h"
#include "core/editor/sheet_layout.h"
#include "core/foundation/fixed4_arithmetic.h"
#include "core/foundation/number_text.h"
#include "core/foundation/text_bytes.h"
#include "core/output/output_values.h"
#include "core/output/sheet_writer.h"

namespace quilto {

namespace {

using output_detail::LineCell;
using output_detail::LineCellOf;
using output_detail::SheetWriter;

// The cover sheet, the first page of each section, and the sheets the copies follow.
constexpr int kCoverSheet = 1;
constexpr int kSummarySheet = 2;
constexpr int kBreakdownSheet = 3;
constexpr int kDetailSheet = 4;

// Lines the standard output counts at most per section.
constexpr int kSummaryLineCap = 1000;
constexpr int kBreakdownLineCap = 300;

// The separator between a breakdown number and its name in a detail heading, as stored:
// blanks around it are part of it.
std::string StoredSeparator(const TableDefinitions& definitions) {
    const TableField& field = TableFields()[TableFieldIndex("HBKsep")];
    const std::string& record = definitions.Record(field.file);
    const std::size_t length =
        std::min<std::size_t>(static_cast<unsigned char>(record[field.offset]), kCellFieldCapacity);
    return record.substr(field.offset + 1, length);
}

// Labour figures: three decimals in a width of 10, trimmed.
std::string LabourText(Fixed4 value) { return Trimmed(FormatPlain(10, 3, Fixed4ToText(value))); }

// The definition fields that place the figures of a summary or breakdown line, and those
// of its page head; an empty name where the sheet has no such figure (the breakdown has no
// unit prices). The cost figures, the margin and the remarks-with-cost field are used only
// when the cost is printed.
struct LineFields {
    std::string_view number, name, unit, quantity, unitPrice, amount, costUnitPrice, cost,
        remarksWithCost, remarksWithoutCost, margin, logo, page;
};

constexpr LineFields kSummaryFields{.number = "FGBan",
                                    .name = "FName",
                                    .unit = "FTanni",
                                    .quantity = "FSuu",
                                    .unitPrice = "FUtanka",
                                    .amount = "FUgou",
                                    .costUnitPrice = "FStanka",
                                    .cost = "FSGou",
                                    .remarksWithCost = "FTekiyo1",
                                    .remarksWithoutCost = "FTekiyo2",
                                    .margin = "FRes02",
                                    .logo = "Fadd2",
                                    .page = "FPage1"};

constexpr LineFields kBreakdownFields{.number = "DGBan",
                                      .name = "DName",
                                      .unit = "DTanni",
                                      .quantity = "DSuu",
                                      .unitPrice = {},
                                      .amount = "DUgou",
                                      .costUnitPrice = {},
                                      .cost = "DStanka",
                                      .remarksWithCost = "DTekiyo1",
                                      .remarksWithoutCost = "DTekiyo2",
                                      .margin = "DRes02",
                                      .logo = "Dadd2",
                                      .page = "DPage1"};

struct DetailCells {
    LineCell name, number, spec, unit, quantity, unitPrice, amount, costUnitPrice, cost, remarks,
        labourPrice, labourAmount, margin;
};

class StandardWriter {
  public:
    StandardWriter(OutputBook& book, const OutputSource& source, OutputProgress& progress)
        : out_(book, progress),
          source_(source),
          defs_(source.definitions),
          progress_(progress),
          cost_(source.choices.cost),
          discountSign_(source.environment.DiscountSign()),
          logo_(source.environment.Company(0, CompanyField::Logo)) {}

    void Run(const StandardPages& pages) {
        PrepareSheets(pages);
        if (pages.cover > 0) {
            sheet_ = kCoverSheet - 1;
            StartPage();
            WriteCover();
        }
        sheet_ = kCoverSheet;
        if (pages.summary > 0) {
            WriteSummary();
        } else {
            ++sheet_;  // past the hidden summary sheet
        }
        if (!cancelled_) {
            if (pages.breakdown > 0) {
                WriteBreakdown();
            } else {
                ++sheet_;
            }
        }
        if (!cancelled_ && pages.detail > 0) WriteDetails();
        out_.ActivateFirstVisible();
    }

  private:
    // Details first, so that the sheet numbers of the earlier sections stay valid.
    void PrepareSheets(const StandardPages& pages) {
        MakePages(kDetailSheet, pages.detail);
        MakePages(kBreakdownSheet, pages.breakdown);
        MakePages(kSummarySheet, pages.summary);
        if (pages.cover == 0) out_.Hide(kCoverSheet);
    }
    void MakePages(int sheet, int count) {
        if (count == 0) out_.Hide(sheet);
        for (int i = 1; i < count; ++i) out_.Copy(sheet, sheet - 1 + i);
    }

    void StartPage() {
        ++sheet_;
        progress_.Page(++done_);
        out_.Activate(sheet_);
    }

    // Lines 1..count on pages of `rows` lines; each page begins with header(). A cancel
    // ends the section and, through cancelled_, the run.
    template <typename Header, typename WriteLine>
    void Section(int count, int rows, Header header, WriteLine writeLine) {
        rows = EffectiveRowsPerPage(rows);
        StartPage();
        page_ = 1;
        header();
        int line = 0;
        for (int i = 1; i <= count; ++i) {
            if (progress_.Cancelled()) {
                cancelled_ = true;
                return;
            }
            if (++line > rows) {
                StartPage();
                ++page_;
                header();
                line = 1;
            }
            writeLine(i, line);
        }
    }

    void Fixed(std::string_view field, std::string_view value) { out_.Fixed(defs_, field, value); }
    std::string PageText() const { return std::to_string(page_); }
    LineCell Cell(std::string_view field, bool wanted = true) const {
        return wanted ? LineCellOf(defs_, field) : LineCell{};
    }

    void WriteCover() {
        const EstimateDocument& doc = source_.document;
        const Environment& env = source_.environment;
        Fixed("HMno", "'" + doc.Text(HeaderText::MNo));
        Fixed("HMBango", "'" + doc.Text(HeaderText::MBango));
        Fixed("HTitle1", doc.Text(HeaderText::MTitle1));
        Fixed("HName1", doc.Text(HeaderText::MName1));
        Fixed("HName2", doc.Text(HeaderText::MName2));
        Fixed("HTanto1", doc.Text(HeaderText::MTanto1));
        Fixed("HBasyo1", doc.Text(HeaderText::MBasyo1));
        Fixed("HYMD1", doc.Text(HeaderText::MYMD1));
        Fixed("HYMD2", doc.Text(HeaderText::MYMD2));
        Fixed("HYMD3", doc.Text(HeaderText::MYMD3));
        Fixed("HKigen1", doc.Text(HeaderText::MKigen1));
        Fixed("HBiko01", doc.Text(HeaderText::MBiko1));
        Fixed("HBiko02", doc.Text(HeaderText::MBiko2));
        Fixed("HBiko03", doc.Text(HeaderText::MBiko3));
        Fixed("HBiko04", doc.Text(HeaderText::MBiko4));
        Fixed("HBiko05", doc.Text(HeaderText::MBiko5));
        const std::string total = CleanNumber(doc.Figure(HeaderFigure::MGoukei01));
        const std::string beforeTax = CleanNumber(doc.Figure(HeaderFigure::MGoukei11));
        Fixed("HGoukei", total);
        Fixed("HGoukei1", beforeTax);
        Fixed("HGoukei2", Fixed4ToText(TextToFixed4(total) - TextToFixed4(beforeTax)));
        Fixed("Hadd1", doc.CheckBox2() ? env.TaxIncludedMessage() : env.TaxExcludedMessage());
        out_.Company(defs_, "", env);
        Fixed("Hadd2", logo_);
    }

    std::string Amount(const std::string& marker, const std::string& amount) const {
        if (LineKindOfMarker(marker) != LineKind::Nebiki) return amount;
        return DiscountAmount(amount, discountSign_);
    }

    void WriteSummary() {
        WriteLines(SheetKind::Summary, kSummaryFields, kSummaryLineCap, defs_.Rows().summary);
    }

    void WriteBreakdown() {
        WriteLines(SheetKind::Breakdown, kBreakdownFields, kBreakdownLineCap,
                   defs_.Rows().breakdown);
    }

    // The lines of the summary or the breakdown, each figure read from its column of the
    // sheet's grid and written to its field.
    void WriteLines(SheetKind sheet, const LineFields& f, int cap, int rowsPerPage) {
        const TextGrid& grid = source_.document.Grid(sheet);
        const SheetColumns& col = ColumnsOf(sheet);
        const auto field = [&](std::string_view name, bool wanted = true) {
            return Cell(name, wanted && !name.empty());
        };
        const LineCell number = field(f.number), name = field(f.name), unit = field(f.unit),
                       quantity = field(f.quantity), unitPrice = field(f.unitPrice),
                       amount = field(f.amount), costUnitPrice = field(f.costUnitPrice, cost_),
                       cost = field(f.cost, cost_),
                       remarks = field(cost_ ? f.remarksWithCost : f.remarksWithoutCost),
                       margin = field(f.margin, cost_);
        const auto header = [&] {
            Fixed(f.logo, logo_);
            Fixed(f.page, PageText());
        };
        const auto line = [&](int row, int at) {
            const auto cell = [&](int column) {
                return column == kNoColumn ? std::string() : grid.Cell(row, column);
            };
            out_.Line(number, at, TrimmedRight(cell(col.number)));
            out_.Line(name, at, TrimmedRight(cell(col.name)));
            out_.Line(unit, at, TrimmedRight(cell(col.unit)));
            out_.Line(quantity, at, cell(col.quantity));
            out_.Line(unitPrice, at, cell(col.unitPrice));
            out_.Line(amount, at, Amount(cell(col.marker), cell(col.amount)));
            out_.Line(costUnitPrice, at, cell(col.costUnitPrice));
            out_.Line(cost, at, cell(col.cost));
            WriteRemarks(remarks, at, cell(col.remarks));
            if (HasText(cell(col.amount)) && HasText(cell(col.cost)))
                out_.Line(margin, at, MarginRate(cell(col.amount), cell(col.cost)));
        };
        const int lines = std::min(LastUsedGridRow(grid), cap);
        Section(lines, rowsPerPage, header, line);
    }

    void WriteDetails() {
        const EstimateDocument& doc = source_.document;
        const TextGrid& grid = doc.Grid(SheetKind::Breakdown);
        const DetailCells c{Cell("EName"),        Cell("EGBan"),
                            Cell("EKikaku"),      Cell("ETanni"),
                            Cell("ESuu"),         Cell("EUtanka"),
                            Cell("EUgou"),        Cell("EStanka", cost_),
                            Cell("ESgou", cost_), Cell(cost_ ? "ETekiyo1" : "ETekiyo2"),
                            Cell("EKTan", cost_), Cell("EKake", cost_),
                            Cell("ERes02", cost_)};
        const std::string separator = StoredSeparator(defs_);
        const int last = LastUsedGridRow(grid);
        for (int row = 1; row <= last && !cancelled_; ++row) {
            if (!source_.choices.constructions[row] || !HasPrintableDetailSheet(doc, row)) continue;
            const SheetColumns& col = ColumnsOf(SheetKind::Breakdown);
            const std::string number = TrimmedRight(grid.Cell(row, col.number));
            const std::string heading =
                number + (HasText(number) ? separator : "") + Trimmed(grid.Cell(row, col.name));
            const auto header = [&] {
                Fixed("Eadd2", logo_);
                Fixed("Eadd1", heading);
                Fixed("EPage1", PageText());
            };
            const int lines = DetailLineCount(doc, row);
            const auto line = [&](int detail, int at) {
                if (detail > lines) return WriteDetailTotal(c, row, at);
                WriteDetailLine(c, doc.Stores().details.Line(row, detail), at);
            };
            Section(DetailPrintLineCount(doc, row), defs_.Rows().detail, header, line);
        }
    }

    void WriteDetailLine(const DetailCells& c, const LineRecord& record, int at) {
        const std::string code = record.Code();
        const std::string name = record.Name();
        const std::string spec = record.Spec();
        const std::string unit = record.Unit();
        if (!HasText(code) && !HasText(name) && !HasText(spec) && !HasText(unit)) {
            out_.Line(c.name, at, "");  // a free line keeps its row
            return;
        }
        const bool special = IsSpecialLine(LineKindOfMarker(code));
        const Fixed4 quantity = record.Quantity();
        const bool noQuantity = quantity.raw == 0;
        // A zero figure on a line without a quantity prints as blank.
        const auto figure = [&](Fixed4 value) {
            return value.raw == 0 && noQuantity ? std::string() : Fixed4ToText(value);
        };
        out_.Line(c.name, at, TrimmedRight(name));
        out_.Line(c.number, at, TrimmedRight(record.NumberText()));
        out_.Line(c.spec, at, TrimmedRight(spec));
        out_.Line(c.unit, at, TrimmedRight(unit));
        const bool figuresBlank = special || noQuantity;
        out_.Line(c.quantity, at, figuresBlank ? std::string() : Fixed4ToText(quantity));
        out_.Line(c.unitPrice, at, figuresBlank ? std::string() : Fixed4ToText(record.UnitPrice()));
        out_.Line(c.amount, at, figure(record.Amount()));
        out_.Line(c.costUnitPrice, at, figure(record.CostUnitPrice()));
        out_.Line(c.cost, at, figure(record.Cost()));
        WriteRemarks(c.remarks, at, record.Remarks());
        if (cost_) {
            const Fixed4 labour = record.LabourRate();
            out_.Line(c.labourPrice, at, noQuantity ? std::string() : LabourText(labour));
            out_.Line(c.labourAmount, at,
                      LabourText(noQuantity ? labour : Multiply(quantity, labour)));
            out_.Line(c.margin, at, MarginRate(record.Amount(), record.Cost()));
        }
    }

    // The total of a detail sheet that has no total line: the figures its breakdown line
    // holds (the editor's sums of the sheet), captioned as the editor captions a 計 line.
    void WriteDetailTotal(const DetailCells& c, int row, int at) {
        const TextGrid& grid = source_.document.Grid(SheetKind::Breakdown);
        const SheetColumns& col = ColumnsOf(SheetKind::Breakdown);
        out_.Line(c.name, at, TrimmedRight(source_.environment.Caption(LineCaption::Total)));
        out_.Line(c.amount, at, grid.Cell(row, col.amount));
        out_.Line(c.cost, at, grid.Cell(row, col.cost));
    }

    void WriteRemarks(const LineCell& cell, int at, std::string_view remarks) {
        std::string text = TrimmedRight(remarks);
        if (PrintsRemarks(text)) out_.Line(cell, at, text);
    }

    SheetWriter out_;
    const OutputSource& source_;
    const TableDefinitions& defs_;
    OutputProgress& progress_;
    const bool cost_;
    const bool discountSign_;
    const std::string logo_;
    int sheet_ = 0;  // the sheet being written, counted across the workbook
    int page_ = 0;   // the page within the section or construction
    int done_ = 0;   // pages begun, for the progress
    bool cancelled_ = false;
};

}  // namespace

StandardPages CountStandardPages(const OutputSource& source) {
    const OutputChoices& choices = source.choices;
    const EstimateDocument& doc = source.document;
    const RowsPerPage rows = source.definitions.Rows();
    StandardPages pages;
    pages.cover = choices.cover ? 1 : 0;
    if (rows.breakdown <= 0 || rows.summary <= 0) return pages;
    const auto count = [](int lines, int cap, int perPage) {
        return lines == 0 ? 0 : PageCount(std::min(lines, cap), perPage, perPage);
    };
    if (choices.summary)
        pages.summary =
            count(LastUsedGridRow(doc.Grid(SheetKind::Summary)), kSummaryLineCap, rows.summary);
    const int lastBreakdown = LastUsedGridRow(doc.Grid(SheetKind::Breakdown));
    if (choices.breakdown)
        pages.breakdown = count(lastBreakdown, kBreakdownLineCap, rows.breakdown);
    for (int row = 1; row <= lastBreakdown; ++row) {
        if (choices.constructions[row] && HasPrintableDetailSheet(doc, row))
            pages.detail += PageCount(DetailPrintLineCount(doc, row), rows.detail, rows.detail);
    }
    return pages;
}

BookWriting WriteStandardOutput(OutputBook& book, const OutputSource& source,
                                const StandardPages& pages, OutputProgress& progress,
                                QString* error) {
    return output_detail::WriteBookWith([&] { StandardWriter(book, source, progress).Run(pages); },
                                        error);
}

}  // namespace quilto
