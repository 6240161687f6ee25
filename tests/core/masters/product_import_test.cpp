#include "core/masters/product_import.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
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
        "鉄筋 , D13 ,ｔ,12,20,六つ目,七つ目\r\n"
        "型枠,,,abc,\r\n"
        ",規格だけ,,,\r\n"
        "単管,48.6φ\tx,本,1.55,-300\r\n");
    const ProductImportReport report = ImportProductCsv(lists, "001", csv);

    EXPECT_EQ(report.encoding, ImportEncoding::kCp932);
    EXPECT_EQ(report.imported, 5);
    EXPECT_TRUE(report.refused.empty());
    EXPECT_FALSE(report.capacityStopped);
    EXPECT_EQ(Imported(lists, 3), (std::vector<std::string>{
                                      "001000011|生コン|18-8-20|m3|12000|15000|",
                                      "001000012|鉄筋|D13|ｔ|12|20|",
                                      "001000013|型枠|||0|0|",
                                      "001000014|＊＊＊＊＊|規格だけ||0|0|",
                                      "001000015|単管|48.6φ x|本|1.55|-300|",
                                  }));
    // The other construction names keep their products as they were.
    EXPECT_EQ(Imported(lists, 2).front(), "002000050|c|||0|0|");
}

// A line with nothing on it is no product anybody meant: it is skipped and counted, where
// it used to become a product 「＊＊＊＊＊」 with nothing else.
TEST(ProductImportTest, WhollyBlankLinesAreSkippedAndCounted) {
    MasterLists lists;
    const ProductImportReport report = ImportProductCsv(
        lists, "001", Sjis("\r\n   \r\n,,,,\r\n \" \" , ,\r\n,,,,,\r\n柱,,,,\r\n\n"));
    EXPECT_EQ(report.blankLines, 6);
    EXPECT_EQ(Imported(lists, 0), (std::vector<std::string>{"001000001|柱|||0|0|"}));
    EXPECT_FALSE(report.Partial());
    const std::string message = ImportClosingMessage(report);
    EXPECT_NE(message.find("取り込んだ商品 : 1 件"), std::string::npos) << message;
    EXPECT_NE(message.find("空行のため読み飛ばした行 : 6 行"), std::string::npos) << message;
}

// A figure nobody typed must never be stored: a price too wide for its 10 places used to
// be cut to its first ten digits, and the digits of something that is no number ("1e308")
// were run together (1308). Such a line is left out, named with the price and the field.
TEST(ProductImportTest, PricesThatAreNoNumberOrDoNotFitAreRefusedByLine) {
    const struct {
        const char* price;
        const char* stored;  // nullptr: the line is refused with reason
        const char* reason;
    } cases[] = {
        {"9999999999", "9999999999", nullptr},
        {"-999999999", "-999999999", nullptr},
        {"\"1,234.5\"", "1234.5", nullptr},
        {"\"\\1,200\"", "1200", nullptr},
        {"￥800円", "800", nullptr},
        {"+15", "15", nullptr},
        {"なし", "0", nullptr},
        {"", "0", nullptr},
        {"99999999999999999999999999", nullptr,
         "「99999999999999999999999999」は 10 桁の欄に収まりません (販売単価)"},
        {"-9999999999", nullptr, "「-9999999999」は 10 桁の欄に収まりません (販売単価)"},
        {"1e308", nullptr, "「1e308」は数値として読めません (販売単価)"},
        {"1.5.5", nullptr, "「1.5.5」は数値として読めません (販売単価)"},
        {"12a", nullptr, "「12a」は数値として読めません (販売単価)"},
    };
    for (const auto& c : cases) {
        MasterLists lists;
        const ProductImportReport report = ImportProductCsv(
            lists, "001", Sjis(std::string("前,,,1,") + c.price + "\r\n後,,,2,3\r\n"));
        if (c.stored) {
            ASSERT_EQ(report.imported, 2) << c.price;
            EXPECT_EQ(Field(lists.products[0], ProductField::Price), c.stored) << c.price;
            EXPECT_TRUE(report.refused.empty()) << c.price;
        } else {
            EXPECT_EQ(report.refused, (std::vector<ImportRefusal>{{1, c.reason}})) << c.price;
            EXPECT_EQ(Imported(lists, 0), (std::vector<std::string>{"001000001|後|||2|3|"}))
                << c.price;
        }
    }
    // The purchase cost is held to the same rule and named as itself.
    MasterLists lists;
    const ProductImportReport report = ImportProductCsv(lists, "001", "a,,,1e3,5\r\n");
    EXPECT_EQ(report.refused,
              (std::vector<ImportRefusal>{{1, "「1e3」は数値として読めません (仕入原価)"}}));
}

