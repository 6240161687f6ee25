#include "core/masters/master_lists.h"

#include <QStringList>

#include <algorithm>
#include <string>

#include "core/foundation/number_text.h"
#include "core/foundation/text_bytes.h"

namespace quilto {

QString MasterLists::Unreadable() const {
    QStringList files;
    for (const QString* f : {&constructionNamesUnreadable, &productsUnreadable, &unitsUnreadable})
        if (!f->isEmpty()) files << *f;
    return files.join(QLatin1Char('\n'));
}
namespace {

constexpr int kLastConstructionCode = 999;
constexpr int kLastProductCode = 999999;

bool IsAllDigits(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Leading zeros, the last width digits.
std::string CodeText(long long number, int width) {
    return PadLeftBytes(
        std::string(static_cast<std::size_t>(width) + 2, '0') + std::to_string(number), width);
}

}  // namespace

bool HasRoomForConstructionName(const MasterLists& lists) {
    return lists.constructionNames.size() <= static_cast<std::size_t>(kConstructionNameCapacity);
}

bool HasRoomForProduct(const MasterLists& lists) {
    return lists.products.size() <= static_cast<std::size_t>(kProductCapacity);
}

bool HasRoomForUnit(const MasterLists& lists) {
    return lists.units.size() <= static_cast<std::size_t>(kUnitCapacity);
}

int FindConstructionName(const MasterLists& lists, std::string_view code) {
    const std::string key = PadRightBytes(code, kConstructionCodeWidth);
    for (std::size_t i = 0; i < lists.constructionNames.size(); ++i) {
        if (ConstructionCodeOf(lists.constructionNames[i]) == key) return static_cast<int>(i);
    }
    return -1;
}

void PutConstructionName(MasterLists& lists, std::string_view code, std::string_view name) {
    std::string line = BuildConstructionLine(code, name);
    const int index = FindConstructionName(lists, code);
    if (index >= 0) {
        lists.constructionNames[static_cast<std::size_t>(index)] = std::move(line);
    } else {
        lists.constructionNames.push_back(std::move(line));
    }
}

int DeleteConstructionName(MasterLists& lists, std::string_view code) {
    const int index = FindConstructionName(lists, code);
    if (index >= 0) lists.constructionNames.erase(lists.constructionNames.begin() + index);
    const std::string key = PadRightBytes(code, kConstructionCodeWidth);
    std::erase_if(lists.products, [&key](const std::string& line) {
        return ProductFieldOf(line, ProductField::ConstructionCode) == key;
    });
    return index;
}

int FindProduct(const MasterLists& lists, std::string_view constructionCode,
                std::string_view productCode) {
    const std::string construction = PadRightBytes(constructionCode, kConstructionCodeWidth);
    const std::string product = PadRightBytes(productCode, kProductCodeWidth);
    for (std::size_t i = 0; i < lists.products.size(); ++i) {
        const std::string& line = lists.products[i];
        if (ProductFieldOf(line, ProductField::ConstructionCode) == construction &&
            ProductFieldOf(line, ProductField::ProductCode) == product) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

void PutProduct(MasterLists& lists, const ProductFields& fields) {
    std::string line = BuildProductLine(fields);
    const int index = FindProduct(lists, fields.constructionCode, fields.productCode);
    if (index >= 0) {
        lists.products[static_cast<std::size_t>(index)] = std::move(line);
    } else {
        lists.products.push_back(std::move(line));
    }
}

int DeleteProduct(MasterLists& lists, std::string_view constructionCode,
                  std::string_view productCode) {
    const int index = FindProduct(lists, constructionCode, productCode);
    if (index >= 0) lists.products.erase(lists.products.begin() + index);
    return index;
}

int FindUnit(const MasterLists& lists, std::string_view name) {
    const auto found = std::find(lists.units.begin(), lists.units.end(), name);
    return found == lists.units.end() ? -1 : static_cast<int>(found - lists.units.begin());
}

void AddUnit(MasterLists& lists, std::string_view name) { lists.units.emplace_back(name); }

int DeleteUnit(MasterLists& lists, int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= lists.units.size()) return -1;
    lists.units.erase(lists.units.begin() + index);
    return index;
}

std::vector<std::string> DefaultUnits() {
    // CP932 bytes of 式 本 個 台 冊 ｍ (full width) ㎡ and the plain "m3".
    return {"\x8E\xAE", "\x96\x7B", "\x8C\xC2", "\x91\xE4",
            "\x8D\xFB", "\x82\x8D", "\x87\x75", "m3"};
}

void SetDefaultUnits(MasterLists& lists) { lists.units = DefaultUnits(); }

CodeSequence::CodeSequence(const std::vector<std::string>& codes, int width, int last)
    : width_(width),
      last_(last),
      greatest_(static_cast<std::size_t>(width), '0'),
      used_(static_cast<std::size_t>(last) + 1, false) {
    for (const std::string& code : codes) Take(code);
}

void CodeSequence::Take(const std::string& code) {
    if (code > greatest_) greatest_ = code;  // byte-wise, as the codes are text
    if (code.size() != static_cast<std::size_t>(width_) || !IsAllDigits(code)) return;
    used_[static_cast<std::size_t>(std::stoll(code))] = true;
    while (lowestFree_ <= last_ && used_[static_cast<std::size_t>(lowestFree_)]) ++lowestFree_;
}

NextCode CodeSequence::Next() const {
    const long long next = ToInt(greatest_) + 1;
    if (next >= 1 && next <= last_ && !used_[static_cast<std::size_t>(next)]) {
        return {false, CodeText(next, width_)};
    }
    if (lowestFree_ <= last_) return {false, CodeText(lowestFree_, width_)};
    return {true, {}};
}

NextCode NextConstructionCode(const MasterLists& lists) {
    std::vector<std::string> codes;
    codes.reserve(lists.constructionNames.size());
    for (const std::string& line : lists.constructionNames) {
        codes.push_back(ConstructionCodeOf(line));
    }
    return CodeSequence(codes, kConstructionCodeWidth, kLastConstructionCode).Next();
}

NextCode NextProductCode(const MasterLists& lists, std::string_view constructionCode) {
    return ProductCodeSequence(lists, constructionCode).Next();
}

CodeSequence ProductCodeSequence(const MasterLists& lists, std::string_view constructionCode) {
    const std::string key = PadRightBytes(constructionCode, kConstructionCodeWidth);
    std::vector<std::string> codes;
    for (const std::string& line : lists.products) {
        if (ProductFieldOf(line, ProductField::ConstructionCode) == key) {
            codes.push_back(ProductFieldOf(line, ProductField::ProductCode));
        }
    }
    return CodeSequence(codes, kProductCodeWidth, kLastProductCode);
}

}  // namespace quilto
