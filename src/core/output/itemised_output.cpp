#include "core/output/itemised_output.h"

#include <string>

#include "core/excel/itemised_sheet_layout.h"
#include "core/foundation/cp932.h"
#include "core/foundation/fixed4_format.h"
#include "core/foundation/text_bytes.h"
#include "core/output/sheet_writer.h"

namespace quilto {

namespace {

namespace is = itemised_sheet;
using output_detail::SheetWriter;

std::string Cp932Of(const char* utf8) { return Utf8ToCp932(utf8).value_or(std::string()); }

// Amounts as plain numbers, which the book stores as numbers for the template's format;
// a zero class is left blank, so that a row shows what it is made of.
std::string Amount(Fixed4 value, bool blankWhenZero) {
    return blankWhenZero && value.raw == 0 ? std::string() : Fixed4ToText(value);
}

class ItemisedWriter {
  public:
    ItemisedWriter(OutputBook& book, const OutputSource& source, const ItemisedEstimate& itemised,
                   OutputProgress& progress)
        : out_(book, progress), source_(source), itemised_(itemised), progress_(progress) {}

    void Run(int sheet, int pages, int pagesBefore) {
        for (int i = 1; i < pages; ++i) out_.Copy(sheet, sheet - 1 + i);
        const int lines = static_cast<int>(itemised_.rows.size()) + 1;
        int line = 0;
        for (int page = 0; page < pages; ++page) {
            progress_.Page(pagesBefore + page + 1);
            out_.Activate(sheet + page);
            Heading();
            for (int at = 0; at < is::kLinesPerPage && line < lines; ++at, ++line) {
                if (progress_.Cancelled()) return;
                const int row = is::kFirstLineRow + at;
                if (line + 1 == lines) {
                    TotalLine(row);
                } else {
                    Line(row, itemised_.rows[static_cast<std::size_t>(line)]);
                }
            }
        }
    }

  private:
    void Heading() {
        const EstimateDocument& document = source_.document;
        out_.At(is::kNumberRow, is::kNumberColumn, document.Text(HeaderText::MBango));
        out_.At(is::kCustomerRow, is::kCustomerColumn, document.Text(HeaderText::MName1));
        out_.At(is::kTitleOfWorkRow, is::kTitleOfWorkColumn, document.Text(HeaderText::MTitle1));
        out_.At(is::kIssuerRow, is::kNameColumn,
                source_.environment.Company(0, CompanyField::Name1));
        if (itemised_.unclassified.raw != 0) {
            out_.At(is::kNoteRow, is::kNameColumn,
                    Cp932Of("※ 費目を分類していない明細の金額 ") +
                        Trimmed(DisplayNumber(itemised_.unclassified, 24, 0, true)) +
                        Cp932Of(" 円は、材料費に含めています。"));
        }
    }

    void Classes(int row, const ClassAmounts& classes, bool blankWhenZero) {
        for (int k = 0; k < kCostColumns; ++k) {
            out_.At(row, is::kFirstClassColumn + k,
                    Amount(classes[static_cast<std::size_t>(k)], blankWhenZero));
        }
    }

    void Line(int row, const ItemisedRow& line) {
        if (line.kind == ItemisedRowKind::Discount) {
            const std::string name = HasText(line.name) ? line.name : Cp932Of("値引");
            out_.At(row, is::kNameColumn, Cp932Of("　") + Trimmed(name));
        } else {
            out_.At(row, is::kNameColumn, line.name);
            Classes(row, line.classes, true);
            out_.At(row, is::kDaysColumn, Amount(line.days, true));
        }
        out_.At(row, is::kTotalColumn, Amount(line.total, false));
    }

    void TotalLine(int row) {
        out_.At(row, is::kNameColumn, Cp932Of("合　　計"));
        Classes(row, itemised_.classes, false);
        out_.At(row, is::kTotalColumn, Amount(itemised_.total, false));
    }

    SheetWriter out_;
    const OutputSource& source_;
    const ItemisedEstimate& itemised_;
    OutputProgress& progress_;
};

}  // namespace

bool TemplateHasItemisedSheet(int templateSheets) {
    return templateSheets >= kItemisedTemplateSheet;
}

int CountItemisedPages(const OutputSource& source, const ItemisedEstimate& itemised) {
    if (!source.choices.itemised || source.choices.freeForm) return 0;
    const int lines = static_cast<int>(itemised.rows.size()) + 1;
    return (lines + is::kLinesPerPage - 1) / is::kLinesPerPage;
}

BookWriting WriteItemisedOutput(OutputBook& book, const OutputSource& source,
                                const ItemisedEstimate& itemised, int templateSheets,
                                int pagesBefore, OutputProgress& progress, QString* error) {
    if (!TemplateHasItemisedSheet(templateSheets)) return BookWriting::kWritten;
    // The standard output's copies all land before it: it is still the template's fifth
    // sheet counted from the end.
    const int sheet = book.SheetCount() - (templateSheets - kItemisedTemplateSheet);
    const int pages = CountItemisedPages(source, itemised);
    return output_detail::WriteBookWith(
        [&] {
            ItemisedWriter writer(book, source, itemised, progress);
            SheetWriter out(book, progress);
            if (pages == 0) {
                out.Hide(sheet);
            } else {
                writer.Run(sheet, pages, pagesBefore);
            }
            out.ActivateFirstVisible();
        },
        error);
}

}  // namespace quilto
