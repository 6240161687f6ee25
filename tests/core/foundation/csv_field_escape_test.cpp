#include "core/foundation/csv_field_escape.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <utility>

namespace quilto {
namespace {

TEST(CsvFieldEscape, UnescapesLeftToRight) {
    const std::pair<std::string_view, std::string_view> cases[] = {
        {"\t\t#", "\t\r\n"},    {"\t#\t!", "\r\n\","}, {"#\t", "#\t"}, {"", ""},
        {"\x81\t#", "\x81\t#"},  // a lead byte keeps the byte after it, a TAB included
    };
    for (const auto& [input, expected] : cases) EXPECT_EQ(UnescapeField(input), expected);
}

}  // namespace
}  // namespace quilto
