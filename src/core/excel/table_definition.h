#pragma once

// Table definitions: for each print pattern ("00" to "04") two files in XlsBase/ say into
// which spreadsheet cell each item of an estimate goes. XKPnn.Dat holds one 1096-byte
// record for the standard output (cover, summary, breakdown, detail sheets), XKPSeinn.Dat
// one 1372-byte record for the two free-form outputs (A: summary or breakdown lines,
// B: detail lines). A cell field is a short string of 6 bytes (length byte + text), a
// count is an int32, both little-endian at fixed offsets. Everything a file holds beyond
// the named fields (the headers, the reserved slots) is kept as read and written back; the
// program never gives the reserved slots content. The invoice items, which the records have
// no field for, have their cells in a third file of Quilto's own, XKPSeinn.invoice
// (core/excel/invoice_placements.h).
//
// The definition editor works on a copy of the fields as texts (TableFieldTexts): loading
// a pattern fills that copy, saving takes it back into the records.

#include <QString>
#include <string>
#include <string_view>

#include "core/excel/cell_address.h"
#include "core/excel/invoice_placements.h"
#include "core/excel/table_definition_fields.h"

namespace quilto {

// "01" to "04" exactly select that pattern; anything else (empty, "05", "1") is "00".
std::string TablePatternCode(std::string_view code);

// XlsBase/XKPnn.Dat, XlsBase/XKPSeinn.Dat or XlsBase/XKPSeinn.invoice of the working
// folder for the pattern chosen by TablePatternCode(code), with the exact letter case of
// these names.
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

// Whether path names a pattern's invoice file (XKPSeinn.invoice, any letter case) while the
// pattern's free-form record is already beside it: a definition from before the invoice
// items, perhaps made for a template of the firm's own, on which the shipped cells of these
// items could land anywhere. Such a definition gets no placements from the installation;
// the user places the items in the definition editor.
bool IsInvoiceFileOfAnEarlierDefinition(const QString& path);

// Both records of one pattern and its invoice placements in memory. A value: copies serve
// as the editor's previous values. A new object holds two records of zero bytes and no
// placements.
// How reading or writing the files of a pattern ended.
enum class TableFileResult { kOk = 0, kFailed = -1 };

class TableDefinitions {
  public:
    TableDefinitions();

    // Reads the files of the pattern (TablePatternCode); kFailed when either record file
    // cannot be opened or is shorter than its record (that record keeps what it held and
    // the other files are still read), or the invoice file is there but cannot be read or
    // is damaged (the placements keep what they held). Bytes after the first record are
    // ignored. A pattern without an invoice file has no invoice item placed.
    TableFileResult Load(std::string_view code);

    // Takes the fields (TakeFields) and rewrites the pattern's files crash-safely: both
    // records, each of which must already exist, and, when the free-form record exists,
    // the invoice file (made when missing). kFailed when a write failed (a failed file is
    // left as it was; the others are still written).
    [[nodiscard]] TableFileResult Save(std::string_view code, const TableFieldTexts& fields);

    // What a newly created pattern holds: both records cleared (headers kept) and written
    // to the pattern's existing files, as Save with every field empty.
    TableFileResult SaveCleared(std::string_view code);

    // Every field of both records emptied (cells, separator) or zeroed (counts), and no
    // invoice item placed; the headers and reserved slots are left alone.
    void Clear();

    // Clear, then every field from its text: a cell or the separator cut to 6 bytes
    // (never splitting a double-byte character); a count cleaned to a number and read as
    // an integer, 0 when that is not a whole number or does not fit 32 bits; an invoice
    // item placed at its text, trimmed, when that is a cell address (else not placed).
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

    // The record bytes of kStandard or kFreeForm: exactly kXkpRecordSize or
    // kXkpSeiRecordSize.
    const std::string& Record(TableFile file) const;
    // Takes the first record of bytes as read from a file (kStandard or kFreeForm); false
    // (record unchanged) when bytes is shorter than a record.
    bool ReadRecord(TableFile file, std::string_view bytes);

    const InvoicePlacements& Invoice() const { return invoice_; }
    // Takes the placements of an invoice file's text; false (placements unchanged, the
    // bad line in *damage) when it is damaged.
    bool ReadInvoice(std::string_view text, InvoicePlacementsDamage* damage = nullptr);

    friend bool operator==(const TableDefinitions&, const TableDefinitions&) = default;

  private:
    std::string standard_;
    std::string freeForm_;
    InvoicePlacements invoice_;
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
// make a workbook of the cover alone. An invoice file, when there, must read whole (the
// message names its bad line): an invoice must not go out without the items it places.
std::string DefinitionProblem(std::string_view code);

}  // namespace quilto
