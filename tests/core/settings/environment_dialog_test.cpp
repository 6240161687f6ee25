#include "core/settings/environment_dialog.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <string>

#include "core/store/environment.h"
#include "support/sjis.h"
#include "support/working_folder.h"

namespace quilto {
namespace {

using test::ReadAll;
using test::Sjis;
using test::Utf8;
using test::WorkingFolder;

class SettingsDialogRules : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(CreateEnvironmentFile(environment), EnvironmentFileResult::kOk);
    }

    EnvironmentSettings& Controls() { return environment.Settings(); }

    // Closes the dialog and opens it again from the file.
    void SaveAndReopen() {
        std::string message;
        ASSERT_TRUE(SaveEnvironmentSettings(environment, &message)) << message;
        Environment reread;
        OpenEnvironmentSettings(reread);
        EXPECT_EQ(reread.Record(), environment.Record()) << "memory and file agree";
        environment = reread;
    }

    WorkingFolder folder;
    Environment environment;
};

TEST_F(SettingsDialogRules, TaxRateCountsTwoCharactersAndTurnsNothingIntoTen) {
    struct Case {
        const char* typed;
        std::int64_t percent;
    };
    for (const Case& c : {Case{"", 10}, Case{"0", 10}, Case{"ab", 10}, Case{"-5", 10},
                          Case{"10", 10}, Case{"8", 8}, Case{"123", 12}, Case{" 5", 5}}) {
        Controls().SetText("Zratio1", c.typed);
        SaveAndReopen();
        EXPECT_EQ(environment.TaxRate(), Fixed4::FromInt(c.percent)) << c.typed;
        EXPECT_EQ(Controls().Text("Zratio1"), std::to_string(c.percent)) << c.typed;
    }
}

TEST_F(SettingsDialogRules, RoundingChoiceShowsTheStandardItemOfItsValue) {
    struct Case {
        const char* typed;
        const char* shown;
        int stored;
    };
    for (const Case& c : {Case{"2", " 2 切上げ", 2}, Case{"7", " 0 四捨五入", 0},
                          Case{" 1 切捨て", " 1 切捨て", 1}, Case{"1.", " 0 四捨五入", 0},
                          Case{"x", " 0 四捨五入", 0}, Case{"-1", " 0 四捨五入", 0}}) {
        for (const char* control : {"Hasu", "Hasu2"}) {
            Controls().SetText(control, Sjis(c.typed));
            NormaliseRoundingChoice(Controls(), control);
            EXPECT_EQ(Utf8(Controls().Text(control)), c.shown) << c.typed;
        }
        SaveAndReopen();
        EXPECT_EQ(environment.TaxRounding(), c.stored) << c.typed;
        EXPECT_EQ(environment.AmountRounding(), c.stored) << c.typed;
    }
}

TEST_F(SettingsDialogRules, UsingAStoredBlockPrintsItAndKeepsTheBlockAndTheHiddenLines) {
    const std::vector<std::string> block2 = CompanyBlockControls(2);
    const std::vector<std::string> block0 = CompanyBlockControls(0);
    ASSERT_EQ(block2.size(), 10U);
    for (std::size_t i = 0; i < block2.size(); ++i) {
        Controls().SetText(block2[i], Sjis("二社") + std::to_string(i));
        Controls().SetText(block0[i], "old");
    }
    Controls().SetText("Edit101", Sjis("一社"));
    Controls().SetText("Edit10", Sjis("隠れた行"));

    UseCompanyBlock(Controls(), 2);
    SaveAndReopen();
    for (std::size_t i = 0; i < block2.size(); ++i) {
        EXPECT_EQ(Controls().Text(block0[i]), Sjis("二社") + std::to_string(i)) << block0[i];
        EXPECT_EQ(Controls().Text(block2[i]), Sjis("二社") + std::to_string(i)) << block2[i];
    }
    EXPECT_EQ(environment.Company(0, CompanyField::Logo), Sjis("二社9"));
    EXPECT_EQ(Controls().Text("Edit101"), Sjis("一社"));
    EXPECT_EQ(Controls().Text("Edit10"), Sjis("隠れた行"));
}

TEST_F(SettingsDialogRules, ClearedCaptionIsStoredBlankAndShownAsTheDefault) {
    SetStandardCaptions(Controls(), 2);
    Controls().SetText("Syokei", "");
    std::string message;
    ASSERT_TRUE(SaveEnvironmentSettings(environment, &message));
    // Blank in the file ...
    EXPECT_EQ(ReadAll("sp_jis.dat").at(4546), '\0');
    EXPECT_EQ(Utf8(environment.Caption(LineCaption::Discount)), "【  値  引  】");
    // ... and the default wherever it is read, at once and after the next opening.
    EXPECT_EQ(Utf8(environment.Caption(LineCaption::Subtotal)), "－  小  計  －");
    OpenEnvironmentSettings(environment);
    EXPECT_EQ(Utf8(Controls().Text("Syokei")), "－  小  計  －");
}

TEST_F(SettingsDialogRules, StandardTaxMessagesEndInABlankAndAreStored) {
    SetStandardTaxMessages(Controls());
    EXPECT_EQ(Utf8(Controls().Text("SMes01")), "消費税が含まれています。 ");
    EXPECT_EQ(Utf8(Controls().Text("SMes02")), "消費税は含まれていません。 ");
    SaveAndReopen();
    // Stored with the blank (texts are read back without trailing blanks).
    const std::string file = ReadAll("sp_jis.dat");
    EXPECT_EQ(file.substr(4673, 26), '\x19' + Sjis("消費税が含まれています。 "));
    EXPECT_EQ(file.substr(4724, 28), '\x1B' + Sjis("消費税は含まれていません。 "));
    EXPECT_EQ(Utf8(environment.TaxExcludedMessage()), "消費税は含まれていません。");
}

TEST_F(SettingsDialogRules, AFailedSaveNamesTheFileAndKeepsTheSettingsForThisRun) {
    QFile::remove("sp_jis.dat");
    Controls().SetText("Zratio1", "5");
    std::string message;
    EXPECT_FALSE(SaveEnvironmentSettings(environment, &message));
    EXPECT_EQ(
        message,
        "環境設定を保存できませんでした。\n" +
            QDir::current().absoluteFilePath("sp_jis.dat").toStdString() +
            " (ファイルがありません)\n変更した設定は、見積作成を終了するまでの間だけ有効です。");
    EXPECT_FALSE(QFile::exists("sp_jis.dat"));
    EXPECT_EQ(environment.TaxRate(), Fixed4::FromInt(5));
}

}  // namespace
}  // namespace quilto
