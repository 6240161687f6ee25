#pragma once

// The rules of the lookup guide that offers construction names and products to the
// estimate editor: what its lists hold and what a choice writes back.

#include <string>
#include <string_view>

#include "core/masters/name_registration.h"

namespace quilto {

inline constexpr char kGuideProductNameHeader[] = "  商   品   名";
inline constexpr char kGuideSpecificationHeader[] = "  規     格";

// Construction-name mode: the 50-byte name of every construction name, in list order.
ListItems GuideConstructionItems(const MasterLists& lists);
// Product mode: for each product of the construction code, the name cut or padded to 24
// bytes, the 30-byte specification and the 6-byte code; by item text (that is, by name)
// when sorted, otherwise in list order.
ListItems GuideProductItems(const MasterLists& lists, std::string_view constructionCode,
                            bool sorted);
// The construction names for the guide's drop-down: names without trailing blanks.
std::vector<std::string> GuideConstructionNames(const MasterLists& lists);

// What a chosen construction name writes into a breakdown or summary line.
struct ConstructionChoice {
    std::string code;  // column 1
    std::string name;  // column 3: cut or padded to 40 bytes, trailing blanks removed
};
ConstructionChoice ConstructionChoiceOf(std::string_view constructionLine);
inline constexpr char kChoiceQuantity[] = "1";
// "式" in CP932.
inline constexpr char kChoiceUnit[] = "\x8E\xAE";

}  // namespace quilto
