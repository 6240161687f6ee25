// Makes the installation's XlsBase folder: the workbook templates of patterns 00-02
// (見積書nn, 原価表nn, 書式FnnA, 書式FnnB) and the table definitions XKPnn.Dat, XKPSeinn.Dat
// and XKPSeinn.invoice holding the definitions the program ships (ShippedTableDefinitions: the
// standard cells and the invoices' company block, registration number and tax per rate). The
// templates take every cell position from those same definitions, so a template and its definition
// cannot disagree.
//
// Usage: make_xlsbase OUTPUT_FOLDER

#include <xlsxwriter.h>

#include <QDir>
#include <QString>
#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "core/excel/itemised_sheet_layout.h"
#include "core/excel/table_definition.h"
#include "core/excel/table_definition_fields.h"
#include "core/excel/xlsx_package.h"
#include "core/foundation/atomic_file.h"
#include "core/foundation/cp932.h"

namespace quilto {
namespace {

constexpr lxw_color_t kNone = 0xFFFFFFFF;

// The look of one pattern.
struct Look {
    const char* font;       // body text
    const char* titleFont;  // titles
    lxw_color_t ink;        // text of headings and titles
    lxw_color_t band;       // fill of column headings
    lxw_color_t bandText;
    lxw_color_t zebra;    // fill of every other line, kNone for none
    bool landscape;       // quotation sheets across the page
    bool innerVerticals;  // ruled columns inside the line tables
};

const Look kLooks[3] = {
    // 00: the classic form: Mincho, black rules, grey headings, portrait.
    {"IPAPMincho", "IPAMincho", 0x000000, 0xD9D9D9, 0x000000, kNone, false, true},
    // 01: landscape, Gothic, green headings.
    {"IPAPGothic", "IPAGothic", 0x1E4D2B, 0xD8E8D0, 0x1E4D2B, kNone, true, true},
    // 02: modern: Gothic, navy band with white headings, light rows, horizontal rules only.
    {"IPAPGothic", "IPAGothic", 0x1F3864, 0x1F3864, 0xFFFFFF, 0xEEF2F8, false, false},
};

// A cell format, built on demand and shared between cells of the same description.
struct Style {
    double size = 10.5;
    bool bold = false;
    bool title = false;  // the title font
    uint8_t align = LXW_ALIGN_LEFT;
    uint8_t top = LXW_BORDER_NONE, bottom = LXW_BORDER_NONE, left = LXW_BORDER_NONE,
            right = LXW_BORDER_NONE;
    const char* number = nullptr;
    lxw_color_t fill = kNone;
    lxw_color_t color = 0x000000;
    bool shrink = false;
    bool wrap = false;
    bool italic = false;
    bool underline = false;
    int indent = 0;

    Style& Size(double s) {
        size = s;
        return *this;
    }
    Style& Bold() {
        bold = true;
        return *this;
    }
    Style& Title() {
        title = true;
        return *this;
    }
    Style& Align(uint8_t a) {
        align = a;
        return *this;
    }
    Style& Center() {
        align = LXW_ALIGN_CENTER;
        return *this;
    }
    Style& Right() {
        align = LXW_ALIGN_RIGHT;
        return *this;
    }
    Style& Box(uint8_t b = LXW_BORDER_THIN) {
        top = bottom = left = right = b;
        return *this;
    }
    Style& Top(uint8_t b) {
        top = b;
        return *this;
    }
    Style& Bottom(uint8_t b) {
        bottom = b;
        return *this;
    }
    Style& Left(uint8_t b) {
        left = b;
        return *this;
    }
    Style& RightRule(uint8_t b) {
        right = b;
        return *this;
    }
    Style& Number(const char* n) {
        number = n;
        return *this;
    }
    Style& Fill(lxw_color_t f) {
        fill = f;
        return *this;
    }
    Style& Color(lxw_color_t c) {
        color = c;
        return *this;
    }
    Style& Shrink() {
        shrink = true;
        return *this;
    }
    Style& Wrap() {
        wrap = true;
        return *this;
    }
    Style& Italic() {
        italic = true;
        return *this;
    }
    Style& Underline() {
        underline = true;
        return *this;
    }
    Style& Indent(int level) {
        indent = level;
        return *this;
    }
};

class Book {
  public:
    Book(const std::string& path, const Look& look) : look_(look) {
        book_ = workbook_new(path.c_str());
    }
    bool Close() { return workbook_close(book_) == LXW_NO_ERROR; }
    lxw_worksheet* Sheet(const char* name) { return workbook_add_worksheet(book_, name); }
    const Look& look() const { return look_; }

    lxw_format* Format(const Style& s) {
        char key[256];
        std::snprintf(key, sizeof key, "%g|%d%d%d|%d|%d%d%d%d|%s|%x|%x|%d%d%d%d", s.size, s.bold,
                      s.title, s.italic, s.align, s.top, s.bottom, s.left, s.right,
                      s.number ? s.number : "", s.fill, s.color, s.shrink, s.wrap, s.underline,
                      s.indent);
        auto found = formats_.find(key);
        if (found != formats_.end()) return found->second;
        lxw_format* f = workbook_add_format(book_);
        format_set_font_name(f, s.title ? look_.titleFont : look_.font);
        format_set_font_size(f, s.size);
        format_set_font_color(f, s.color);
        if (s.bold) format_set_bold(f);
        if (s.italic) format_set_italic(f);
        if (s.underline) format_set_underline(f, LXW_UNDERLINE_SINGLE);
        format_set_align(f, s.align);
        format_set_align(f, LXW_ALIGN_VERTICAL_CENTER);
        if (s.top) format_set_top(f, s.top);
        if (s.bottom) format_set_bottom(f, s.bottom);
        if (s.left) format_set_left(f, s.left);
        if (s.right) format_set_right(f, s.right);
        if (s.number) format_set_num_format(f, s.number);
        if (s.fill != kNone) {
            format_set_pattern(f, LXW_PATTERN_SOLID);
            format_set_bg_color(f, s.fill);
        }
        if (s.shrink) format_set_shrink(f);
        if (s.wrap) format_set_text_wrap(f);
        if (s.indent) format_set_indent(f, static_cast<uint8_t>(s.indent));
        formats_.emplace(key, f);
        return f;
    }