// A cell of several lines, as spreadsheet programs write it, is one field: its line breaks
// become blanks and the product is whole, where the lines used to be split into two broken
// products.
TEST(ProductImportTest, AQuotedFieldHoldingLineBreaksStaysOneField) {
    MasterLists lists;
    const ProductImportReport report = ImportProductCsv(
        lists, "001",
        Sjis("床材,\"300角\r\n白\",㎡,1000,1500\r\n\"手すり\n木製\",φ35,ｍ,3000,4500\r\n"
             "\"閉じない,x,式,1,2\r\n次,,式,1,2\r\n"));
    EXPECT_EQ(Imported(lists, 0), (std::vector<std::string>{
                                      "001000001|床材|300角 白|㎡|1000|1500|",
                                      "001000002|手すり 木製|φ35|ｍ|3000|4500|",
                                      "001000003|次||式|1|2|",
                                  }));
    // A quote that never closes would take every line after it into one field: its line
    // is refused and the import goes on after it.
    EXPECT_EQ(report.refused,
              (std::vector<ImportRefusal>{
                  {5, "5 行目の引用符 (\") が閉じていません。引用符を閉じてください"}}));
}

TEST(ProductImportTest, Utf8FilesAreConvertedAndLinesCp932CannotHoldAreRefusedNamingTheCharacter) {
    const std::string lines =
        "床材,〜300角,㎡,1000,1500\n"
        "照明😀,LED,台,1,2\n"
        "\"手すり, 木製\",φ35,ｍ,3000,4500\n"
        "塗装,,式,,\n";
    for (const std::string& bom : {std::string("\xEF\xBB\xBF"), std::string()}) {
        MasterLists lists;
        const ProductImportReport report = ImportProductCsv(lists, "003", bom + lines);
        EXPECT_EQ(report.encoding, ImportEncoding::kUtf8);
        EXPECT_EQ(report.imported, 3);
        EXPECT_EQ(report.refused,
                  (std::vector<ImportRefusal>{{2, "「😀」は使えない文字です (商品名)"}}));
        // 〜 (U+301C) is what input methods bring for ～: it is stored as CP932's ～.
        EXPECT_EQ(Imported(lists, 0), (std::vector<std::string>{
                                          "003000001|床材|～300角|㎡|1000|1500|",
                                          "003000002|手すり, 木製|φ35|ｍ|3000|4500|",
                                          "003000003|塗装||式|0|0|",
                                      }));
        const std::string message = ImportClosingMessage(report);
        EXPECT_EQ(message.rfind(kImportDoneMessage, 0), 0u) << message;
        EXPECT_NE(message.find("取り込んだ商品 : 3 件"), std::string::npos) << message;
        EXPECT_NE(message.find("\n  2 行目 : 「😀」は使えない文字です (商品名)"), std::string::npos)
            << message;
    }
}

