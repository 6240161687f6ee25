#include "core/masters/csv_records.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quilto {
namespace {

// The records of text, each as "line:field|field|..." with quoted fields in [brackets],
// "+" for text past the kept fields and "unclosed to N" for a quote that never closes.
std::vector<std::string> Records(std::string_view text, int kept = 3) {
    std::vector<std::string> out;
    CsvRecordReader reader(text, kept);
    CsvRecord record;
    while (reader.Next(record)) {
        std::string row = std::to_string(record.line) + ":";
        if (record.unclosedQuote) {
            out.push_back(row + "unclosed to " + std::to_string(record.lastLine));
            continue;
        }
        for (std::size_t i = 0; i < record.fields.size(); ++i) {
            if (i > 0) row += "|";
            row += record.quoted[i] ? "[" + record.fields[i] + "]" : record.fields[i];
        }
        out.push_back(row + (record.moreText ? "+" : ""));
    }
    return out;
}

TEST(CsvRecordsTest, QuotedFieldsHoldCommasQuotesAndLineBreaks) {
    const struct {
        const char* text;
        std::vector<std::string> records;
    } cases[] = {
        {"\"a,b\",\"say \"\"hi\"\"\",c", {"1:[a,b]|[say \"hi\"]|c"}},
        {"  \" padded \" ,x", {"1:[ padded  ]|x|"}},
        {"12\" pipe,x", {"1:12\" pipe|x|"}},
        {"\"a\"tail,b", {"1:[atail]|b|"}},
        {"a,b,c,d", {"1:a|b|c+"}},
        {"a,b,c, ,", {"1:a|b|c"}},
        {"a,\r\n,b\n\nc", {"1:a||", "2:|b|", "3:||", "4:c||"}},
        {"a\r\rb\r\n", {"1:a||", "2:||", "3:b||"}},
        // A cell of several lines, with each kind of line end.
        {"\"x\r\ny\",z\r\n\"p\rq\nr\",s\r\nt", {"1:[x\ny]|z|", "3:[p\nq\nr]|s|", "6:t||"}},
        // A quote that never closes refuses the lines up to its own and reading goes on.
        {"a\r\n\"b\r\nc,d\r\n", {"1:a||", "2:unclosed to 2", "3:c|d|"}},
        {"\"a\r\nb\",\"c\r\nd\r\ne", {"1:unclosed to 2", "3:d||", "4:e||"}},
        {"x,\"never", {"1:unclosed to 1"}},
        {"", {}},
    };
    for (const auto& c : cases) EXPECT_EQ(Records(c.text), c.records) << c.text;
}

}  // namespace
}  // namespace quilto
