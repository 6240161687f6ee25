#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <nlohmann/json.hpp>
#include <string>

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
using test::WorkingFolder;
using test::WriteAll;

class CliMasters : public ::testing::Test {
  protected:
    void SetUp() override {
        PutConstructionName(lists, "001", Sjis("基礎工事"));
        PutConstructionName(lists, "002", Sjis("内装工事"));
        PutProduct(lists, {"002", "000001", Sjis("石膏ボード"), Sjis("9.5mm, 910×1820"), Sjis("枚"),
                           "420", "680", Sjis("不燃")});
        ASSERT_EQ(WriteConstructionNames(lists, environment), 0);
        ASSERT_EQ(WriteProducts(lists, environment), 0);
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
    ASSERT_EQ(LoadProducts(stored, environment), 0);
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
