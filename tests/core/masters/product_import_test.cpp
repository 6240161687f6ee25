#include "core/masters/product_import.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/foundation/text_bytes.h"
#include "core/masters/master_files.h"
#include "core/store/environment.h"
#include "support/sjis.h"
#include "support/working_folder.h"

namespace quilto {
namespace {

using test::ReadAll;
using test::Sjis;
using test::Utf8;
using test::WorkingFolder;
using test::WriteAll;

std::string Field(const std::string& line, ProductField field) {
    return Utf8(Trimmed(ProductFieldOf(line, field)));
}

// The products of the list from index first on, as "code|name|spec|unit|cost|price|remarks".
std::vector<std::string> Imported(const MasterLists& lists, std::size_t first) {
    std::vector<std::string> rows;
    for (std::size_t i = first; i < lists.products.size(); ++i) {
        const std::string& line = lists.products[i];
        rows.push_back(
            Field(line, ProductField::ConstructionCode) + Field(line, ProductField::ProductCode) +
            "|" + Field(line, ProductField::Name) + "|" + Field(line, ProductField::Specification) +
            "|" + Field(line, ProductField::Unit) + "|" + Field(line, ProductField::Cost) + "|" +
            Field(line, ProductField::Price) + "|" + Field(line, ProductField::Remarks));
    }
    return rows;
}

MasterLists ListsWithProducts() {
    MasterLists lists;
    PutProduct(lists, {"001", "000001", "a", "", "", "", "", ""});
    PutProduct(lists, {"001", "000010", "b", "", "", "", "", ""});
    PutProduct(lists, {"002", "000050", "c", "", "", "", "", ""});
    return lists;
}

TEST(ProductImportTest, Cp932LinesBecomeConsecutiveProductsOfTheConstruction) {
    MasterLists lists = ListsWithProducts();
    const std::string csv = Sjis(
        "生コン,18-8-20,m3,\"12,000\",15000\r\n"
        "\r\n"
        "鉄筋 , D13 ,ｔ,12,20,六つ目,七つ目\r\n"
        "型枠,,,abc,\r\n"
        "単管,48.6φ\tx,本,1.5.5,-300\r\n");
    const ProductImportReport report = ImportProductCsv(lists, "001", csv);

    EXPECT_FALSE(report.utf8);
    EXPECT_EQ(report.imported, 5);
    EXPECT_TRUE(report.refusedLines.empty());
    EXPECT_FALSE(report.capacityStopped);
    EXPECT_EQ(Imported(lists, 3), (std::vector<std::string>{
                                      "001000011|生コン|18-8-20|m3|12000|15000|",
                                      "001000012|＊＊＊＊＊|||0|0|",
                                      "001000013|鉄筋|D13|ｔ|12|20|",
                                      "001000014|型枠|||0|0|",
                                      "001000015|単管|48.6φ x|本|1.55|-300|",
                                  }));
    // The other construction names keep their products as they were.
    EXPECT_EQ(Imported(lists, 2).front(), "002000050|c|||0|0|");
}

TEST(ProductImportTest, QuotedFieldsHoldCommasAndQuotesWhileUnquotedLinesSplitAtEveryComma) {
    struct Case {
        const char* line;
        std::vector<std::string> fields;
    };
    const Case cases[] = {
        {"\"a,b\",\"say \"\"hi\"\"\",c", {"a,b", "say \"hi\"", "c", "", ""}},
        {"  \" padded \" ,x", {"padded", "x", "", "", ""}},
        {"12\" pipe,x", {"12\" pipe", "x", "", "", ""}},
        {"\"open,never closed", {"open,never closed", "", "", "", ""}},
        {"\"a\"tail,b", {"atail", "b", "", "", ""}},
        {"a,b,c,d,e,f", {"a", "b", "c", "d", "e"}},
        {"a,", {"a", "", "", "", ""}},
        {"", {"", "", "", "", ""}},
    };
    std::vector<std::string> fields{"stale"};
    for (const Case& c : cases) {
        SplitImportLine(c.line, fields, 4);
        EXPECT_EQ(fields, c.fields) << c.line;
    }
}

TEST(ProductImportTest, Utf8FilesAreConvertedAndLinesCp932CannotHoldAreRefusedByNumber) {
    const std::string lines =
        "床材,〜300角,㎡,1000,1500\n"
        "照明😀,LED,台,1,2\n"
        "\"手すり, 木製\",φ35,ｍ,3000,4500\n"
        "塗装,,式,,\n";
    for (const std::string& bom : {std::string("\xEF\xBB\xBF"), std::string()}) {
        MasterLists lists;
        const ProductImportReport report = ImportProductCsv(lists, "003", bom + lines);
        EXPECT_TRUE(report.utf8);
        EXPECT_EQ(report.imported, 3);
        EXPECT_EQ(report.refusedLines, std::vector<int>{2});
        // 〜 (U+301C) is what input methods bring for ～: it is stored as CP932's ～.
        EXPECT_EQ(Imported(lists, 0), (std::vector<std::string>{
                                          "003000001|床材|～300角|㎡|1000|1500|",
                                          "003000002|手すり, 木製|φ35|ｍ|3000|4500|",
                                          "003000003|塗装||式|0|0|",
                                      }));
        const std::string message = ImportClosingMessage(report);
        EXPECT_EQ(message.rfind(kImportDoneMessage, 0), 0u) << message;
        EXPECT_NE(message.find("3 件"), std::string::npos) << message;
        EXPECT_NE(message.find("行 : 2"), std::string::npos) << message;
    }
}

TEST(ProductImportTest, Cp932LinesWithUndefinedBytesAreRefused) {
    MasterLists lists;
    // 0x85 0x40 is no CP932 character; a lone lead byte at the end is none either.
    const std::string csv = Sjis("良い,x\r\n") + "bad\x85\x40,x\r\nend\x82\r\n" + Sjis("次,y\r\n");
    const ProductImportReport report = ImportProductCsv(lists, "001", csv);
    EXPECT_FALSE(report.utf8);
    EXPECT_EQ(report.imported, 2);
    EXPECT_EQ(report.refusedLines, (std::vector<int>{2, 3}));
    EXPECT_EQ(Field(lists.products[1], ProductField::ProductCode), "000002");
}

TEST(ProductImportTest, AFullProductListStopsTheImport) {
    MasterLists lists;
    for (int i = 1; i <= kProductCapacity; ++i) {
        lists.products.push_back(
            BuildProductLine({"009", std::to_string(100000 + i), "x", "", "", "", "", ""}));
    }
    const ProductImportReport report = ImportProductCsv(lists, "001", "a\r\nb\r\nc\r\n");
    // The list may still reach one past its capacity, as a save may.
    EXPECT_EQ(report.imported, 1);
    EXPECT_TRUE(report.capacityStopped);
    EXPECT_EQ(lists.products.size(), static_cast<std::size_t>(kProductCapacity) + 1);
}

TEST(ProductImportTest, AnExportedConstructionNameImportsBackTheSame) {
    MasterLists lists;
    const std::vector<ProductFields> products = {
        {"004", "000001", Sjis("手すり, 木製"), Sjis("φ35 \"特注\""), Sjis("ｍ"), "3000", "4500",
         ""},
        {"004", "000002", Sjis("  字下げ"), "", "", "0", "-12.5", ""},
        {"004", "000003", Sjis("平板"), Sjis("～300角"), Sjis("㎡"), "1", "2", ""},
        {"005", "000001", "other", "", "", "", "", ""},
    };
    for (const ProductFields& product : products) PutProduct(lists, product);
    const std::string csv = ExportProductCsv(lists, "004");
    EXPECT_EQ(csv.rfind("\xEF\xBB\xBF", 0), 0u);

    MasterLists imported;
    const ProductImportReport report = ImportProductCsv(imported, "004", csv);
    EXPECT_TRUE(report.utf8);
    EXPECT_TRUE(report.refusedLines.empty());
    ASSERT_EQ(imported.products.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
        ProductFields expected = products[i];
        expected.name = Trimmed(expected.name);  // a field is trimmed on reading
        EXPECT_EQ(imported.products[i], BuildProductLine(expected)) << i;
    }
}

TEST(ProductImportTest, TheFileIsReadImportedAndTheProductFileWritten) {
    WorkingFolder folder;
    Environment environment;
    MasterLists lists = ListsWithProducts();
    WriteAll("in.csv", Sjis("ボルト,M12,本,30,50\r\n"));

    const ProductImportFileResult result =
        ImportProductFile(lists, environment, "002", folder.FilePath("in.csv"));
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.writeResult, 0);
    EXPECT_EQ(result.report.imported, 1);
    MasterLists loaded;
    ASSERT_EQ(LoadProducts(loaded, environment), 0);
    EXPECT_EQ(loaded.products, lists.products);
    EXPECT_EQ(Imported(loaded, 3), (std::vector<std::string>{"002000051|ボルト|M12|本|30|50|"}));

    const ProductImportFileResult missing =
        ImportProductFile(lists, environment, "002", folder.FilePath("none.csv"));
    EXPECT_EQ(missing.status, -1);
    EXPECT_EQ(lists.products.size(), 4u);
}

}  // namespace
}  // namespace quilto
