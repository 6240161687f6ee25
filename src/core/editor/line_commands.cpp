#include "core/editor/line_commands.h"

#include "core/foundation/cp932.h"
#include "core/foundation/number_text.h"
#include "core/foundation/text_bytes.h"

namespace quilto {

namespace {

bool GridHasMarker(const TextGrid& grid, LineKind kind) {
    for (int row = 1; row < grid.RowCount(); ++row)
        if (LineKindOf(grid, row) == kind) return true;
    return false;
}

bool IsWhollyBlank(const TextGrid& grid, int row) { return !GridRowUsed(grid, row); }

// Digits only: no sign, no decimal point, no exponent.
bool IsWholeNumber(const std::string& text) {
    if (text.empty()) return false;
    for (char ch : text)
        if (ch < '0' || ch > '9') return false;
    return true;
}

}  // namespace

bool MakeSpecialLine(TextGrid& grid, SheetKind sheet, LineKind kind) {
    const int row = grid.CurrentRow();
    if (row < 1 || row >= grid.RowCount() || !IsWhollyBlank(grid, row)) return false;
    switch (kind) {
        case LineKind::Syokei:
            break;
        case LineKind::Zei:
        case LineKind::Goukei:
            if (sheet == SheetKind::Detail) return false;
            [[fallthrough]];
        case LineKind::Nakakei:
            if (GridHasMarker(grid, kind)) return false;
            break;
        default:
            return false;
    }
    grid.SetCell(row, 1, MarkerOf(kind));
    return true;
}

bool PrepareDiscountLine(TextGrid& grid, SheetKind sheet, const std::string& managementNumber) {
    const int row = grid.CurrentRow();
    if (row < 1 || row >= grid.RowCount()) return false;
    if (sheet != SheetKind::Detail) {
        if (!HasText(managementNumber)) return false;
        if (LineKindOf(grid, row) == LineKind::Nebiki) return true;
        if (!IsWhollyBlank(grid, row)) return false;
    }
    grid.SetCell(row, 1, MarkerOf(LineKind::Nebiki));
    grid.SetCell(row, 3, {});
    return true;
}

std::string WithoutThousandsSeparators(const std::string& text) {
    // Only a proper grouping: 1-3 digits, then groups of three, each after one comma.
    const std::size_t firstComma = text.find(',');
    if (firstComma == std::string::npos || firstComma == 0 || firstComma > 3) return text;
    std::string digits = text.substr(0, firstComma);
    for (std::size_t at = firstComma; at < text.size(); at += 4) {
        if (text[at] != ',' || at + 4 > text.size()) return text;
        const std::string group = text.substr(at + 1, 3);
        if (group.find_first_not_of("0123456789") != std::string::npos) return text;
        digits += group;
    }
    return digits.find_first_not_of("0123456789") == std::string::npos ? digits : text;
}

bool AskDiscountAmount(TextGrid& grid, SheetKind sheet, Questions& questions) {
    const int row = grid.CurrentRow();
    const int amountColumn = ColumnsOf(sheet).amount;
    const std::string present =
        Cp932ToUtf8(CleanNumber(grid.Cell(row, amountColumn))).value_or(std::string());
    for (;;) {
        const std::optional<std::string> answer =
            questions.AskText("値引入力", "値引額を入力してください。", present);
        if (!answer) return false;
        // Lengths count bytes of the stored text; an answer CP932 cannot hold is no number.
        // The amount may be typed as the program shows it, grouped by thousands ("33,000").
        std::optional<std::string> text = Utf8ToCp932(*answer);
        if (text) *text = WithoutThousandsSeparators(Trimmed(*text));
        if (text && !HasText(*text)) return false;
        if (text && text->size() >= 9) {
            questions.Inform("桁数が大きすぎます ！！");
            continue;
        }
        if (!text || !IsWholeNumber(Trimmed(*text))) {
            questions.Inform("数字ではありません ！！");
            continue;
        }
        grid.SetCell(row, amountColumn, Trimmed(*text));
        return true;
    }
}

int NextRowAfterCommand(const TextGrid& grid, int row) {
    return row < grid.RowCount() - 2 ? row + 1 : row;
}

}  // namespace quilto
