#pragma once

// The rules of the definition editor (EXCELセル設定) apart from its widgets: what each kind
// of field accepts, what an address field shows when the user enters or leaves it, and the
// editor's session over the shared definitions (load a pattern, save it, go back to what
// was last saved). Texts here are what the widgets show; they reach the records as CP932
// through TableFieldTexts.

#include <QString>
#include <cstddef>
#include <optional>
#include <vector>

#include "core/excel/table_definition.h"
#include "core/foundation/typed_text.h"

namespace quilto {

enum class TableInputKind {
    kAddress,    // a cell address: at most 5 characters
    kSeparator,  // HBKsep: at most 2 characters
    kLines,      // rows or lines per page: at most 2 digits
};

TableInputKind InputKindOf(const TableField& field);
int InputMaxLength(TableInputKind kind);

// An address field as the user enters or leaves it: its text, emptied when it holds no
// valid address, and the position display beside it (Edit1): two blanks and then the
// column and row ("  " + " 28,  4" for AB4), or the two blanks alone.
struct AddressFieldState {
    QString text;
    QString position;
};
// On entering, the text stays as it is unless it is no address.
AddressFieldState EnteredAddressField(const QString& text);
// On leaving, the text is also trimmed and its letters put in upper case, so that what
// is stored is what the position display read.
AddressFieldState LeftAddressField(const QString& text);

// Typed text as the editor takes it: ASCII letters in upper case, everything else as typed.
QString UpperCaseTyped(const QString& text);

// A lines-per-page field takes digits only (and backspace, which is no character).
bool AcceptsLinesCharacter(QChar character);

// The texts of the editor's fields (one per field of TableFields(), in that order) as the
// records take them. nullopt when one holds a character CP932 lacks; refusal and field
// then say which character and which field (its index in TableFields()).
std::optional<TableFieldTexts> TypedFieldTexts(const std::vector<QString>& texts,
                                               TypedTextRefusal* refusal = nullptr,
                                               std::size_t* field = nullptr);
// The fields as the widgets show them, in the order of TableFields().
std::vector<QString> ShownFieldTexts(const TableFieldTexts& fields);

// The editor's work on the program's definitions, which the estimate editor and the
// output share. The previous values are the fields as last saved in this run (all empty,
// every count 0, before the first save).
class TableDefinitionSession {
  public:
    explicit TableDefinitionSession(TableDefinitions& tables) : tables_(tables) {}

    // Loads the pattern of a combo index (0-2) into the definitions (the fields of a file
    // that failed keep what they held). The fields to show are Fields().
    TableFileResult Load(int patternIndex);
    // Saves fields as the pattern of a combo index; the previous values become what was
    // saved.
    [[nodiscard]] TableFileResult Save(int patternIndex, const TableFieldTexts& fields);
    // The definitions go back to the previous values; their headers stay as last read.
    void RestorePrevious();

    TableFieldTexts Fields() const { return tables_.Fields(); }

  private:
    TableDefinitions& tables_;
    TableDefinitions previous_;
};

}  // namespace quilto
