#include "core/store/environment.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstdint>
#include <string>
#include <vector>

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

constexpr std::size_t kSize = 6088;

// The record layout written out once more, independently of the code under test.
struct Field {
    const char* control;
    std::size_t offset;
    std::size_t capacity;
};
const std::vector<Field> kTextFields = {
    {"Edit1", 19, 40},     {"Edit1B", 60, 40},     {"Edit2", 101, 8},     {"Edit3", 110, 40},
    {"Edit4", 151, 40},    {"Edit5", 192, 26},     {"Edit6", 219, 26},    {"Edit7", 277, 30},
    {"Edit8", 308, 20},    {"Edit9", 329, 80},     {"Edit10", 410, 80},   {"Edit11", 491, 80},
    {"Edit12", 572, 80},   {"Edit13", 653, 80},    {"Edit101", 737, 40},  {"Edit101B", 778, 40},
    {"Edit102", 819, 8},   {"Edit103", 828, 40},   {"Edit104", 869, 40},  {"Edit105", 910, 26},
    {"Edit106", 937, 26},  {"Edit107", 995, 30},   {"Edit108", 1026, 20}, {"Edit109", 1047, 80},
    {"Edit201", 1455, 40}, {"Edit201B", 1496, 40}, {"Edit202", 1537, 8},  {"Edit203", 1546, 40},
    {"Edit204", 1587, 40}, {"Edit205", 1628, 26},  {"Edit206", 1655, 26}, {"Edit207", 1713, 30},
    {"Edit208", 1744, 20}, {"Edit209", 1765, 80},  {"Edit301", 2173, 40}, {"Edit301B", 2214, 40},
    {"Edit302", 2255, 8},  {"Edit303", 2264, 40},  {"Edit304", 2305, 40}, {"Edit305", 2346, 26},
    {"Edit306", 2373, 26}, {"Edit307", 2431, 30},  {"Edit308", 2462, 20}, {"Edit309", 2483, 80},
    {"Syokei", 4546, 20},  {"Nebiki", 4567, 20},   {"Nakakei", 4588, 20}, {"Zei", 4609, 20},
    {"Goukei", 4630, 20},  {"SMes01", 4673, 50},   {"SMes02", 4724, 50},  {"Pat1", 5992, 20},
    {"Pat2", 6013, 20},    {"Pat3", 6034, 20},
};

std::int64_t LittleEndian(const std::string& bytes, std::size_t offset, int width) {
    std::uint64_t value = 0;
    for (int i = width - 1; i >= 0; --i) {
        value = (value << 8) | static_cast<unsigned char>(bytes.at(offset + i));
    }
    if (width == 4) return static_cast<std::int32_t>(value);
    return static_cast<std::int64_t>(value);
}

void PutLittleEndian(std::string& bytes, std::size_t offset, std::int64_t value, int width) {
    auto v = static_cast<std::uint64_t>(value);
    for (int i = 0; i < width; ++i, v >>= 8) bytes.at(offset + i) = static_cast<char>(v & 0xFF);
}

void PutText(std::string& bytes, std::size_t offset, const std::string& text) {
    bytes.at(offset) = static_cast<char>(text.size());
    bytes.replace(offset + 1, text.size(), text);
}

std::string StoredText(const std::string& bytes, std::size_t offset) {
    return bytes.substr(offset + 1, static_cast<unsigned char>(bytes.at(offset)));
}

// A distinct filler letter per field, longer than any field, so that a field at the wrong
// offset or with the wrong width shows as a wrong letter or a wrong length.
char Letter(std::size_t index) { return static_cast<char>('A' + index % 26); }

TEST(EnvironmentRecord, EveryTextControlIsStoredAtItsOffsetCutToItsWidth) {
    Environment env;
    for (std::size_t i = 0; i < kTextFields.size(); ++i) {
        ASSERT_TRUE(env.Settings().SetText(kTextFields[i].control, std::string(90, Letter(i))))
            << kTextFields[i].control;
    }
    env.BuildRecord();
    const std::string& record = env.Record();
    ASSERT_EQ(record.size(), kSize);
    for (std::size_t i = 0; i < kTextFields.size(); ++i) {
        const Field& f = kTextFields[i];
        EXPECT_EQ(StoredText(record, f.offset), std::string(f.capacity, Letter(i))) << f.control;
    }
    // A cut never splits a double-byte character: 8 bytes of "a日本語です" keep 7.
    env.Settings().SetText("Edit2", Sjis("a日本語です"));
    env.BuildRecord();
    EXPECT_EQ(Utf8(StoredText(env.Record(), 101)), "a日本語");
}

