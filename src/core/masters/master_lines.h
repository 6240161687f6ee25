#pragma once

// The fixed-width lines of the master files. A construction-name line is the 3-byte code
// and the 50-byte name; a product line is eight fields without separators (155 bytes); a
// unit line is the unit name alone. Fields are CP932, cut to their width without splitting
// a double-byte character and padded with blanks. Lines written by other programs may be
// shorter than their layout: a field beyond the end of a line reads as empty.

#include <string>
#include <string_view>
#include <vector>

namespace quilto {

inline constexpr int kConstructionCodeWidth = 3;
inline constexpr int kConstructionNameWidth = 50;
inline constexpr int kConstructionLineWidth = kConstructionCodeWidth + kConstructionNameWidth;

inline constexpr int kProductCodeWidth = 6;
inline constexpr int kProductNameWidth = 50;
inline constexpr int kSpecificationWidth = 30;
inline constexpr int kUnitWidth = 6;
inline constexpr int kPriceWidth = 10;
inline constexpr int kRemarksWidth = 40;
inline constexpr int kProductLineWidth = 155;

// The fields of a product line in their stored order.
enum class ProductField {
    ConstructionCode,
    ProductCode,
    Name,
    Specification,
    Unit,
    Cost,   // purchase cost, number text
    Price,  // selling unit price, number text
    Remarks,
};

struct ProductFields {
    std::string constructionCode;
    std::string productCode;
    std::string name;
    std::string specification;
    std::string unit;
    std::string cost;
    std::string price;
    std::string remarks;
};

std::string BuildConstructionLine(std::string_view code, std::string_view name);
// Prices are stored as number text (CleanNumber of what was typed, "0" when that is blank or
// no number), left-aligned in their 10 bytes.
std::string BuildProductLine(const ProductFields& fields);
std::string MasterNumberText(std::string_view typed);

// Fields of a stored line as they stand (untrimmed; empty beyond the end of the line).
std::string ConstructionCodeOf(std::string_view line);
std::string ConstructionNameOf(std::string_view line);
std::string ProductFieldOf(std::string_view line, ProductField field);
ProductFields ProductFieldsOf(std::string_view line);
// A unit line cut or padded to 6 bytes and trimmed.
std::string UnitNameOfLine(std::string_view line);

// The lines of a master file. Lines end in CR LF; a lone LF or CR also ends a line (files
// edited elsewhere), and a last line without an ending still counts.
std::vector<std::string> SplitMasterLines(std::string_view fileText);
// The file text of lines: each followed by CR LF.
std::string JoinMasterLines(const std::vector<std::string>& lines);

}  // namespace quilto
