#pragma once

// The fields of a table definition: name, file, offset, kind and the standard (標準) value
// of each, and the texts the definition editor works on. Most live in the two records;
// the invoice items live in a text file of Quilto's own beside them.

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace quilto {

inline constexpr std::size_t kXkpRecordSize = 1096;
inline constexpr std::size_t kXkpSeiRecordSize = 1372;
// The leading bytes of each record that no field touches: written back as last read.
inline constexpr std::size_t kXkpHeaderSize = 308;
inline constexpr std::size_t kXkpSeiHeaderSize = 332;
// Capacity of a cell field (a short string of 6 bytes, 7 with its length byte).
inline constexpr std::size_t kCellFieldCapacity = 6;
// Rows per page when a definition holds 0 (or less): the editor's and the output's page.
inline constexpr int kDefaultRowsPerPage = 20;

// Which of a pattern's files.
enum class TableFile {
    kStandard,  // XKPnn.Dat
    kFreeForm,  // XKPSeinn.Dat
    // XKPSeinn.invoice: cells of the invoice items, which neither record has a field for
    // (the records' reserved bytes stay as other programs expect them: zero).
    kInvoice,
};

enum class TableFieldKind {
    kCell,   // a cell address, or empty: the item is not printed
    kText,   // HBKsep: a short text, not a cell
    kCount,  // int32: rows or lines per page
};

struct TableField {
    const char* name;  // the name of the editor field that shows it
    TableFile file;
    std::size_t offset;  // in its record; 0 for the fields of kInvoice
    TableFieldKind kind;
    // The 標準 value: a cell address or a count in text, "" for an empty field; nullptr
    // leaves the field as it is (the separator).
    const char* standard;
};

// Every field: the standard record's, the free-form record's (each in offset order), then
// the invoice items.
std::span<const TableField> TableFields();
// The index of a field in TableFields(), or -1.
int TableFieldIndex(std::string_view name);

// The editor's working copy: one CP932 text per field of TableFields(), same order.
class TableFieldTexts {
  public:
    TableFieldTexts();

    // Empty for an unknown name.
    const std::string& Get(std::string_view name) const;
    // Ignored for an unknown name.
    void Set(std::string_view name, std::string text);
    const std::string& At(std::size_t index) const { return texts_.at(index); }
    void SetAt(std::size_t index, std::string text) { texts_.at(index) = std::move(text); }
    std::size_t Size() const { return texts_.size(); }

    friend bool operator==(const TableFieldTexts&, const TableFieldTexts&) = default;

  private:
    std::vector<std::string> texts_;
};

// The 標準 button: every field given its standard value, the separator left as it is.
TableFieldTexts StandardTableDefaults(TableFieldTexts fields);

}  // namespace quilto
