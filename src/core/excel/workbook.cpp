#include "core/excel/workbook.h"

#include <pugixml.hpp>

#include <algorithm>
#include <cstring>
#include <list>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <vector>

#include "core/excel/typed_cell_value.h"
#include "core/excel/xlsx_package.h"
#include "core/excel/zip_writer.h"
#include "core/foundation/atomic_file.h"
#include "core/foundation/cp932.h"
#include "core/foundation/file_helpers.h"

namespace quilto {
namespace {

constexpr int kMaxRow = 1048576;
constexpr int kMaxColumn = 16384;
constexpr unsigned kParseOptions =
    pugi::parse_default | pugi::parse_declaration | pugi::parse_ws_pcdata;
const char kContentTypesPart[] = "[Content_Types].xml";

QString Utf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

bool EndsWith(const char* text, std::string_view suffix) {
    return std::string_view(text).ends_with(suffix);
}

bool ParseXml(const std::string& bytes, pugi::xml_document* doc) {
    return doc->load_buffer(bytes.data(), bytes.size(), kParseOptions, pugi::encoding_utf8) &&
           doc->document_element();
}

struct StringXmlWriter : pugi::xml_writer {
    std::string out;
    void write(const void* data, size_t size) override {
        out.append(static_cast<const char*>(data), size);
    }
};

std::string SerializeXml(const pugi::xml_document& doc) {
    StringXmlWriter writer;
    doc.save(writer, "", pugi::format_raw, pugi::encoding_utf8);
    return std::move(writer.out);
}

// Element names of a part carry the prefix its root element uses ("x:" or none).
struct Names {
    std::string prefix;
    explicit Names(pugi::xml_node root) {
        const std::string_view name = root.name();
        const std::size_t colon = name.find(':');
        if (colon != std::string_view::npos) prefix = std::string(name.substr(0, colon + 1));
    }
    std::string operator()(const char* local) const { return prefix + local; }
};

bool IsAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool IsAsciiDigit(char c) { return c >= '0' && c <= '9'; }

bool IsTrue(pugi::xml_attribute attribute) {
    const std::string_view value = attribute.value();
    return value == "1" || value == "true";
}

// A cell reference as a worksheet names a cell: one to three letters and a row with no
// leading "0", within the sheet's size ("AB12" -> column 28, row 12, "XFD1048576" the
// last cell); false for anything else. Table definitions hold a narrower grammar, read by
// ParseDefinitionAddress.
bool ParseSheetReference(std::string_view address, int* row, int* column) {
    std::size_t i = 0;
    long long col = 0;
    while (i < address.size() && i < 3 && IsAsciiLetter(address[i])) {
        col = col * 26 + ((address[i] & ~0x20) - 'A' + 1);
        ++i;
    }
    if (i == 0 || i == address.size() || address[i] == '0') return false;
    long long r = 0;
    for (; i < address.size(); ++i) {
        if (!IsAsciiDigit(address[i]) || r > kMaxRow) return false;
        r = r * 10 + (address[i] - '0');
    }
    if (col > kMaxColumn || r < 1 || r > kMaxRow) return false;
    *row = static_cast<int>(r);
    *column = static_cast<int>(col);
    return true;
}

// The column of a cell reference ("AB12" -> 28), 0 when there is none.
int ColumnOf(std::string_view reference) {
    int row = 0;
    int column = 0;
    return ParseSheetReference(reference, &row, &column) ? column : 0;
}

std::string Address(int row, int column) {
    std::string letters;
    for (int c = column; c > 0; c = (c - 1) / 26)
        letters.insert(letters.begin(), static_cast<char>('A' + (c - 1) % 26));
    return letters + std::to_string(row);
}

std::string QuotedSheetName(std::string_view name) {
    std::string quoted = "'";
    for (char c : name) {
        quoted += c;
        if (c == '\'') quoted += '\'';
    }
    return quoted + "'";
}

// References to sheet `from` in a defined name's formula, turned into references to `to`.
std::string RenameSheetInFormula(std::string_view formula, std::string_view from,
                                 std::string_view to) {
    std::string out;
    std::size_t i = 0;
    const auto isNameChar = [](char c) {
        return IsAsciiLetter(c) || IsAsciiDigit(c) || c == '_' || c == '.' ||
               (static_cast<unsigned char>(c) & 0x80);
    };
    while (i < formula.size()) {
        const char c = formula[i];
        if (c == '"') {  // a string literal stays as it is
            std::size_t end = i + 1;
            while (end < formula.size() && formula[end] != '"') ++end;
            end = std::min(end + 1, formula.size());
            out.append(formula.substr(i, end - i));
            i = end;
        } else if (c == '\'') {
            std::string name;
            std::size_t j = i + 1;
            while (j < formula.size()) {
                if (formula[j] == '\'') {
                    if (j + 1 < formula.size() && formula[j + 1] == '\'') {
                        name += '\'';
                        j += 2;
                        continue;
                    }
                    break;
                }
                name += formula[j++];
            }
            const std::size_t end = std::min(j + 1, formula.size());
            if (end < formula.size() && formula[end] == '!' && name == from)
                out += QuotedSheetName(to);
            else
                out.append(formula.substr(i, end - i));
            i = end;
        } else if (isNameChar(c)) {
            std::size_t j = i;
            while (j < formula.size() && isNameChar(formula[j])) ++j;
            const std::string_view name = formula.substr(i, j - i);
            if (j < formula.size() && formula[j] == '!' && name == from)
                out += QuotedSheetName(to);
            else
                out.append(name);
            i = j;
        } else {
            out += c;
            ++i;
        }
    }
    return out;
}

// The text a cell shows, as UTF-8 fit for XML: bytes with no CP932 meaning become U+FFFD,
// control characters that XML cannot hold are dropped.
std::string CellTextUtf8(std::string_view cp932) {
    std::optional<std::string> utf8 = Cp932ToUtf8(cp932);
    std::string text = utf8 ? std::move(*utf8) : Cp932ToQStringLossy(cp932).toStdString();
    std::erase_if(text, [](char c) {
        return static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\n' && c != '\r';
    });
    return text;
}

struct CellWrite {
    enum Kind { kClear, kNumber, kText } kind = kClear;
    std::string value;  // the number in plain decimal form, or the text as UTF-8
};

using CellWrites = std::map<std::pair<int, int>, CellWrite>;  // (row, column) -> value

int RowNumberOf(pugi::xml_node row, int previous) {
    const int number = row.attribute("r").as_int(0);
    if (number >= 1 && number <= kMaxRow) return number;
    row.remove_attribute("r");
    row.append_attribute("r").set_value(previous + 1);
    return previous + 1;
}

int ColumnNumberOf(pugi::xml_node cell, int row, int previous) {
    const int column = ColumnOf(cell.attribute("r").value());
    if (column > 0) return column;
    cell.remove_attribute("r");
    cell.prepend_attribute("r").set_value(Address(row, previous + 1).c_str());
    return previous + 1;
}

// The element names a value is made of, with the sheet's prefix, made once per sheet.
struct ValueNames {
    std::string formula, value, inlineText, text;
    explicit ValueNames(const Names& names)
        : formula(names("f")), value(names("v")), inlineText(names("is")), text(names("t")) {}
};

// Whether a text needs its blanks kept: a reader would drop them at its ends and fold them
// inside.
bool KeepsBlanks(const std::string& value) {
    return !value.empty() && (value.front() == ' ' || value.back() == ' ' ||
                              value.find_first_of("\t\n\r") != std::string::npos ||
                              value.find("  ") != std::string::npos);
}

void SetCellValue(pugi::xml_node cell, const CellWrite& write, const ValueNames& names) {
    for (const char* attribute : {"t", "cm", "vm"}) cell.remove_attribute(attribute);
    for (pugi::xml_node child = cell.first_child(); child;) {
        const pugi::xml_node next = child.next_sibling();
        if (names.formula == child.name() || names.value == child.name() ||
            names.inlineText == child.name())
            cell.remove_child(child);
        child = next;
    }
    if (write.kind == CellWrite::kNumber) {
        cell.prepend_child(names.value.c_str()).text().set(write.value.c_str());
    } else if (write.kind == CellWrite::kText) {
        cell.append_attribute("t").set_value("inlineStr");
        pugi::xml_node text =
            cell.prepend_child(names.inlineText.c_str()).append_child(names.text.c_str());
        if (KeepsBlanks(write.value)) text.append_attribute("xml:space").set_value("preserve");
        text.text().set(write.value.c_str());
    }
}

// Creates a direct child in the place the schema wants it: after the last existing child
// named in `before`, else first.
pugi::xml_node InsertChildAfterAny(pugi::xml_node parent, const std::string& name,
                                   std::initializer_list<const char*> before, const Names& names) {
    pugi::xml_node anchor;
    for (pugi::xml_node child : parent.children())
        for (const char* local : before)
            if (names(local) == child.name()) anchor = child;
    return anchor ? parent.insert_child_after(name.c_str(), anchor)
                  : parent.prepend_child(name.c_str());
}

// Styles of new cells come from their row or column, as a spreadsheet would give them.
struct ColumnStyle {
    int min, max;
    std::string style;
};

std::vector<ColumnStyle> ColumnStyles(pugi::xml_node worksheet, const Names& names) {
    std::vector<ColumnStyle> styles;
    const std::string colsName = names("cols");
    const std::string colName = names("col");
    for (pugi::xml_node cols : worksheet.children(colsName.c_str()))
        for (pugi::xml_node col : cols.children(colName.c_str()))
            if (col.attribute("style"))
                styles.push_back({col.attribute("min").as_int(), col.attribute("max").as_int(),
                                  col.attribute("style").value()});
    return styles;
}

const char* RowStyle(pugi::xml_node row) {
    return IsTrue(row.attribute("customFormat")) ? row.attribute("s").value() : "";
}

// The style of a new cell; empty for the default one.
std::string NewCellStyle(const char* rowStyle, int column,
                         const std::vector<ColumnStyle>& columnStyles) {
    std::string style = rowStyle;
    if (style.empty())
        for (const ColumnStyle& styled : columnStyles)
            if (column >= styled.min && column <= styled.max) style = styled.style;
    return style == "0" ? std::string() : style;
}

// The used range grows to hold what was written.
void GrowDimension(pugi::xml_node dimension, const CellWrites& writes) {
    if (!dimension || writes.empty()) return;
    int minRow = writes.begin()->first.first, maxRow = writes.rbegin()->first.first;
    int minColumn = kMaxColumn, maxColumn = 0;
    for (const auto& [at, write] : writes) {
        minColumn = std::min(minColumn, at.second);
        maxColumn = std::max(maxColumn, at.second);
    }
    std::string_view ref = dimension.attribute("ref").value();
    const std::size_t colon = ref.find(':');
    int r1, c1, r2, c2;
    if (ParseSheetReference(ref.substr(0, colon), &r1, &c1)) {
        r2 = r1;
        c2 = c1;
        if (colon != std::string_view::npos &&
            !ParseSheetReference(ref.substr(colon + 1), &r2, &c2)) {
            r2 = r1;
            c2 = c1;
        }
        minRow = std::min(minRow, r1);
        minColumn = std::min(minColumn, c1);
        maxRow = std::max(maxRow, r2);
        maxColumn = std::max(maxColumn, c2);
    }
    const std::string range = Address(minRow, minColumn) + ":" + Address(maxRow, maxColumn);
    if (!dimension.attribute("ref")) dimension.append_attribute("ref");
    dimension.attribute("ref").set_value(range.c_str());
}

void ApplyWrites(pugi::xml_document& doc, const CellWrites& writes) {
    if (writes.empty()) return;
    pugi::xml_node worksheet = doc.document_element();
    const Names names(worksheet);
    const std::string rowName = names("row");
    const std::string cellName = names("c");
    const ValueNames valueNames(names);
    pugi::xml_node data = worksheet.child(names("sheetData").c_str());
    if (!data)
        data = InsertChildAfterAny(worksheet, names("sheetData"),
                                   {"sheetPr", "dimension", "sheetViews", "sheetFormatPr", "cols"},
                                   names);
    const std::vector<ColumnStyle> columnStyles = ColumnStyles(worksheet, names);

    pugi::xml_node row = data.child(rowName.c_str());
    int rowNumber = row ? RowNumberOf(row, 0) : 0;
    auto it = writes.begin();
    while (it != writes.end()) {
        const int r = it->first.first;
        while (row && rowNumber < r) {
            row = row.next_sibling(rowName.c_str());
            if (row) rowNumber = RowNumberOf(row, rowNumber);
        }
        if (!row || rowNumber != r) {
            row = row ? data.insert_child_before(rowName.c_str(), row)
                      : data.append_child(rowName.c_str());
            row.append_attribute("r").set_value(r);
            rowNumber = r;
        }
        row.remove_attribute("spans");
        const char* rowStyle = RowStyle(row);
        pugi::xml_node cell = row.child(cellName.c_str());
        int columnNumber = cell ? ColumnNumberOf(cell, r, 0) : 0;
        for (; it != writes.end() && it->first.first == r; ++it) {
            const int c = it->first.second;
            while (cell && columnNumber < c) {
                cell = cell.next_sibling(cellName.c_str());
                if (cell) columnNumber = ColumnNumberOf(cell, r, columnNumber);
            }
            if (!cell || columnNumber != c) {
                cell = cell ? row.insert_child_before(cellName.c_str(), cell)
                            : row.append_child(cellName.c_str());
                cell.append_attribute("r").set_value(Address(r, c).c_str());
                const std::string style = NewCellStyle(rowStyle, c, columnStyles);
                if (!style.empty()) cell.append_attribute("s").set_value(style.c_str());
                columnNumber = c;
            }
            SetCellValue(cell, it->second, valueNames);
        }
    }
    GrowDimension(worksheet.child(names("dimension").c_str()), writes);
}

// Whether a sheet's tab selection is to change to `select`.
bool TabSelectionDiffers(const pugi::xml_document& doc, bool select) {
    const pugi::xml_node worksheet = doc.document_element();
    const Names names(worksheet);
    const pugi::xml_node view =
        worksheet.child(names("sheetViews").c_str()).child(names("sheetView").c_str());
    return IsTrue(view.attribute("tabSelected")) != select;
}

// Only the active tab is selected; several selected tabs would group the sheets.
void SelectTab(pugi::xml_document& doc, bool select) {
    pugi::xml_node worksheet = doc.document_element();
    const Names names(worksheet);
    pugi::xml_node views = worksheet.child(names("sheetViews").c_str());
    pugi::xml_node view = views.child(names("sheetView").c_str());
    if (!view && select) {
        if (!views)
            views = InsertChildAfterAny(worksheet, names("sheetViews"), {"sheetPr", "dimension"},
                                        names);
        view = views.append_child(names("sheetView").c_str());
        view.append_attribute("workbookViewId").set_value(0);
    }
    if (view) {
        view.remove_attribute("tabSelected");
        if (select) view.prepend_attribute("tabSelected").set_value(1);
    }
}

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

bool WriteXmlEntry(ZipWriter& zip, const std::string& name, const pugi::xml_document& doc) {
    ZipXmlWriter writer(zip);
    if (!zip.Begin(name)) return false;
    doc.save(writer, "", pugi::format_raw, pugi::encoding_utf8);
    return writer.ok && zip.End();
}

// An element's start tag as the serialiser writes it, its attributes escaped the same way:
// printed from a copy of the element with one empty child, and the child and the end tag
// cut off again.
std::string StartTag(pugi::xml_node element) {
    pugi::xml_document scratch;
    pugi::xml_node copy = scratch.append_child(element.name());
    for (pugi::xml_attribute attribute : element.attributes()) copy.append_copy(attribute);
    copy.append_child("x");
    StringXmlWriter writer;
    copy.print(writer, "", pugi::format_raw, pugi::encoding_utf8);
    const std::size_t tail = std::string_view("<x/></>").size() + std::strlen(element.name());
    return writer.out.substr(0, writer.out.size() - tail);
}

// Text escaped as the serialiser escapes it: in attribute values the quote and every control
// character, in element text '>' and the control characters other than tabs and line ends.
void AppendEscaped(std::string& out, std::string_view text, bool attribute) {
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '&') {
            out += "&amp;";
        } else if (c == '<') {
            out += "&lt;";
        } else if (c == '>' && !attribute) {
            out += "&gt;";
        } else if (c == '"' && attribute) {
            out += "&quot;";
        } else if (byte < 0x20 && (attribute || (c != '\t' && c != '\r' && c != '\n'))) {
            out += "&#";
            out += static_cast<char>('0' + byte / 10);
            out += static_cast<char>('0' + byte % 10);
            out += ';';
        } else {
            out += c;
        }
    }
}