TEST(EnvironmentRecord, EveryTextControlIsFilledFromItsOffset) {
    std::string bytes(kSize, '\0');
    for (std::size_t i = 0; i < kTextFields.size(); ++i) {
        // Trailing blanks are not part of what the control shows.
        PutText(bytes, kTextFields[i].offset, std::string(2, Letter(i)) + "  ");
    }
    Environment env;
    env.Load(bytes);
    for (std::size_t i = 0; i < kTextFields.size(); ++i) {
        EXPECT_EQ(env.Settings().Text(kTextFields[i].control), std::string(2, Letter(i)))
            << kTextFields[i].control;
    }
    EXPECT_EQ(env.Company(0, CompanyField::Logo), "JJ");
    EXPECT_EQ(env.Company(2, CompanyField::PersonInCharge), "GG");
    EXPECT_EQ(env.PatternName(2), std::string(2, Letter(kTextFields.size() - 1)));
    EXPECT_FALSE(env.Settings().SetText("Edit14", "x"));
}

TEST(EnvironmentRecord, BuildWritesSignatureNumbersAndFlags) {
    Environment env;
    EnvironmentSettings& s = env.Settings();
    s.SetText("Zratio1", "8");
    s.SetText("Hasu", Sjis(" 1 切捨て"));
    s.SetText("Hasu2", Sjis(" 2 切上げ"));
    s.SetChecked("CheckBox1", true);
    s.SetChecked("CheckBox2", true);
    s.SetChecked("Chk_Gyo", true);
    s.SetChecked("Chk_Nebi", true);
    env.BuildRecord();
    const std::string& r = env.Record();
    EXPECT_EQ(StoredText(r, 0), "***\\??Q-$%%7");
    EXPECT_EQ(LittleEndian(r, 4328, 8), 80000);
    EXPECT_EQ(LittleEndian(r, 4372, 4), 1);
    EXPECT_EQ(LittleEndian(r, 4440, 4), 2);
    EXPECT_EQ(LittleEndian(r, 4444, 4), 1);
    EXPECT_EQ(LittleEndian(r, 4448, 4), 2);
    EXPECT_EQ(LittleEndian(r, 4452, 4), 1);
    EXPECT_EQ(LittleEndian(r, 4460, 4), 1);

    for (const char* box : {"CheckBox1", "CheckBox2", "Chk_Gyo", "Chk_Nebi"}) {
        s.SetChecked(box, false);
    }
    env.BuildRecord();
    EXPECT_EQ(LittleEndian(r, 4440, 4), 1);  // one decimal unless .99 is ticked
    EXPECT_EQ(LittleEndian(r, 4444, 4), 0);
    EXPECT_EQ(LittleEndian(r, 4452, 4), 0);
    EXPECT_EQ(LittleEndian(r, 4460, 4), 0);
}

TEST(EnvironmentRecord, BuildKeepsFoldersReservedAndUnusedBytesButClearsTheRest) {
    std::string bytes(kSize, '\0');
    for (std::size_t i = 0; i < 5; ++i) bytes[4433 + i] = static_cast<char>(i + 1);
    PutText(bytes, 5188, "/srv/dat/");
    PutText(bytes, 5389, "/srv/mst/");
    bytes[13] = '\x55';
    PutText(bytes, 4504, "kept");
    bytes[6080] = '\x66';
    bytes.replace(4336, 36, 36, '\xEE');
    bytes.replace(4376, 57, 57, '\xEE');
    bytes[19 + 227 + 1] = '\xEE';   // block 0: an unused text
    bytes[737 + 391 + 1] = '\xEE';  // block 1 has no extra lines
    bytes[2891 + 5] = '\xEE';       // block 4 is not used
    bytes[3609 + 717] = '\xEE';     // nor block 5

    Environment env;
    env.Load(bytes);
    env.BuildRecord();
    const std::string& r = env.Record();
    EXPECT_EQ(r.substr(4433, 5), std::string("\x01\x02\x03\x04\x05"));
    EXPECT_EQ(StoredText(r, 5188), "/srv/dat/");
    EXPECT_EQ(StoredText(r, 5389), "/srv/mst/");
    EXPECT_EQ(r[13], '\x55');
    EXPECT_EQ(StoredText(r, 4504), "kept");
    EXPECT_EQ(r[6080], '\x66');
    EXPECT_EQ(r.substr(4336, 36), std::string(36, '\0'));
    EXPECT_EQ(r.substr(4376, 57), std::string(57, '\0'));
    EXPECT_EQ(r[19 + 227 + 1], '\0');
    EXPECT_EQ(r[737 + 391 + 1], '\0');
    EXPECT_EQ(r[2891 + 5], '\0');
    EXPECT_EQ(r[3609 + 717], '\0');
}

