#pragma once

#include <string>
#include <string_view>

namespace quilto {

// A product import field as written: TAB "#" back to a line break and TAB "!" back to a
// quote-comma pair, read left to right; double-byte characters pass whole.
std::string UnescapeField(std::string_view text);

}  // namespace quilto
