#include "core/masters/master_lists.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/sjis.h"

namespace quilto {
namespace {

using test::Sjis;
using test::Utf8;

std::string Blanks(std::size_t count) { return std::string(count, ' '); }

std::string Construction(const std::string& code, const std::string& name = "x") {
    return BuildConstructionLine(code, name);
}

std::string Product(const std::string& construction, const std::string& code,
                    const std::string& name = "p") {
    return BuildProductLine({construction, code, name, "", "", "", "", ""});
}

TEST(MasterLinesTest, ProductLineHoldsEveryFieldAtItsWidth) {
    const ProductFields fields{"001",      "000002",    Sjis("鉄筋"), Sjis("D13"),
                               Sjis("ｍ"), "1,234,567", "abc",        Sjis("備考")};
    const std::string expected = "001" + std::string("000002") + Sjis("鉄筋") + Blanks(46) +
                                 Sjis("D13") + Blanks(27) + Sjis("ｍ") + Blanks(4) + "1234567" +
                                 Blanks(3) + "0" + Blanks(9) + Sjis("備考") + Blanks(36);
    const std::string line = BuildProductLine(fields);
    EXPECT_EQ(line.size(), 155u);
    EXPECT_EQ(Utf8(line), Utf8(expected));

    // Read back field by field as stored.
    EXPECT_EQ(ProductFieldOf(line, ProductField::Unit), Sjis("ｍ") + Blanks(4));
    EXPECT_EQ(ProductFieldOf(line, ProductField::Cost), "1234567" + Blanks(3));
    EXPECT_EQ(ProductFieldsOf(line).remarks, Sjis("備考") + Blanks(36));
}

TEST(MasterLinesTest, NumberTextKeepsOnlyANumber) {
    const struct {
        const char* typed;
        const char* stored;
    } cases[] = {
        {"1,234,567", "1234567"},       {"abc", "0"}, {"", "0"},
        {"  -1,000.50 ", "-1000.50"},   {"-", "0"},   {"1.2.3", "1.23"},
        {"12345678901", "12345678901"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(MasterNumberText(c.typed), c.stored) << c.typed;
    }
    // Too long for its field: cut to the 10 bytes the line has room for.
    EXPECT_EQ(ProductFieldOf(BuildProductLine({"001", "000001", "", "", "", "12345678901", "", ""}),
                             ProductField::Cost),
              "1234567890");
}

TEST(MasterLinesTest, TextsAreCutWithoutSplittingACharacter) {
    // 49 single bytes and then a double-byte character: it would straddle byte 50.
    const std::string name = std::string(49, 'a') + Sjis("漢字");
    EXPECT_EQ(ConstructionNameOf(BuildConstructionLine("001", name)), std::string(49, 'a') + " ");
    EXPECT_EQ(ProductFieldOf(BuildProductLine({"001", "000001", name, "", "", "", "", ""}),
                             ProductField::Name),
              std::string(49, 'a') + " ");
    EXPECT_EQ(BuildConstructionLine("1", "").size(), 53u);
}

TEST(MasterLinesTest, FieldsBeyondAShortLineReadEmpty) {
    const std::string line = "002000003" + Sjis("短い");
    EXPECT_EQ(ProductFieldOf(line, ProductField::ConstructionCode), "002");
    EXPECT_EQ(ProductFieldOf(line, ProductField::ProductCode), "000003");
    EXPECT_EQ(ProductFieldOf(line, ProductField::Name), Sjis("短い"));
    EXPECT_EQ(ProductFieldOf(line, ProductField::Specification), "");
    EXPECT_EQ(ProductFieldOf(line, ProductField::Remarks), "");
    EXPECT_EQ(ConstructionCodeOf("7"), "7");
    EXPECT_EQ(ConstructionNameOf("007"), "");
}

TEST(MasterLinesTest, UnitLinesAreCutToSixBytesAndTrimmed) {
    const struct {
        std::string line;
        std::string unit;
    } cases[] = {
        {std::string(" ").append(Sjis("ｍ")).append("  "), Sjis("ｍ")},
        {"12345678", "123456"},
        {"12345" + Sjis("本"), "12345"},  // the character would straddle byte 6
        {"", ""},
        {"m3", "m3"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(UnitNameOfLine(c.line), c.unit) << Utf8(c.line);
    }
}

TEST(MasterListsTest, ConstructionNamesArePutInPlaceAndDeletedWithTheirProducts) {
    MasterLists lists;
    PutConstructionName(lists, "001", Sjis("基礎工事"));
    PutConstructionName(lists, "002", Sjis("鉄骨工事"));
    PutConstructionName(lists, "003", Sjis("内装工事"));
    PutConstructionName(lists, "002", Sjis("鉄骨工事改"));  // rename keeps its place
    ASSERT_EQ(lists.constructionNames.size(), 3u);
    EXPECT_EQ(FindConstructionName(lists, "002"), 1);
    EXPECT_EQ(Utf8(lists.constructionNames[1]), Utf8("002" + Sjis("鉄骨工事改") + Blanks(40)));
    EXPECT_EQ(FindConstructionName(lists, "2"), -1);  // "2  " is another code
    EXPECT_EQ(FindConstructionName(lists, "004"), -1);

    lists.products = {Product("001", "000001"),
                      Product("002", "000001"),
                      Product("003", "000002"),
                      Product("002", "000002"),
                      "0020000",  // a short line of the same construction code
                      Product("200", "000002")};
    EXPECT_EQ(DeleteConstructionName(lists, "002"), 1);
    EXPECT_EQ(lists.constructionNames.size(), 2u);
    EXPECT_EQ(FindConstructionName(lists, "003"), 1);
    const std::vector<std::string> left = {Product("001", "000001"), Product("003", "000002"),
                                           Product("200", "000002")};
    EXPECT_EQ(lists.products, left);

    EXPECT_EQ(DeleteConstructionName(lists, "009"), -1);
    EXPECT_EQ(lists.products, left);
}

TEST(MasterListsTest, ProductsAreFoundByBothCodes) {
    MasterLists lists;
    PutProduct(lists, {"001", "000001", "a", "", "", "100", "200", ""});
    PutProduct(lists, {"002", "000001", "b", "", "", "", "", ""});
    PutProduct(lists, {"001", "000001", "c", "", "", "", "", ""});  // a change
    ASSERT_EQ(lists.products.size(), 2u);
    EXPECT_EQ(FindProduct(lists, "002", "000001"), 1);
    EXPECT_EQ(ProductFieldOf(lists.products[0], ProductField::Name), "c" + Blanks(49));
    EXPECT_EQ(FindProduct(lists, "001", "1"), -1);

    EXPECT_EQ(DeleteProduct(lists, "001", "000001"), 0);
    EXPECT_EQ(DeleteProduct(lists, "001", "000001"), -1);
    EXPECT_EQ(FindProduct(lists, "002", "000001"), 0);
}

TEST(MasterListsTest, UnitsAreComparedExactly) {
    MasterLists lists;
    SetDefaultUnits(lists);
    const std::vector<std::string> defaults = {Sjis("式"), Sjis("本"), Sjis("個"), Sjis("台"),
                                               Sjis("冊"), Sjis("ｍ"), Sjis("㎡"), "m3"};
    EXPECT_EQ(lists.units, defaults);
    EXPECT_EQ(FindUnit(lists, "m3"), 7);
    EXPECT_EQ(FindUnit(lists, "M3"), -1);
    AddUnit(lists, "kg");
    EXPECT_EQ(FindUnit(lists, "kg"), 8);
    EXPECT_EQ(DeleteUnit(lists, 0), 0);
    EXPECT_EQ(DeleteUnit(lists, 8), -1);
    EXPECT_EQ(DeleteUnit(lists, -1), -1);
    EXPECT_EQ(lists.units.front(), Sjis("本"));
}

TEST(MasterListsTest, CapacityAllowsOneEntryBeyondTheShownCount) {
    MasterLists lists;
    lists.constructionNames.assign(300, Construction("001"));
    lists.products.assign(30000, Product("001", "000001"));
    lists.units.assign(100, "u");
    EXPECT_TRUE(HasRoomForConstructionName(lists));
    EXPECT_TRUE(HasRoomForProduct(lists));
    EXPECT_TRUE(HasRoomForUnit(lists));
    lists.constructionNames.push_back(Construction("002"));
    lists.products.push_back(Product("001", "000002"));
    lists.units.push_back("v");
    EXPECT_FALSE(HasRoomForConstructionName(lists));
    EXPECT_FALSE(HasRoomForProduct(lists));
    EXPECT_FALSE(HasRoomForUnit(lists));
}

TEST(MasterListsTest, NextConstructionCodeNeverNamesAnExistingEntry) {
    const struct {
        const char* what;
        std::vector<std::string> codes;
        std::string next;
    } cases[] = {
        {"empty list", {}, "001"},
        {"after the greatest, gaps stay unused", {"001", "002", "005"}, "006"},
        {"greatest by bytes, not by order", {"010", "003"}, "011"},
        {"past 999: the lowest free code", {"999", "001", "002", "004"}, "003"},
        {"a code that is no number gives a taken code", {"abc", "001"}, "002"},
    };
    for (const auto& c : cases) {
        MasterLists lists;
        for (const std::string& code : c.codes)
            lists.constructionNames.push_back(Construction(code));
        const NextCode next = NextConstructionCode(lists);
        EXPECT_FALSE(next.exhausted) << c.what;
        EXPECT_EQ(next.code, c.next) << c.what;
    }

    MasterLists lists;
    for (const char* code : {"001", "002", "005"}) PutConstructionName(lists, code, "x");
    PutConstructionName(lists, NextConstructionCode(lists).code, "y");
    EXPECT_EQ(FindConstructionName(lists, "006"), 3);
    DeleteConstructionName(lists, "006");
    EXPECT_EQ(NextConstructionCode(lists).code, "006");

    MasterLists full;
    for (int code = 1; code <= 999; ++code) {
        char text[8];
        std::snprintf(text, sizeof text, "%03d", code);
        full.constructionNames.push_back(Construction(text));
    }
    const NextCode none = NextConstructionCode(full);
    EXPECT_TRUE(none.exhausted);
    EXPECT_EQ(none.code, "");
}

TEST(MasterListsTest, NextProductCodeCountsPerConstructionCode) {
    MasterLists lists;
    EXPECT_EQ(NextProductCode(lists, "001").code, "000001");
    lists.products = {Product("001", "000001"), Product("001", "000010"), Product("002", "000050")};
    EXPECT_EQ(NextProductCode(lists, "001").code, "000011");
    EXPECT_EQ(NextProductCode(lists, "002").code, "000051");
    EXPECT_EQ(NextProductCode(lists, "003").code, "000001");

    // At the top of the range the lowest free code of that construction code is used.
    lists.products = {Product("001", "999999"), Product("001", "000001"), Product("002", "000002")};
    const NextCode next = NextProductCode(lists, "001");
    EXPECT_FALSE(next.exhausted);
    EXPECT_EQ(next.code, "000002");

    // A sequence hands out what NextProductCode would give after each code was added.
    CodeSequence sequence = ProductCodeSequence(lists, "001");
    for (const char* expected : {"000002", "000003", "000004"}) {
        const NextCode code = sequence.Next();
        EXPECT_EQ(code.code, expected);
        EXPECT_EQ(code.code, NextProductCode(lists, "001").code);
        sequence.Take(code.code);
        lists.products.push_back(Product("001", code.code));
    }
}

}  // namespace
}  // namespace quilto