TEST(EnvironmentRecord, FillNormalisesWhatTheFileHolds) {
    std::string bytes(kSize, '\0');
    PutLittleEndian(bytes, 4452, 1, 4);  // other trade
    PutText(bytes, 4546, "    ");        // blank subtotal caption
    PutText(bytes, 4567, Sjis("値引き"));
    PutLittleEndian(bytes, 4372, 1, 4);
    PutLittleEndian(bytes, 4448, 7, 4);
    PutLittleEndian(bytes, 4328, 85000, 8);
    PutLittleEndian(bytes, 4440, 2, 4);
    PutLittleEndian(bytes, 4444, 1, 4);
    PutLittleEndian(bytes, 4460, 1, 4);

    Environment env;
    env.Load(bytes);
    const EnvironmentSettings& s = env.Settings();
    EXPECT_FALSE(s.Checked("Chk_Gyo"));
    EXPECT_EQ(LittleEndian(env.Record(), 4452, 4), 0);
    EXPECT_FALSE(env.OtherTrade());
    EXPECT_EQ(Utf8(s.Text("Syokei")), "－  小  計  －");
    EXPECT_EQ(Utf8(StoredText(env.Record(), 4546)), "－  小  計  －");
    EXPECT_EQ(Utf8(s.Text("Nebiki")), "値引き");
    EXPECT_EQ(Utf8(s.Text("Nakakei")), "－    計    －");
    EXPECT_EQ(Utf8(s.Text("Zei")), "－  消費税  －");
    EXPECT_EQ(Utf8(env.Caption(LineCaption::GrandTotal)), "－  合  計  －");
    EXPECT_EQ(Utf8(s.Text("Hasu")), " 1 切捨て");
    EXPECT_EQ(Utf8(s.Text("Hasu2")), " 0 四捨五入");
    EXPECT_EQ(s.Text("Zratio1"), "8.5");
    EXPECT_TRUE(s.Checked("CheckBox2"));
    EXPECT_TRUE(s.Checked("CheckBox1"));
    EXPECT_TRUE(s.Checked("Chk_Nebi"));
    EXPECT_EQ(env.QuantityDecimals(), 2);
    // The code itself stays as the file has it until the dialog writes.
    EXPECT_EQ(env.AmountRounding(), 7);
}

TEST(EnvironmentRecord, TaxRateCountsOnlyTheFirstTwoCharacters) {
    const struct {
        const char* text;
        std::int64_t stored;
    } cases[] = {
        {"10", 100000},
        {"8", 80000},
        {"123", 120000},
        {" 5", 50000},
        // Blank, zero, letters and negative rates fall back to the standard 10 %.
        {"", 100000},
        {"0", 100000},
        {"ab", 100000},
        {"-5", 100000},
    };
    for (const auto& c : cases) {
        Environment env;
        env.Settings().SetText("Zratio1", c.text);
        env.BuildRecord();
        EXPECT_EQ(LittleEndian(env.Record(), 4328, 8), c.stored) << '"' << c.text << '"';
    }
}