// Appends pieces of text without making a string of each join.
void Append(std::string& out, std::initializer_list<std::string_view> pieces) {
    for (const std::string_view piece : pieces) out += piece;
}

void AppendAttribute(std::string& out, std::string_view name, std::string_view value) {
    out += ' ';
    out += name;
    out += "=\"";
    AppendEscaped(out, value, true);
    out += '"';
}

// The value element a write puts into a cell (none for a cleared cell), as SetCellValue
// makes it.
void AppendValue(std::string& out, const CellWrite& write, const ValueNames& names) {
    if (write.kind == CellWrite::kNumber) {
        Append(out, {"<", names.value, ">"});
        AppendEscaped(out, write.value, false);
        Append(out, {"</", names.value, ">"});
    } else if (write.kind == CellWrite::kText) {
        Append(out, {"<", names.inlineText, "><", names.text});
        if (KeepsBlanks(write.value)) out += " xml:space=\"preserve\"";
        out += '>';
        AppendEscaped(out, write.value, false);
        Append(out, {"</", names.text, "></", names.inlineText, ">"});
    }
}

// A sheet whose changes are written straight from its template sheet.
struct SheetStream {
    ZipXmlWriter& out;
    const Names names;
    const std::string rowName = names("row");
    const std::string cellName = names("c");
    const ValueNames valueNames{names};
    const std::vector<ColumnStyle> columnStyles;
    std::string text;  // what is being put together, written out at each template node