    // The look of a cell that shows nothing (a conditional format's).
    lxw_format* Hidden() {
        if (hidden_ == nullptr) {
            hidden_ = workbook_add_format(book_);
            format_set_num_format(hidden_, ";;;");
        }
        return hidden_;
    }

  private:
    lxw_workbook* book_;
    lxw_format* hidden_ = nullptr;
    Look look_;
    std::map<std::string, lxw_format*> formats_;
};

// Writes into a sheet by the 1-based rows and columns of the definitions.
class Page {
  public:
    Page(Book& book, lxw_worksheet* sheet) : book_(book), sheet_(sheet) {}
    lxw_worksheet* sheet() { return sheet_; }

    void Text(int row, int column, const char* text, const Style& style) {
        worksheet_write_string(sheet_, row - 1, column - 1, text, book_.Format(style));
    }
    void Blank(int row, int column, const Style& style) {
        worksheet_write_blank(sheet_, row - 1, column - 1, book_.Format(style));
    }
    // A merged range; text may be "" for a field the engine fills in.
    void Merge(int row, int column, int lastRow, int lastColumn, const char* text,
               const Style& style) {
        if (row == lastRow && column == lastColumn) {
            if (*text)
                Text(row, column, text, style);
            else
                Blank(row, column, style);
            return;
        }
        worksheet_merge_range(sheet_, row - 1, column - 1, lastRow - 1, lastColumn - 1, text,
                              book_.Format(style));
    }
    void Columns(int first, int last, double width) {
        worksheet_set_column(sheet_, first - 1, last - 1, width, nullptr);
    }
    void Height(int row, double points) { worksheet_set_row(sheet_, row - 1, points, nullptr); }
    // Cells row, column..lastColumn show nothing while the cell at (zeroRow, zeroColumn)
    // holds 0 or nothing.
    void HideWhileZero(int row, int column, int lastColumn, int zeroRow, int zeroColumn) {
        lxw_format* hidden = book_.Hidden();
        char rule[32];
        lxw_rowcol_to_cell_abs(rule + 1, zeroRow - 1, zeroColumn - 1, 1, 1);
        rule[0] = '=';
        std::string formula = std::string(rule) + "=0";
        lxw_conditional_format condition = {};
        condition.type = LXW_CONDITIONAL_TYPE_FORMULA;
        condition.value_string = formula.data();
        condition.format = hidden;
        worksheet_conditional_format_range(sheet_, row - 1, column - 1, row - 1, lastColumn - 1,
                                           &condition);
    }
    // A4, fitted to one page, centred, with the print area given.
    void Print(int lastRow, int lastColumn, bool landscape, const char* footer) {
        worksheet_set_paper(sheet_, 9);  // A4
        if (landscape)
            worksheet_set_landscape(sheet_);
        else
            worksheet_set_portrait(sheet_);
        worksheet_set_margins(sheet_, 0.55, 0.45, 0.6, 0.6);
        worksheet_center_horizontally(sheet_);
        worksheet_fit_to_pages(sheet_, 1, 1);
        worksheet_print_area(sheet_, 0, 0, lastRow - 1, lastColumn - 1);
        worksheet_gridlines(sheet_, LXW_HIDE_ALL_GRIDLINES);
        if (footer) worksheet_set_footer(sheet_, footer);
    }

  private:
    Book& book_;
    lxw_worksheet* sheet_;
};

struct Cell {
    int row = 0, column = 0;
};

class Definitions {
  public:
    explicit Definitions(const TableDefinitions& defs) : defs_(defs) {}
    Cell At(const std::string& field) const {
        const CellPosition p = defs_.Cell(field);
        if (!p.IsValid()) {
            std::fprintf(stderr, "make_xlsbase: the standard definition has no cell for %s\n",
                         field.c_str());
            std::exit(1);
        }
        return {p.row, p.column};
    }
    int Count(const std::string& field) const { return defs_.Count(field); }

