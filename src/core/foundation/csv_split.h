#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quilto {

// Splits a product import line at every "," into fields[0..last]; pieces are trimmed and
// unescaped; an empty line leaves fields untouched. fields is grown to last + 1 if needed.
int SplitCsv(std::string_view line, std::vector<std::string>& fields, int last);
std::string UnescapeField(std::string_view text);

}  // namespace quilto
