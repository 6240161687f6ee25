#include "core/store/cost_class.h"

#include <array>

#include "core/foundation/cp932.h"
#include "core/foundation/text_bytes.h"

namespace quilto {

namespace {

constexpr std::array<const char*, kCostClassCount> kNames = {
    "", "材料費", "労務費", "法定福利費", "安全衛生経費", "建退共掛金", "その他経費"};
constexpr std::array<const char*, kCostClassCount> kShortNames = {"",   "材", "労", "福",
                                                                  "安", "建", "他"};

struct Cp932Names {
    std::array<std::string, kCostClassCount> names, shortNames;
};

const Cp932Names& Cp932() {
    static const Cp932Names names = [] {
        Cp932Names n;
        for (std::size_t i = 0; i < kCostClassCount; ++i) {
            n.names[i] = Utf8ToCp932(kNames[i]).value_or(std::string());
            n.shortNames[i] = Utf8ToCp932(kShortNames[i]).value_or(std::string());
        }
        return n;
    }();
    return names;
}

}  // namespace

CostClass CostClassOfByte(std::uint8_t value) {
    return value < kCostClassCount ? static_cast<CostClass>(value) : CostClass::Unclassified;
}

const char* CostClassName(CostClass cls) { return kNames[static_cast<std::size_t>(cls)]; }

const char* CostClassShortName(CostClass cls) { return kShortNames[static_cast<std::size_t>(cls)]; }

std::optional<CostClass> CostClassOfCellText(std::string_view cp932) {
    const std::string text = Trimmed(std::string(cp932));
    if (text.empty()) return CostClass::Unclassified;
    if (text.size() == 1 && text[0] >= '0' && text[0] < '0' + kCostClassCount)
        return static_cast<CostClass>(text[0] - '0');
    const Cp932Names& n = Cp932();
    for (std::size_t i = 1; i < kCostClassCount; ++i) {
        if (text == n.names[i] || text == n.shortNames[i]) return static_cast<CostClass>(i);
    }
    return std::nullopt;
}

const std::string& CostClassCellText(CostClass cls) {
    return Cp932().shortNames[static_cast<std::size_t>(cls)];
}

}  // namespace quilto