    SheetStream(ZipXmlWriter& o, pugi::xml_node worksheet)
        : out(o), names(worksheet), columnStyles(ColumnStyles(worksheet, names)) {}

    void Flush() {
        out.Write(text);
        text.clear();
    }
    void Print(pugi::xml_node node) {
        Flush();
        out.Print(node);
    }
    bool IsCell(pugi::xml_node node) const {
        return node.type() == pugi::node_element && cellName == node.name();
    }
    bool IsRow(pugi::xml_node node) const {
        return node.type() == pugi::node_element && rowName == node.name();
    }

    // A cell of the template with a value written into it.
    void WrittenCell(pugi::xml_node cell, const CellWrite& write) {
        Append(text, {"<", cellName});
        for (pugi::xml_attribute attribute : cell.attributes()) {
            const std::string_view name = attribute.name();
            if (name != "t" && name != "cm" && name != "vm")
                AppendAttribute(text, name, attribute.value());
        }
        if (write.kind == CellWrite::kText) text += " t=\"inlineStr\"";
        std::vector<pugi::xml_node> kept;  // what the cell holds besides a value or formula
        for (pugi::xml_node child : cell.children())
            if (valueNames.formula != child.name() && valueNames.value != child.name() &&
                valueNames.inlineText != child.name())
                kept.push_back(child);
        if (write.kind == CellWrite::kClear && kept.empty()) {
            text += "/>";
            return;
        }
        text += '>';
        AppendValue(text, write, valueNames);
        for (pugi::xml_node child : kept) Print(child);
        Append(text, {"</", cellName, ">"});
    }

    void NewCell(int row, int column, const char* rowStyle, const CellWrite& write) {
        Append(text, {"<", cellName});
        AppendAttribute(text, "r", Address(row, column));
        const std::string style = NewCellStyle(rowStyle, column, columnStyles);
        if (!style.empty()) AppendAttribute(text, "s", style);
        if (write.kind == CellWrite::kText) text += " t=\"inlineStr\"";
        if (write.kind == CellWrite::kClear) {
            text += "/>";
            return;
        }
        text += '>';
        AppendValue(text, write, valueNames);
        Append(text, {"</", cellName, ">"});
    }

    // Row `number` (`row`, or a new one where the template has none) with the writes
    // [first, last) in it: the template's cells stand where nothing is written, new cells go
    // before the first cell to their right, else last.
    void WrittenRow(pugi::xml_node row, int number, CellWrites::const_iterator first,
                    CellWrites::const_iterator last) {
        Append(text, {"<", rowName});
        if (!row) AppendAttribute(text, "r", std::to_string(number));
        for (pugi::xml_attribute attribute : row.attributes())
            if (std::string_view(attribute.name()) != "spans")
                AppendAttribute(text, attribute.name(), attribute.value());
        text += '>';
        const char* rowStyle = row ? RowStyle(row) : "";
        for (pugi::xml_node child : row.children()) {
            if (!IsCell(child)) {
                Print(child);
                continue;
            }
            const int column = ColumnOf(child.attribute("r").value());
            for (; first != last && first->first.second < column; ++first)
                NewCell(number, first->first.second, rowStyle, first->second);
            if (first != last && first->first.second == column) {
                WrittenCell(child, first->second);
                ++first;
            } else {
                Print(child);
            }
        }
        for (; first != last; ++first)
            NewCell(number, first->first.second, rowStyle, first->second);
        Append(text, {"</", rowName, ">"});
    }

    // The template's rows with the written ones changed and the new ones where their
    // numbers put them (before the first row below them, else last).
    void Rows(pugi::xml_node data, const CellWrites& writes) {
        auto write = writes.begin();
        const auto rowEnd = [&](CellWrites::const_iterator from) {
            const int number = from->first.first;
            while (from != writes.end() && from->first.first == number) ++from;
            return from;
        };
        for (pugi::xml_node child : data.children()) {
            if (!IsRow(child)) {
                Print(child);
                continue;
            }
            const int number = child.attribute("r").as_int();
            while (write != writes.end() && write->first.first < number) {
                const auto end = rowEnd(write);
                WrittenRow({}, write->first.first, write, end);
                write = end;
            }
            if (write != writes.end() && write->first.first == number) {
                const auto end = rowEnd(write);
                WrittenRow(child, number, write, end);
                write = end;
            } else {
                Print(child);
            }
        }
        while (write != writes.end()) {
            const auto end = rowEnd(write);
            WrittenRow({}, write->first.first, write, end);
            write = end;
        }
    }
};

