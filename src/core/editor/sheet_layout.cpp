#include "core/editor/sheet_layout.h"

namespace quilto {

const SheetColumns& ColumnsOf(SheetKind sheet) {
    static const SheetColumns kBreakdown{.rowCount = 301,
                                         .colCount = 10,
                                         .lastDataRow = 300,
                                         .marker = 1,
                                         .number = 2,
                                         .name = 3,
                                         .specification = kNoColumn,
                                         .unit = 4,
                                         .quantity = 5,
                                         .unitPrice = kNoColumn,
                                         .amount = 6,
                                         .costUnitPrice = kNoColumn,
                                         .cost = 7,
                                         .remarks = 8,
                                         .labourRate = kNoColumn,
                                         .labourAmount = kNoColumn,
                                         .lastEnterColumn = 8,
                                         .workDays = 9};
    static const SheetColumns kDetail{.rowCount = 301,
                                      .colCount = 15,
                                      .lastDataRow = 300,
                                      .marker = 1,
                                      .number = 2,
                                      .name = 3,
                                      .specification = 4,
                                      .unit = 5,
                                      .quantity = 6,
                                      .unitPrice = 7,
                                      .amount = 8,
                                      .costUnitPrice = 9,
                                      .cost = 10,
                                      .remarks = 11,
                                      .labourRate = 12,
                                      .labourAmount = 13,
                                      .lastEnterColumn = 10,
                                      .costClass = 14};
    static const SheetColumns kSummary{.rowCount = 1001,
                                       .colCount = 11,
                                       .lastDataRow = 1000,
                                       .marker = 1,
                                       .number = 2,
                                       .name = 3,
                                       .specification = kNoColumn,
                                       .unit = 4,
                                       .quantity = 5,
                                       .unitPrice = 6,
                                       .amount = 7,
                                       .costUnitPrice = 8,
                                       .cost = 9,
                                       .remarks = 10,
                                       .labourRate = kNoColumn,
                                       .labourAmount = kNoColumn,
                                       .lastEnterColumn = 10};
    return BySheet(sheet, kBreakdown, kDetail, kSummary);
}

bool IsComputedColumn(SheetKind sheet, int col) {
    if (col == kNoColumn) return false;
    const SheetColumns& c = ColumnsOf(sheet);
    switch (sheet) {
        case SheetKind::Breakdown:
            return col == c.amount || col == c.cost;
        case SheetKind::Detail:
            return col == c.labourRate || col == c.labourAmount;
        case SheetKind::Summary:
            break;
    }
    return false;
}

int TypableColumnAt(SheetKind sheet, int col) {
    if (!IsComputedColumn(sheet, col)) return col;
    const int last = ColumnsOf(sheet).colCount - 1;
    for (int next = col + 1; next <= last; ++next)
        if (!IsComputedColumn(sheet, next)) return next;
    int before = col - 1;
    while (before > 0 && IsComputedColumn(sheet, before)) --before;
    return before;
}

int TypableColumnPast(SheetKind sheet, int col, int step) {
    // From a computed column (Enter walks through the breakdown's) the grid moves as usual.
    if (IsComputedColumn(sheet, col) || !IsComputedColumn(sheet, col + step)) return kNoColumn;
    const int last = ColumnsOf(sheet).colCount - 1;
    for (int next = col + 2 * step; next >= 0 && next <= last; next += step)
        if (!IsComputedColumn(sheet, next)) return next;
    // Nothing typable beyond (the detail's hidden labour columns end the row): the grid's
    // own move, which passes over hidden columns, stays where it is.
    return kNoColumn;
}

const std::vector<ColumnSpec>& ColumnSpecsOf(SheetKind sheet) {
    static const std::vector<ColumnSpec> kBreakdown = {
        {" No.", 40, 0},
        {"区分", 0, 3},
        {"番号", 35, 4},
        {"   工      事      名", 350, 40},
        {"単位", 35, 4},
        {" 数量", 50, 4},
        {"    金   額", 120, 14},
        {"   原    価", 120, 14},
        {"  摘       要", 220, 28},
        {"日数", 45, 5},
    };
    static const std::vector<ColumnSpec> kDetail = {
        {" No.", 40, 0},         {" ｺｰﾄﾞ", 0, 6},
        {"番号", 35, 4},         {" 商     品     名", 230, 40},
        {" 規     格", 230, 40}, {"単位", 35, 4},
        {"  数量", 60, 7},       {"   単  価", 77, 9},
        {"   金   額", 93, 11},  {"   原単価", 77, 9},
        {"   原   価", 93, 11},  {" 摘    要", 220, 28},
        {"  歩掛単価", 0, 10},   {"  歩 掛 け", 0, 0},
        {"区分", 36, 2},
    };
    static const std::vector<ColumnSpec> kSummary = {
        {" No.", 45, 0},
        {"区分", 0, 3},
        {"番号", 35, 4},
        {"   工      事      名", 340, 40},
        {"単位", 35, 4},
        {" 数量", 60, 7},
        {"   単    価", 110, 12},
        {"   金      額", 120, 14},
        {"   原 単 価", 110, 12},
        {"   原      価", 120, 14},
        {"  摘       要", 220, 28},
    };
    return BySheet(sheet, kBreakdown, kDetail, kSummary);
}

CellTyping CellTypingOf(SheetKind sheet, int col) {
    const std::vector<ColumnSpec>& specs = ColumnSpecsOf(sheet);
    const int maxBytes = col >= 0 && col < static_cast<int>(specs.size())
                             ? specs[static_cast<std::size_t>(col)].maxBytes
                             : 0;
    const SheetColumns& c = ColumnsOf(sheet);
    switch (sheet) {
        case SheetKind::Breakdown:
            if (col >= c.quantity && col <= c.cost) return {CellTypingKind::WholeNumber, maxBytes};
            if (col == c.workDays) return {CellTypingKind::DecimalNumber, maxBytes};
            break;
        case SheetKind::Summary:
            if (col == c.quantity) return {CellTypingKind::DecimalNumber, maxBytes};
            if (col > c.quantity && col <= c.cost) return {CellTypingKind::WholeNumber, maxBytes};
            break;
        case SheetKind::Detail:
            if (col >= c.quantity && col <= c.cost)
                return {CellTypingKind::DecimalNumber, maxBytes};
            // The labour rate column is hidden; what reaches it is held to six characters.
            if (col == c.labourRate) return {CellTypingKind::DecimalNumber, 6};
            break;
    }
    return {CellTypingKind::Text, maxBytes};
}

}  // namespace quilto