  private:
    const TableDefinitions& defs_;
};

const char kYen[] = "\"￥\"#,##0\"-\"";
const char kAmountFormat[] = "#,##0_ ;\"-\"#,##0_ ";
const char kQuantityFormat[] = "General_ ";
const char kPage[] = "0\" 頁\"";
const char kBeforeTax[] = "\"税抜金額　￥\"#,##0\"-\"";
const char kTax[] = "\"消費税額　￥\"#,##0\"-\";\"消費税額　-￥\"#,##0\"-\";\"\"";

// libxlsxwriter's workbooks keep Calibri as the font of the Normal style, which sets the
// unit of column widths and the default row height. Machines without Calibri measure it
// differently, so the Normal style takes the pattern's Japanese font instead.
bool UseFontForNormalStyle(const std::string& path, const char* font) {
    const QString file = QString::fromStdString(path);
    const std::optional<std::string> bytes = ReadWholeFile(file, 64 << 20);
    XlsxPackage package;
    QString error;
    if (!bytes || !ReadXlsxPackage(*bytes, &package, &error)) return false;
    std::string& styles = package.parts["xl/styles.xml"];
    const std::size_t first = styles.find("<font>");
    const std::size_t end = styles.find("</font>", first);
    if (first == std::string::npos || end == std::string::npos) return false;
    styles.replace(first, end - first,
                   std::string("<font><sz val=\"11\"/><color theme=\"1\"/><name val=\"") + font +
                       "\"/><family val=\"3\"/><charset val=\"128\"/>");
    std::string zip;
    return WriteXlsxPackage(package, &zip, &error) && SaveFileAtomically(file, zip);
}

// ---- The cover of the quotation ----

void Cover(Book& book, const Definitions& d, bool cost) {
    const Look& look = book.look();
    Page p(book, book.Sheet("表紙"));
    const int lastColumn = 32;  // AF
    p.Columns(1, lastColumn, look.landscape ? 4.6 : 3.3);
    for (int row = 1; row <= 34; ++row) p.Height(row, look.landscape ? 27 : 39);
    p.Height(2, look.landscape ? 56 : 70);
    p.Height(5, look.landscape ? 40 : 50);
    p.Height(10, look.landscape ? 50 : 60);

    const Style body = Style().Size(12).Color(0);
    const Style label = Style(body).Color(look.ink);
    p.Merge(2, 10, 2, 23, cost ? "原　価　表" : "御　見　積　書",
            Style().Title().Size(28).Bold().Center().Color(look.ink).Bottom(LXW_BORDER_DOUBLE));

    const Cell number = d.At("HMBango");
    const Cell date = d.At("HYMD1");
    p.Merge(number.row, number.column - 3, number.row, number.column - 1, "見積番号",
            Style(label).Right().Size(9.5));
    p.Merge(number.row, number.column, number.row, lastColumn, "",
            Style(body).Right().Shrink().Bottom(LXW_BORDER_HAIR));
    p.Merge(date.row, date.column - 3, date.row, date.column - 1, "見積日",
            Style(label).Right().Size(9.5));
    p.Merge(date.row, date.column, date.row, lastColumn, "",
            Style(body).Right().Shrink().Bottom(LXW_BORDER_HAIR));

    const Cell customer = d.At("HName1");
    p.Merge(customer.row, customer.column, customer.row, customer.column + 12, "",
            Style(body).Title().Size(19).Shrink().Bottom(LXW_BORDER_THIN));
    p.Text(customer.row, customer.column + 13, "様",
           Style(body).Title().Size(19).Bottom(LXW_BORDER_THIN));
    p.Merge(customer.row + 2, customer.column - 2, customer.row + 2, customer.column + 12,
            "下記の通り御見積申し上げます。", body);

    const Cell total = d.At("HGoukei");
    const Cell taxNote = d.At("Hadd1");
    p.Merge(total.row, 3, total.row, total.column - 2, "御見積金額",
            Style(label).Title().Size(16).Bold().Center().Bottom(LXW_BORDER_DOUBLE));
    p.Blank(total.row, total.column - 1, Style().Bottom(LXW_BORDER_DOUBLE));
    p.Merge(total.row, total.column, total.row, total.column + 8, "",
            Style(body).Title().Size(24).Bold().Right().Number(kYen).Shrink().Bottom(
                LXW_BORDER_DOUBLE));
    p.Merge(taxNote.row, taxNote.column, taxNote.row, taxNote.column + 9, "",
            Style(body).Size(9.5).Right());

    // Beside the estimate amount, the amount before tax and the tax, so that a client reads
    // what the amount holds without asking. Both say nothing when there is no tax: the tax's
    // format leaves a zero blank and the amount before tax then hides (a conditional format
    // of the template, not a formula in a cell).
    const Cell beforeTax = d.At("HGoukei1");
    const Cell tax = d.At("HGoukei2");
    p.Merge(beforeTax.row, beforeTax.column, beforeTax.row, lastColumn, "",
            Style(body).Size(11).Right().Number(kBeforeTax).Shrink());
    p.Merge(tax.row, tax.column, tax.row, lastColumn, "",
            Style(body).Size(11).Right().Number(kTax).Shrink());
    p.HideWhileZero(beforeTax.row, beforeTax.column, lastColumn, tax.row, tax.column);

    // The particulars: labels left of each field.
    const Cell title = d.At("HTitle1");
    p.Merge(title.row - 2, 3, title.row - 2, 22, "記", Style(body).Center());
    const auto particular = [&](const char* field, const char* caption, int lastColumnOfValue) {
        const Cell c = d.At(field);
        p.Merge(c.row, 3, c.row, c.column - 1, caption, Style(label).Bold());
        p.Merge(c.row, c.column, c.row, lastColumnOfValue, "",
                Style(body).Shrink().Bottom(LXW_BORDER_HAIR));
    };
    particular("HTitle1", "工　事　名", 22);
    particular("HBasyo1", "工事場所", 22);
    const Cell from = d.At("HYMD2");
    const Cell to = d.At("HYMD3");
    particular("HYMD2", "工事期間", to.column - 2);
    p.Text(from.row, to.column - 1, "～", Style(body).Center().Bottom(LXW_BORDER_HAIR));
    p.Merge(to.row, to.column, to.row, 22, "", Style(body).Shrink().Bottom(LXW_BORDER_HAIR));
    particular("HKigen1", "有効期限", 22);
    const Cell remark = d.At("HBiko01");
    p.Merge(remark.row, 3, remark.row, remark.column - 1, "備　　考", Style(label).Bold());
    for (const char* field : {"HBiko01", "HBiko02", "HBiko03", "HBiko04", "HBiko05"}) {
        const Cell c = d.At(field);
        p.Merge(c.row, c.column, c.row, 22, "",
                Style(body).Size(9.5).Shrink().Bottom(LXW_BORDER_DOTTED));
    }

    // The company block with its stamp boxes.
    const Cell name1 = d.At("HJName1");
    p.Merge(name1.row, name1.column, name1.row, lastColumn, "",
            Style(body).Title().Size(13).Bold().Shrink());
    for (const char* field : {"HJName2", "HJUbin", "HJJyu1", "HJJyu2"}) {
        const Cell c = d.At(field);
        p.Merge(c.row, c.column, c.row, lastColumn, "", Style(body).Size(9.5).Shrink());
    }
    const std::pair<const char*, const char*> contacts[] = {
        {"HJTel", "TEL"}, {"HJFax", "FAX"}, {"HJDaihyo", "代表者"}, {"HJTanto", "担当者"}};
    for (const auto& [field, caption] : contacts) {
        const Cell c = d.At(field);
        p.Merge(c.row, name1.column, c.row, c.column - 1, caption, Style(label).Size(9));
        p.Merge(c.row, c.column, c.row, lastColumn, "", Style(body).Size(9.5).Shrink());
    }
    const Cell person = d.At("HJTanto");
    const char* stamps[] = {"承認", "確認", "担当"};
    for (int i = 0; i < 3; ++i) {
        const int column = lastColumn - 5 + 2 * i;
        p.Merge(person.row + 2, column, person.row + 2, column + 1, stamps[i],
                Style(label).Size(8).Center().Box(LXW_BORDER_THIN));
        p.Merge(person.row + 3, column, person.row + 5, column + 1, "",
                Style().Box(LXW_BORDER_THIN));
    }
    const Cell logo = d.At("Hadd2");
    p.Merge(logo.row, logo.column, logo.row, lastColumn, "",
            Style(body).Title().Size(11).Bold().Italic().Right().Color(look.ink));
    p.Print(logo.row + 1, lastColumn, look.landscape, nullptr);
}

// ---- Line sheets: summary, breakdown, detail ----

struct Column {
    const char* field;
    const char* caption;
    double width;
    enum Kind { kCode, kText, kQuantity, kUnit, kAmount } kind;
};

// Alignment and number format of a line cell by what it holds.
void ApplyKind(Style& s, Column::Kind kind) {
    switch (kind) {
        case Column::kCode:
            s.Center();
            break;
        case Column::kText:
            s.Indent(1);
            break;
        case Column::kUnit:
            s.Center();
            break;
        case Column::kQuantity:
            s.Right().Number(kQuantityFormat);
            break;
        case Column::kAmount:
            s.Right().Number(kAmountFormat);
            break;
    }
}

void LineSheet(Book& book, const Definitions& d, const char* sheetName, const char* title,
               const char* rowsField, const std::vector<Column>& columns, const char* logoField,
               const char* headingField) {
    const Look& look = book.look();
    Page p(book, book.Sheet(sheetName));
    const int rows = d.Count(rowsField) > 0 ? d.Count(rowsField) : kDefaultRowsPerPage;
    const int firstRow = d.At(columns.front().field).row;
    int lastColumn = 0;
    p.Columns(1, 1, 1.5);
    const double widen = look.landscape ? 1.45 : 1.0;
    for (const Column& c : columns) {
        const Cell cell = d.At(c.field);
        if (cell.row != firstRow) {
            std::fprintf(stderr, "make_xlsbase: %s is not on the first line's row\n", c.field);
            std::exit(1);
        }
        p.Columns(cell.column, cell.column, c.width * widen);
        lastColumn = std::max(lastColumn, cell.column);
    }
    const double lineHeight = look.landscape ? 25 : 42;
    const bool twoLines = lineHeight >= 2 * 14;
    p.Height(1, 30);
    p.Height(firstRow - 1, 22);
    for (int row = firstRow; row < firstRow + rows; ++row) p.Height(row, lineHeight);

    // Title line; on the detail sheet the construction's heading goes left of the title.
    const Style titleStyle = Style().Title().Size(16).Bold().Color(look.ink);
    if (headingField != nullptr) {
        const Cell heading = d.At(headingField);
        p.Merge(heading.row, heading.column, heading.row, heading.column + 1, "",
                Style().Title().Size(13).Bold().Shrink().Bottom(LXW_BORDER_THIN));
        p.Merge(1, heading.column + 2, 1, lastColumn, title, Style(titleStyle).Right());
    } else {
        p.Merge(1, 2, 1, lastColumn, title, Style(titleStyle).Center());
    }

    const uint8_t frame = LXW_BORDER_MEDIUM;
    const uint8_t hair = LXW_BORDER_HAIR;
    const uint8_t inner = look.innerVerticals ? LXW_BORDER_THIN : LXW_BORDER_NONE;
    for (std::size_t i = 0; i < columns.size(); ++i) {
        const Cell cell = d.At(columns[i].field);
        const bool first = i == 0;
        const bool last = i + 1 == columns.size();
        Style head = Style()
                         .Size(10)
                         .Bold()
                         .Center()
                         .Fill(look.band)
                         .Color(look.bandText)
                         .Top(frame)
                         .Bottom(LXW_BORDER_THIN)
                         .Left(first ? frame : inner)
                         .RightRule(last ? frame : inner);
        p.Text(firstRow - 1, cell.column, columns[i].caption, head);
        for (int line = 0; line < rows; ++line) {
            const int row = firstRow + line;
            Style s = Style()
                          .Size(columns[i].kind == Column::kText ? 11 : 10.5)
                          .Left(first ? frame : inner)
                          .RightRule(last ? frame : inner)
                          .Bottom(line + 1 == rows ? frame : hair);
            if (look.zebra != kNone && line % 2 == 1) s.Fill(look.zebra);
            ApplyKind(s, columns[i].kind);
            // A long name or specification (「t=100 ワイヤーメッシュ共」) is never clipped: a
            // line tall enough for two takes it on two, a flat one shrinks it to fit.
            if (columns[i].kind == Column::kText) twoLines ? s.Wrap() : s.Shrink();
            p.Blank(row, cell.column, s);
        }
    }
    const Cell logo = d.At(logoField);
    p.Height(logo.row, 22);
    p.Merge(logo.row, logo.column, logo.row, lastColumn, "",
            Style().Title().Size(11).Bold().Italic().Right().Color(look.ink));
    p.Print(logo.row, lastColumn, look.landscape, "&C&\"IPAPGothic\"&9&P / &N");
}

// ---- The itemised estimate (材料費等内訳書): per work type the six cost amounts ----

void ItemisedSheet(Book& book) {
    namespace is = itemised_sheet;
    const Look& look = book.look();
    Page p(book, book.Sheet(is::kSheetName));
    p.Columns(1, 1, 1.5);
    p.Columns(is::kNameColumn, is::kNameColumn, 30);
    p.Columns(is::kFirstClassColumn, is::kTotalColumn, 12.5);
    p.Columns(is::kDaysColumn, is::kDaysColumn, 8);
    p.Height(is::kTitleRow, 34);
    p.Height(is::kHeadingRow, 30);
    for (int row = is::kFirstLineRow; row < is::kFirstLineRow + is::kLinesPerPage; ++row)
        p.Height(row, 24);

    const int last = is::kLastColumn;
    p.Merge(is::kTitleRow, is::kNameColumn, is::kTitleRow, last, "材　料　費　等　内　訳　書",
            Style().Title().Size(16).Bold().Center().Color(look.ink).Bottom(LXW_BORDER_DOUBLE));
    const Style label = Style().Size(10).Color(look.ink).Right();
    const Style value = Style().Size(11).Shrink().Bottom(LXW_BORDER_HAIR);
    p.Text(is::kNumberRow, is::kNumberColumn - 1, "見積番号", label);
    p.Merge(is::kNumberRow, is::kNumberColumn, is::kNumberRow, is::kNumberColumn + 1, "", value);
    p.Text(is::kCustomerRow, is::kCustomerColumn - 1, "お客様", label);
    p.Merge(is::kCustomerRow, is::kCustomerColumn, is::kCustomerRow, last, "", value);
    p.Text(is::kTitleOfWorkRow, is::kTitleOfWorkColumn - 1, "工事名称", label);
    p.Merge(is::kTitleOfWorkRow, is::kTitleOfWorkColumn, is::kTitleOfWorkRow, last, "", value);

    const char* captions[] = {
        "工　　種",      "材料費",     "労務費",     "法定福利費\n(事業主負担)",
        "安全衛生経費",  "建退共掛金", "その他経費", "合　計",
        "作業日数\n(日)"};
    const uint8_t frame = LXW_BORDER_MEDIUM;
    const uint8_t hair = LXW_BORDER_HAIR;
    const uint8_t inner = look.innerVerticals ? LXW_BORDER_THIN : LXW_BORDER_NONE;
    for (int column = is::kNameColumn; column <= last; ++column) {
        const bool first = column == is::kNameColumn;
        const bool lastOne = column == last;
        p.Text(is::kHeadingRow, column, captions[column - is::kNameColumn],
               Style()
                   .Size(9.5)
                   .Bold()
                   .Center()
                   .Wrap()
                   .Fill(look.band)
                   .Color(look.bandText)
                   .Top(frame)
                   .Bottom(LXW_BORDER_THIN)
                   .Left(first ? frame : inner)
                   .RightRule(lastOne ? frame : inner));
        for (int line = 0; line < is::kLinesPerPage; ++line) {
            Style s = Style()
                          .Size(10.5)
                          .Left(first ? frame : inner)
                          .RightRule(lastOne ? frame : inner)
                          .Bottom(line + 1 == is::kLinesPerPage ? frame : hair);
            if (look.zebra != kNone && line % 2 == 1) s.Fill(look.zebra);
            if (first) {
                s.Indent(1).Shrink();
            } else if (column == is::kDaysColumn) {
                s.Right().Number("0.0_ ;-0.0_ ");
            } else {
                s.Right().Number(kAmountFormat);
                if (column == is::kTotalColumn) s.Bold();
            }
            p.Blank(is::kFirstLineRow + line, column, s);
        }
    }
    p.Height(is::kIssuerRow, 24);
    p.Merge(is::kIssuerRow, is::kNameColumn, is::kIssuerRow, last, "",
            Style().Title().Size(11).Bold().Right().Color(look.ink));
    p.Merge(is::kNoteRow, is::kNameColumn, is::kNoteRow, last, "", Style().Size(9).Color(look.ink));
    p.Print(is::kNoteRow, last, true, "&C&\"IPAPGothic\"&9&P / &N");
}

bool QuotationWorkbook(const std::string& path, const Look& look, const Definitions& d, bool cost) {
    Book book(path, look);
    Cover(book, d, cost);
    using C = Column;
    std::vector<Column> summary = {{"FGBan", "番号", 6, C::kCode},
                                   {"FName", "名　　　称", 38, C::kText},
                                   {"FSuu", "数量", 9, C::kQuantity},
                                   {"FTanni", "単位", 6, C::kUnit},
                                   {"FUgou", "金　　額", 16, C::kAmount}};
    std::vector<Column> breakdown = {{"DGBan", "番号", 6, C::kCode},
                                     {"DName", "名　　　称", 38, C::kText},
                                     {"DSuu", "数量", 9, C::kQuantity},
                                     {"DTanni", "単位", 6, C::kUnit},
                                     {"DUgou", "金　　額", 16, C::kAmount}};
    std::vector<Column> detail = {
        {"EGBan", "番号", 5, C::kCode},        {"EName", "品　　名", 26, C::kText},
        {"EKikaku", "規　　格", 18, C::kText}, {"ESuu", "数量", 8, C::kQuantity},
        {"ETanni", "単位", 5, C::kUnit},       {"EUtanka", "単　価", 11, C::kAmount},
        {"EUgou", "金　　額", 13, C::kAmount}};
    if (cost) {
        summary.push_back({"FSGou", "原　　価", 16, C::kAmount});
        summary.push_back({"FTekiyo1", "摘　　要", 20, C::kText});
        breakdown.push_back({"DStanka", "原　　価", 16, C::kAmount});
        breakdown.push_back({"DTekiyo1", "摘　　要", 20, C::kText});
        detail.push_back({"ESgou", "原　価", 12, C::kAmount});
        detail.push_back({"ETekiyo1", "摘　　要", 15, C::kText});
    } else {
        summary.push_back({"FTekiyo2", "摘　　要", 24, C::kText});
        breakdown.push_back({"DTekiyo2", "摘　　要", 24, C::kText});
        detail.push_back({"ETekiyo2", "摘　　要", 18, C::kText});
    }
    LineSheet(book, d, "総括書", cost ? "原　価　総　括　書" : "総　括　書", "GyoF1", summary,
              "Fadd2", nullptr);
    LineSheet(book, d, "内訳書", cost ? "原　価　内　訳　書" : "内　訳　書", "GyoD1", breakdown,
              "Dadd2", nullptr);
    LineSheet(book, d, "明細書", cost ? "原　価　明　細　書" : "明　細　書", "GyoE1", detail,
              "Eadd2", "Eadd1");
    ItemisedSheet(book);
    return book.Close() && UseFontForNormalStyle(path, look.font);
}

// ---- Free-form documents (invoices): a first page with the heading block, then lines ----

// Line columns of a free-form page: [first, last] of each merged cell.
struct Span {
    std::string field;  // SA1.../SB1...; the following page uses the SA2/SB2 twin
    const char* caption;
    Column::Kind kind;
};

std::string Twin(const std::string& field) {  // SA1Name -> SA2Name
    std::string twin = field;
    twin[2] = '2';
    return twin;
}

void FreeLines(Page& p, const Look& look, const Definitions& d, const std::vector<Span>& spans,
               bool followingPage, int lines, int lastColumn, double lineHeight) {
    std::vector<Cell> starts;
    for (const Span& s : spans) starts.push_back(d.At(followingPage ? Twin(s.field) : s.field));
    const int firstRow = starts.front().row;
    const uint8_t frame = LXW_BORDER_MEDIUM;
    const uint8_t hair = LXW_BORDER_HAIR;
    const uint8_t inner = look.innerVerticals ? LXW_BORDER_THIN : LXW_BORDER_NONE;
    p.Height(firstRow - 1, 20);
    for (std::size_t i = 0; i < spans.size(); ++i) {
        const int first = starts[i].column;
        const int last = i + 1 < spans.size() ? starts[i + 1].column - 1 : lastColumn;
        const bool left = i == 0, right = i + 1 == spans.size();
        p.Merge(firstRow - 1, first, firstRow - 1, last, spans[i].caption,
                Style()
                    .Size(10)
                    .Bold()
                    .Center()
                    .Fill(look.band)
                    .Color(look.bandText)
                    .Top(frame)
                    .Bottom(LXW_BORDER_THIN)
                    .Left(left ? frame : inner)
                    .RightRule(right ? frame : inner));
        for (int line = 0; line < lines; ++line) {
            Style s = Style()
                          .Size(10)
                          .Left(left ? frame : inner)
                          .RightRule(right ? frame : inner)
                          .Bottom(line + 1 == lines ? frame : hair);
            if (look.zebra != kNone && line % 2 == 1) s.Fill(look.zebra);
            ApplyKind(s, spans[i].kind);
            p.Merge(firstRow + line, first, firstRow + line, last, "", s);
        }
    }
    for (int line = 0; line < lines; ++line) p.Height(firstRow + line, lineHeight);
}

bool FreeFormWorkbook(const std::string& path, const Look& look, const Definitions& d, char part) {
    Book book(path, look);
    const std::string prefix = std::string("S") + part;
    const auto f = [&](const std::string& suffix) {
        return prefix + suffix;
    };                          // "1Name" -> "SA1Name"
    const int lastColumn = 20;  // T
    // Part A lines: number, name, quantity, amount, remarks. Part B adds the unit price.
    std::vector<Span> spans = {{"1GBan", "番号", Column::kCode},
                               {"1Name", "品　　名", Column::kText},
                               {"1Suu", "数量", Column::kQuantity}};
    if (part == 'B') spans.push_back({"1Utanka", "単　価", Column::kAmount});
    spans.push_back({"1Ugou", "金　　額", Column::kAmount});
    spans.push_back({"1Tekiyo", "摘　　要", Column::kText});
    for (Span& span : spans) span.field = f(span.field);

    const Style body;
    const Style label = Style().Color(look.ink);
    const char* documentTitle = part == 'A' ? "御　請　求　書" : "御 請 求 明 細 書";

    // First page.
    {
        Page p(book, book.Sheet("1頁"));
        p.Columns(1, lastColumn - 1, look.landscape ? 5.2 : 4.4);
        p.Columns(lastColumn, lastColumn, 11);
        for (int row = 1; row <= 41; ++row) p.Height(row, 23);
        const Cell page = d.At(f("1Page1"));
        const Cell number = d.At(f("1HMno"));
        p.Blank(page.row, page.column, Style(body).Size(9.5).Right().Number(kPage));
        p.Merge(number.row, number.column - 3, number.row, number.column - 1, "請求番号",
                Style(label).Size(9).Right());
        p.Blank(number.row, number.column,
                Style(body).Size(9.5).Right().Shrink().Bottom(LXW_BORDER_HAIR));
        p.Height(1, 22);
        p.Height(2, 28);
        p.Merge(1, 6, 2, 14, documentTitle,
                Style().Title().Size(22).Bold().Center().Color(look.ink).Bottom(LXW_BORDER_DOUBLE));
        const Cell date = d.At(f("1HYMD1"));
        p.Merge(date.row, date.column - 2, date.row, date.column - 1, "発行日",
                Style(label).Size(9.5));
        p.Merge(date.row, date.column, date.row, date.column + 4, "",
                Style(body).Shrink().Bottom(LXW_BORDER_HAIR));
        const Cell customer = d.At(f("1HName1"));
        p.Height(customer.row, 28);
        p.Merge(customer.row, customer.column, customer.row, customer.column + 7, "",
                Style(body).Title().Size(15).Shrink().Bottom(LXW_BORDER_THIN));
        p.Text(customer.row, customer.column + 8, "様",
               Style(body).Title().Size(15).Bottom(LXW_BORDER_THIN));
        p.Merge(
            customer.row + 2, 1, customer.row + 2, 11,
            part == 'A' ? "下記の通りご請求申し上げます。" : "下記の明細の通りご請求申し上げます。",
            body);
        const Cell amount = d.At(f("1HGoukeiU"));
        p.Height(amount.row, 30);
        p.Merge(amount.row, 1, amount.row, amount.column - 1, "ご請求金額",
                Style(label).Title().Size(13).Bold().Center().Bottom(LXW_BORDER_DOUBLE));
        p.Merge(amount.row, amount.column, amount.row, amount.column + 6, "",
                Style(body).Title().Size(18).Bold().Right().Number(kYen).Shrink().Bottom(
                    LXW_BORDER_DOUBLE));
        const Cell tax = d.At(f("1Hadd1"));
        p.Merge(tax.row, tax.column, tax.row, tax.column + 8, "", Style(body).Size(9).Right());

        // The issuer (the shipped company block): name, address, then captioned items.
        const Cell issuer = d.At(f("1HJName1"));
        p.Merge(issuer.row, issuer.column, issuer.row, lastColumn, "",
                Style(body).Title().Size(12).Bold().Shrink());
        for (const char* field : {"1HJName2", "1HJJyu1", "1HJJyu2"}) {
            const Cell c = d.At(f(field));
            p.Merge(c.row, c.column, c.row, lastColumn, "", Style(body).Size(9.5).Shrink());
        }
        const Cell fax = d.At(f("1HJFax"));
        struct Captioned {
            const char* field;
            const char* caption;
            int captionFrom, valueTo;
        };
        const Captioned captioned[] = {{"1HJUbin", "〒", issuer.column, lastColumn},
                                       {"1HJTel", "TEL", issuer.column, fax.column - 2},
                                       {"1HJFax", "FAX", fax.column - 1, lastColumn},
                                       {"1HJDaihyo", "代表者", issuer.column, lastColumn},
                                       {"1HJTanto", "担当者", issuer.column, lastColumn}};
        for (const Captioned& item : captioned) {
            const Cell c = d.At(f(item.field));
            const Style caption = Style(label).Size(9);
            if (item.captionFrom == c.column - 1) {
                p.Text(c.row, c.column - 1, item.caption, caption);
            } else {
                p.Merge(c.row, item.captionFrom, c.row, c.column - 1, item.caption, caption);
            }
            p.Merge(c.row, c.column, c.row, item.valueTo, "", Style(body).Size(9.5).Shrink());
        }

        // The registration number under the issuer: the output writes it with its caption,
        // so a firm without one prints nothing there.
        const Cell registration = d.At(f("1HJTouroku"));
        p.Merge(registration.row, registration.column, registration.row, lastColumn, "",
                Style(body).Size(9.5).Shrink());

        const int lines = d.Count(f("1LinP1")) > 0 ? d.Count(f("1LinP1")) : kDefaultRowsPerPage;
        FreeLines(p, look, d, spans, false, lines, lastColumn, 25);

        // The tax per rate, left of the totals: rate, the amount it applies to, the tax.
        const Cell rate = d.At(f("1HZRitu"));
        const Cell base = d.At(f("1HZTaisyo"));
        const Cell rateTax = d.At(f("1HZGaku"));
        const int rateTaxEnd = rateTax.column + (base.column - rate.column) - 1;
        const Style heading = Style(label)
                                  .Size(9.5)
                                  .Bold()
                                  .Center()
                                  .Fill(look.band)
                                  .Color(look.bandText)
                                  .Box(LXW_BORDER_THIN);
        p.Merge(rate.row - 1, rate.column, rate.row - 1, base.column - 1, "税率区分", heading);
        p.Merge(rate.row - 1, base.column, rate.row - 1, rateTax.column - 1, "対象金額", heading);
        p.Merge(rate.row - 1, rateTax.column, rate.row - 1, rateTaxEnd, "消費税額", heading);
        const Style figure =
            Style(body).Size(10).Right().Number(kAmountFormat).Shrink().Box(LXW_BORDER_THIN);
        p.Merge(rate.row, rate.column, rate.row, base.column - 1, "",
                Style(body).Size(10).Center().Shrink().Box(LXW_BORDER_THIN));
        p.Merge(base.row, base.column, base.row, rateTax.column - 1, "", figure);
        p.Merge(rateTax.row, rateTax.column, rateTax.row, rateTaxEnd, "", figure);

        // Totals block under the lines.
        const std::pair<const char*, const char*> totals[] = {{"1HSkei", "小　　計"},
                                                              {"1HNebiki", "値　　引"},
                                                              {"1HNakakei", "中　　計"},
                                                              {"1HZei", "消 費 税"},
                                                              {"1HGoukei", "合　　計"}};
        for (std::size_t i = 0; i < 5; ++i) {
            const Cell c = d.At(f(totals[i].first));
            const bool grand = i == 4;
            p.Height(c.row, 20);
            Style caption = Style(label)
                                .Size(10)
                                .Bold()
                                .Center()
                                .Fill(look.band)
                                .Color(look.bandText)
                                .Box(LXW_BORDER_THIN);
            Style value = Style(body)
                              .Size(grand ? 11 : 10)
                              .Right()
                              .Number(kAmountFormat)
                              .Shrink()
                              .Box(LXW_BORDER_THIN);
            if (grand) {
                caption.Top(LXW_BORDER_DOUBLE);
                value.Bold().Top(LXW_BORDER_DOUBLE);
            }
            p.Merge(c.row, c.column - 3, c.row, c.column - 1, totals[i].second, caption);
            p.Merge(c.row, c.column, c.row, c.column + 3, "", value);
        }
        const Cell logo = d.At(f("1add2"));
        p.Height(logo.row, 22);
        p.Merge(logo.row, logo.column, logo.row, lastColumn, "",
                Style().Title().Size(11).Bold().Italic().Right().Color(look.ink));
        p.Print(logo.row, lastColumn, false, nullptr);
    }
    // Following page.
    {
        Page p(book, book.Sheet("2頁"));
        p.Columns(1, lastColumn - 1, look.landscape ? 5.2 : 4.4);
        p.Columns(lastColumn, lastColumn, 11);
        const Cell page = d.At(f("2Page1"));
        p.Height(1, 26);
        p.Merge(1, 1, 1, 12, part == 'A' ? "御請求書（明細）" : "御請求明細書（続き）",
                Style().Title().Size(14).Bold().Color(look.ink));
        p.Blank(page.row, page.column, Style(body).Size(9.5).Right().Number(kPage));
        const int lines = d.Count(f("2LinP1")) > 0 ? d.Count(f("2LinP1")) : kDefaultRowsPerPage;
        FreeLines(p, look, d, spans, true, lines, lastColumn, 24);
        const Cell logo = d.At(f("2add2"));
        p.Height(logo.row, 22);
        p.Merge(logo.row, logo.column, logo.row, lastColumn, "",
                Style().Title().Size(11).Bold().Italic().Right().Color(look.ink));
        p.Print(logo.row, lastColumn, false, nullptr);
    }
    return book.Close() && UseFontForNormalStyle(path, look.font);
}

bool SaveDefinitions(const QString& folder, const char* code, const TableDefinitions& defs) {
    return SaveFileAtomically(folder + QStringLiteral("/XKP%1.Dat").arg(QLatin1String(code)),
                              defs.Record(TableFile::kStandard)) &&
           SaveFileAtomically(folder + QStringLiteral("/XKPSei%1.Dat").arg(QLatin1String(code)),
                              defs.Record(TableFile::kFreeForm)) &&
           SaveFileAtomically(folder + QStringLiteral("/XKPSei%1.invoice").arg(QLatin1String(code)),
                              InvoicePlacementsText(defs.Invoice()));
}

}  // namespace
}  // namespace quilto

int main(int argc, char** argv) {
    using namespace quilto;
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_xlsbase OUTPUT_FOLDER\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(folder);
    const TableDefinitions defs = ShippedTableDefinitions();
    const Definitions d(defs);
    const char* codes[] = {"00", "01", "02"};
    bool ok = true;
    for (int pattern = 0; pattern < 3; ++pattern) {
        const std::string base = folder.toStdString() + "/";
        const std::string code = codes[pattern];
        const Look& look = kLooks[pattern];
        ok &= QuotationWorkbook(base + "見積書" + code + ".xlsx", look, d, false);
        ok &= QuotationWorkbook(base + "原価表" + code + ".xlsx", look, d, true);
        ok &= FreeFormWorkbook(base + "書式F" + code + "A.xlsx", look, d, 'A');
        ok &= FreeFormWorkbook(base + "書式F" + code + "B.xlsx", look, d, 'B');
        ok &= SaveDefinitions(folder, codes[pattern], defs);
    }
    if (!ok) std::fprintf(stderr, "make_xlsbase: writing %s failed\n", argv[1]);
    return ok ? 0 : 1;
}
