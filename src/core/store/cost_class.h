#pragma once

// The cost class of a detail line: which of the amounts a client may ask to see per work
// type (材料費, 労務費, the indispensable costs, その他経費) the line's amount belongs to. It
// is kept in the last byte of the detail record; a file written before classes existed
// holds 0 there and reads as unclassified.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quilto {

enum class CostClass : std::uint8_t {
    Unclassified = 0,
    Material = 1,    // 材料費
    Labour = 2,      // 労務費
    Welfare = 3,     // 法定福利費 (the employer's share)
    Safety = 4,      // 安全衛生経費
    Retirement = 5,  // 建退共掛金
    Other = 6,       // その他経費
};
inline constexpr int kCostClassCount = 7;  // with Unclassified
inline constexpr int kCostColumns = 6;     // the classes an itemised estimate shows

// A stored byte as a class; a value no class has reads as unclassified.
CostClass CostClassOfByte(std::uint8_t value);

// The names, UTF-8: "材料費" ... "その他経費" ("" for Unclassified), and the one-character
// names the editor's class column shows: 材 労 福 安 建 他 ("" for Unclassified).
const char* CostClassName(CostClass cls);
const char* CostClassShortName(CostClass cls);

// The class column's text (CP932) as a class: a short or full name, or the digit of the
// class ("0"-"6"); blank is Unclassified, anything else nothing.
std::optional<CostClass> CostClassOfCellText(std::string_view cp932);
// The class column's text (CP932) for a class: its short name, blank when unclassified.
const std::string& CostClassCellText(CostClass cls);

}  // namespace quilto
