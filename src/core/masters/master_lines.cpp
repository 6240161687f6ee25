#include "core/masters/master_lines.h"

#include <array>

#include "core/foundation/number_text.h"
#include "core/foundation/text_bytes.h"

namespace quilto {
namespace {

struct FieldSpan {
    int from;  // first byte, counted from 1
    int width;
};

constexpr std::array<FieldSpan, 8> kProductSpans{{
    {1, kConstructionCodeWidth},
    {4, kProductCodeWidth},
    {10, kProductNameWidth},
    {60, kSpecificationWidth},
    {90, kUnitWidth},
    {96, kPriceWidth},
    {106, kPriceWidth},
    {116, kRemarksWidth},
}};
static_assert(kProductSpans.back().from + kProductSpans.back().width - 1 == kProductLineWidth);

// A field never reaches past its own width, even where the line goes on.
std::string FieldAt(std::string_view line, FieldSpan span) {
    if (static_cast<std::size_t>(span.from) > line.size()) return {};
    return std::string(
        line.substr(static_cast<std::size_t>(span.from - 1), static_cast<std::size_t>(span.width)));
}

}  // namespace

std::string MasterNumberText(std::string_view typed) {
    std::string cleaned = CleanNumber(typed);
    if (!IsNumberText(cleaned)) return "0";
    return cleaned;
}

std::string BuildConstructionLine(std::string_view code, std::string_view name) {
    return PadRightBytes(code, kConstructionCodeWidth) +
           PadRightBytes(name, kConstructionNameWidth);
}

std::string BuildProductLine(const ProductFields& fields) {
    std::string line;
    line.reserve(kProductLineWidth);
    line += PadRightBytes(fields.constructionCode, kConstructionCodeWidth);
    line += PadRightBytes(fields.productCode, kProductCodeWidth);
    line += PadRightBytes(fields.name, kProductNameWidth);
    line += PadRightBytes(fields.specification, kSpecificationWidth);
    line += PadRightBytes(fields.unit, kUnitWidth);
    line += PadRightBytes(MasterNumberText(fields.cost), kPriceWidth);
    line += PadRightBytes(MasterNumberText(fields.price), kPriceWidth);
    line += PadRightBytes(fields.remarks, kRemarksWidth);
    return line;
}

std::string ConstructionCodeOf(std::string_view line) {
    return FieldAt(line, {1, kConstructionCodeWidth});
}

std::string ConstructionNameOf(std::string_view line) {
    return FieldAt(line, {kConstructionCodeWidth + 1, kConstructionNameWidth});
}

std::string ProductFieldOf(std::string_view line, ProductField field) {
    return FieldAt(line, kProductSpans[static_cast<std::size_t>(field)]);
}

ProductFields ProductFieldsOf(std::string_view line) {
    return {ProductFieldOf(line, ProductField::ConstructionCode),
            ProductFieldOf(line, ProductField::ProductCode),
            ProductFieldOf(line, ProductField::Name),
            ProductFieldOf(line, ProductField::Specification),
            ProductFieldOf(line, ProductField::Unit),
            ProductFieldOf(line, ProductField::Cost),
            ProductFieldOf(line, ProductField::Price),
            ProductFieldOf(line, ProductField::Remarks)};
}

std::string UnitNameOfLine(std::string_view line) {
    return Trimmed(PadRightBytes(line, kUnitWidth));
}

std::vector<std::string> SplitMasterLines(std::string_view fileText) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < fileText.size()) {
        const std::size_t end = fileText.find_first_of("\r\n", start);
        if (end == std::string_view::npos) {
            lines.emplace_back(fileText.substr(start));
            break;
        }
        lines.emplace_back(fileText.substr(start, end - start));
        start = end + 1;
        if (fileText[end] == '\r' && start < fileText.size() && fileText[start] == '\n') ++start;
    }
    return lines;
}

std::string JoinMasterLines(const std::vector<std::string>& lines) {
    std::size_t size = 0;
    for (const std::string& line : lines) size += line.size() + 2;
    std::string text;
    text.reserve(size);
    for (const std::string& line : lines) {
        text += line;
        text += "\r\n";
    }
    return text;
}

}  // namespace quilto
