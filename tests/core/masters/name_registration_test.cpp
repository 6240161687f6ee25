#include "core/masters/name_registration.h"

#include <gtest/gtest.h>

#include <QFile>
#include <string>
#include <vector>

#include "core/foundation/text_bytes.h"
#include "core/masters/master_files.h"
#include "core/masters/product_guide.h"
#include "core/store/environment.h"
#include "core/store/markers.h"
#include "support/silent_questions.h"
#include "support/sjis.h"
#include "support/working_folder.h"

namespace quilto {
namespace {

using test::ReadAll;
using test::Sjis;
using test::Utf8;
using test::WorkingFolder;

MasterLists SampleLists() {
    MasterLists lists;
    PutConstructionName(lists, "001", Sjis("基礎工事"));
    PutConstructionName(lists, "002", Sjis("内装工事"));
    PutProduct(lists,
               {"001", "000002", Sjis("生コンクリート（普通）"), "18-8-20", "m3", "", "", ""});
    PutProduct(lists, {"002", "000001", Sjis("石膏ボード"), "9.5mm", "", "", "", ""});
    PutProduct(lists, {"001", "000001", Sjis("型枠"), "", "", "", "", ""});
    return lists;
}

TEST(NameRegistrationTest, ListItemsShowTheirFieldsAtFixedWidthsWithTheCodeLast) {
    const MasterLists lists = SampleLists();
    const ListItems constructions = ConstructionListItems(lists);
    ASSERT_EQ(constructions.items.size(), 2u);
    EXPECT_EQ(constructions.items[1], PadRightBytes(Sjis("内装工事"), 50));

    const ListItems products = ProductListItems(lists, "001");
    EXPECT_EQ(products.entries, (std::vector<int>{0, 2}));
    ASSERT_EQ(products.items.size(), 2u);
    EXPECT_EQ(products.items[0].size(), 63u);
    EXPECT_EQ(Utf8(products.items[0]), Utf8(PadRightBytes(Sjis("生コンクリート（普通）"), 26) +
                                            " " + PadRightBytes("18-8-20", 30) + "000002"));
    EXPECT_EQ(ProductCodeOfItem(products.items[1]), "000001");
    EXPECT_TRUE(ProductListItems(lists, "").items.empty());

    // The guide's product items: 24-byte names, no blank between name and specification.
    const ListItems unsorted = GuideProductItems(lists, "001", false);
    const ListItems sorted = GuideProductItems(lists, "001", true);
    EXPECT_EQ(unsorted.items[0].size(), 60u);
    EXPECT_EQ(unsorted.entries, (std::vector<int>{0, 2}));
    // 型 (0x8C5E) sorts before 生 (0x90B6): by name, the code still the last 6 bytes.
    EXPECT_EQ(sorted.entries, (std::vector<int>{2, 0}));
    EXPECT_EQ(ProductCodeOfItem(sorted.items[0]), "000001");
    EXPECT_EQ(ProductCodeOfItem(sorted.items[1]), "000002");
}

TEST(NameRegistrationTest, CountersCodesAndPricesShowAsTheWindowWantsThem) {
    EXPECT_EQ(CounterText(12, 300), "( 12/300 )");
    for (const char* bad : {"", " 00001", "   1", "/00001", "    12"}) {
        EXPECT_TRUE(IsBadProductCode(bad)) << bad;
    }
    EXPECT_FALSE(IsBadProductCode("000001"));

    const struct {
        const char* typed;
        const char* shown;
    } prices[] = {
        {"1234567", "1,234,567"}, {"1,500", "1,500"},         {"", "0"},          {"abc", "0"},
        {"-300", "-300"},         {"12345678", "12,345,678"}, {"123456789", "0"}, {"12.6", "13"},
    };
    for (const auto& price : prices) {
        EXPECT_EQ(PriceDisplayText(price.typed), price.shown) << price.typed;
    }
    EXPECT_EQ(PriceEditText("1,234,567"), "1234567");

    RegistrationTexts texts("工事");
    EXPECT_EQ(texts.titlePanel, "名称登録 （工事・商品・単位）");
    EXPECT_EQ(texts.statusPrefix, " 工事 = ");
}

TEST(NameRegistrationTest, AChosenConstructionNameIsCutTo40Bytes) {
    const std::string line = BuildConstructionLine("007", std::string(39, 'a') + Sjis("壁"));
    const ConstructionChoice choice = ConstructionChoiceOf(line);
    EXPECT_EQ(choice.code, "007");
    // The name is cut to 40 bytes without splitting 壁, then trailing blanks go.
    EXPECT_EQ(choice.name, std::string(39, 'a'));
}

class RegistrationFiles : public ::testing::Test {
  protected:
    WorkingFolder folder;
    Environment environment;
    test::SilentQuestions silent;
    Markers markers{silent, MarkerFoldersOf(environment)};
    MasterLists lists;
    NameRegistration registration{lists, environment, markers};
};

TEST_F(RegistrationFiles, SavesAreWrittenAtOnceAndCapacitiesRefuse) {
    registration.Open();
    EXPECT_FALSE(registration.ReadOnly());
    EXPECT_TRUE(QFile::exists("MST/Master.tmp"));

    ASSERT_EQ(registration.SaveConstructionName("", Sjis("外構工事")), RegistrationResult::kDone);
    ASSERT_EQ(registration.SaveConstructionName("", Sjis("電気工事")), RegistrationResult::kDone);
    ASSERT_EQ(registration.SaveConstructionName("001", Sjis("外構・植栽")),
              RegistrationResult::kDone);
    EXPECT_EQ(ReadAll("MST/sp_Koji.dat"),
              BuildConstructionLine("001", Sjis("外構・植栽")) + "\r\n" +
                  BuildConstructionLine("002", Sjis("電気工事")) + "\r\n");

    ASSERT_EQ(registration.SaveProduct(
                  {"002", "000001", Sjis("分電盤"), "", Sjis("台"), "80,000", "120000", ""}),
              RegistrationResult::kDone);
    EXPECT_EQ(registration.AddUnit(Sjis(" 式 ")), RegistrationResult::kDone);
    EXPECT_EQ(registration.AddUnit(Sjis("式")), RegistrationResult::kNothingToDo);
    EXPECT_EQ(ReadAll("MST/sp_unit.dat"), Sjis("式") + "\r\n");
    EXPECT_EQ(registration.DeleteUnit("kg"), RegistrationResult::kNothingToDo);
    ASSERT_EQ(registration.DeleteConstructionName("002"), RegistrationResult::kDone);
    EXPECT_EQ(ReadAll("MST/sp_syo.dat"), "");

    // 300 names: one more is taken; at 301 every save, a rename too, is refused.
    while (lists.constructionNames.size() < 300) {
        PutConstructionName(lists, NextConstructionCode(lists).code, "x");
    }
    EXPECT_EQ(registration.SaveConstructionName("", "y"), RegistrationResult::kDone);
    EXPECT_EQ(lists.constructionNames.size(), 301u);
    EXPECT_EQ(registration.SaveConstructionName("", "z"), RegistrationResult::kListFull);
    EXPECT_EQ(registration.SaveConstructionName("001", "z"), RegistrationResult::kListFull);
    EXPECT_EQ(lists.constructionNames.size(), 301u);

    registration.Close();
    EXPECT_FALSE(QFile::exists("MST/Master.tmp"));
}

TEST_F(RegistrationFiles, ReadOnlyWhileAnotherCopyHoldsTheMarkerAndNothingIsWritten) {
    MasterLists stored = SampleLists();
    ASSERT_EQ(WriteConstructionNames(stored, environment), MasterFileResult::kOk);
    ASSERT_EQ(WriteProducts(stored, environment), MasterFileResult::kOk);
    // Another copy: its own marker state, the same folder. The lock conflicts even within
    // one process.
    Markers other(silent, MarkerFoldersOf(environment));
    ASSERT_EQ(other.HoldMasterMarker(), MarkerHold::kDone);
    ASSERT_EQ(other.MasterState(), MarkerState::kHeld);

    registration.Open();
    EXPECT_TRUE(registration.ReadOnly());
    EXPECT_EQ(lists.constructionNames, stored.constructionNames);
    const std::string names = ReadAll("MST/sp_Koji.dat");
    const std::string products = ReadAll("MST/sp_syo.dat");
    EXPECT_EQ(registration.SaveConstructionName("", "new"), RegistrationResult::kDone);
    EXPECT_EQ(registration.SaveConstructionName("001", "renamed"), RegistrationResult::kDone);
    EXPECT_EQ(registration.DeleteConstructionName("002"), RegistrationResult::kDone);
    EXPECT_EQ(registration.SaveProduct({"001", "000009", "p", "", "", "", "", ""}),
              RegistrationResult::kDone);
    EXPECT_EQ(registration.DeleteProduct("001", "000001"), RegistrationResult::kDone);
    EXPECT_EQ(lists.constructionNames, stored.constructionNames);
    EXPECT_EQ(lists.products, stored.products);
    EXPECT_EQ(ReadAll("MST/sp_Koji.dat"), names);
    EXPECT_EQ(ReadAll("MST/sp_syo.dat"), products);

    // Closing leaves the other copy's marker alone.
    registration.Close();
    EXPECT_TRUE(QFile::exists("MST/Master.tmp"));
    EXPECT_EQ(other.MasterState(), MarkerState::kHeld);
}

}  // namespace
}  // namespace quilto
