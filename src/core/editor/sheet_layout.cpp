#include "core/editor/sheet_layout.h"

namespace quilto {

const SheetColumns& ColumnsOf(SheetKind sheet) {
    static const SheetColumns kBreakdown{301, 10, 300,       4,         5, kNoColumn, 6, kNoColumn,
                                         7,   8,  kNoColumn, kNoColumn, 8, kNoColumn, 9};
    static const SheetColumns kDetail{301, 15, 300, 5, 6, 7, 8, 9, 10, 11, 12, 13, 10, 14};
    static const SheetColumns kSummary{1001, 11, 1000, 4,         5,         6, 7,
                                       8,    9,  10,   kNoColumn, kNoColumn, 10};
    return BySheet(sheet, kBreakdown, kDetail, kSummary);
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
