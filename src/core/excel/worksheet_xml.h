#pragma once

// What the workbook layer's parts share about worksheet XML: how it is parsed and written
// (by pugixml, in its raw form), names with the prefix a part's root element uses, and cell
// references.

#include <pugixml.hpp>

#include <initializer_list>
#include <string>
#include <string_view>

#include "core/excel/zip_writer.h"

namespace quilto::worksheet {

constexpr int kMaxRow = 1048576;
constexpr int kMaxColumn = 16384;
// Declarations and blanks between elements are kept, so that a part written again reads
// as it was.
constexpr unsigned kParseOptions =
    pugi::parse_default | pugi::parse_declaration | pugi::parse_ws_pcdata;

// false when the bytes are no XML or have no root element.
bool ParseXml(const std::string& bytes, pugi::xml_document* doc);

struct StringXmlWriter : pugi::xml_writer {
    std::string out;
    void write(const void* data, size_t size) override {
        out.append(static_cast<const char*>(data), size);
    }
};
std::string SerializeXml(const pugi::xml_document& doc);

// XML written straight into the open entry of a zip, without a copy of its own.
struct ZipXmlWriter : pugi::xml_writer {
    ZipWriter& zip;
    bool ok = true;
    explicit ZipXmlWriter(ZipWriter& z) : zip(z) {}
    void write(const void* data, size_t size) override {
        if (ok) ok = zip.Append(std::string_view(static_cast<const char*>(data), size));
    }
    void Write(std::string_view text) { write(text.data(), text.size()); }
    void Print(pugi::xml_node node) {
        node.print(*this, "", pugi::format_raw, pugi::encoding_utf8);
    }
};
// The document as zip entry `name`.
bool WriteXmlEntry(ZipWriter& zip, const std::string& name, const pugi::xml_document& doc);

// Element names of a part carry the prefix its root element uses ("x:" or none).
struct Names {
    std::string prefix;
    explicit Names(pugi::xml_node root);
    std::string operator()(const char* local) const { return prefix + local; }
};

bool IsAsciiLetter(char c);
bool IsAsciiDigit(char c);
// An XML boolean: "1" or "true".
bool IsTrue(pugi::xml_attribute attribute);

// A cell reference as a worksheet names a cell: one to three letters and a row with no
// leading "0", within the sheet's size ("AB12" -> column 28, row 12, "XFD1048576" the
// last cell); false for anything else. Table definitions hold a narrower grammar, read by
// ParseDefinitionAddress.
bool ParseSheetReference(std::string_view address, int* row, int* column);
// The column of a cell reference ("AB12" -> 28), 0 when there is none.
int ColumnOf(std::string_view reference);
// The reference of a cell (row 12, column 28 -> "AB12").
std::string Address(int row, int column);

// Creates a direct child in the place the schema wants it: after the last existing child
// named in `before`, else first.
pugi::xml_node InsertChildAfterAny(pugi::xml_node parent, const std::string& name,
                                   std::initializer_list<const char*> before, const Names& names);

}  // namespace quilto::worksheet
