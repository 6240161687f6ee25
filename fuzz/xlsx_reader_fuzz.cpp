// Workbooks from untrusted bytes. The first byte chooses what the rest is: a whole .xlsx
// package, or the sheet XML or the workbook XML placed into an otherwise sound package.
// Whatever the bytes, opening either fails with a message or gives a workbook whose sheets
// can be copied, hidden, activated, written and saved, and whatever was saved opens again.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "core/excel/workbook.h"
#include "stored_package.h"

using namespace quilto;

namespace {

const char kContentTypes[] =
    R"(<?xml version="1.0" encoding="UTF-8"?><Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types"><Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/><Default Extension="xml" ContentType="application/xml"/><Override PartName="/xl/workbook.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml"/><Override PartName="/xl/worksheets/sheet1.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml"/></Types>)";
const char kRootRels[] =
    R"(<?xml version="1.0" encoding="UTF-8"?><Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships"><Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" Target="xl/workbook.xml"/></Relationships>)";
const char kWorkbook[] =
    R"(<?xml version="1.0" encoding="UTF-8"?><workbook xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships"><sheets><sheet name="S" sheetId="1" r:id="rId1"/></sheets><definedNames><definedName name="_xlnm.Print_Area" localSheetId="0">'S'!$A$1:$B$2</definedName></definedNames></workbook>)";
const char kWorkbookRels[] =
    R"(<?xml version="1.0" encoding="UTF-8"?><Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships"><Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet" Target="worksheets/sheet1.xml"/></Relationships>)";
const char kSheet[] =
    R"(<?xml version="1.0" encoding="UTF-8"?><worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"><sheetData><row r="1"><c r="A1" t="s"><v>0</v></c></row></sheetData></worksheet>)";

std::string Package(std::string_view workbook, std::string_view sheet) {
    return fuzz::StoredPackage({{"[Content_Types].xml", kContentTypes},
                                {"_rels/.rels", kRootRels},
                                {"xl/workbook.xml", std::string(workbook)},
                                {"xl/_rels/workbook.xml.rels", kWorkbookRels},
                                {"xl/worksheets/sheet1.xml", std::string(sheet)}});
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::string_view rest(reinterpret_cast<const char*>(data) + 1, size - 1);
    std::string bytes;
    switch (data[0] % 3) {
        case 0:
            bytes = std::string(rest);
            break;
        case 1:
            bytes = Package(kWorkbook, rest);
            break;
        default:
            bytes = Package(rest, kSheet);
            break;
    }
    QString error;
    std::unique_ptr<Workbook> book = Workbook::OpenBytes(bytes, &error);
    if (!book) {
        if (error.isEmpty()) std::abort();  // a refusal always says why
        return 0;
    }
    const int sheets = book->SheetCount();
    if (sheets < 1) std::abort();
    for (int i = 1; i <= sheets; ++i) (void)book->SheetName(i);
    if (book->CopySheetAfter(1, sheets, &error) && book->SheetCount() != sheets + 1) std::abort();
    book->SetSheetVisible(1, false, &error);
    for (int i = 1; i <= book->SheetCount(); ++i) {
        book->ActivateSheet(i, &error);
        book->WriteCell("A1", "   1,234", &error);
        book->WriteCell("C3", "'007", &error);
        book->WriteCell(2, 2, "=1+1", &error);
        book->WriteCell(5000, 30, "", &error);
    }
    book->DropPrintRangesOfHiddenSheets();
    std::string saved;
    if (!book->SaveBytes(&saved, &error)) return 0;
    std::unique_ptr<Workbook> again = Workbook::OpenBytes(saved, &error);
    if (!again || again->SheetCount() != book->SheetCount()) std::abort();
    return 0;
}
