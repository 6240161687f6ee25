#pragma once

// Where the sheet 材料費等内訳書 (the itemised estimate) keeps its cells. The sheet is the
// last sheet of the quotation templates; the template generator draws it from these
// positions and the output writes into them, so the two cannot disagree. Its cells are
// not in the table definitions, whose fixed layout has no room for them. Rows and columns
// from 1.

namespace quilto::itemised_sheet {

inline constexpr const char* kSheetName = "材料費等内訳書";

// The heading.
inline constexpr int kTitleRow = 1;
inline constexpr int kNumberRow = 3, kNumberColumn = 3;  // 見積番号
inline constexpr int kCustomerRow = 3, kCustomerColumn = 6;
inline constexpr int kTitleOfWorkRow = 4, kTitleOfWorkColumn = 3;  // 工事名称

// The table: one line per work type or discount, the total as the last line.
inline constexpr int kHeadingRow = 6;
inline constexpr int kFirstLineRow = 7;
inline constexpr int kLinesPerPage = 20;
inline constexpr int kNameColumn = 2;
inline constexpr int kFirstClassColumn = 3;  // 材料費; the other five follow in class order
inline constexpr int kTotalColumn = 9;
inline constexpr int kDaysColumn = 10;
inline constexpr int kLastColumn = kDaysColumn;

// Below the table: the issuer, and a note when some amount was never classified.
inline constexpr int kIssuerRow = kFirstLineRow + kLinesPerPage;
inline constexpr int kNoteRow = kIssuerRow + 1;

}  // namespace quilto::itemised_sheet
