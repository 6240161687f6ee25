#include "core/excel/workbook.h"

#include <gtest/gtest.h>
#include <xlsxwriter.h>
#include <pugixml.hpp>

#include <QDir>
#include <QTemporaryDir>
#include <set>
#include <string>
#include <vector>

#include "core/excel/typed_cell_value.h"
#include "core/excel/xlsx_package.h"
#include "core/foundation/atomic_file.h"
#include "support/sjis.h"
#include "support/working_folder.h"

namespace quilto {
namespace {

const unsigned char kPng[] = {
    0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a, 0x00, 0x00, 0x00, 0x0d, 0x49, 0x48, 0x44,
    0x52, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00, 0x02, 0x08, 0x02, 0x00, 0x00, 0x00, 0xfd,
    0xd4, 0x9a, 0x73, 0x00, 0x00, 0x00, 0x0f, 0x49, 0x44, 0x41, 0x54, 0x78, 0x9c, 0x63, 0xf8,
    0xcf, 0x00, 0x04, 0xff, 0x21, 0x08, 0x00, 0x17, 0xf5, 0x03, 0xfd, 0x93, 0x38, 0x73, 0x3c,
    0x00, 0x00, 0x00, 0x00, 0x49, 0x45, 0x4e, 0x44, 0xae, 0x42, 0x60, 0x82};

// A template like the shipped ones: a cover, a page sheet with print area, print titles,
// merged cells, a page break, a logo and a number format, and a hidden spare sheet.
std::string MakeTemplate(const QString& folder) {
    const std::string path = (folder + "/template.xlsx").toStdString();
    lxw_workbook* book = workbook_new(path.c_str());
    lxw_format* yen = workbook_add_format(book);
    format_set_num_format(yen, "#,##0");
    lxw_format* boxed = workbook_add_format(book);
    format_set_border(boxed, LXW_BORDER_THIN);

    lxw_worksheet* cover = workbook_add_worksheet(book, "表紙");
    worksheet_write_string(cover, 0, 0, "御見積書", nullptr);
    worksheet_write_formula(cover, 5, 1, "=1+2", yen);  // B6: a formula to be overwritten
    worksheet_set_column(cover, 3, 3, 14, yen);         // column D formatted for amounts

    lxw_worksheet* page = workbook_add_worksheet(book, "明細");
    worksheet_write_string(page, 0, 0, "明細書", nullptr);
    worksheet_write_blank(page, 3, 2, boxed);  // C4: a styled empty cell
    worksheet_merge_range(page, 1, 0, 1, 3, "工事名", nullptr);
    worksheet_print_area(page, 0, 0, 39, 7);
    worksheet_repeat_rows(page, 0, 2);
    lxw_row_t breaks[] = {20, 0};
    worksheet_set_h_pagebreaks(page, breaks);
    worksheet_set_header(page, "&C&P / &N");
    worksheet_insert_image_buffer(page, 0, 6, kPng, sizeof kPng);

    lxw_worksheet* spare = workbook_add_worksheet(book, "予備");
    worksheet_print_area(spare, 0, 0, 9, 3);
    worksheet_hide(spare);
    worksheet_activate(cover);
    EXPECT_EQ(workbook_close(book), LXW_NO_ERROR);
    return test::ReadAll(QString::fromStdString(path));
}

// A saved workbook read back with the package reader, for looking at what was written.
struct SavedBook {
    XlsxPackage package;
    pugi::xml_document workbook;
    std::vector<std::string> sheetParts;  // in tab order
    std::vector<std::string> sheetNames;

    explicit SavedBook(const std::string& bytes) {
        QString error;
        EXPECT_TRUE(ReadXlsxPackage(bytes, &package, &error)) << error.toStdString();
        workbook.load_string(package.parts["xl/workbook.xml"].c_str());
        pugi::xml_document rels;
        rels.load_string(package.parts["xl/_rels/workbook.xml.rels"].c_str());
        for (pugi::xml_node sheet : workbook.child("workbook").child("sheets").children("sheet")) {
            sheetNames.push_back(sheet.attribute("name").value());
            for (pugi::xml_node rel : rels.child("Relationships").children())
                if (std::string(rel.attribute("Id").value()) == sheet.attribute("r:id").value())
                    sheetParts.push_back(ResolveRelationshipTarget(
                        "xl/workbook.xml", rel.attribute("Target").value()));
        }
    }
    pugi::xml_document Sheet(int sheet) {
        pugi::xml_document doc;
        doc.load_string(package.parts[sheetParts.at(sheet - 1)].c_str());
        return doc;
    }
    // The cell's type attribute, its value (number text or inline text) and style.
    struct Cell {
        std::string type, value, style;
        bool formula = false;
        bool exists = false;
    };
    Cell At(int sheet, const std::string& address) {
        pugi::xml_document doc = Sheet(sheet);
        Cell cell;
        for (pugi::xml_node row : doc.child("worksheet").child("sheetData").children("row"))
            for (pugi::xml_node c : row.children("c"))
                if (address == c.attribute("r").value()) {
                    cell.exists = true;
                    cell.type = c.attribute("t").value();
                    cell.style = c.attribute("s").value();
                    cell.formula = static_cast<bool>(c.child("f"));
                    cell.value = cell.type == "inlineStr" ? c.child("is").child("t").text().get()
                                                          : c.child("v").text().get();
                }
        return cell;
    }
    // definedName text by (name, localSheetId).
    std::string DefinedName(const std::string& name, int localSheetId) {
        for (pugi::xml_node n :
             workbook.child("workbook").child("definedNames").children("definedName"))
            if (name == n.attribute("name").value() &&
                n.attribute("localSheetId").as_int(-1) == localSheetId)
                return n.text().get();
        return "<none>";
    }
};

class WorkbookTest : public ::testing::Test {
  protected:
    QTemporaryDir dir_;
    std::string template_ = MakeTemplate(dir_.path());
    QString error_;

