#include "core/masters/product_guide.h"

#include <algorithm>
#include <numeric>

#include "core/foundation/text_bytes.h"

namespace quilto {
namespace {

constexpr int kGuideItemNameBytes = 24;
constexpr int kChoiceNameBytes = 40;

}  // namespace

ListItems GuideConstructionItems(const MasterLists& lists) { return ConstructionListItems(lists); }

ListItems GuideProductItems(const MasterLists& lists, std::string_view constructionCode,
                            bool sorted) {
    // No construction name chosen: nothing to offer.
    if (Trimmed(constructionCode).empty()) return {};
    ListItems list = ProductItems(lists, constructionCode, kGuideItemNameBytes, "");
    if (!sorted) return list;

    std::vector<std::size_t> order(list.items.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&list](std::size_t a, std::size_t b) {
        return list.items[a] < list.items[b];
    });
    ListItems byName;
    byName.items.reserve(order.size());
    byName.entries.reserve(order.size());
    for (const std::size_t i : order) {
        byName.items.push_back(std::move(list.items[i]));
        byName.entries.push_back(list.entries[i]);
    }
    return byName;
}

std::vector<std::string> GuideConstructionNames(const MasterLists& lists) {
    std::vector<std::string> names;
    names.reserve(lists.constructionNames.size());
    for (const std::string& line : lists.constructionNames) {
        names.push_back(TrimmedRight(ConstructionNameOf(line)));
    }
    return names;
}

ConstructionChoice ConstructionChoiceOf(std::string_view constructionLine) {
    return {ConstructionCodeOf(constructionLine),
            TrimmedRight(PadRightBytes(ConstructionNameOf(constructionLine), kChoiceNameBytes))};
}

}  // namespace quilto
