#include "core/excel/table_definition_editor.h"

#include "core/excel/cell_address.h"
#include "core/excel/pattern_choice.h"
#include "core/foundation/cp932.h"

namespace quilto {

namespace {

// The position display: two blanks, then the column and row of a valid address.
QString PositionDisplay(const QString& address) {
    return QStringLiteral("  ") +
           QString::fromLatin1(CellPositionText(address.toLatin1().toStdString()));
}

AddressFieldState AddressState(const QString& text) {
    // Only ASCII can make an address; anything else must not pass as one after toLatin1.
    for (QChar c : text) {
        if (c.unicode() > 0x7F) return {QString(), QStringLiteral("  ")};
    }
    const QString position = PositionDisplay(text);
    return {position.trimmed().isEmpty() ? QString() : text, position};
}

}  // namespace

TableInputKind InputKindOf(const TableField& field) {
    switch (field.kind) {
        case TableFieldKind::kCount:
            return TableInputKind::kLines;
        case TableFieldKind::kText:
            return TableInputKind::kSeparator;
        case TableFieldKind::kCell:
            break;
    }
    return TableInputKind::kAddress;
}

int InputMaxLength(TableInputKind kind) { return kind == TableInputKind::kAddress ? 5 : 2; }

AddressFieldState EnteredAddressField(const QString& text) { return AddressState(text); }

AddressFieldState LeftAddressField(const QString& text) {
    return AddressState(UpperCaseTyped(text.trimmed()));
}

QString UpperCaseTyped(const QString& text) {
    QString upper = text;
    for (QChar& c : upper) {
        if (c >= QLatin1Char('a') && c <= QLatin1Char('z')) c = QChar(c.unicode() - 'a' + 'A');
    }
    return upper;
}

bool AcceptsLinesCharacter(QChar character) {
    return character >= QLatin1Char('0') && character <= QLatin1Char('9');
}

std::optional<TableFieldTexts> TypedFieldTexts(const std::vector<QString>& texts,
                                               TypedTextRefusal* refusal, std::size_t* field) {
    TableFieldTexts fields;
    const std::span<const TableField> all = TableFields();
    for (std::size_t i = 0; i < fields.Size() && i < texts.size(); ++i) {
        // A pasted text passes the key filter of a lines field; a sign or a letter saved
        // there would make a page size the output refuses. Blanks are what the field shows
        // before a count of one digit.
        if (InputKindOf(all[i]) == TableInputKind::kLines) {
            for (const char32_t c : texts[i].toStdU32String()) {
                if (c == U' ' || (c < 0x10000 && AcceptsLinesCharacter(QChar(c)))) continue;
                if (refusal != nullptr) *refusal = {c, c < 0x20 || c == 0x7F};
                if (field != nullptr) *field = i;
                return std::nullopt;
            }
        }
        std::optional<std::string> bytes = TypedTextToCp932(texts[i], refusal);
        if (!bytes) {
            if (field != nullptr) *field = i;
            return std::nullopt;
        }
        fields.SetAt(i, std::move(*bytes));
    }
    return fields;
}

std::vector<QString> ShownFieldTexts(const TableFieldTexts& fields) {
    std::vector<QString> texts;
    texts.reserve(fields.Size());
    for (std::size_t i = 0; i < fields.Size(); ++i) {
        texts.push_back(Cp932ToQStringLossy(fields.At(i)));
    }
    return texts;
}

TableFileResult TableDefinitionSession::Load(int patternIndex) {
    return tables_.Load(PatternCodeOfIndex(patternIndex));
}

TableFileResult TableDefinitionSession::Save(int patternIndex, const TableFieldTexts& fields) {
    const TableFileResult result = tables_.Save(PatternCodeOfIndex(patternIndex), fields);
    previous_ = tables_;
    return result;
}

void TableDefinitionSession::RestorePrevious() { tables_.TakeFields(previous_.Fields()); }

}  // namespace quilto
