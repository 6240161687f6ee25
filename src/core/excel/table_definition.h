#pragma once

// Table definitions: for each print pattern ("00" to "04") two files in XlsBase/ say into
// which spreadsheet cell each item of an estimate goes. XKPnn.Dat holds one 1096-byte
// record for the standard output (cover, summary, breakdown, detail sheets), XKPSeinn.Dat
// one 1372-byte record for the two free-form outputs (A: summary or breakdown lines,
// B: detail lines). A cell field is a short string of 6 bytes (length byte + text), a
// count is an int32, both little-endian at fixed offsets. Everything a file holds beyond
// the named fields (the headers, the reserved slots) is kept as read and written back.
//
// The definition editor works on a copy of the fields as texts (TableFieldTexts): loading
// a pattern fills that copy, saving takes it back into the records.

#include <QString>
#include <string>
#include <string_view>

#include "core/excel/cell_address.h"
#include "core/excel/table_definition_fields.h"

namespace quilto {

// "01" to "04" exactly select that pattern; anything else (empty, "05", "1") is "00".
std::string TablePatternCode(std::string_view code);

// XlsBase/XKPnn.Dat or XlsBase/XKPSeinn.Dat of the working folder for the pattern chosen
// by TablePatternCode(code), with the exact letter case of these names.
QString TableDefinitionFileName(TableFile file, std::string_view code);
// The same file as it exists on disk: a file migrated from Windows may be named in
// another letter case (xkp00.dat). The exact name when no file matches.
QString TableDefinitionPath(TableFile file, std::string_view code);

// Rows per page of the three editor grids as the standard definition stores them (GyoF1,
// GyoD1, GyoE1). A stored 0 is meaningful to the output (GyoD1 or GyoF1 of 0 or less
// prints the cover only); everywhere else EffectiveRowsPerPage applies.
struct RowsPerPage {
    int summary = 0;
    int breakdown = 0;
    int detail = 0;
};

// A rows or lines value as a page size: 0 or less counts as 20.
int EffectiveRowsPerPage(int stored);

// Both records of one pattern in memory. A value: copies serve as the editor's previous
// values. A new object holds two records of zero bytes.
class TableDefinitions {
  public:
    TableDefinitions();

    // Reads both files of the pattern (TablePatternCode): 0, or -1 when either file
    // cannot be opened or is shorter than its record; that record keeps what it held and
    // the other file is still read. Bytes after the first record are ignored.
    int Load(std::string_view code);

    // Takes the fields into the records (TakeFields) and rewrites both files of the
    // pattern, each of which must already exist, crash-safely: 0, or -1 when either
    // write failed (a failed file is left as it was; the other is still written).
    int Save(std::string_view code, const TableFieldTexts& fields);

    // What a newly created pattern holds: both records cleared (headers kept) and written
    // to the pattern's existing files, as Save with every field empty. 0 or -1.
    int SaveCleared(std::string_view code);

    // Every field of both records emptied (cells, separator) or zeroed (counts); the
    // headers and reserved slots are left alone.
    void Clear();

    // Clear, then every field from its text: a cell or the separator cut to 6 bytes
    // (never splitting a double-byte character); a count cleaned to a number and read as
    // an integer, 0 when that is not a whole number or does not fit 32 bits.
    void TakeFields(const TableFieldTexts& fields);

    // The fields as the editor shows them: texts trimmed, counts as numbers right-aligned
    // in 2 characters.
    TableFieldTexts Fields() const;

    // A field's stored text, trimmed (cells and separator); empty for an unknown name.
    std::string Text(std::string_view name) const;
    // A count field's stored value; 0 for an unknown name.
    int Count(std::string_view name) const;
    // The cell of a field: column and row, 0 and 0 when empty or invalid.
    CellPosition Cell(std::string_view name) const;
    RowsPerPage Rows() const;

    // The record bytes: exactly kXkpRecordSize or kXkpSeiRecordSize.
    const std::string& Record(TableFile file) const;
    // Takes the first record of bytes as read from a file; false (record unchanged) when
    // bytes is shorter than a record.
    bool ReadRecord(TableFile file, std::string_view bytes);

    friend bool operator==(const TableDefinitions&, const TableDefinitions&) = default;

  private:
    std::string standard_;
    std::string freeForm_;
};

// The definitions the installation ships for every pattern (the shipped templates take
// their cells from these): the standard (標準) cells, the separator "-", the cover's amount
// before tax and tax (beside the estimate amount), and the company block, registration
// number and tax per rate of the invoices' first page. A definition that must be made
// again gets these.
TableDefinitions ShippedTableDefinitions();

// Why the definitions of a pattern cannot drive an output, naming the file and the field
// (UTF-8); empty when they can. Both files must hold a whole record, and every rows-per-page
// count be 0 (not set: 20 rows) to 99: a damaged file must stop the output rather than
// make a workbook of the cover alone.
std::string DefinitionProblem(std::string_view code);

}  // namespace quilto
