// The templates and table definitions generated for the installation's XlsBase folder:
// every cell a standard definition names is a formatted cell of the right sheet, inside its
// print area, and never hidden inside a merged range (a value written there would not show).

#include <gtest/gtest.h>
#include <pugixml.hpp>

#include <QDir>
#include <map>
#include <string>
#include <vector>

#include "core/excel/itemised_sheet_layout.h"
#include "core/excel/table_definition.h"
#include "core/excel/xlsx_package.h"
#include "core/foundation/atomic_file.h"
#include "support/working_folder.h"

namespace quilto {
namespace {

struct Range {
    int row1, column1, row2, column2;
    bool Holds(int row, int column) const {
        return row >= row1 && row <= row2 && column >= column1 && column <= column2;
    }
};

Range ParseRange(std::string text) {  // "$A$1:$H$23" or "A2:D2"
    std::erase(text, '$');
    const std::size_t colon = text.find(':');
    const CellPosition a = ParseDefinitionAddress(text.substr(0, colon));
    const CellPosition b =
        colon == std::string::npos ? a : ParseDefinitionAddress(text.substr(colon + 1));
    return {a.row, a.column, b.row, b.column};
}

struct TemplateSheet {
    Range printArea{0, 0, 0, 0};
    std::vector<Range> merges;
    std::map<std::pair<int, int>, bool> styled;  // (row, column) -> has a style
};

std::vector<TemplateSheet> ReadTemplate(const QString& path) {
    std::vector<TemplateSheet> sheets;
    const std::optional<std::string> bytes = ReadWholeFile(path, 64 << 20);
    XlsxPackage package;
    QString error;
    if (!bytes || !ReadXlsxPackage(*bytes, &package, &error)) {
        ADD_FAILURE() << path.toStdString() << " cannot be read";
        return sheets;
    }
    pugi::xml_document workbook, rels;
    workbook.load_string(package.parts["xl/workbook.xml"].c_str());
    rels.load_string(package.parts["xl/_rels/workbook.xml.rels"].c_str());
    for (pugi::xml_node sheet : workbook.child("workbook").child("sheets").children("sheet")) {
        TemplateSheet t;
        std::string part;
        for (pugi::xml_node rel : rels.child("Relationships").children())
            if (std::string(rel.attribute("Id").value()) == sheet.attribute("r:id").value())
                part =
                    ResolveRelationshipTarget("xl/workbook.xml", rel.attribute("Target").value());
        pugi::xml_document doc;
        doc.load_string(package.parts[part].c_str());
        pugi::xml_node ws = doc.child("worksheet");
        for (pugi::xml_node m : ws.child("mergeCells").children("mergeCell"))
            t.merges.push_back(ParseRange(m.attribute("ref").value()));
        for (pugi::xml_node row : ws.child("sheetData").children("row"))
            for (pugi::xml_node c : row.children("c")) {
                const CellPosition p = ParseDefinitionAddress(c.attribute("r").value());
                t.styled[{p.row, p.column}] = c.attribute("s").as_int() > 0;
            }
        sheets.push_back(t);
    }
    for (pugi::xml_node n : workbook.child("workbook").child("definedNames").children()) {
        const int local = n.attribute("localSheetId").as_int(-1);
        if (std::string(n.attribute("name").value()) == "_xlnm.Print_Area" && local >= 0 &&
            local < static_cast<int>(sheets.size())) {
            const std::string text = n.text().get();
            sheets[local].printArea = ParseRange(text.substr(text.find('!') + 1));
        }
    }
    return sheets;
}

// The sheet (1-based) a field is written to, and whether it is a line field; 0 for fields
// that no sheet of this template holds.
struct Placement {
    int sheet = 0;
    bool line = false;
};

// Printed only by the cost print (原価表) or only by the normal print (見積書).
bool CostOnly(std::string_view name) {
    for (const char* cost : {"FStanka", "FSGou", "FTekiyo1", "FRes02", "DStanka", "DTekiyo1",
                             "DRes02", "EStanka", "ESgou", "ETekiyo1", "EKTan", "EKake", "ERes02"})
        if (name == cost) return true;
    return false;
}

Placement PlaceStandard(std::string_view name, bool cost) {
    if (name == "DSGou" || name == "HBKsep" || name.starts_with("Gyo")) return {};
    if (CostOnly(name) != cost && (CostOnly(name) || name.ends_with("Tekiyo2"))) return {};
    const char kind = name[0];
    const std::string_view rest = name.substr(1);
    if (kind == 'H') return {1, false};
    const int sheet = kind == 'F' ? 2 : kind == 'D' ? 3 : kind == 'E' ? 4 : 0;
    const bool fixed = rest == "add1" || rest == "add2" || rest == "Page1";
    return {sheet, !fixed};
}

Placement PlaceFreeForm(std::string_view name, char part) {
    if (name.size() < 4 || name[1] != part || name.ends_with("LinP1")) return {};
    const int sheet = name[2] == '1' ? 1 : 2;
    const std::string_view rest = name.substr(3);
    const bool fixed = rest.starts_with("H") || rest == "add2" || rest == "Page1";
    return {sheet, !fixed};
}

void CheckTemplate(const QString& path, const TableDefinitions& defs, bool freeForm, char part,
                   bool cost = false) {
    SCOPED_TRACE(path.toStdString());
    const std::vector<TemplateSheet> sheets = ReadTemplate(path);
    ASSERT_EQ(sheets.size(), freeForm ? 2u : 5u);
    int checked = 0;
    if (!freeForm) {
        // The itemised estimate's sheet, last: every cell the output writes is a formatted,
        // printed cell of its own.
        namespace is = itemised_sheet;
        const TemplateSheet& itemised = sheets[4];
        std::vector<std::pair<int, int>> cells = {{is::kNumberRow, is::kNumberColumn},
                                                  {is::kCustomerRow, is::kCustomerColumn},
                                                  {is::kTitleOfWorkRow, is::kTitleOfWorkColumn},
                                                  {is::kIssuerRow, is::kNameColumn},
                                                  {is::kNoteRow, is::kNameColumn}};
        for (int line = 0; line < is::kLinesPerPage; ++line) {
            for (int column = is::kNameColumn; column <= is::kLastColumn; ++column)
                cells.emplace_back(is::kFirstLineRow + line, column);
        }
        for (const auto& [row, column] : cells) {
            EXPECT_TRUE(itemised.printArea.Holds(row, column))
                << "itemised " << row << "," << column;
            auto styled = itemised.styled.find({row, column});
            EXPECT_TRUE(styled != itemised.styled.end() && styled->second)
                << "itemised " << row << "," << column << " has no formatted cell";
            for (const Range& m : itemised.merges)
                EXPECT_FALSE(m.Holds(row, column) && (m.row1 != row || m.column1 != column))
                    << "itemised " << row << "," << column << " lies inside a merged range";
        }
    }
    for (const TableField& field : TableFields()) {
        if (field.kind != TableFieldKind::kCell) continue;
        // The invoice items (a file of their own) are cells of the free-form first pages.
        if ((field.file != TableFile::kStandard) != freeForm) continue;
        const Placement place =
            freeForm ? PlaceFreeForm(field.name, part) : PlaceStandard(field.name, cost);
        const CellPosition cell = defs.Cell(field.name);
        if (place.sheet == 0 || !cell.IsValid()) continue;
        // Never-printed fields of the standard (SA1Hadd2 shares K41 with the logo) pass too.
        const TemplateSheet& sheet = sheets[place.sheet - 1];
        int lines = 1;
        if (place.line) {
            const std::string count = freeForm ? std::string("S") + part + field.name[2] + "LinP1"
                                      : field.name[0] == 'F' ? "GyoF1"
                                      : field.name[0] == 'D' ? "GyoD1"
                                                             : "GyoE1";
            lines = EffectiveRowsPerPage(defs.Count(count));
        }
        for (int line = 0; line < lines; ++line) {
            const int row = cell.row + line;
            EXPECT_TRUE(sheet.printArea.Holds(row, cell.column)) << field.name << " line " << line;
            auto styled = sheet.styled.find({row, cell.column});
            EXPECT_TRUE(styled != sheet.styled.end() && styled->second)
                << field.name << " line " << line << " has no formatted cell";
            for (const Range& m : sheet.merges)
                EXPECT_FALSE(m.Holds(row, cell.column) &&
                             (m.row1 != row || m.column1 != cell.column))
                    << field.name << " line " << line << " lies inside a merged range";
            ++checked;
        }
    }
    EXPECT_GT(checked, 100);
}

TEST(ShippedTemplates, EveryStandardCellIsAFormattedVisibleCellOfItsSheet) {
    test::WorkingFolder folder;
    const QDir shipped(QStringLiteral(QUILTO_XLSBASE_DIR));
    for (const QString& name : shipped.entryList(QDir::Files))
        ASSERT_TRUE(QFile::copy(shipped.filePath(name), folder.FilePath("XlsBase/" + name)));
    for (const char* code : {"00", "01", "02"}) {
        TableDefinitions defs;
        ASSERT_EQ(defs.Load(code), TableFileResult::kOk) << code;
        // The shipped definitions hold the standard values, and the invoices (free-form first
        // pages) a company block, the registration number and the tax per rate, which the
        // standard leaves out.
        TableFieldTexts expected = StandardTableDefaults(defs.Fields());
        for (const char* part : {"SA1", "SB1"}) {
            for (const char* field :
                 {"HJName1", "HJName2", "HJUbin", "HJJyu1", "HJJyu2", "HJTel", "HJFax", "HJDaihyo",
                  "HJTanto", "HJTouroku", "HZRitu", "HZTaisyo", "HZGaku"}) {
                const std::string name = std::string(part) + field;
                EXPECT_TRUE(defs.Cell(name).IsValid()) << code << " " << name;
                expected.Set(name, defs.Fields().Get(name));
            }
        }
        // The cover shows the amount before tax and the tax beside the estimate amount.
        for (const char* name : {"HGoukei1", "HGoukei2"}) {
            EXPECT_TRUE(defs.Cell(name).IsValid()) << code << " " << name;
            expected.Set(name, defs.Fields().Get(name));
        }
        EXPECT_EQ(defs.Fields(), expected) << code;
        const QString base = folder.FilePath(QStringLiteral("XlsBase/"));
        CheckTemplate(base + "見積書" + code + ".xlsx", defs, false, 0);
        CheckTemplate(base + "原価表" + code + ".xlsx", defs, false, 0, true);
        CheckTemplate(base + "書式F" + code + "A.xlsx", defs, true, 'A');
        CheckTemplate(base + "書式F" + code + "B.xlsx", defs, true, 'B');
    }
}

// The summary page is called 総括書 as everywhere in the program; a long specification
// (「t=100 ワイヤーメッシュ共」) wraps or shrinks instead of being clipped.
TEST(ShippedTemplates, SummaryTitleAndRoomForTheSpecification) {
    const QDir shipped(QStringLiteral(QUILTO_XLSBASE_DIR));
    for (const char* stem : {"見積書00", "原価表01", "見積書02"}) {
        SCOPED_TRACE(stem);
        const std::optional<std::string> bytes =
            ReadWholeFile(shipped.filePath(QString::fromUtf8(stem) + ".xlsx"), 64 << 20);
        XlsxPackage package;
        QString error;
        ASSERT_TRUE(bytes && ReadXlsxPackage(*bytes, &package, &error));
        const std::string& strings = package.parts["xl/sharedStrings.xml"];
        EXPECT_NE(strings.find("総　括　書"), std::string::npos);
        EXPECT_EQ(strings.find("括　表"), std::string::npos);

        pugi::xml_document styles, detail;
        styles.load_string(package.parts["xl/styles.xml"].c_str());
        detail.load_string(package.parts["xl/worksheets/sheet4.xml"].c_str());
        std::vector<pugi::xml_node> xfs;
        for (pugi::xml_node xf : styles.child("styleSheet").child("cellXfs").children("xf"))
            xfs.push_back(xf);
        int specCells = 0;
        for (pugi::xml_node row : detail.child("worksheet").child("sheetData").children("row"))
            for (pugi::xml_node c : row.children("c")) {
                const CellPosition p = ParseDefinitionAddress(c.attribute("r").value());
                if (p.column != 4 || p.row < 3 || p.row > 22) continue;  // EKikaku: D3, 20 lines
                const pugi::xml_node align = xfs.at(c.attribute("s").as_uint()).child("alignment");
                EXPECT_TRUE(align.attribute("wrapText").as_bool() ||
                            align.attribute("shrinkToFit").as_bool())
                    << c.attribute("r").value();
                ++specCells;
            }
        EXPECT_EQ(specCells, 20);
    }
}

}  // namespace
}  // namespace quilto
