// Master files that no program of ours wrote: the readers give defined results and the
// lists built from them stay safe to number and to write back.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/masters/master_files.h"
#include "core/store/environment.h"
#include "support/working_folder.h"

namespace quilto {
namespace {

using test::ReadAll;
using test::WorkingFolder;
using test::WriteAll;

TEST(MasterReaderHostileTest, OddFilesLoadAndWriteBackLineForLine) {
    const struct {
        const char* what;
        std::string text;
        std::vector<std::string> lines;
    } cases[] = {
        {"no line ending at all", "001abc", {"001abc"}},
        {"lone CR and lone LF", "a\rb\nc\r\n", {"a", "b", "c"}},
        {"lead byte at the very end", "001\x82\r\n999\x82", {"001\x82", "999\x82"}},
        {"NUL bytes inside", std::string("00\0x\r\n", 6), {std::string("00\0x", 4)}},
        {"one huge line", std::string(1 << 20, 'x'), {std::string(1 << 20, 'x')}},
        {"only line endings", "\r\n\r\n", {"", ""}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        WorkingFolder folder;
        Environment environment;
        WriteAll("MST/sp_syo.dat", c.text);
        WriteAll("MST/sp_Koji.dat", c.text);
        WriteAll("MST/sp_unit.dat", c.text);

        MasterLists lists;
        ASSERT_EQ(LoadMasterLists(lists, environment), MasterFileResult::kOk);
        EXPECT_EQ(lists.products, c.lines);
        EXPECT_EQ(lists.constructionNames, c.lines);
        for (const std::string& unit : lists.units) EXPECT_LE(unit.size(), 6u);
        for (const std::string& line : lists.products) {
            EXPECT_EQ(BuildProductLine(ProductFieldsOf(line)).size(), 155u);
        }

        const NextCode construction = NextConstructionCode(lists);
        ASSERT_FALSE(construction.exhausted);
        EXPECT_EQ(FindConstructionName(lists, construction.code), -1);
        const NextCode product = NextProductCode(lists, "001");
        ASSERT_FALSE(product.exhausted);
        EXPECT_EQ(FindProduct(lists, "001", product.code), -1);

        ASSERT_EQ(WriteProducts(lists, environment), MasterFileResult::kOk);
        MasterLists again;
        ASSERT_EQ(LoadProducts(again, environment), MasterFileResult::kOk);
        EXPECT_EQ(again.products, c.lines);
    }
}

}  // namespace
}  // namespace quilto
