#include "core/masters/master_files.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <string>
#include <vector>

#include "core/store/environment.h"
#include "support/read_only_folder.h"
#include "support/sjis.h"
#include "support/working_folder.h"

namespace quilto {
namespace {

using test::ReadAll;
using test::Sjis;
using test::Utf8;
using test::WorkingFolder;
using test::WriteAll;

std::string ProductLine(const char* construction, const char* code, const char* name) {
    return BuildProductLine({construction, code, name, "", "", "", "", ""});
}

TEST(MasterFilesTest, ListsAreWrittenAsCrLfLinesAndReadBackTheSame) {
    WorkingFolder folder;
    Environment environment;
    MasterLists lists;
    PutConstructionName(lists, "001", Sjis("基礎工事"));
    PutProduct(lists, {"001", "000001", Sjis("生コン"), "18-8-20", "m3", "12,000", "15000", ""});
    lists.units = {Sjis("式"), "  ", " kg ", ""};

    ASSERT_EQ(WriteConstructionNames(lists, environment), MasterFileResult::kOk);
    ASSERT_EQ(WriteProducts(lists, environment), MasterFileResult::kOk);
    ASSERT_EQ(WriteUnits(lists, environment), MasterFileResult::kOk);
    EXPECT_EQ(ReadAll("MST/sp_Koji.dat"), lists.constructionNames[0] + "\r\n");
    EXPECT_EQ(ReadAll("MST/sp_syo.dat"), lists.products[0] + "\r\n");
    EXPECT_EQ(ReadAll("MST/sp_syo.dat").size(), 157u);
    EXPECT_EQ(ReadAll("MST/sp_unit.dat"), Sjis("式") + "\r\nkg\r\n");

    MasterLists loaded;
    loaded.products = {"stale"};
    EXPECT_EQ(LoadMasterLists(loaded, environment), MasterFileResult::kOk);
    EXPECT_EQ(loaded.constructionNames, lists.constructionNames);
    EXPECT_EQ(loaded.products, lists.products);
    EXPECT_EQ(loaded.units, (std::vector<std::string>{Sjis("式"), "kg"}));
}

TEST(MasterFilesTest, LoadingTakesLinesAsTheyStand) {
    WorkingFolder folder;
    Environment environment;
    // An orphan product (construction code 009 exists nowhere), a short line, a blank line,
    // a lone LF, a lone CR and a last line without an ending.
    const std::string orphan = ProductLine("009", "000001", "orphan");
    WriteAll("MST/sp_syo.dat", orphan + "\r\n0010000\r\n\r\nA\nB\rC");
    WriteAll("MST/sp_unit.dat", std::string(" ").append(Sjis("ｍ")).append(" \r\n12345678\r\n"));
    WriteAll("MST/sp_Koji.dat", "");

    MasterLists lists;
    ASSERT_EQ(LoadMasterLists(lists, environment), MasterFileResult::kOk);
    EXPECT_EQ(lists.products, (std::vector<std::string>{orphan, "0010000", "", "A", "B", "C"}));
    EXPECT_EQ(lists.units, (std::vector<std::string>{Sjis("ｍ"), "123456"}));
    EXPECT_TRUE(lists.constructionNames.empty());

    // Written back unchanged, line for line.
    ASSERT_EQ(WriteProducts(lists, environment), MasterFileResult::kOk);
    EXPECT_EQ(ReadAll("MST/sp_syo.dat"), orphan + "\r\n0010000\r\n\r\nA\r\nB\r\nC\r\n");
}

TEST(MasterFilesTest, AMissingFileLeavesAnEmptyList) {
    WorkingFolder folder;
    Environment environment;
    MasterLists lists;
    lists.constructionNames = {"stale"};
    lists.units = {"stale"};
    EXPECT_EQ(LoadConstructionNames(lists, environment), MasterFileResult::kIoError);
    EXPECT_EQ(LoadUnits(lists, environment), MasterFileResult::kIoError);
    EXPECT_TRUE(lists.constructionNames.empty());
    EXPECT_TRUE(lists.units.empty());
}

TEST(MasterFilesTest, FilesMigratedWithOtherLetterCaseAreUsedInPlace) {
    WorkingFolder folder;
    Environment environment;
    WriteAll("MST/SP_KOJI.DAT", "001" + std::string(50, 'a') + "\r\n");
    MasterLists lists;
    ASSERT_EQ(LoadConstructionNames(lists, environment), MasterFileResult::kOk);
    ASSERT_EQ(lists.constructionNames.size(), 1u);
    PutConstructionName(lists, "002", "b");
    ASSERT_EQ(WriteConstructionNames(lists, environment), MasterFileResult::kOk);
    EXPECT_EQ(QDir("MST").entryList(QDir::Files).join(' ').toStdString(), "SP_KOJI.DAT");
    EXPECT_EQ(ReadAll("MST/SP_KOJI.DAT").size(), 2u * 55u);
}

TEST(MasterFilesTest, DeletingAConstructionNameWritesItsFileBeforeTheProducts) {
    WorkingFolder folder;
    Environment environment;
    MasterLists lists;
    PutConstructionName(lists, "001", "a");
    PutConstructionName(lists, "002", "b");
    lists.products = {ProductLine("001", "000001", "x"), ProductLine("002", "000001", "y")};
    ASSERT_EQ(WriteConstructionNames(lists, environment), MasterFileResult::kOk);
    ASSERT_EQ(WriteProducts(lists, environment), MasterFileResult::kOk);
    const std::string productsBefore = ReadAll("MST/sp_syo.dat");

    DeleteConstructionName(lists, "002");
    // The product file cannot be replaced (a folder stands in its place): the construction
    // names are already written when that fails.
    QFile::remove("MST/sp_syo.dat");
    QDir().mkdir("MST/sp_syo.dat");
    EXPECT_EQ(WriteConstructionNamesThenProducts(lists, environment), MasterFileResult::kIoError);
    EXPECT_EQ(ReadAll("MST/sp_Koji.dat"), lists.constructionNames[0] + "\r\n");

    QDir().rmdir("MST/sp_syo.dat");
    WriteAll("MST/sp_syo.dat", productsBefore);
    EXPECT_EQ(WriteConstructionNamesThenProducts(lists, environment), MasterFileResult::kOk);
    EXPECT_EQ(ReadAll("MST/sp_syo.dat"), ProductLine("001", "000001", "x") + "\r\n");
}

TEST(MasterFilesTest, AFailedWriteKeepsTheOldFile) {
    WorkingFolder folder;
    Environment environment;
    WriteAll("MST/sp_unit.dat", "old\r\n");
    test::ReadOnlyFolder readOnly(folder.FilePath("MST"));
    if (!readOnly.Usable()) GTEST_SKIP() << "this file system lets us write anyway";

    MasterLists lists;
    SetDefaultUnits(lists);
    EXPECT_EQ(WriteUnits(lists, environment), MasterFileResult::kIoError);
    EXPECT_EQ(ReadAll("MST/sp_unit.dat"), "old\r\n");
}

TEST(MasterFilesTest, FirstRunCreationWritesEmptyListsAndTheDefaultUnits) {
    WorkingFolder folder;
    Environment environment;
    MasterLists lists;
    lists.products = {"p"};
    lists.constructionNames = {"c"};
    EXPECT_EQ(CreateProductFile(lists, environment), MasterFileResult::kOk);
    EXPECT_EQ(CreateConstructionFile(lists, environment), MasterFileResult::kOk);
    EXPECT_EQ(CreateUnitFile(lists, environment), MasterFileResult::kOk);
    EXPECT_EQ(ReadAll("MST/sp_syo.dat"), "");
    EXPECT_EQ(ReadAll("MST/sp_Koji.dat"), "");
    EXPECT_TRUE(lists.products.empty());
    EXPECT_EQ(Utf8(ReadAll("MST/sp_unit.dat")), "式\r\n本\r\n個\r\n台\r\n冊\r\nｍ\r\n㎡\r\nm3\r\n");

    // Without the master folder nothing can be created.
    QDir("MST").removeRecursively();
    EXPECT_EQ(CreateProductFile(lists, environment), MasterFileResult::kIoError);
}

// A master file that is there but cannot be read whole (larger than the program reads, here;
// a share's I/O error or a missing permission alike) is named with the reason, and its list
// is never written: the file would lose every line that was not read.
TEST(MasterFilesTest, AFileThatCannotBeReadIsNamedAndNeverWritten) {
    WorkingFolder folder;
    Environment environment;
    QFile big("MST/sp_syo.dat");
    ASSERT_TRUE(big.open(QIODevice::WriteOnly));
    ASSERT_TRUE(big.resize(kMaxMasterFileBytes + 1));  // sparse: no time spent writing
    big.close();
    WriteAll("MST/sp_Koji.dat", "001 koji\r\n");

    MasterLists lists;
    EXPECT_EQ(LoadMasterLists(lists, environment), MasterFileResult::kIoError);
    EXPECT_TRUE(lists.products.empty());
    EXPECT_TRUE(lists.productsUnreadable.contains("sp_syo.dat"))
        << lists.Unreadable().toStdString();
    EXPECT_TRUE(lists.productsUnreadable.contains("大きすぎ"));
    EXPECT_TRUE(lists.constructionNamesUnreadable.isEmpty());
    EXPECT_TRUE(lists.unitsUnreadable.isEmpty()) << "a missing file is no failure to read";

    PutProduct(lists, {"001", "000001", "x", "", "", "1", "1", ""});
    EXPECT_EQ(WriteProducts(lists, environment), MasterFileResult::kIoError);
    EXPECT_EQ(QFileInfo("MST/sp_syo.dat").size(), kMaxMasterFileBytes + 1);
    PutConstructionName(lists, "002", "y");
    EXPECT_EQ(WriteConstructionNames(lists, environment), MasterFileResult::kOk)
        << "the other lists stay writable";
}

}  // namespace
}  // namespace quilto