// Whether the rows and the written rows' cells are numbered in ascending order, as
// spreadsheet programs write them: then where each write goes follows from the numbers alone.
bool NumberedInOrder(pugi::xml_node data, const CellWrites& writes, const std::string& rowName,
                     const std::string& cellName) {
    auto write = writes.begin();
    int previous = 0;
    for (pugi::xml_node row : data.children(rowName.c_str())) {
        const int number = row.attribute("r").as_int(0);
        if (number <= previous || number > kMaxRow) return false;
        previous = number;
        while (write != writes.end() && write->first.first < number) ++write;
        if (write == writes.end() || write->first.first != number) continue;
        int column = 0;
        for (pugi::xml_node cell : row.children(cellName.c_str())) {
            const int next = ColumnOf(cell.attribute("r").value());
            if (next <= column) return false;
            column = next;
        }
    }
    return true;
}

// A changed sheet written the way copying it whole, applying the writes and the tab
// selection and saving it would write it, byte for byte, without the copy: the written rows
// are put together from the template's and the writes, the used range and the sheet view
// are copied and changed, and everything else is written from the template sheet as it
// stands. A page of an estimate writes a few rows of its sheet.
//
// This needs the rows and the written rows' cells numbered in ascending order and the parts
// the changes go into present. For any other sheet nothing is written and the answer is
// empty: the caller takes the whole copy.
std::optional<bool> WriteChangedSheet(ZipWriter& zip, const std::string& name,
                                      const pugi::xml_document& base, const CellWrites& writes,
                                      bool tabChanges, bool select) {
    const pugi::xml_node worksheet = base.document_element();
    const Names names(worksheet);
    const std::string dataName = names("sheetData");
    const std::string dimensionName = names("dimension");
    const std::string viewsName = names("sheetViews");
    const pugi::xml_node data = worksheet.child(dataName.c_str());
    const pugi::xml_node dimension = worksheet.child(dimensionName.c_str());
    const pugi::xml_node views = worksheet.child(viewsName.c_str());
    if (!data || (tabChanges && select && !views.child(names("sheetView").c_str())) ||
        !NumberedInOrder(data, writes, names("row"), names("c")))
        return {};

    // The used range and the sheet view, changed on copies of their own.
    pugi::xml_document scratch;
    pugi::xml_node root = scratch.append_child(worksheet.name());
    const pugi::xml_node newDimension = dimension ? root.append_copy(dimension) : pugi::xml_node();
    const pugi::xml_node newViews = views ? root.append_copy(views) : pugi::xml_node();
    GrowDimension(newDimension, writes);
    if (tabChanges) SelectTab(scratch, select);

    ZipXmlWriter out(zip);
    if (!zip.Begin(name)) return false;
    bool declared = false;
    for (pugi::xml_node node : base.children())
        if (node.type() == pugi::node_declaration) declared = true;
    if (!declared) out.Write("<?xml version=\"1.0\"?>");  // as the serialiser adds it
    SheetStream sheet(out, worksheet);
    for (pugi::xml_node node : base.children()) {
        if (node != worksheet) {
            out.Print(node);
            continue;
        }
        out.Write(StartTag(worksheet));
        for (pugi::xml_node child : worksheet.children()) {
            if (child == dimension) {
                out.Print(newDimension);
            } else if (child == views) {
                out.Print(newViews);
            } else if (child != data || writes.empty()) {
                out.Print(child);
            } else {
                sheet.text = StartTag(data);
                sheet.Rows(data, writes);
                Append(sheet.text, {"</", dataName, ">"});
                sheet.Flush();
            }
        }
        out.Write("</" + std::string(worksheet.name()) + ">");
    }
    return out.ok && zip.End();
}

// A package as read and parsed: never changed once made, so every workbook opened from the
// same template shares it, and each sheet page refers to its parsed sheet instead of
// holding a copy.
struct ParsedPackage {
    XlsxPackage package;
    std::map<std::string, ZipStoredEntry> stored;  // parts as the zip stored them
    std::string workbookPart;
    std::string workbookRelsPart;
    pugi::xml_document workbook;
    pugi::xml_document workbookRels;
    pugi::xml_document contentTypes;
    std::vector<std::string> sheetParts;  // in the order of the workbook's <sheet> elements
    std::map<std::string, std::shared_ptr<const pugi::xml_document>> sheets;  // by part

    bool Load(std::string_view bytes, QString* error);
};

bool ParsedPackage::Load(std::string_view bytes, QString* error) {
    if (!ReadXlsxPackage(bytes, &package, error, &stored)) return false;
    const auto missing = [&](std::string_view part) {
        *error = QStringLiteral("ブックが壊れています: %1 がないか読めません。").arg(Utf8(part));
        return false;
    };
    // A relationship whose target climbs out of the package names no part; the message
    // names the relationship and where it points instead.
    const auto outside = [&](std::string_view relsPart, pugi::xml_node rel) {
        *error = QStringLiteral("ブックが壊れています: %1 の関係 %2 の指す %3 はブックの外です。")
                     .arg(Utf8(relsPart), Utf8(rel.attribute("Id").value()),
                          Utf8(rel.attribute("Target").value()));
        return false;
    };
    if (!package.Has(kContentTypesPart) ||
        !ParseXml(package.parts[kContentTypesPart], &contentTypes))
        return missing(kContentTypesPart);
    pugi::xml_document rootRels;
    if (!package.Has("_rels/.rels") || !ParseXml(package.parts["_rels/.rels"], &rootRels))
        return missing("_rels/.rels");
    for (pugi::xml_node rel : rootRels.document_element().children()) {
        if (!EndsWith(rel.attribute("Type").value(), "/officeDocument")) continue;
        workbookPart = ResolveRelationshipTarget("", rel.attribute("Target").value());
        if (workbookPart.empty()) return outside("_rels/.rels", rel);
    }
    if (workbookPart.empty() || !package.Has(workbookPart) ||
        !ParseXml(package.parts[workbookPart], &workbook))
        return missing(workbookPart.empty() ? std::string("xl/workbook.xml") : workbookPart);
    workbookRelsPart = RelationshipsPartFor(workbookPart);
    if (!package.Has(workbookRelsPart) || !ParseXml(package.parts[workbookRelsPart], &workbookRels))
        return missing(workbookRelsPart);

    std::map<std::string, std::pair<std::string, std::string>> relations;  // id -> type, part
    for (pugi::xml_node rel : workbookRels.document_element().children()) {
        const std::string part =
            ResolveRelationshipTarget(workbookPart, rel.attribute("Target").value());
        if (part.empty() && std::string_view(rel.attribute("TargetMode").value()) != "External")
            return outside(workbookRelsPart, rel);
        relations[rel.attribute("Id").value()] = {rel.attribute("Type").value(), part};
    }

    const Names names(workbook.document_element());
    pugi::xml_node sheetList = workbook.document_element().child(names("sheets").c_str());
    const std::string sheetName = names("sheet");
    for (pugi::xml_node node : sheetList.children(sheetName.c_str())) {
        std::string id;
        int ids = 0;
        for (pugi::xml_attribute attribute : node.attributes()) {
            if (!std::string_view(attribute.name()).ends_with(":id")) continue;
            id = attribute.value();
            ++ids;
        }
        // The XML reader lets an attribute appear twice. A copy of such a sheet would point
        // its first id at the new part and keep the second, which the next open reads: two
        // sheets of one part, a workbook that no longer opens once saved.
        if (ids > 1) {
            *error = QStringLiteral("ブックが壊れています: シート %1 の部品の指定が二つあります。")
                         .arg(Utf8(node.attribute("name").value()));
            return false;
        }
        const auto relation = relations.find(id);
        if (relation == relations.end() ||
            !EndsWith(relation->second.first.c_str(), "/worksheet")) {
            *error = QStringLiteral("ブックのシート %1 はワークシートではないため出力できません。")
                         .arg(Utf8(node.attribute("name").value()));
            return false;
        }
        const std::string& part = relation->second.second;
        if (sheets.count(part) != 0) {
            *error = QStringLiteral("ブックが壊れています: 二つのシートが同じ部品を指しています。");
            return false;
        }
        auto doc = std::make_shared<pugi::xml_document>();
        if (!package.Has(part) || !ParseXml(package.parts[part], doc.get())) return missing(part);
        sheets.emplace(part, std::move(doc));
        sheetParts.push_back(part);
    }
    if (sheetParts.empty()) {
        *error = QStringLiteral("ブックにシートがありません。");
        return false;
    }
    return true;
}