TEST(ProductImportTest, Cp932LinesWithUndefinedBytesAreRefusedNamingTheBytesAndField) {
    MasterLists lists;
    // 0x85 0x40 is no CP932 character; a lone lead byte at the end is none either. A sixth
    // field is never stored, so what it holds refuses nothing.
    const std::string csv =
        Sjis("良い,x\r\n") + "bad,x\x85\x40\r\n,,end\x82\r\n" + Sjis("次,y,,,,") + "\x85\x40\r\n";
    const ProductImportReport report = ImportProductCsv(lists, "001", csv);
    EXPECT_EQ(report.encoding, ImportEncoding::kCp932);
    EXPECT_EQ(report.imported, 2);
    EXPECT_EQ(report.refused, (std::vector<ImportRefusal>{
                                  {2, "Shift-JIS の文字でないバイト (0x85 0x40) があります (規格)"},
                                  {3, "Shift-JIS の文字でないバイト (0x82) があります (単位)"}}));
    EXPECT_EQ(Field(lists.products[1], ProductField::ProductCode), "000002");
}

// Binary data read line by line used to come in as hundreds of products; UTF-16, which
// spreadsheet programs offer as Unicode text, was not recognised at all.
TEST(ProductImportTest, AFileThatIsNoTextIsRefusedWholeAndUtf16IsConverted) {
    std::string junk = Sjis("品名,規格\r\n");
    for (int i = 0; i < 4096; ++i) junk += static_cast<char>((i * 7919) % 256);
    MasterLists lists;
    ProductImportReport report = ImportProductCsv(lists, "001", junk);
    EXPECT_FALSE(report.isText);
    EXPECT_EQ(report.notTextReason, "2 行目に文字でないデータ (0x00) があります");
    EXPECT_EQ(report.imported, 0);
    EXPECT_TRUE(lists.products.empty());

    // Little- and big-endian; a character outside the BMP (a surrogate pair) is refused like
    // any character CP932 cannot hold.
    const std::u16string text = u"床材,〜300角,㎡,1000,1500\r\n照明\U0001F600,LED,台,1,2\r\n";
    for (const bool bigEndian : {false, true}) {
        std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
        for (const char16_t unit : text) {
            const char high = static_cast<char>(unit >> 8);
            const char low = static_cast<char>(unit & 0xFF);
            bytes += bigEndian ? std::string{high, low} : std::string{low, high};
        }
        MasterLists converted;
        report = ImportProductCsv(converted, "001", bytes);
        EXPECT_EQ(report.encoding, ImportEncoding::kUtf16);
        EXPECT_EQ(Imported(converted, 0),
                  (std::vector<std::string>{"001000001|床材|～300角|㎡|1000|1500|"}));
        EXPECT_EQ(report.refused,
                  (std::vector<ImportRefusal>{{2, "「😀」は使えない文字です (商品名)"}}));

        // An odd byte at the end, or half a surrogate pair, is no UTF-16.
        const std::string lowHalf = bigEndian ? "\xDE\x00" : std::string("\x00\xDE", 2);
        for (const std::string& broken : {bytes.substr(0, bytes.size() - 1), bytes + lowHalf}) {
            MasterLists none;
            report = ImportProductCsv(none, "001", broken);
            EXPECT_FALSE(report.isText);
            EXPECT_EQ(report.notTextReason, "3 行目で UTF-16 の文字が壊れています");
            EXPECT_TRUE(none.products.empty());
        }
    }

    // An end-of-file mark, as old programs write it, is no data.
    EXPECT_EQ(ImportProductCsv(lists, "001", "a,b\r\n\x1A").imported, 1);
}