TEST(EnvironmentRecord, RoundingChoiceIsTheNumberInFrontOfTheComboText) {
    const struct {
        std::string text;
        int stored;
    } cases[] = {
        {Sjis(" 2 切上げ"), 2},
        {"1", 1},
        {Sjis(" 0 四捨五入"), 0},
        // What the combo cannot show is stored as the item it does show.
        {"7", 0},
        {"-1", 0},
        {"x", 0},
    };
    for (const auto& c : cases) {
        Environment env;
        env.Settings().SetText("Hasu", c.text);
        env.Settings().SetText("Hasu2", c.text);
        env.BuildRecord();
        EXPECT_EQ(LittleEndian(env.Record(), 4372, 4), c.stored) << Utf8(c.text);
        EXPECT_EQ(LittleEndian(env.Record(), 4448, 4), c.stored) << Utf8(c.text);
    }
    EXPECT_EQ(Utf8(RoundingChoiceText(2)), " 2 切上げ");
    EXPECT_EQ(Utf8(RoundingChoiceText(-3)), " 0 四捨五入");
}

TEST(EnvironmentRecord, HostileBytesGiveDefinedValues) {
    // Length bytes beyond their fields, codes no dialog writes, the extreme tax rate.
    std::string bytes(kSize, 'x');
    for (const Field& f : kTextFields) bytes[f.offset] = '\xFF';
    bytes[5188] = '\xFF';
    PutLittleEndian(bytes, 4328, INT64_MIN, 8);
    PutLittleEndian(bytes, 4372, -1, 4);
    PutLittleEndian(bytes, 4440, 99, 4);
    Environment env;
    env.Load(bytes);
    for (const Field& f : kTextFields) {
        EXPECT_EQ(env.Settings().Text(f.control), std::string(f.capacity, 'x')) << f.control;
    }
    EXPECT_EQ(env.DataFolderSetting().size(), 200u);
    EXPECT_EQ(Utf8(env.Settings().Text("Hasu")), " 0 四捨五入");
    EXPECT_EQ(env.QuantityDecimals(), 1);
    env.BuildRecord();
    EXPECT_EQ(env.TaxRate(), kDefaultTaxRate);
    EXPECT_EQ(env.TaxRounding(), 0);

    // A record cut short reads as zeros beyond its end.
    env.Load(bytes.substr(0, 4500));
    EXPECT_EQ(env.Record().size(), kSize);
    EXPECT_EQ(env.Settings().Text("Pat1"), "");
    EXPECT_EQ(Utf8(env.Settings().Text("Goukei")), "－  合  計  －");
}

TEST(EnvironmentFile, ReadNeedsOneWholeRecord) {
    WorkingFolder folder;
    Environment env;
    EXPECT_EQ(ReadEnvironment(env), EnvironmentFileResult::kFailed);  // missing
    // The controls are filled all the same, from the record as it was.
    EXPECT_EQ(Utf8(env.Settings().Text("Goukei")), "－  合  計  －");

    std::string bytes(kSize + 1, '\0');
    PutText(bytes, 6034, "P3");
    WriteAll("sp_jis.dat", bytes.substr(0, kSize - 1));
    EXPECT_EQ(ReadEnvironment(env), EnvironmentFileResult::kFailed);
    EXPECT_EQ(env.PatternName(2), "");

    WriteAll("sp_jis.dat", bytes);  // longer: the first record counts
    EXPECT_EQ(ReadEnvironment(env), EnvironmentFileResult::kOk);
    EXPECT_EQ(env.Settings().Text("Pat3"), "P3");
}

TEST(EnvironmentFile, WriteReplacesAnExistingFileOnly) {
    WorkingFolder folder;
    Environment env;
    env.Settings().SetText("Edit1", Sjis("株式会社 見積"));
    EXPECT_EQ(WriteEnvironment(env), EnvironmentFileResult::kFailed);
    EXPECT_FALSE(QFile::exists("sp_jis.dat"));

    WriteAll("sp_jis.dat", "");
    ASSERT_EQ(WriteEnvironment(env), EnvironmentFileResult::kOk);
    EXPECT_EQ(ReadAll("sp_jis.dat"), env.Record());

    Environment again;
    ASSERT_EQ(ReadEnvironment(again), EnvironmentFileResult::kOk);
    EXPECT_EQ(Utf8(again.Company(0, CompanyField::Name1)), "株式会社 見積");
    EXPECT_EQ(again.TaxRate(), kDefaultTaxRate);
}