// Parsed templates kept while the program runs: an output reads its template's bytes again
// (it may have been replaced since) but parses it only when they changed. Only templates of
// the usual size are kept, so a huge one does not stay in memory after its output.
class ParsedTemplates {
  public:
    static ParsedTemplates& Instance() {
        static ParsedTemplates templates;
        return templates;
    }
    std::shared_ptr<const ParsedPackage> Find(const QString& path, const std::string& bytes) {
        const std::lock_guard lock(mutex_);
        for (auto it = entries_.begin(); it != entries_.end(); ++it)
            if (it->path == path && it->bytes == bytes) {
                entries_.splice(entries_.begin(), entries_, it);  // most recent first
                return it->parsed;
            }
        return nullptr;
    }
    void Keep(const QString& path, std::string bytes, std::shared_ptr<const ParsedPackage> parsed) {
        std::size_t expanded = 0;
        for (const auto& [name, part] : parsed->package.parts) expanded += part.size();
        if (expanded > kMaxKeptBytes) return;
        const std::lock_guard lock(mutex_);
        entries_.remove_if([&](const Entry& entry) { return entry.path == path; });
        entries_.push_front({path, std::move(bytes), std::move(parsed)});
        if (entries_.size() > kMaxKept) entries_.pop_back();
    }

  private:
    static constexpr std::size_t kMaxKept = 4;  // a pattern's 見積書, 原価表, 書式F..A, ..B
    static constexpr std::size_t kMaxKeptBytes = 8u << 20;
    struct Entry {
        QString path;
        std::string bytes;
        std::shared_ptr<const ParsedPackage> parsed;
    };
    std::mutex mutex_;
    std::list<Entry> entries_;
};

// A part of the workbook being made: the template's bytes (and their stored form) while
// nothing changed it, else bytes of its own.
struct PartBytes {
    std::string own;
    const std::string* shared = nullptr;
    const ZipStoredEntry* stored = nullptr;
    const std::string& Bytes() const { return shared ? *shared : own; }
};

// A sheet as it will be saved: the parsed template sheet it was made from, and the cells
// written into it. Pages share their template sheet, so a hundred pages of a large sheet
// cost one parsed sheet, and each page is put together only while it is being saved.
struct SheetPage {
    std::shared_ptr<const pugi::xml_document> base;
    CellWrites writes;
    bool copy = false;  // a copy is always saved from `base`; an original keeps its bytes
};

}  // namespace

struct Workbook::Impl {
    std::shared_ptr<const ParsedPackage> parsed;
    std::vector<std::string> order;  // part names as they are to be stored
    std::map<std::string, PartBytes> parts;
    std::string workbookPart;
    std::string workbookRelsPart;
    pugi::xml_document workbook;
    pugi::xml_document workbookRels;
    pugi::xml_document contentTypes;
    struct Sheet {
        pugi::xml_node node;  // <sheet> in the workbook
        std::string part;
    };
    std::vector<Sheet> sheets;
    std::map<std::string, SheetPage> pages;  // by part
    int active = 1;
    // The next number to try for a new part name, by name without its number
    // ("xl/worksheets/sheet.xml"), so that making many copies stays linear.
    std::map<std::string, int> nextPartNumber;
    std::optional<std::string> title;  // UTF-8, when one was set
    // What copying a sheet looks up, kept up as copies are added so that making hundreds of
    // pages stays linear: the sheet names taken (compared without regard to case), the next
    // number to try for copies of a name, the workbook's relationships (id -> type) and the
    // highest sheet id. Made at the first copy, and again after anything else changed them.
    struct CopyLookups {
        std::set<QString> takenNames;
        std::map<QString, int> nextNumber;
        std::map<std::string, std::string> relTypes;
        unsigned maxSheetId = 0;
    };
    std::optional<CopyLookups> lookups;
    CopyLookups& Lookups();

    bool Valid(int sheet) const { return sheet >= 1 && sheet <= static_cast<int>(sheets.size()); }
    bool Visible(int sheet) const {
        const std::string_view state = sheets[sheet - 1].node.attribute("state").value();
        return state != "hidden" && state != "veryHidden";
    }
    Names WorkbookNames() const { return Names(workbook.document_element()); }

    explicit Impl(std::shared_ptr<const ParsedPackage> from);
    bool Has(const std::string& part) const { return parts.count(part) != 0; }
    const std::string& Bytes(const std::string& part) const { return parts.at(part).Bytes(); }
    void Put(const std::string& part, std::string bytes);
    void Remove(const std::string& part);
    std::string FreePartName(const std::string& part);
    std::string ContentTypeOverride(const std::string& part) const;
    void AddContentTypeOverride(const std::string& part, const std::string& type);
    std::string DuplicatePart(const std::string& part);
    bool CopySheet(int sheet, int after, QString* error);
    bool Serialize(std::string* bytes, QString* error);
    void WriteTitle(const std::string& text);
    bool WritePage(ZipWriter& zip, const std::string& part, const SheetPage& page, bool select);
};

// The workbook, its relationships and content types are small and change with every copy:
// each workbook has its own. The sheets stay the template's until they are saved.
Workbook::Impl::Impl(std::shared_ptr<const ParsedPackage> from) : parsed(std::move(from)) {
    order = parsed->package.order;
    for (const auto& [name, bytes] : parsed->package.parts) {
        PartBytes& part = parts[name];
        part.shared = &bytes;
        const auto stored = parsed->stored.find(name);
        if (stored != parsed->stored.end()) part.stored = &stored->second;
    }
    workbookPart = parsed->workbookPart;
    workbookRelsPart = parsed->workbookRelsPart;
    workbook.reset(parsed->workbook);
    workbookRels.reset(parsed->workbookRels);
    contentTypes.reset(parsed->contentTypes);
    const Names names = WorkbookNames();
    const std::string sheetName = names("sheet");
    std::size_t index = 0;
    for (pugi::xml_node node :
         workbook.document_element().child(names("sheets").c_str()).children(sheetName.c_str())) {
        const std::string& part = parsed->sheetParts.at(index++);
        sheets.push_back({node, part});
        pages[part].base = parsed->sheets.at(part);
    }
    const pugi::xml_node view = workbook.document_element()
                                    .child(names("bookViews").c_str())
                                    .child(names("workbookView").c_str());
    active =
        std::clamp(view.attribute("activeTab").as_int(0) + 1, 1, static_cast<int>(sheets.size()));
}