TEST(ProductImportTest, AFullProductListStopsTheImportAndSaysWhere) {
    MasterLists lists;
    for (int i = 1; i <= kProductCapacity; ++i) {
        lists.products.push_back(
            BuildProductLine({"009", std::to_string(100000 + i), "x", "", "", "", "", ""}));
    }
    const ProductImportReport report = ImportProductCsv(lists, "001", "a\r\n\r\nb\r\nc\r\n");
    // The list may still reach one past its capacity, as a save may.
    EXPECT_EQ(report.imported, 1);
    EXPECT_TRUE(report.capacityStopped);
    EXPECT_EQ(report.stoppedAtLine, 3);
    EXPECT_TRUE(report.Partial());
    EXPECT_EQ(lists.products.size(), static_cast<std::size_t>(kProductCapacity) + 1);
    const std::string message = ImportClosingMessage(report);
    EXPECT_NE(message.find("3 行目から後は取り込んでいません"), std::string::npos) << message;
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
    EXPECT_EQ(report.encoding, ImportEncoding::kUtf8);
    EXPECT_TRUE(report.refused.empty());
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
    EXPECT_EQ(result.file.status, ImportFileStatus::kRead);
    EXPECT_EQ(result.writeResult, MasterFileResult::kOk);
    EXPECT_EQ(result.report.imported, 1);
    MasterLists loaded;
    ASSERT_EQ(LoadProducts(loaded, environment), MasterFileResult::kOk);
    EXPECT_EQ(loaded.products, lists.products);
    EXPECT_EQ(Imported(loaded, 3), (std::vector<std::string>{"002000051|ボルト|M12|本|30|50|"}));
}

// Every file that cannot be imported says why, with its path: a file too large used to be
// called missing, and one holding no text was imported line by line.
TEST(ProductImportTest, AFileThatCannotBeImportedSaysWhyAndNothingIsWritten) {
    WorkingFolder folder;
    Environment environment;
    MasterLists lists = ListsWithProducts();
    ASSERT_EQ(WriteProducts(lists, environment), MasterFileResult::kOk);
    const std::string stored = ReadAll("MST/sp_syo.dat");
    {
        QFile big("big.csv");
        ASSERT_TRUE(big.open(QIODevice::WriteOnly));
        ASSERT_TRUE(big.resize(kMaxMasterFileBytes + 1));
    }
    WriteAll("binary.csv", std::string("a,b\r\n\x01\x02", 7));
    ASSERT_TRUE(QDir().mkdir("folder.csv"));

    const struct {
        const char* file;
        ImportFileStatus status;
        const char* message;  // its beginning; {path} stands for the file's absolute path
    } cases[] = {
        {"none.csv", ImportFileStatus::kMissing, "**  ファイルがありません。 ！！  ( {path} )"},
        {"big.csv", ImportFileStatus::kTooLarge,
         "**  ファイルが大きすぎます。 ！！  ( {path} : 67108865 バイトあります。取り込めるのは "
         "64 MB までです )\nファイルを分けて取り込んでください。"},
        {"binary.csv", ImportFileStatus::kNotText,
         "**  CSV のテキストファイルではありません。 ！！  ( {path} : 2 行目に文字でないデータ "
         "(0x01) があります )\n"},
        {"folder.csv", ImportFileStatus::kUnreadable,
         "**  ファイルを読めません。 ！！  ( {path} : ファイルではなくフォルダです )"},
    };
    for (const auto& c : cases) {
        const QString path = folder.FilePath(c.file);
        std::string expected = c.message;
        expected.replace(expected.find("{path}"), 6,
                         QFileInfo(path).absoluteFilePath().toStdString());
        const ProductImportFileResult result = ImportProductFile(lists, environment, "002", path);
        EXPECT_EQ(result.file.status, c.status) << c.file;
        const std::string message = ImportFileMessage(result.file, path);
        EXPECT_EQ(message.substr(0, expected.size()), expected) << c.file;
        // Before asking, the import learns all but what the bytes hold.
        if (c.status != ImportFileStatus::kNotText) {
            EXPECT_EQ(CheckImportFile(path).status, c.status) << c.file;
        }
    }
    EXPECT_EQ(lists.products.size(), 3u);
    EXPECT_EQ(ReadAll("MST/sp_syo.dat"), stored);
}

}  // namespace
}  // namespace quilto