    std::unique_ptr<Workbook> OpenTemplate() {
        auto book = Workbook::OpenBytes(template_, &error_);
        EXPECT_TRUE(book) << error_.toStdString();
        return book;
    }
    std::string SaveBytes(Workbook& book) {
        std::string bytes;
        EXPECT_TRUE(book.SaveBytes(&bytes, &error_)) << error_.toStdString();
        return bytes;
    }
};

TEST(TypedNumber, ReadsTypedTextTheWayASpreadsheetDoes) {
    const std::pair<const char*, const char*> cases[] = {
        {"   1,234,567", "1234567"},
        {"1,234,567   ", "1234567"},
        {"-12.50", "-12.5"},
        {"+3", "3"},
        {".5", "0.5"},
        {"5.", "5"},
        {"007", "7"},
        {"-0", "0"},
        {"-0.000", "0"},
        {"1,234.05", "1234.05"},
        {"123456789012345678", "123456789012345678"},
        // Text: not numbers in the typed sense.
        {"", nullptr},
        {"   ", nullptr},
        {"-", nullptr},
        {".", nullptr},
        {"1,23", nullptr},
        {"12,3456", nullptr},
        {"1,234,56", nullptr},
        {",123", nullptr},
        {"1,,234", nullptr},
        {"1.234,5", nullptr},
        {"1 2", nullptr},
        {"--1", nullptr},
        {"+-1", nullptr},
        {"1e3", nullptr},
        {"12%", nullptr},
        {"=1+1", nullptr},
        {"1.2.3", nullptr},
    };
    for (const auto& [text, number] : cases) {
        const std::optional<std::string> got = TypedNumber(text);
        if (number == nullptr)
            EXPECT_FALSE(got) << '"' << text << "\" read as " << *got;
        else
            EXPECT_EQ(got.value_or("<text>"), number) << '"' << text << '"';
    }
}

TEST_F(WorkbookTest, OpensSheetsInTabOrderWithTheirVisibility) {
    auto book = OpenTemplate();
    ASSERT_EQ(book->SheetCount(), 3);
    EXPECT_EQ(book->SheetName(1), QStringLiteral("表紙"));
    EXPECT_EQ(book->SheetName(2), QStringLiteral("明細"));
    EXPECT_EQ(book->SheetName(3), QStringLiteral("予備"));
    EXPECT_TRUE(book->IsSheetVisible(1));
    EXPECT_FALSE(book->IsSheetVisible(3));
    EXPECT_EQ(book->ActiveSheet(), 1);
}

TEST_F(WorkbookTest, WritesNumbersAsNumbersAndEverythingElseAsPlainText) {
    auto book = OpenTemplate();
    const struct {
        const char* address;
        std::string text;
        const char* type;  // "" for a number
        std::string value;
    } cases[] = {
        {"A3", "   1,234,567", "", "1234567"},
        {"B3", "-12.5", "", "-12.5"},
        {"C3", "'007", "inlineStr", "007"},
        {"D3", "=1+1", "inlineStr", "=1+1"},
        {"E3", "+A1", "inlineStr", "+A1"},
        {"F3", "-abc", "inlineStr", "-abc"},
        {"G3", "@SUM(A1)", "inlineStr", "@SUM(A1)"},
        {"H3", test::Sjis("御見積書　様"), "inlineStr", "御見積書　様"},
        {"I3", "  two  blanks ", "inlineStr", "  two  blanks "},
        {"J3", "a<b & \"c\"", "inlineStr", "a<b & \"c\""},
        {"B6", "1,000", "", "1000"},  // over the template's formula
    };
    for (const auto& c : cases) ASSERT_TRUE(book->WriteCell(c.address, c.text, &error_));
    SavedBook saved(SaveBytes(*book));
    for (const auto& c : cases) {
        const SavedBook::Cell cell = saved.At(1, c.address);
        EXPECT_EQ(cell.type, c.type) << c.address;
        EXPECT_EQ(cell.value, c.value) << c.address;
        EXPECT_FALSE(cell.formula) << c.address;
    }
    EXPECT_FALSE(saved.At(1, "B6").style.empty()) << "the overwritten cell keeps its format";
    // The chain of formulas is gone and the template's formulas are recalculated on opening.
    EXPECT_FALSE(saved.package.Has("xl/calcChain.xml"));
    EXPECT_TRUE(
        saved.workbook.child("workbook").child("calcPr").attribute("fullCalcOnLoad").as_bool());
}

TEST_F(WorkbookTest, AddressAndRowColumnWritesReachTheActiveSheetInOrder) {
    auto book = OpenTemplate();
    ASSERT_TRUE(book->ActivateSheet(2, &error_));
    ASSERT_TRUE(book->WriteCell("AB4", "by address", &error_));
    ASSERT_TRUE(book->WriteCell(4, 3, "by row and column", &error_));  // C4, a styled blank
    ASSERT_TRUE(book->WriteCell(30, 1, "a new row", &error_));
    ASSERT_TRUE(book->WriteCell("a1", "", &error_));  // clears the template's title
    ASSERT_TRUE(book->ActivateSheet(1, &error_));
    ASSERT_TRUE(book->WriteCell(10, 4, "5", &error_));  // D10 takes column D's format
    SavedBook saved(SaveBytes(*book));
    EXPECT_EQ(saved.At(2, "AB4").value, "by address");
    EXPECT_EQ(saved.At(2, "C4").value, "by row and column");
    EXPECT_FALSE(saved.At(2, "C4").style.empty()) << "the template's border stays";
    EXPECT_EQ(saved.At(2, "A30").value, "a new row");
    EXPECT_TRUE(saved.At(2, "A1").exists);
    EXPECT_EQ(saved.At(2, "A1").value, "");
    EXPECT_EQ(saved.At(1, "D10").value, "5");
    EXPECT_FALSE(saved.At(1, "D10").style.empty());
    EXPECT_FALSE(saved.At(1, "AB4").exists);

    // Rows and cells stay in ascending order, as spreadsheet programs require.
    pugi::xml_document sheet = saved.Sheet(2);
    int lastRow = 0;
    for (pugi::xml_node row : sheet.child("worksheet").child("sheetData").children("row")) {
        EXPECT_GT(row.attribute("r").as_int(), lastRow);
        lastRow = row.attribute("r").as_int();
        std::string lastCell;
        for (pugi::xml_node c : row.children("c")) {
            const std::string r = c.attribute("r").value();
            EXPECT_TRUE(lastCell.empty() || r.size() > lastCell.size() ||
                        (r.size() == lastCell.size() && r > lastCell))
                << lastCell << " before " << r;
            lastCell = r;
        }
    }
    EXPECT_EQ(std::string(sheet.child("worksheet").child("dimension").attribute("ref").value()),
              "A1:AB30");
}

TEST_F(WorkbookTest, RefusesAddressesAndSheetsThatDoNotExist) {
    auto book = OpenTemplate();
    for (const char* address : {"", "A0", "1A", "A", "XFE1", "A1048577", "A1 ", "ABCD1"})
        EXPECT_FALSE(book->WriteCell(address, "x", &error_)) << address;
    EXPECT_FALSE(book->WriteCell(0, 1, "x", &error_));
    EXPECT_FALSE(book->WriteCell(1, 16385, "x", &error_));
    EXPECT_TRUE(book->WriteCell("XFD1048576", "x", &error_));
    EXPECT_FALSE(book->ActivateSheet(4, &error_));
    EXPECT_FALSE(book->CopySheetAfter(2, 0, &error_));
    EXPECT_FALSE(book->SetSheetVisible(0, false, &error_));
    EXPECT_FALSE(error_.isEmpty());
}

TEST_F(WorkbookTest, CopiesLandAfterTheGivenSheetWithEverythingTheSheetOwns) {
    auto book = OpenTemplate();
    ASSERT_TRUE(book->ActivateSheet(2, &error_));
    ASSERT_TRUE(book->WriteCell("B5", "written before the copy", &error_));
    ASSERT_TRUE(book->CopySheetAfter(2, 2, &error_));  // 表紙 明細 明細(2) 予備
    ASSERT_TRUE(book->CopySheetAfter(2, 3, &error_));  // 表紙 明細 明細(2) 明細(3) 予備
    ASSERT_TRUE(book->CopySheetAfter(1, 4, &error_));  // 表紙 明細 明細(2) 明細(3) 表紙(2) 予備
    EXPECT_EQ(book->ActiveSheet(), 5) << "a copy becomes the active sheet";
    ASSERT_EQ(book->SheetCount(), 6);
    EXPECT_EQ(book->SheetName(3), QStringLiteral("明細 (2)"));
    EXPECT_EQ(book->SheetName(4), QStringLiteral("明細 (3)"));
    EXPECT_EQ(book->SheetName(5), QStringLiteral("表紙 (2)"));
    EXPECT_FALSE(book->IsSheetVisible(6));
    // Writes to a copy stay on that copy, and later writes to its source stay on the source.
    ASSERT_TRUE(book->ActivateSheet(3, &error_));
    ASSERT_TRUE(book->WriteCell("B5", "page 2", &error_));
    ASSERT_TRUE(book->ActivateSheet(2, &error_));
    ASSERT_TRUE(book->WriteCell("B6", "after the copies", &error_));

    SavedBook saved(SaveBytes(*book));
    EXPECT_EQ(saved.sheetNames, (std::vector<std::string>{"表紙", "明細", "明細 (2)", "明細 (3)",
                                                          "表紙 (2)", "予備"}));
    EXPECT_EQ(saved.At(2, "B5").value, "written before the copy");
    EXPECT_EQ(saved.At(3, "B5").value, "page 2");
    EXPECT_EQ(saved.At(4, "B5").value, "written before the copy");
    EXPECT_EQ(saved.At(2, "B6").value, "after the copies");
    EXPECT_FALSE(saved.At(3, "B6").exists);
    EXPECT_FALSE(saved.At(4, "B6").exists);
    // Print areas and titles: each copy has its own, the hidden sheet's moved along.
    EXPECT_EQ(saved.DefinedName("_xlnm.Print_Area", 1), "'明細'!$A$1:$H$40");
    EXPECT_EQ(saved.DefinedName("_xlnm.Print_Area", 2), "'明細 (2)'!$A$1:$H$40");
    EXPECT_EQ(saved.DefinedName("_xlnm.Print_Area", 3), "'明細 (3)'!$A$1:$H$40");
    EXPECT_EQ(saved.DefinedName("_xlnm.Print_Titles", 3), "'明細 (3)'!$1:$3");
    EXPECT_EQ(saved.DefinedName("_xlnm.Print_Area", 4), "<none>");
    EXPECT_EQ(saved.DefinedName("_xlnm.Print_Area", 5), "'予備'!$A$1:$D$10");
    // Merged cells, page breaks, header, and a drawing of its own with the same image.
    pugi::xml_document copy = saved.Sheet(4);
    pugi::xml_node worksheet = copy.child("worksheet");
    EXPECT_STREQ(worksheet.child("mergeCells").child("mergeCell").attribute("ref").value(),
                 "A2:D2");
    EXPECT_TRUE(worksheet.child("rowBreaks").child("brk"));
    EXPECT_STREQ(worksheet.child("headerFooter").child("oddHeader").text().get(), "&C&P / &N");
    const std::string rels = RelationshipsPartFor(saved.sheetParts[3]);
    ASSERT_TRUE(saved.package.Has(rels));
    pugi::xml_document relsDoc;
    relsDoc.load_string(saved.package.parts[rels].c_str());
    const std::string drawing = ResolveRelationshipTarget(
        saved.sheetParts[3],
        relsDoc.child("Relationships").child("Relationship").attribute("Target").value());
    EXPECT_NE(drawing, "xl/drawings/drawing1.xml");
    ASSERT_TRUE(saved.package.Has(drawing));
    ASSERT_TRUE(saved.package.Has(RelationshipsPartFor(drawing)));
    EXPECT_NE(saved.package.parts["[Content_Types].xml"].find("/" + drawing), std::string::npos);
    EXPECT_NE(saved.package.parts["[Content_Types].xml"].find("/" + saved.sheetParts[3]),
              std::string::npos);
    // Every sheet part is distinct.
    std::set<std::string> parts(saved.sheetParts.begin(), saved.sheetParts.end());
    EXPECT_EQ(parts.size(), 6u);
}

TEST_F(WorkbookTest, HiddenSheetsStayHiddenAndTheSavedBookOpensOnAVisibleOne) {
    auto book = OpenTemplate();
    ASSERT_TRUE(book->SetSheetVisible(2, false, &error_));
    ASSERT_TRUE(book->SetSheetVisible(3, true, &error_));
    ASSERT_TRUE(book->ActivateSheet(2, &error_));  // hidden, yet written to
    ASSERT_TRUE(book->WriteCell("A5", "hidden page", &error_));
    std::string bytes = SaveBytes(*book);
    auto reopened = Workbook::OpenBytes(bytes, &error_);
    ASSERT_TRUE(reopened);
    EXPECT_TRUE(reopened->IsSheetVisible(1));
    EXPECT_FALSE(reopened->IsSheetVisible(2));
    EXPECT_TRUE(reopened->IsSheetVisible(3));
    EXPECT_EQ(reopened->ActiveSheet(), 1) << "the first visible sheet, not the hidden active one";
    SavedBook saved(bytes);
    int selected = 0;
    for (int sheet = 1; sheet <= 3; ++sheet)
        selected += saved.Sheet(sheet)
                        .child("worksheet")
                        .child("sheetViews")
                        .child("sheetView")
                        .attribute("tabSelected")
                        .as_bool();
    EXPECT_EQ(selected, 1);
    EXPECT_TRUE(saved.Sheet(1)
                    .child("worksheet")
                    .child("sheetViews")
                    .child("sheetView")
                    .attribute("tabSelected")
                    .as_bool());
    EXPECT_EQ(saved.At(2, "A5").value, "hidden page");

    // A copy for printing keeps no print area on a hidden sheet (LibreOffice would print it).
    reopened->DropPrintRangesOfHiddenSheets();
    SavedBook printCopy(SaveBytes(*reopened));
    EXPECT_EQ(printCopy.DefinedName("_xlnm.Print_Area", 1), "<none>");
    EXPECT_EQ(printCopy.DefinedName("_xlnm.Print_Titles", 1), "<none>");
    EXPECT_EQ(printCopy.DefinedName("_xlnm.Print_Area", 2), "'予備'!$A$1:$D$10");

    // The last visible sheet cannot be hidden.
    ASSERT_TRUE(reopened->SetSheetVisible(3, false, &error_));
    EXPECT_FALSE(reopened->SetSheetVisible(1, false, &error_));
    EXPECT_TRUE(reopened->IsSheetVisible(1));
}

TEST_F(WorkbookTest, LeavesWhatItDoesNotTouchByteForByte) {
    auto book = OpenTemplate();
    ASSERT_TRUE(book->ActivateSheet(2, &error_));
    ASSERT_TRUE(book->WriteCell("B8", "x", &error_));
    ASSERT_TRUE(book->ActivateSheet(1, &error_));  // the template's own active sheet
    SavedBook saved(SaveBytes(*book));
    XlsxPackage original;
    ASSERT_TRUE(ReadXlsxPackage(template_, &original, &error_));
    for (const std::string& part : original.order) {
        if (part == "xl/workbook.xml" || part == "[Content_Types].xml" ||
            part == "xl/_rels/workbook.xml.rels" || part == saved.sheetParts[1])
            continue;
        ASSERT_TRUE(saved.package.Has(part)) << part;
        EXPECT_EQ(saved.package.parts[part], original.parts[part]) << part;
    }
}

// Templates made by hand or by other programs: laid out with blanks between the rows and
// cells, with a namespace prefix, without a declaration, with rows that carry no number.
// Writes go in before, between, into and after the template's rows and cells, over values,
// formulas and attributes that need escaping; what is not written stays as it was and each
// sheet comes out exactly as below.
TEST_F(WorkbookTest, WritesIntoSheetsOfEveryLayoutKeepingTheRestAsItWas) {
    const struct {
        const char* what;
        std::string sheet;
        std::string saved;
    } cases[] = {
        {"laid out with blanks",
         "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
         "<worksheet xmlns=\"urn:s\" xmlns:q=\"a&amp;b&quot;&lt;&gt;\">\n"
         " <dimension ref=\"A1:C9\"/>\n"
         " <sheetViews><sheetView workbookViewId=\"0\"/></sheetViews>\n"
         " <cols><col min=\"1\" max=\"1\" style=\"4\"/></cols>\n"
         " <sheetData>\n"
         "  <row r=\"1\"><c r=\"A1\"><v>1</v></c></row>\n"
         "  <row r=\"5\" spans=\"1:3\" s=\"7\" customFormat=\"1\">\n"
         "   <c r=\"B5\"><v>2</v></c>\n"
         "  </row>\n"
         "  <row r=\"9\"><c r=\"C9\" s=\"2\" q=\"1&gt;2&quot;&#9;&#10;\"><f>1+1</f><v>2</v>"
         "<extLst/></c></row>\n"
         " </sheetData>\n"
         " <pageMargins left=\"0.7\"/>\n"
         "</worksheet>",
         "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?><worksheet xmlns=\"urn:s\" "
         "xmlns:q=\"a&amp;b&quot;&lt;>"
         "\">\n"
         " <dimension ref=\"A1:C12\"/>\n"
         " <sheetViews><sheetView tabSelected=\"1\" workbookViewId=\"0\"/></sheetViews>\n"
         " <cols><col min=\"1\" max=\"1\" style=\"4\"/></cols>\n"
         " <sheetData>\n"
         "  <row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is><t "
         "xml:space=\"preserve\">a&lt;b&gt;&amp;\"c'\t d </t>"
         "</is></c></row>\n"
         "  <row r=\"3\"><c r=\"A3\" s=\"4\" t=\"inlineStr\"><is><t>x</t></is></c></row>"
         "<row r=\"5\" s=\"7\" customFormat=\"1\">\n"
         "   <c r=\"B5\"><v>2</v></c>\n"
         "  <c r=\"C5\" s=\"7\"><v>7</v></c></row>\n"
         "  <row r=\"9\"><c r=\"A9\" s=\"4\"/><c r=\"C9\" s=\"2\" q=\"1>2&quot;&#09;&#10;\" "
         "t=\"inlineStr\">"
         "<is><t></t></is><extLst/></c></row>\n"
         " <row r=\"12\"><c r=\"B12\" t=\"inlineStr\"><is><t>y</t></is></c></row></sheetData>"
         "\n"
         " <pageMargins left=\"0.7\"/>\n"
         "</worksheet>"},
        {"prefixed, without a declaration",
         "<x:worksheet xmlns:x=\"urn:s\"><x:sheetViews><x:sheetView workbookViewId=\"0\"/>"
         "</x:sheetViews><x:sheetData><x:row r=\"5\"><x:c r=\"B5\"><x:v>2</x:v></x:c></x:row>"
         "<x:row r=\"9\"><x:c r=\"C9\" t=\"s\" cm=\"1\"><x:v>0</x:v></x:c></x:row>"
         "</x:sheetData></x:worksheet>",
         "<?xml version=\"1.0\"?><x:worksheet xmlns:x=\"urn:s\"><x:sheetViews><x:sheetView "
         "tabSelected=\"1\" workbookViewId=\"0\"/>"
         "</x:sheetViews><x:sheetData><x:row r=\"1\"><x:c r=\"A1\" t=\"inlineStr\"><x:is>"
         "<x:t xml:space=\"preserve\">a&lt;b&gt;&amp;\"c'\t d </x:t></x:is></x:c></x:row>"
         "<x:row r=\"3\"><x:c r=\"A3\" t=\"inlineStr\"><x:is><x:t>x</x:t></x:is></x:c>"
         "</x:row><x:row r=\"5\"><x:c r=\"B5\"><x:v>2</x:v></x:c><x:c r=\"C5\"><x:v>7</x:v>"
         "</x:c></x:row><x:row r=\"9\"><x:c r=\"A9\"/><x:c r=\"C9\" t=\"inlineStr\"><x:is>"
         "<x:t></x:t></x:is></x:c></x:row><x:row r=\"12\"><x:c r=\"B12\" t=\"inlineStr\">"
         "<x:is><x:t>y</x:t></x:is></x:c></x:row></x:sheetData></x:worksheet>"},
        {"rows without numbers",
         "<worksheet xmlns=\"urn:s\"><sheetData><row><c r=\"A1\"><v>1</v></c></row>"
         "<row><c><v>2</v></c></row><row r=\"9\"/></sheetData></worksheet>",
         "<?xml version=\"1.0\"?><worksheet xmlns=\"urn:s\"><sheetViews><sheetView "
         "tabSelected=\"1\" workbookViewId=\"0\"/>"
         "</sheetViews><sheetData><row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is><t "
         "xml:space=\"preserve\">"
         "a&lt;b&gt;&amp;\"c'\t d </t></is></c></row><row r=\"2\"><c><v>2</v></c></row>"
         "<row r=\"3\"><c r=\"A3\" t=\"inlineStr\"><is><t>x</t></is></c></row><row r=\"5\">"
         "<c r=\"C5\"><v>7</v></c></row><row r=\"9\"><c r=\"A9\"/><c r=\"C9\" t=\"inlineStr\">"
         "<is><t></t></is></c></row><row r=\"12\"><c r=\"B12\" t=\"inlineStr\"><is><t>"
         "y</t></is></c></row></sheetData></worksheet>"},
    };
    XlsxPackage base;
    ASSERT_TRUE(ReadXlsxPackage(template_, &base, &error_));
    for (const auto& c : cases) {
        XlsxPackage package = base;
        package.Put("xl/worksheets/sheet2.xml", c.sheet);
        std::string bytes;
        ASSERT_TRUE(WriteXlsxPackage(package, &bytes, &error_));
        auto book = Workbook::OpenBytes(bytes, &error_);
        ASSERT_TRUE(book) << c.what << ": " << error_.toStdString();
        ASSERT_TRUE(book->ActivateSheet(2, &error_));
        const std::pair<int, int> cells[] = {{1, 1}, {3, 1}, {5, 3}, {9, 1}, {9, 3}, {12, 2}};
        const char* texts[] = {"a<b>&\"c'\t d ", "x", "7", "", "'", "y"};
        for (std::size_t i = 0; i < std::size(cells); ++i)
            ASSERT_TRUE(book->WriteCell(cells[i].first, cells[i].second, texts[i], &error_));
        SavedBook saved(SaveBytes(*book));
        EXPECT_EQ(saved.package.parts[saved.sheetParts[1]], c.saved) << c.what;
    }
}

TEST_F(WorkbookTest, SavesAtomicallyToAFileAndReadsItBack) {
    const QString path = dir_.filePath("out.xlsx");
    {
        auto book = OpenTemplate();
        ASSERT_TRUE(book->WriteCell("A2", "12", &error_));
        ASSERT_TRUE(book->Save(path, &error_)) << error_.toStdString();
    }
    auto book = Workbook::Open(path, &error_);
    ASSERT_TRUE(book) << error_.toStdString();
    EXPECT_EQ(book->SheetCount(), 3);
    EXPECT_FALSE(book->Save(dir_.filePath("no/such/folder/out.xlsx"), &error_));
    EXPECT_FALSE(Workbook::Open(dir_.filePath("missing.xlsx"), &error_));
}

TEST_F(WorkbookTest, SavingAgainKeepsEveryWriteAndTheTemplateFileIsReadAgainWhenItChanged) {
    auto book = OpenTemplate();
    ASSERT_TRUE(book->CopySheetAfter(2, 2, &error_));
    ASSERT_TRUE(book->WriteCell("B5", "first", &error_));
    const std::string first = SaveBytes(*book);
    ASSERT_TRUE(book->WriteCell("B6", "second", &error_));
    SavedBook again(SaveBytes(*book));
    EXPECT_EQ(again.At(3, "B5").value, "first");
    EXPECT_EQ(again.At(3, "B6").value, "second");
    EXPECT_FALSE(SavedBook(first).At(3, "B6").exists);

    // A template opened by path is kept parsed; replacing the file gives the new one.
    const QString path = dir_.filePath("kept.xlsx");
    ASSERT_TRUE(SaveFileAtomically(path, template_));
    ASSERT_TRUE(Workbook::Open(path, &error_));
    ASSERT_TRUE(SaveFileAtomically(path, first));
    auto reopened = Workbook::Open(path, &error_);
    ASSERT_TRUE(reopened) << error_.toStdString();
    EXPECT_EQ(reopened->SheetCount(), 4);
    EXPECT_EQ(reopened->SheetName(3), QStringLiteral("明細 (2)"));
}

// The title reaches the document properties, which a PDF made of the workbook takes its
// title from; a template without them gets them.
TEST_F(WorkbookTest, TheTitleGoesIntoTheDocumentPropertiesMadeWhereMissing) {
    XlsxPackage bare;
    ASSERT_TRUE(ReadXlsxPackage(template_, &bare, &error_));
    ASSERT_TRUE(bare.Has("docProps/core.xml"));
    bare.Remove("docProps/core.xml");
    std::string& rels = bare.parts["_rels/.rels"];
    const std::size_t core = rels.find("<Relationship Id=\"rId2\"");
    ASSERT_NE(core, std::string::npos);
    ASSERT_NE(rels.find("core-properties", core), std::string::npos);
    rels.erase(core, rels.find("/>", core) + 2 - core);
    std::string withoutProperties;
    ASSERT_TRUE(WriteXlsxPackage(bare, &withoutProperties, &error_));

    const QString title = QStringLiteral("000042 鈴木 & <一郎> 浴室改修工事");
    for (const std::string* bytes : {&template_, &withoutProperties}) {
        auto book = Workbook::OpenBytes(*bytes, &error_);
        ASSERT_TRUE(book) << error_.toStdString();
        book->SetTitle(title);
        SavedBook saved(SaveBytes(*book));
        pugi::xml_document packageRels;
        packageRels.load_string(saved.package.parts["_rels/.rels"].c_str());
        std::string corePart;
        for (pugi::xml_node rel : packageRels.child("Relationships").children())
            if (std::string_view(rel.attribute("Type").value()).ends_with("/core-properties"))
                corePart = ResolveRelationshipTarget("", rel.attribute("Target").value());
        ASSERT_TRUE(saved.package.Has(corePart)) << corePart;
        EXPECT_NE(saved.package.parts["[Content_Types].xml"].find("/" + corePart),
                  std::string::npos);
        pugi::xml_document properties;
        ASSERT_TRUE(properties.load_string(saved.package.parts[corePart].c_str()));
        EXPECT_EQ(properties.child("cp:coreProperties").child("dc:title").text().get(),
                  title.toStdString());
        auto reopened = Workbook::OpenBytes(SaveBytes(*book), &error_);  // still a workbook
        EXPECT_TRUE(reopened) << error_.toStdString();
    }
}

// A template of a few kilobytes whose sheets expand to megabytes of blank cells: each named
// sheet part gets rows of blank styled cells until it holds about `megabytes`.
std::string WithBlankCells(const std::string& templateBytes,
                           const std::vector<std::pair<std::string, double>>& sheets) {
    XlsxPackage package;
    QString error;
    EXPECT_TRUE(ReadXlsxPackage(templateBytes, &package, &error));
    std::string row = "<row r=\"1000\">";
    for (char column = 'A'; column <= 'Z'; ++column)
        row += std::string("<c r=\"") + column + "1000\" s=\"1\"/>";
    row += "</row>";
    for (const auto& [part, megabytes] : sheets) {
        std::string blanks;
        const auto target = static_cast<std::size_t>(megabytes * (1 << 20));
        std::string& xml = package.parts[part];
        while (xml.size() + blanks.size() + row.size() <= target) blanks += row;
        if (const std::size_t empty = xml.find("<sheetData/>"); empty != std::string::npos)
            xml.replace(empty, 12, "<sheetData>" + blanks + "</sheetData>");
        else
            xml.insert(xml.find("</sheetData>"), blanks);
    }
    std::string bytes;
    EXPECT_TRUE(WriteXlsxPackage(package, &bytes, &error));
    return bytes;
}

// Every page of a sheet costs memory in proportion to it, so a template that expands past
// what can be made into pages is refused, naming the part and its size, before any page is
// made.
TEST(WorkbookHostile, RefusesATemplateThatExpandsToMoreThanCanBeMadeIntoPages) {
    QTemporaryDir dir;
    const std::string good = MakeTemplate(dir.path());
    struct Case {
        const char* what;
        std::vector<std::pair<std::string, double>> sheets;
        const char* named;  // the part the message names
        const char* size;   // its expanded size, as the message shows it
        const char* limit;
    } const cases[] = {
        {"one sheet past the part limit",
         {{"xl/worksheets/sheet2.xml", 16.5}},
         "xl/worksheets/sheet2.xml",
         "16.5",
         "16.0"},
        {"three sheets past the package limit",
         {{"xl/worksheets/sheet1.xml", 11},
          {"xl/worksheets/sheet2.xml", 11},
          {"xl/worksheets/sheet3.xml", 11}},
         "xl/worksheets/sheet3.xml",
         "11.0",
         "32.0"},
    };
    for (const Case& c : cases) {
        const std::string bytes = WithBlankCells(good, c.sheets);
        QString message;
        EXPECT_FALSE(Workbook::OpenBytes(bytes, &message)) << c.what;
        EXPECT_TRUE(message.contains(c.named)) << c.what << ": " << message.toStdString();
        EXPECT_TRUE(message.contains(QStringLiteral("%1 MB").arg(c.size)))
            << c.what << ": " << message.toStdString();
        EXPECT_TRUE(message.contains(QStringLiteral("%1 MB").arg(c.limit)))
            << c.what << ": " << message.toStdString();
    }
}

// Packages made to hurt the reader: each gives a clear error.
TEST(WorkbookHostile, RefusesDamagedAndUnsafePackagesWithAMessage) {
    QTemporaryDir dir;
    const std::string good = MakeTemplate(dir.path());
    XlsxPackage base;
    QString error;
    ASSERT_TRUE(ReadXlsxPackage(good, &base, &error));
    const auto repack = [](XlsxPackage package) {
        std::string bytes;
        QString repackError;
        EXPECT_TRUE(WriteXlsxPackage(package, &bytes, &repackError));
        return bytes;
    };
    const auto with = [&](const std::string& name, const std::string& bytes) {
        XlsxPackage package = base;
        package.Put(name, bytes);
        return repack(package);
    };
    const auto without = [&](const std::string& name) {
        XlsxPackage package = base;
        package.Remove(name);
        return repack(package);
    };
    std::string truncated = good.substr(0, good.size() / 2);
    std::string sheetToNowhere = base.parts["xl/_rels/workbook.xml.rels"];
    sheetToNowhere.replace(sheetToNowhere.find("worksheets/sheet2.xml"), 21, "worksheets/gone.xml");
    std::string sheetOutside = base.parts["xl/_rels/workbook.xml.rels"];
    sheetOutside.replace(sheetOutside.find("worksheets/sheet2.xml"), 21, "../../../etc/passwd");
    // A sheet naming its part twice (the XML reader keeps both attributes).
    std::string twoIds = base.parts["xl/workbook.xml"];
    twoIds.insert(twoIds.find("r:id=\""), "r:id=\"rId99\" ");
    const std::pair<const char*, std::string> cases[] = {
        {"empty file", ""},
        {"not a zip", "PK\x03\x04 but nothing else"},
        {"cut in half", truncated},
        {"entry with ..", with("xl/../../evil.xml", "<x/>")},
        {"absolute entry", with("/etc/evil.xml", "<x/>")},
        {"backslash entry", with("xl\\evil.xml", "<x/>")},
        {"duplicate in other case", with("XL/WORKBOOK.XML", "<x/>")},
        {"no content types", without("[Content_Types].xml")},
        {"no package relationships", without("_rels/.rels")},
        {"no workbook", without("xl/workbook.xml")},
        {"no workbook relationships", without("xl/_rels/workbook.xml.rels")},
        {"sheet part missing", without("xl/worksheets/sheet2.xml")},
        {"sheet pointing nowhere", with("xl/_rels/workbook.xml.rels", sheetToNowhere)},
        {"sheet pointing outside", with("xl/_rels/workbook.xml.rels", sheetOutside)},
        {"malformed sheet", with("xl/worksheets/sheet1.xml", "<worksheet><sheetData>")},
        {"malformed workbook", with("xl/workbook.xml", "<workbook")},
        {"no sheets", with("xl/workbook.xml", "<workbook><sheets/></workbook>")},
        {"sheet naming two parts", with("xl/workbook.xml", twoIds)},
    };
    for (const auto& [what, bytes] : cases) {
        QString message;
        EXPECT_FALSE(Workbook::OpenBytes(bytes, &message)) << what;
        EXPECT_FALSE(message.isEmpty()) << what;
    }
    // A relationship leading out of the package is named with where it points.
    QString outside;
    EXPECT_FALSE(Workbook::OpenBytes(with("xl/_rels/workbook.xml.rels", sheetOutside), &outside));
    EXPECT_TRUE(outside.contains("xl/_rels/workbook.xml.rels")) << outside.toStdString();
    EXPECT_TRUE(outside.contains("../../../etc/passwd")) << outside.toStdString();
}

}  // namespace
}  // namespace quilto