void Workbook::Impl::Put(const std::string& part, std::string bytes) {
    auto [it, inserted] = parts.insert_or_assign(part, PartBytes{std::move(bytes)});
    (void)it;
    if (inserted) order.push_back(part);
}

void Workbook::Impl::Remove(const std::string& part) {
    if (parts.erase(part) == 0) return;
    order.erase(std::remove(order.begin(), order.end(), part), order.end());
}

// A free name beside part in its folder: "xl/drawings/drawing1.xml" -> ".../drawing2.xml".
std::string Workbook::Impl::FreePartName(const std::string& part) {
    const std::size_t slash = part.rfind('/') + 1;  // npos + 1 == 0
    const std::size_t dot = part.find('.', slash);
    const std::string extension = dot == std::string::npos ? "" : part.substr(dot);
    std::string stem = part.substr(0, dot == std::string::npos ? part.size() : dot);
    while (stem.size() > slash && IsAsciiDigit(stem.back())) stem.pop_back();
    int& n = nextPartNumber.try_emplace(stem + extension, 1).first->second;
    for (;; ++n) {
        std::string candidate = stem + std::to_string(n) + extension;
        if (!Has(candidate)) return candidate;
    }
}

std::string Workbook::Impl::ContentTypeOverride(const std::string& part) const {
    const std::string name = "/" + part;
    for (pugi::xml_node node : contentTypes.document_element().children())
        if (name == node.attribute("PartName").value())
            return node.attribute("ContentType").value();
    return {};
}

void Workbook::Impl::AddContentTypeOverride(const std::string& part, const std::string& type) {
    if (type.empty()) return;
    const Names names(contentTypes.document_element());
    pugi::xml_node node = contentTypes.document_element().append_child(names("Override").c_str());
    node.append_attribute("PartName").set_value(("/" + part).c_str());
    node.append_attribute("ContentType").set_value(type.c_str());
}

// A copy of a part (and of its relationships, whose targets stay shared) under a free name.
// The copy's bytes are the original's, so a part of the template stays shared.
std::string Workbook::Impl::DuplicatePart(const std::string& part) {
    const std::string copy = FreePartName(part);
    const auto duplicate = [&](const std::string& from, const std::string& to) {
        const PartBytes bytes = parts.at(from);
        Put(to, {});
        parts[to] = bytes;
    };
    duplicate(part, copy);
    const std::string rels = RelationshipsPartFor(part);
    if (Has(rels)) duplicate(rels, RelationshipsPartFor(copy));
    AddContentTypeOverride(copy, ContentTypeOverride(part));
    return copy;
}

Workbook::Impl::CopyLookups& Workbook::Impl::Lookups() {
    if (lookups) return *lookups;
    CopyLookups& look = lookups.emplace();
    for (const Sheet& s : sheets) {
        look.takenNames.insert(Utf8(s.node.attribute("name").value()).toCaseFolded());
        look.maxSheetId = std::max(look.maxSheetId, s.node.attribute("sheetId").as_uint());
    }
    // Of two relationships with one id, the later one's type is the one taken.
    for (pugi::xml_node rel : workbookRels.document_element().children())
        look.relTypes[rel.attribute("Id").value()] = rel.attribute("Type").value();
    return look;
}

bool Workbook::Impl::CopySheet(int sheet, int after, QString* error) {
    const Sheet source = sheets[sheet - 1];

    // The sheet's own parts: drawings, comments and printer settings are copied; tables
    // would need new names and ids and are refused; anything else stays shared.
    const std::string copyPart = FreePartName(source.part);
    const std::string sourceRels = RelationshipsPartFor(source.part);
    std::string copyRelsXml;
    if (Has(sourceRels)) {
        pugi::xml_document rels;
        if (!ParseXml(Bytes(sourceRels), &rels)) {
            *error =
                QStringLiteral("ブックが壊れています: %1 が読めません。").arg(Utf8(sourceRels));
            return false;
        }
        std::vector<std::pair<pugi::xml_node, std::string>> duplicates;
        for (pugi::xml_node rel : rels.document_element().children()) {
            if (std::string_view(rel.attribute("TargetMode").value()) == "External") continue;
            const char* type = rel.attribute("Type").value();
            if (EndsWith(type, "/table") || EndsWith(type, "/pivotTable")) {
                *error = QStringLiteral("シート %1 にはテーブルがあるためコピーできません。")
                             .arg(Utf8(source.node.attribute("name").value()));
                return false;
            }
            if (!(EndsWith(type, "/drawing") || EndsWith(type, "/vmlDrawing") ||
                  EndsWith(type, "/comments") || EndsWith(type, "/printerSettings")))
                continue;
            const std::string target =
                ResolveRelationshipTarget(source.part, rel.attribute("Target").value());
            if (target.empty() || !Has(target)) continue;
            duplicates.emplace_back(rel, target);
        }
        for (auto& [rel, target] : duplicates) {
            const std::string copy = DuplicatePart(target);
            // Same folder as the original, so only the file name of the target changes.
            std::string value = rel.attribute("Target").value();
            value = value.substr(0, value.rfind('/') + 1) + copy.substr(copy.rfind('/') + 1);
            rel.attribute("Target").set_value(value.c_str());
        }
        copyRelsXml = SerializeXml(rels);
    }
    const Names names = WorkbookNames();
    pugi::xml_node root = workbook.document_element();
    // The new sheet's name, id and relationship.
    const QString base = Utf8(source.node.attribute("name").value());
    CopyLookups& look = Lookups();
    QString name;
    for (int& n = look.nextNumber.try_emplace(base, 2).first->second;; ++n) {
        const QString suffix = QStringLiteral(" (%1)").arg(n);
        name = base.left(31 - suffix.size()) + suffix;
        if (look.takenNames.count(name.toCaseFolded()) == 0) break;
    }
    std::string relId;
    for (std::size_t n = look.relTypes.size() + 1;; ++n) {
        relId = "rId" + std::to_string(n);
        if (look.relTypes.count(relId) == 0) break;
    }
    std::string sourceRelType;
    std::string idAttribute = "r:id";
    for (pugi::xml_attribute attribute : source.node.attributes())
        if (std::string_view(attribute.name()).ends_with(":id")) {
            idAttribute = attribute.name();
            if (const auto type = look.relTypes.find(attribute.value());
                type != look.relTypes.end())
                sourceRelType = type->second;
        }
    const unsigned sheetId = ++look.maxSheetId;
    look.takenNames.insert(name.toCaseFolded());
    look.relTypes.emplace(relId, sourceRelType);

    Put(copyPart, {});  // made when the workbook is saved
    const SheetPage& sourcePage = pages.at(source.part);
    pages[copyPart] = SheetPage{sourcePage.base, sourcePage.writes, true};
    if (!copyRelsXml.empty()) Put(RelationshipsPartFor(copyPart), copyRelsXml);
    AddContentTypeOverride(copyPart, ContentTypeOverride(source.part));
    const Names relNames(workbookRels.document_element());
    pugi::xml_node rel =
        workbookRels.document_element().append_child(relNames("Relationship").c_str());
    rel.append_attribute("Id").set_value(relId.c_str());
    rel.append_attribute("Type").set_value(sourceRelType.c_str());
    rel.append_attribute("Target").set_value(RelativeTarget(workbookPart, copyPart).c_str());

    pugi::xml_node node =
        source.node.parent().insert_copy_after(source.node, sheets[after - 1].node);
    node.attribute("name").set_value(name.toStdString().c_str());
    node.attribute("sheetId").set_value(sheetId);
    node.attribute(idAttribute.c_str()).set_value(relId.c_str());
    sheets.insert(sheets.begin() + after, Sheet{node, copyPart});

    // Sheet-local names (print area, print titles) follow the sheets they belong to; the
    // copy gets its own, pointing at itself.
    const int sourceIndex = sheet - 1;  // 0-based positions, before the insertion
    const int copyIndex = after;        // 0-based position of the copy
    std::vector<pugi::xml_node> localNames;
    const std::string definedNameName = names("definedName");
    for (pugi::xml_node definedName :
         root.child(names("definedNames").c_str()).children(definedNameName.c_str())) {
        pugi::xml_attribute local = definedName.attribute("localSheetId");
        if (!local) continue;
        const int index = local.as_int(-1);
        if (index == sourceIndex) localNames.push_back(definedName);
        if (index >= copyIndex) local.set_value(index + 1);
    }
    const std::string from = source.node.attribute("name").value();
    for (pugi::xml_node original : localNames) {
        pugi::xml_node copy = original.parent().insert_copy_after(original, original);
        copy.attribute("localSheetId").set_value(copyIndex);
        const std::string formula =
            RenameSheetInFormula(copy.text().get(), from, name.toStdString());
        copy.text().set(formula.c_str());
    }
    active = after + 1;  // a copy becomes the active sheet
    return true;
}

