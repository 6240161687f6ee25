// The relationships of a workbook from untrusted bytes. The first byte chooses which
// relationships part of an otherwise sound package the rest replaces: the package's, the
// workbook's or the sheet's (whose drawing and image a sheet copy duplicates). Every target
// resolves to a clean part name inside the package or to nothing, and the relative target
// written for a part resolves back to it. Opening fails with a message or gives a workbook
// whose first sheet can be copied; with the sheet's relationships it saves and opens again.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <pugixml.hpp>
#include <string>
#include <string_view>

#include "core/excel/workbook.h"
#include "core/excel/xlsx_package.h"
#include "stored_package.h"

using namespace quilto;

namespace {

void Check(bool condition, const char* what, int line) {
    if (condition) return;
    std::fprintf(stderr, "workbook_relationships_fuzz:%d: %s\n", line, what);
    std::abort();
}
#define Require(condition) Check((condition), #condition, __LINE__)

const char kContentTypes[] =
    R"(<?xml version="1.0" encoding="UTF-8"?><Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types"><Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/><Default Extension="xml" ContentType="application/xml"/><Default Extension="png" ContentType="image/png"/><Override PartName="/xl/workbook.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml"/><Override PartName="/xl/worksheets/sheet1.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml"/><Override PartName="/xl/drawings/drawing1.xml" ContentType="application/vnd.openxmlformats-officedocument.drawing+xml"/></Types>)";
const char kRootRels[] =
    R"(<?xml version="1.0" encoding="UTF-8"?><Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships"><Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" Target="xl/workbook.xml"/></Relationships>)";
const char kWorkbook[] =
    R"(<?xml version="1.0" encoding="UTF-8"?><workbook xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships"><sheets><sheet name="S" sheetId="1" r:id="rId1"/></sheets></workbook>)";
const char kWorkbookRels[] =
    R"(<?xml version="1.0" encoding="UTF-8"?><Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships"><Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet" Target="worksheets/sheet1.xml"/></Relationships>)";
const char kSheet[] =
    R"(<?xml version="1.0" encoding="UTF-8"?><worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships"><sheetData><row r="1"><c r="A1"><v>1</v></c></row></sheetData><drawing r:id="rId1"/></worksheet>)";
const char kSheetRels[] =
    R"(<?xml version="1.0" encoding="UTF-8"?><Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships"><Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/drawing" Target="../drawings/drawing1.xml"/></Relationships>)";
const char kDrawing[] =
    R"(<?xml version="1.0" encoding="UTF-8"?><xdr:wsDr xmlns:xdr="http://schemas.openxmlformats.org/drawingml/2006/spreadsheetDrawing"/>)";
const char kDrawingRels[] =
    R"(<?xml version="1.0" encoding="UTF-8"?><Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships"><Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/image" Target="../media/image1.png"/></Relationships>)";

// Which part the input replaces, and the part its targets are relative to.
struct Choice {
    const char* relsPart;
    const char* sourcePart;
};
constexpr Choice kChoices[] = {
    {"_rels/.rels", ""},
    {"xl/_rels/workbook.xml.rels", "xl/workbook.xml"},
    {"xl/worksheets/_rels/sheet1.xml.rels", "xl/worksheets/sheet1.xml"},
};

bool IsCleanPartName(std::string_view part) {
    if (part.empty() || part.front() == '/' || part.back() == '/') return false;
    std::size_t start = 0;
    while (start <= part.size()) {
        const std::size_t end = std::min(part.find('/', start), part.size());
        const std::string_view segment = part.substr(start, end - start);
        if (segment.empty() || segment == "." || segment == "..") return false;
        start = end + 1;
    }
    return true;
}

// Every target of the relationships resolves to a clean part name or to nothing, and the
// target written for that part from the same source leads back to it.
void CheckTargets(std::string_view rels, std::string_view source) {
    pugi::xml_document doc;
    if (!doc.load_buffer(rels.data(), rels.size())) return;
    for (pugi::xml_node rel : doc.document_element().children()) {
        const std::string part = ResolveRelationshipTarget(source, rel.attribute("Target").value());
        if (part.empty()) continue;
        Require(IsCleanPartName(part));
        Require(ResolveRelationshipTarget(source, RelativeTarget(source, part)) == part);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const Choice& choice = kChoices[data[0] % std::size(kChoices)];
    const std::string rels(reinterpret_cast<const char*>(data) + 1, size - 1);
    CheckTargets(rels, choice.sourcePart);

    fuzz::Parts parts = {{"[Content_Types].xml", kContentTypes},
                         {"_rels/.rels", kRootRels},
                         {"xl/workbook.xml", kWorkbook},
                         {"xl/_rels/workbook.xml.rels", kWorkbookRels},
                         {"xl/worksheets/sheet1.xml", kSheet},
                         {"xl/worksheets/_rels/sheet1.xml.rels", kSheetRels},
                         {"xl/drawings/drawing1.xml", kDrawing},
                         {"xl/drawings/_rels/drawing1.xml.rels", kDrawingRels},
                         {"xl/media/image1.png", "\x89PNG"}};
    for (auto& [name, bytes] : parts) {
        if (name == choice.relsPart) bytes = rels;
    }

    QString error;
    std::unique_ptr<Workbook> book = Workbook::OpenBytes(fuzz::StoredPackage(parts), &error);
    if (!book) {
        Require(!error.isEmpty());  // a refusal always says why
        // A target outside the package is named, never left blank.
        Require(!error.contains(QStringLiteral(":  ")));
        return 0;
    }
    const int sheets = book->SheetCount();
    Require(sheets >= 1);
    error.clear();
    if (book->CopySheetAfter(1, sheets, &error)) {
        Require(book->SheetCount() == sheets + 1);
    } else {
        Require(!error.isEmpty());
    }
    // Saving deflates every part again, which costs more than all the rest; it tells
    // something new only where the copy rewrote relationships: those of the sheet.
    if (std::string_view(choice.sourcePart) != "xl/worksheets/sheet1.xml") return 0;
    std::string saved;
    if (!book->SaveBytes(&saved, &error)) {
        Require(!error.isEmpty());
        return 0;
    }
    std::unique_ptr<Workbook> again = Workbook::OpenBytes(saved, &error);
    Require(again != nullptr);
    Require(again->SheetCount() == book->SheetCount());
    return 0;
}
