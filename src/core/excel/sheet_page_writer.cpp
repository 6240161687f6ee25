#include "core/excel/sheet_page_writer.h"

#include <algorithm>
#include <cstring>
#include <initializer_list>
#include <string_view>
#include <vector>

#include "core/excel/worksheet_xml.h"

namespace quilto::worksheet {
namespace {

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

}  // namespace

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

bool TabSelectionDiffers(const pugi::xml_document& doc, bool select) {
    const pugi::xml_node worksheet = doc.document_element();
    const Names names(worksheet);
    const pugi::xml_node view =
        worksheet.child(names("sheetViews").c_str()).child(names("sheetView").c_str());
    return IsTrue(view.attribute("tabSelected")) != select;
}

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

namespace {

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
        std::vector<pugi::xml_node> kept;  // what the cell holds besides a value or formula
        for (pugi::xml_node child : cell.children())
            if (valueNames.formula != child.name() && valueNames.value != child.name() &&
                valueNames.inlineText != child.name())
                kept.push_back(child);
        CellRest(write, kept);
    }

    void NewCell(int row, int column, const char* rowStyle, const CellWrite& write) {
        Append(text, {"<", cellName});
        AppendAttribute(text, "r", Address(row, column));
        const std::string style = NewCellStyle(rowStyle, column, columnStyles);
        if (!style.empty()) AppendAttribute(text, "s", style);
        CellRest(write, {});
    }

    // A cell's start tag from its type on, then the written value and what else the cell
    // keeps; the tag closed at once when there is neither.
    void CellRest(const CellWrite& write, const std::vector<pugi::xml_node>& kept) {
        if (write.kind == CellWrite::kText) text += " t=\"inlineStr\"";
        if (write.kind == CellWrite::kClear && kept.empty()) {
            text += "/>";
            return;
        }
        text += '>';
        AppendValue(text, write, valueNames);
        for (pugi::xml_node child : kept) Print(child);
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
        // The writes of the next row written, as that row (`row`, or a new one).
        const auto writeRow = [&](pugi::xml_node row) {
            const int number = write->first.first;
            auto end = write;
            while (end != writes.end() && end->first.first == number) ++end;
            WrittenRow(row, number, write, end);
            write = end;
        };
        for (pugi::xml_node child : data.children()) {
            if (!IsRow(child)) {
                Print(child);
                continue;
            }
            const int number = child.attribute("r").as_int();
            while (write != writes.end() && write->first.first < number) writeRow({});
            if (write != writes.end() && write->first.first == number)
                writeRow(child);
            else
                Print(child);
        }
        while (write != writes.end()) writeRow({});
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

}  // namespace

// The written rows are put together from the template's and the writes, the used range and
// the sheet view are copied and changed, and everything else is written from the template
// sheet as it stands: a page of an estimate writes a few rows of its sheet. Where each write
// goes then follows from the numbers of the rows and cells alone, so they must be in
// ascending order, and the parts the changes go into must be there.
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

}  // namespace quilto::worksheet