// The title goes into the package's core properties (dc:title), made when the template has
// none.
void Workbook::Impl::WriteTitle(const std::string& text) {
    static const char kDublinCore[] = "http://purl.org/dc/elements/1.1/";
    const std::string packageRels = "_rels/.rels";
    pugi::xml_document rels;
    if (!ParseXml(Bytes(packageRels), &rels)) return;  // read when the package was opened
    std::string corePart;
    for (pugi::xml_node rel : rels.document_element().children())
        if (EndsWith(rel.attribute("Type").value(), "/metadata/core-properties"))
            corePart = ResolveRelationshipTarget("", rel.attribute("Target").value());
    pugi::xml_document core;
    if (corePart.empty()) {
        corePart = FreePartName("docProps/core.xml");
        std::set<std::string> ids;
        for (pugi::xml_node rel : rels.document_element().children())
            ids.insert(rel.attribute("Id").value());
        std::string id;
        for (std::size_t n = ids.size() + 1; id.empty() || ids.count(id) != 0; ++n)
            id = "rId" + std::to_string(n);
        const Names relNames(rels.document_element());
        pugi::xml_node rel = rels.document_element().append_child(relNames("Relationship").c_str());
        rel.append_attribute("Id").set_value(id.c_str());
        rel.append_attribute("Type").set_value(
            "http://schemas.openxmlformats.org/package/2006/relationships/metadata/"
            "core-properties");
        rel.append_attribute("Target").set_value(corePart.c_str());
        Put(packageRels, SerializeXml(rels));
    }
    if (!Has(corePart))
        AddContentTypeOverride(corePart,
                               "application/vnd.openxmlformats-package.core-properties+xml");
    if (!Has(corePart) || !ParseXml(Bytes(corePart), &core))
        core.load_string(
            "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
            "<cp:coreProperties xmlns:cp=\"http://schemas.openxmlformats.org/package/2006/"
            "metadata/core-properties\" xmlns:dc=\"http://purl.org/dc/elements/1.1/\"/>",
            kParseOptions);
    pugi::xml_node root = core.document_element();
    std::string prefix;
    for (pugi::xml_attribute attribute : root.attributes()) {
        const std::string_view name = attribute.name();
        if (name.starts_with("xmlns:") && std::string_view(attribute.value()) == kDublinCore)
            prefix = std::string(name.substr(6));
    }
    if (prefix.empty()) {
        prefix = "dc";
        root.append_attribute("xmlns:dc").set_value(kDublinCore);
    }
    const std::string element = prefix + ":title";
    pugi::xml_node node = root.child(element.c_str());
    if (!node) node = root.prepend_child(element.c_str());
    node.text().set(text.c_str());
    Put(corePart, SerializeXml(core));
}

// A page as saved: an original sheet nothing changed keeps the template's bytes; any other
// is put together from its template sheet, its writes and its tab selection, one page at a
// time, and written out before the next is made.
bool Workbook::Impl::WritePage(ZipWriter& zip, const std::string& part, const SheetPage& page,
                               bool select) {
    const bool tabChanges = TabSelectionDiffers(*page.base, select);
    if (page.writes.empty() && !tabChanges) {
        if (!page.copy) {
            const PartBytes& bytes = parts.at(part);
            return bytes.stored ? zip.AddStored(part, *bytes.stored) : zip.Add(part, bytes.Bytes());
        }
        return WriteXmlEntry(zip, part, *page.base);
    }
    if (const std::optional<bool> written =
            WriteChangedSheet(zip, part, *page.base, page.writes, tabChanges, select))
        return *written;
    pugi::xml_document doc;
    doc.reset(*page.base);
    ApplyWrites(doc, page.writes);
    if (tabChanges) SelectTab(doc, select);
    return WriteXmlEntry(zip, part, doc);
}

bool Workbook::Impl::Serialize(std::string* bytes, QString* error) {
    if (!Visible(active))
        for (int i = 1; i <= static_cast<int>(sheets.size()); ++i)
            if (Visible(i)) {
                active = i;
                break;
            }
    const Names names = WorkbookNames();
    pugi::xml_node root = workbook.document_element();
    pugi::xml_node bookViews = root.child(names("bookViews").c_str());
    if (!bookViews)
        bookViews = InsertChildAfterAny(
            root, names("bookViews"),
            {"fileVersion", "fileSharing", "workbookPr", "workbookProtection"}, names);
    pugi::xml_node view = bookViews.child(names("workbookView").c_str());
    if (!view) view = bookViews.append_child(names("workbookView").c_str());
    if (!view.attribute("activeTab")) view.append_attribute("activeTab");
    view.attribute("activeTab").set_value(active - 1);
    if (view.attribute("firstSheet").as_int(0) > active - 1) view.remove_attribute("firstSheet");

    // Values written over formulas make the calculation chain stale: the spreadsheet
    // program rebuilds it, and recalculates the template's own formulas on opening.
    pugi::xml_node calc = root.child(names("calcPr").c_str());
    if (!calc)
        calc = InsertChildAfterAny(
            root, names("calcPr"),
            {"sheets", "functionGroups", "externalReferences", "definedNames"}, names);
    if (!calc.attribute("fullCalcOnLoad")) calc.append_attribute("fullCalcOnLoad");
    calc.attribute("fullCalcOnLoad").set_value(1);
    for (pugi::xml_node rel = workbookRels.document_element().first_child(); rel;) {
        pugi::xml_node next = rel.next_sibling();
        if (EndsWith(rel.attribute("Type").value(), "/calcChain")) {
            const std::string part =
                ResolveRelationshipTarget(workbookPart, rel.attribute("Target").value());
            Remove(part);
            for (pugi::xml_node type = contentTypes.document_element().first_child(); type;) {
                pugi::xml_node nextType = type.next_sibling();
                if ("/" + part == type.attribute("PartName").value())
                    contentTypes.document_element().remove_child(type);
                type = nextType;
            }
            rel.parent().remove_child(rel);
            lookups.reset();
        }
        rel = next;
    }
    if (title) WriteTitle(*title);
    Put(workbookPart, SerializeXml(workbook));
    Put(workbookRelsPart, SerializeXml(workbookRels));
    Put(kContentTypesPart, SerializeXml(contentTypes));

    std::map<std::string, bool> selected;  // sheet part -> whether its tab is selected
    for (int i = 1; i <= static_cast<int>(sheets.size()); ++i)
        selected[sheets[i - 1].part] = i == active;
    bytes->clear();
    ZipWriter zip(bytes);
    std::vector<std::string> partNames{kContentTypesPart};
    for (const std::string& name : order)
        if (name != kContentTypesPart) partNames.push_back(name);
    bool ok = true;
    for (const std::string& name : partNames) {
        if (!ok) break;
        if (const auto page = pages.find(name); page != pages.end()) {
            ok = WritePage(zip, name, page->second, selected[name]);
            continue;
        }
        const PartBytes& part = parts.at(name);
        ok = part.stored ? zip.AddStored(name, *part.stored)
                         : zip.Add(name, part.Bytes(), IsCompressedAlready(name));
    }
    if (!ok || !zip.Finish()) {
        bytes->clear();
        *error =
            QStringLiteral("ブックを書き出せませんでした（大きすぎるか、メモリが足りません）。");
        return false;
    }
    return true;
}