TEST(EnvironmentFile, FailedWriteLeavesTheOldFile) {
    WorkingFolder folder;
    const std::string old(kSize, '\x11');
    WriteAll("sp_jis.dat", old);
    test::ReadOnlyFolder readOnly(folder.Path());
    if (!readOnly.Usable()) GTEST_SKIP() << "cannot make a folder read-only here";
    Environment env;
    EXPECT_EQ(WriteEnvironment(env), EnvironmentFileResult::kFailed);
    EXPECT_EQ(CreateEnvironmentFile(env), EnvironmentFileResult::kFailed);
    EXPECT_EQ(ReadAll("sp_jis.dat"), old);
}

TEST(EnvironmentFolders, BlankSettingsUseTheDefaultFolders) {
    Environment env;
    EXPECT_EQ(DataFolder(env), "DAT/");
    EXPECT_EQ(MasterFolder(env), "MST/");
    env.SetDataFolderSetting("   ");
    EXPECT_EQ(DataFilePath(env, "m_000001.dat"), QString("DAT/m_000001.dat"));
    EXPECT_EQ(MasterFilePath(env, "sp_syo.dat"), QString("MST/sp_syo.dat"));
}

TEST(EnvironmentFolders, ASetFolderGetsItsSeparatorStoredBack) {
    const struct {
        std::string setting;
        std::string folder;
    } cases[] = {
        {Sjis("/srv/見積"), Sjis("/srv/見積/")},
        {"/srv/est/", "/srv/est/"},
        {"/srv/est//", "/srv/est/"},
        {"relative", "relative/"},
    };
    for (const auto& c : cases) {
        Environment env;
        env.SetDataFolderSetting(c.setting);
        env.SetMasterFolderSetting(c.setting);
        EXPECT_EQ(DataFolder(env), c.folder);
        EXPECT_EQ(env.DataFolderSetting(), c.folder);
        EXPECT_EQ(MasterFolder(env), c.folder);
        EXPECT_EQ(env.MasterFolderSetting(), c.folder);
        // Stored where the file keeps it.
        EXPECT_EQ(StoredText(env.Record(), 5188), c.folder);
        EXPECT_EQ(StoredText(env.Record(), 5389), c.folder);
    }

    // A setting that fills its 200 bytes is stored cut, but the path keeps the separator.
    Environment env;
    const std::string full(200, 'd');
    env.SetDataFolderSetting(full);
    EXPECT_EQ(DataFilePath(env, "m_000001.dat"), QString::fromStdString(full + "/m_000001.dat"));
    EXPECT_EQ(env.DataFolderSetting(), full);
}

// Settings brought over from Windows: "\\" separators read as "/" (never the second byte of
// a double-byte character), and a drive or share, which names nothing here, left in the
// record as it is while the default folder is used.
TEST(EnvironmentFolders, WindowsSettingsAreReadForThisComputer) {
    const struct {
        std::string setting;
        std::string data;    // DataFolder
        std::string stored;  // the setting afterwards
    } cases[] = {
        {"DAT2\\", "DAT2/", "DAT2/"},
        {"sub\\dir", "sub/dir/", "sub/dir/"},
        {Sjis("表\\"), Sjis("表/"), Sjis("表/")},  // 表 is 0x95 0x5C
        {Sjis("表"), Sjis("表/"), Sjis("表/")},
        {Sjis("D:\\見積\\"), "DAT/", Sjis("D:\\見積\\")},
        {"d:/est", "DAT/", "d:/est"},
        {"\\\\server\\share\\", "DAT/", "\\\\server\\share\\"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.setting);
        Environment env;
        env.SetDataFolderSetting(c.setting);
        EXPECT_EQ(DataFolder(env), c.data);
        EXPECT_EQ(env.DataFolderSetting(), c.stored);
    }
}

TEST(EnvironmentFolders, AFileMigratedInAnotherLetterCaseIsFound) {
    WorkingFolder folder;
    WriteAll("MST/SP_SYO.DAT", "x");
    WriteAll("SP_JIS.DAT", "y");
    Environment env;
    EXPECT_EQ(MasterFilePath(env, "sp_syo.dat"), QString("MST/SP_SYO.DAT"));
    EXPECT_EQ(QFileInfo(EnvironmentFilePath()).fileName(), QString("SP_JIS.DAT"));
    // A missing name stays as asked, to be created under it.
    EXPECT_EQ(DataFilePath(env, "m_000001.dat"), QString("DAT/m_000001.dat"));
}

}  // namespace
}  // namespace quilto
