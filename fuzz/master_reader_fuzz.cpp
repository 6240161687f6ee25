// Master files from untrusted bytes, taken at once as a construction-name, a product and a
// unit file. Whatever the lines hold (no line ending, lone CR or LF, huge lines, a lead
// byte at the very end), reading fields must stay inside the lines, rebuilt lines must
// have their exact width, lines must survive a write and a re-read unchanged, and a next
// code must never name an entry that exists.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "core/masters/master_lines.h"
#include "core/masters/master_lists.h"

using namespace quilto;

namespace {

void Require(bool condition) {
    if (!condition) std::abort();
}

bool IsDigits(std::string_view text, std::size_t width) {
    if (text.size() != width) return false;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::vector<std::string> lines = SplitMasterLines(bytes);
    Require(SplitMasterLines(JoinMasterLines(lines)) == lines);

    MasterLists lists;
    lists.constructionNames = lines;
    lists.products = lines;
    for (const std::string& line : lines) {
        Require(line.find_first_of("\r\n") == std::string::npos);
        Require(ConstructionCodeOf(line).size() <= 3 && ConstructionNameOf(line).size() <= 50);
        const ProductFields fields = ProductFieldsOf(line);
        Require(fields.remarks.size() <= 40 && fields.name.size() <= 50);
        Require(BuildProductLine(fields).size() == static_cast<std::size_t>(kProductLineWidth));
        Require(BuildConstructionLine(ConstructionCodeOf(line), ConstructionNameOf(line)).size() ==
                static_cast<std::size_t>(kConstructionLineWidth));
        const std::string unit = UnitNameOfLine(line);
        Require(unit.size() <= 6);
        lists.units.push_back(unit);
    }

    const NextCode construction = NextConstructionCode(lists);
    if (!construction.exhausted) {
        Require(IsDigits(construction.code, 3));
        Require(FindConstructionName(lists, construction.code) == -1);
    }
    const std::string key = lines.empty() ? "001" : ConstructionCodeOf(lines.front());
    const NextCode product = NextProductCode(lists, key);
    if (!product.exhausted) {
        Require(IsDigits(product.code, 6));
        Require(FindProduct(lists, key, product.code) == -1);
        PutProduct(lists, {key, product.code, "n", "", "", "", "", ""});
        Require(lists.products.size() == lines.size() + 1);
    }

    DeleteConstructionName(lists, key);
    for (const std::string& line : lists.products) {
        Require(ProductFieldOf(line, ProductField::ConstructionCode) !=
                BuildConstructionLine(key, "").substr(0, 3));
    }
    return 0;
}
