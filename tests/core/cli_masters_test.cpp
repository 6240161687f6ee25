#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <nlohmann/json.hpp>
#include <string>

#include "core/foundation/text_bytes.h"
#include "core/masters/master_files.h"
#include "core/store/environment.h"
#include "support/cli_runner.h"
#include "support/marker_holder.h"
#include "support/read_only_folder.h"
#include "support/sjis.h"
#include "support/working_folder.h"

namespace quilto {
namespace {

using test::CliRun;
using test::ReadAll;
using test::RunCli;
using test::Sjis;
using test::Utf8;
using test::WorkingFolder;
using test::WriteAll;

class CliMasters : public ::testing::Test {
  protected:
    void SetUp() override {
        PutConstructionName(lists, "001", Sjis("基礎工事"));
        PutConstructionName(lists, "002", Sjis("内装工事"));
        PutProduct(lists, {"002", "000001", Sjis("石膏ボード"), Sjis("9.5mm, 910×1820"), Sjis("枚"),
                           "420", "680", Sjis("不燃")});
        ASSERT_EQ(WriteConstructionNames(lists, environment), MasterFileResult::kOk);
        ASSERT_EQ(WriteProducts(lists, environment), MasterFileResult::kOk);
    }
    WorkingFolder folder;
    Environment environment;
    MasterLists lists;
};

TEST_F(CliMasters, ListsConstructionNamesAndTheProductsOfOne) {
    CliRun run = RunCli({"masters", "list"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "001  基礎工事  (0)\n002  内装工事  (1)\n");

    run = RunCli({"masters", "list", "--json"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const auto names = nlohmann::json::parse(run.out);
    EXPECT_EQ(names[1]["code"], "002");
    EXPECT_EQ(names[1]["products"], 1);

    run = RunCli({"masters", "list", "002", "--json"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const auto products = nlohmann::json::parse(run.out);
    ASSERT_EQ(products.size(), 1u);
    EXPECT_EQ(products[0]["name"], "石膏ボード");
    EXPECT_EQ(products[0]["price"], "680");
    EXPECT_EQ(products[0]["remarks"], "不燃");

    EXPECT_EQ(RunCli({"masters", "list", "009"}).exitCode, 1);
    EXPECT_EQ(RunCli({"masters", "remove"}).exitCode, 2);
}

TEST_F(CliMasters, AnExportImportsBackIntoAnotherConstructionName) {
    const CliRun exported = RunCli({"masters", "export", "002"});
    ASSERT_EQ(exported.exitCode, 0) << exported.err;
    EXPECT_EQ(exported.out, "\xEF\xBB\xBF石膏ボード,\"9.5mm, 910×1820\",枚,420,680\r\n");
    WriteAll("out.csv", exported.out + "追加品,,式,,\r\n");

    const CliRun imported = RunCli({"masters", "import", "001", "out.csv"});
    ASSERT_EQ(imported.exitCode, 0) << imported.err;
    EXPECT_NE(imported.out.find("インポート完了"), std::string::npos) << imported.out;
    EXPECT_NE(imported.out.find("2 件"), std::string::npos) << imported.out;
    MasterLists stored;
    ASSERT_EQ(LoadProducts(stored, environment), MasterFileResult::kOk);
    ASSERT_EQ(stored.products.size(), 3u);
    EXPECT_EQ(stored.products[1],
              BuildProductLine({"001", "000001", Sjis("石膏ボード"), Sjis("9.5mm, 910×1820"),
                                Sjis("枚"), "420", "680", ""}));
    EXPECT_FALSE(QFile::exists("MST/Master.tmp"));
}

TEST_F(CliMasters, ImportIsRefusedWhileAnotherCopyHoldsTheMasters) {
    WriteAll("in.csv", "a,b\r\n");
    const std::string before = ReadAll("MST/sp_syo.dat");
    test::MarkerHolder other("MST/Master.tmp");
    ASSERT_TRUE(other.Held());
    const CliRun run = RunCli({"masters", "import", "001", "in.csv"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("書込み不可"), std::string::npos) << run.err;
    EXPECT_EQ(ReadAll("MST/sp_syo.dat"), before);
    EXPECT_TRUE(QFile::exists("MST/Master.tmp"));

    EXPECT_EQ(RunCli({"masters", "import", "009", "in.csv"}).exitCode, 1);
    EXPECT_EQ(RunCli({"masters", "import", "001", "none.csv"}).exitCode, 1);
}

// The import stores only what the file says: no text is refused whole, UTF-16 is read, a
// cell of several lines is one product, a file too large says so, and an import that left
// lines out tells a script by its exit status (3) after writing what came in.
TEST_F(CliMasters, ImportsOnlyWhatTheFileSaysAndAPartialImportIsNoSuccess) {
    std::string junk = "a,b\r\n";
    for (int i = 0; i < 2000; ++i) junk += static_cast<char>((i * 131) % 256);
    std::string utf16 = "\xFF\xFE";
    for (const char16_t unit : std::u16string(u"柱,,本,1,2\r\n")) {
        utf16 += static_cast<char>(unit & 0xFF);
        utf16 += static_cast<char>(unit >> 8);
    }
    const struct {
        const char* name;
        std::string bytes;
        int exitCode;
        const char* said;    // in stdout or stderr
        const char* stored;  // the product imported into 001, or "" for none
    } cases[] = {
        {"junk", junk, 1, "CSV のテキストファイルではありません", ""},
        {"utf16", utf16, 0, "取り込んだ商品 : 1 件", "柱||本|1|2"},
        {"cell", "\"手すり\r\n木製\",φ35,ｍ,3000,4500\r\n", 0, "取り込んだ商品 : 1 件",
         "手すり 木製|φ35|ｍ|3000|4500"},
        {"wide", "a,,,1,99999999999999999999999999\r\n", 3,
         "1 行目 : 「99999999999999999999999999」は 10 桁の欄に収まりません (販売単価)", ""},
        {"big", "", 1, "ファイルが大きすぎます", ""},
    };
    for (const auto& c : cases) {
        SetUp();  // the masters as they were
        const QString file = QString::fromLatin1(c.name) + ".csv";
        WriteAll(file, c.bytes);
        if (std::string(c.name) == "big") {
            QFile big(file);
            ASSERT_TRUE(big.open(QIODevice::ReadWrite));
            ASSERT_TRUE(big.resize(kMaxMasterFileBytes + 1));
        }
        const CliRun run = RunCli({"masters", "import", "001", file});
        EXPECT_EQ(run.exitCode, c.exitCode) << c.name << "\n" << run.out << run.err;
        EXPECT_NE((run.out + run.err).find(c.said), std::string::npos) << c.name << "\n"
                                                                       << run.out << run.err;
        EXPECT_EQ((run.out + run.err).find("ファイルがありません"), std::string::npos) << c.name;
        MasterLists stored;
        ASSERT_EQ(LoadProducts(stored, environment), MasterFileResult::kOk);
        std::string product;
        for (const std::string& line : stored.products) {
            const ProductFields f = ProductFieldsOf(line);
            if (f.constructionCode != "001") continue;
            product = Utf8(TrimmedRight(f.name)) + "|" + Utf8(TrimmedRight(f.specification)) + "|" +
                      Utf8(TrimmedRight(f.unit)) + "|" + Utf8(TrimmedRight(f.cost)) + "|" +
                      Utf8(TrimmedRight(f.price));
        }
        EXPECT_EQ(product, c.stored) << c.name;
    }
}

TEST_F(CliMasters, AnImportStoppedByAFullProductListWritesWhatCameInAndExitsThree) {
    // With the fixture's product, the list is full: one more is taken (as a save may), then
    // the import stops.
    for (int i = 1; i < kProductCapacity; ++i) {
        lists.products.push_back(
            BuildProductLine({"009", std::to_string(100000 + i), "x", "", "", "", "", ""}));
    }
    ASSERT_EQ(WriteProducts(lists, environment), MasterFileResult::kOk);
    WriteAll("in.csv", "a\r\nb\r\nc\r\n");
    const CliRun run = RunCli({"masters", "import", "001", "in.csv"});
    EXPECT_EQ(run.exitCode, 3) << run.out << run.err;
    EXPECT_NE(run.err.find("商品登録の許容件数を超えましたので"), std::string::npos) << run.err;
    EXPECT_NE(run.out.find("2 行目から後は取り込んでいません"), std::string::npos) << run.out;
    MasterLists stored;
    ASSERT_EQ(LoadProducts(stored, environment), MasterFileResult::kOk);
    EXPECT_EQ(stored.products.size(), static_cast<std::size_t>(kProductCapacity) + 1);
}

// A read-only master folder is no copy holding the masters: the import says the folder is
// read-only, with its path; a missing master folder is not an empty list.
TEST_F(CliMasters, AReadOnlyOrMissingMasterFolderIsSaidAsItIs) {
    WriteAll("in.csv", "a,b\r\n");
    const std::string before = ReadAll("MST/sp_syo.dat");
    const std::string folderPath = QDir("MST").absolutePath().toStdString() + "/";
    {
        test::ReadOnlyFolder readOnly(QStringLiteral("MST"));
        if (!readOnly.Usable()) GTEST_SKIP() << "this file system lets us write anywhere";
        const CliRun run = RunCli({"masters", "import", "001", "in.csv"});
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_NE(run.err.find("master folder " + folderPath + " is read-only ("),
                  std::string::npos)
            << run.err;
        EXPECT_EQ(run.err.find("他で使用中"), std::string::npos) << run.err;
        EXPECT_EQ(ReadAll("MST/sp_syo.dat"), before);
    }
    ASSERT_TRUE(QDir("MST").removeRecursively());
    const CliRun run = RunCli({"masters", "list"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("master folder " + folderPath + " is missing"), std::string::npos)
        << run.err;
}

// An import never replaces a product file it could not read: the firm's whole product list
// would be gone. The listing says which file and why instead of showing an empty list.
TEST_F(CliMasters, AProductFileThatCannotBeReadIsNeitherListedNorReplaced) {
    QFile big("MST/sp_syo.dat");
    ASSERT_TRUE(big.open(QIODevice::ReadWrite));
    ASSERT_TRUE(big.resize(kMaxMasterFileBytes + 1));
    big.close();
    WriteAll("in.csv", "追加品,,式,,\r\n");

    const CliRun listed = RunCli({"masters", "list"});
    EXPECT_EQ(listed.exitCode, 1);
    EXPECT_NE(listed.err.find("sp_syo.dat"), std::string::npos) << listed.err;
    EXPECT_EQ(listed.out, "");
    const CliRun imported = RunCli({"masters", "import", "001", "in.csv"});
    EXPECT_EQ(imported.exitCode, 1);
    EXPECT_NE(imported.err.find("sp_syo.dat"), std::string::npos) << imported.err;
    EXPECT_EQ(QFileInfo("MST/sp_syo.dat").size(), kMaxMasterFileBytes + 1);
}

}  // namespace
}  // namespace quilto