Workbook::Workbook(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
Workbook::~Workbook() = default;

std::unique_ptr<Workbook> Workbook::Open(const QString& xlsxPath, QString* error) {
    std::optional<std::string> bytes = ReadWholeFile(xlsxPath, kMaxPackageBytes);
    if (!bytes) {
        *error = QStringLiteral("ブック %1 を読めません。").arg(xlsxPath);
        return nullptr;
    }
    ParsedTemplates& templates = ParsedTemplates::Instance();
    std::shared_ptr<const ParsedPackage> parsed = templates.Find(xlsxPath, *bytes);
    if (!parsed) {
        auto fresh = std::make_shared<ParsedPackage>();
        if (!fresh->Load(*bytes, error)) {
            // The reason, then which file it is about.
            *error += QStringLiteral("\n(%1)").arg(xlsxPath);
            return nullptr;
        }
        parsed = fresh;
        templates.Keep(xlsxPath, std::move(*bytes), parsed);
    }
    return std::unique_ptr<Workbook>(new Workbook(std::make_unique<Impl>(std::move(parsed))));
}

std::unique_ptr<Workbook> Workbook::OpenBytes(std::string_view bytes, QString* error) {
    auto parsed = std::make_shared<ParsedPackage>();
    if (!parsed->Load(bytes, error)) return nullptr;
    return std::unique_ptr<Workbook>(new Workbook(std::make_unique<Impl>(std::move(parsed))));
}

int Workbook::SheetCount() const { return static_cast<int>(impl_->sheets.size()); }

QString Workbook::SheetName(int sheet) const {
    if (!impl_->Valid(sheet)) return {};
    return Utf8(impl_->sheets[sheet - 1].node.attribute("name").value());
}

static bool NoSuchSheet(int sheet, QString* error) {
    *error = QStringLiteral("ブックにシート %1 がありません。").arg(sheet);
    return false;
}

bool Workbook::CopySheetAfter(int sheet, int after, QString* error) {
    if (!impl_->Valid(sheet)) return NoSuchSheet(sheet, error);
    if (!impl_->Valid(after)) return NoSuchSheet(after, error);
    return impl_->CopySheet(sheet, after, error);
}

bool Workbook::SetSheetVisible(int sheet, bool visible, QString* error) {
    if (!impl_->Valid(sheet)) return NoSuchSheet(sheet, error);
    pugi::xml_node node = impl_->sheets[sheet - 1].node;
    if (visible) {
        node.remove_attribute("state");
        return true;
    }
    int visibleSheets = 0;
    for (int i = 1; i <= SheetCount(); ++i) visibleSheets += impl_->Visible(i) ? 1 : 0;
    if (impl_->Visible(sheet) && visibleSheets == 1) {
        *error = QStringLiteral("表示されている最後のシートは非表示にできません。");
        return false;
    }
    if (!node.attribute("state")) node.append_attribute("state");
    node.attribute("state").set_value("hidden");
    return true;
}

void Workbook::DropPrintRangesOfHiddenSheets() {
    const Names names = impl_->WorkbookNames();
    pugi::xml_node list = impl_->workbook.document_element().child(names("definedNames").c_str());
    for (pugi::xml_node name = list.first_child(); name;) {
        const pugi::xml_node next = name.next_sibling();
        const pugi::xml_attribute local = name.attribute("localSheetId");
        const int sheet = local.as_int(-1) + 1;
        if (local && impl_->Valid(sheet) && !impl_->Visible(sheet) &&
            std::string_view(name.attribute("name").value()).starts_with("_xlnm.Print_"))
            list.remove_child(name);
        name = next;
    }
}

bool Workbook::IsSheetVisible(int sheet) const {
    return impl_->Valid(sheet) && impl_->Visible(sheet);
}

bool Workbook::ActivateSheet(int sheet, QString* error) {
    if (!impl_->Valid(sheet)) return NoSuchSheet(sheet, error);
    impl_->active = sheet;
    return true;
}

int Workbook::ActiveSheet() const { return impl_->active; }

QString BadCellAddressMessage(std::string_view address) {
    return QStringLiteral("セル番地 %1 が正しくありません。").arg(Cp932ToQStringLossy(address));
}

bool Workbook::WriteCell(std::string_view address, std::string_view cp932Text, QString* error) {
    int row = 0;
    int column = 0;
    if (!ParseSheetReference(address, &row, &column)) {
        *error = BadCellAddressMessage(address);
        return false;
    }
    return WriteCell(row, column, cp932Text, error);
}

bool Workbook::WriteCell(int row, int column, std::string_view cp932Text, QString* error) {
    if (row < 1 || row > kMaxRow || column < 1 || column > kMaxColumn) {
        *error = QStringLiteral("行 %1、列 %2 のセルはシートの範囲外です。").arg(row).arg(column);
        return false;
    }
    CellWrite write;
    if (!cp932Text.empty() && cp932Text.front() == '\'') {
        write.kind = CellWrite::kText;
        write.value = CellTextUtf8(cp932Text.substr(1));
    } else if (std::optional<std::string> number = TypedNumber(cp932Text)) {
        write.kind = CellWrite::kNumber;
        write.value = std::move(*number);
    } else if (!cp932Text.empty()) {
        write.kind = CellWrite::kText;
        write.value = CellTextUtf8(cp932Text);
    }
    impl_->pages[impl_->sheets[impl_->active - 1].part].writes[{row, column}] = std::move(write);
    return true;
}

void Workbook::SetTitle(const QString& title) {
    std::string text = title.toStdString();
    // Control characters have no place in XML.
    std::erase_if(text, [](char c) { return static_cast<unsigned char>(c) < 0x20; });
    impl_->title = std::move(text);
}

bool Workbook::Save(const QString& xlsxPath, QString* error) {
    std::string bytes;
    if (!SaveBytes(&bytes, error)) return false;
    if (!SaveFileAtomically(xlsxPath, bytes)) {
        // The fixed text, then the file and the system's reason (a missing folder, a full disk).
        *error = QStringLiteral("ブックを %1 に保存できませんでした。\n%2")
                     .arg(xlsxPath, LastFileFailure());
        return false;
    }
    return true;
}

bool Workbook::SaveBytes(std::string* bytes, QString* error) {
    return impl_->Serialize(bytes, error);
}

}  // namespace quilto
