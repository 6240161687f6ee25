#include "core/foundation/csv_split.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "support/sjis.h"

namespace quilto {
namespace {

using test::Sjis;

using Fields = std::vector<std::string>;

TEST(CsvSplit, SplitsTrimsAndUnescapesUpToTheLastIndex) {
    struct Case {
        std::string line;
        int last;
        Fields expected;
    };
    // ソ and 表 end in 0x5C: neither may disturb the split.
    const Case cases[] = {
        {Sjis("表示板, ソフト巾木 ,枚,1200,1500"),
         4,
         {Sjis("表示板"), Sjis("ソフト巾木"), Sjis("枚"), "1200", "1500"}},
        {"a,b,c,d,e,f", 2, {"a", "b", "c"}},  // pieces past the last index are ignored
        {"a,,c,", 3, {"a", "", "c", ""}},
        {"a\t#b,c\t!d", 1, {"a\r\nb", "c\",d"}},
        {"\x81,x,y", 1, {"\x81,x", "y"}},  // a lead byte keeps the byte after it
    };
    for (const Case& c : cases) {
        Fields fields;
        EXPECT_EQ(SplitCsv(c.line, fields, c.last), 0);
        EXPECT_EQ(fields, c.expected) << "line: " << c.line;
    }
}

TEST(CsvSplit, FieldsNotReachedKeepTheirContent) {
    Fields fields(5, "old");
    SplitCsv("a,b", fields, 4);
    EXPECT_EQ(fields, Fields({"a", "b", "old", "old", "old"}));

    SplitCsv("", fields, 4);
    EXPECT_EQ(fields, Fields({"a", "b", "old", "old", "old"}));
}

TEST(CsvSplit, UnescapeFieldLeftToRight) {
    const std::pair<std::string_view, std::string_view> cases[] = {
        {"\t\t#", "\t\r\n"},
        {"\t#\t!", "\r\n\","},
        {"#\t", "#\t"},
        {"", ""},
    };
    for (const auto& [input, expected] : cases) EXPECT_EQ(UnescapeField(input), expected);
}

}  // namespace
}  // namespace quilto
