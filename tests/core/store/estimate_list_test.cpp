#include "core/store/estimate_list.h"

#include <gtest/gtest.h>

#include <QDir>
#include <random>
#include <string>
#include <vector>

#include "core/foundation/fixed4.h"
#include "core/store/environment.h"
#include "support/sjis.h"
#include "support/working_folder.h"

namespace quilto {
namespace {

using test::Sjis;
using test::WorkingFolder;
using test::WriteAll;

std::string Blanks(int count) { return std::string(static_cast<std::size_t>(count), ' '); }

EstimateHeader Header(const std::string& customer, const std::string& title,
                      const std::string& date, std::int64_t yen, const std::string& printDate,
                      std::string_view signature = kEstimateSignature) {
    EstimateHeader header;
    header.SetSignature(signature);
    header.SetText(HeaderText::MName1, customer);
    header.SetText(HeaderText::MTitle1, title);
    header.SetText(HeaderText::MYMD1, date);
    header.SetText(HeaderText::MYMD4, printDate);
    header.SetText(HeaderText::MBiko9, Sjis("見出しは表示しない"));
    header.SetFigure(HeaderFigure::MGoukei01, Fixed4::FromInt(yen));
    return header;
}

// An estimate file: the header and the two line records every saved estimate has.
void WriteEstimate(const QString& path, const EstimateHeader& header) {
    WriteAll(path, header.Bytes() + std::string(2 * kLineRecordSize, '\0'));
}

TEST(EstimateListItem, LaysOutEveryColumnInBytes) {
    const EstimateHeader header =
        Header(Sjis("山田建設"), Sjis("外壁塗装工事"), Sjis("令和06年05月20日"), 1234567,
               Sjis("令和06年06月01日"));
    const std::string expected = "000001" + Blanks(2) + Sjis("山田建設") + Blanks(22) +
                                 Sjis("外壁塗装工事") + Blanks(18) + Sjis("令和06年05月20日") +
                                 Blanks(9) + Blanks(5) + "1,234,567" + Blanks(1) + Blanks(3) +
                                 Sjis("令和06年06月01日") + Blanks(9);
    const std::string item = EstimateListItem("m_000001.dat", &header);
    EXPECT_EQ(item, expected) << test::Utf8(item);
    EXPECT_EQ(item.size(), 136u);
}

TEST(EstimateListItem, AmountColumnIsFourteenBytesGroupedThenOneBlank) {
    struct Case {
        std::int64_t raw;  // value x 10000
        std::string column;
    };
    const std::vector<Case> cases = {
        {0, Blanks(13) + "0 "},
        {12345675000, Blanks(5) + "1,234,568 "},  // 1234567.5 rounds away from zero
        {-15000000, Blanks(8) + "-1,500 "},
        {999999999990000, "99,999,999,999 "},
        // Too wide with separators: shown without them, as the editor does, never as 0.
        {1000000000000000, Blanks(2) + "100000000000 "},
        {1000000000000000000, "100000000000000"},
    };
    for (const Case& c : cases) {
        EstimateHeader header = Header("a", "b", "c", 0, "d");
        header.SetFigure(HeaderFigure::MGoukei01, Fixed4::FromRaw(c.raw));
        const std::string item = EstimateListItem("m_000001.dat", &header);
        EXPECT_EQ(item.substr(93, 15), c.column) << c.raw;
    }
}

TEST(EstimateListItem, CutsLongTextsWithoutSplittingACharacter) {
    std::string customer = "a";
    for (int i = 0; i < 20; ++i) customer += Sjis("あ");
    const std::string title(50, 'T');
    EstimateHeader header = Header(customer, title, "", 0, "");
    // A length byte larger than the field: the text reads cut to the field.
    std::string bytes = header.Bytes();
    bytes[39] = static_cast<char>(0xFF);
    header.Assign(bytes);

    const std::string item = EstimateListItem("m_000001.dat", &header);
    std::string cut = "a";
    for (int i = 0; i < 14; ++i) cut += Sjis("あ");
    EXPECT_EQ(item.substr(8, 30), cut + " ");  // 29 bytes: the 15th あ would be split
    EXPECT_EQ(item.substr(38, 30), std::string(30, 'T'));
}

TEST(EstimateListItem, UnreadableAndForeignFilesHaveShortForms) {
    EXPECT_EQ(EstimateListItem("m_000002.dat", nullptr), "000002" + Blanks(5));

    const EstimateHeader foreign = Header("x", "y", "z", 5, "w", "NOT AN ESTIMATE");
    EXPECT_EQ(EstimateListItem("m_000003.dat", &foreign), "000003" + Blanks(2) +
                                                              Sjis("<見積データではありません>") +
                                                              Blanks(4) + "**********" + Blanks(3));

    const EstimateHeader old = Header("x", "y", "z", 5, "w", kOldEstimateSignature);
    EXPECT_EQ(EstimateListItem("m_000004.dat", &old).size(), 136u);

    // The number part is the name after "m_", cut or padded to six bytes.
    EXPECT_EQ(EstimateListItem("m_abc.dat", nullptr), "abc.da" + Blanks(5));
    EXPECT_EQ(EstimateListItem("m_1.dat", nullptr), "1.dat " + Blanks(5));
}

TEST(EstimateListItem, NumberAndPrintDateAreTakenBackFromALine) {
    const EstimateHeader header = Header("a", "b", "c", 1, Sjis("令和06年06月01日"));
    const std::string item = EstimateListItem("m_000123.dat", &header);
    EXPECT_EQ(NumberOfListItem(item), "000123");
    EXPECT_EQ(PrintDateOfListItem(item), Sjis("令和06年06月01日"));

    EXPECT_EQ(NumberOfListItem(EstimateListItem("m_abc.dat", nullptr)), "000000");
    EXPECT_EQ(NumberOfListItem(""), "000000");
    // Digits alone and whatever else the editor reads as a number are kept, trimmed.
    for (const auto& [line, number] : {std::pair{"42    x", "42"},
                                       {" 7    ", "7"},
                                       {"1.5   ", "1.5"},
                                       {"-3    ", "-3"},
                                       {"12a   ", "000000"},
                                       {"1 2   ", "000000"}})
        EXPECT_EQ(NumberOfListItem(line), number) << line;

    // The short forms carry no print date: neither the number nor "**********" shows as one.
    EXPECT_EQ(PrintDateOfListItem(EstimateListItem("m_000002.dat", nullptr)), "");
    const EstimateHeader foreign = Header("x", "y", "z", 5, "w", "NOT AN ESTIMATE");
    EXPECT_EQ(PrintDateOfListItem(EstimateListItem("m_000003.dat", &foreign)), "");

    // A tail starting on a second byte starts with the next whole character.
    std::string odd(109, 'x');
    for (int i = 0; i < 13; ++i) odd += Sjis("あ");
    odd += "a";
    EXPECT_EQ(PrintDateOfListItem(odd), odd.substr(111));
}

TEST(EstimateListItem, AFigureWiderThanItsColumnPushesThePrintDateAlong) {
    EstimateHeader header = Header("a", "b", "c", 0, Sjis("令和06年06月01日"));
    header.SetFigure(HeaderFigure::MGoukei01, Fixed4::FromRaw(-9223372036854775807));
    const std::string item = EstimateListItem("m_000001.dat", &header);
    EXPECT_EQ(item.substr(93, 16), "-922337203685478");
    EXPECT_EQ(PrintDateOfListItem(item), Sjis("令和06年06月01日"));
}

TEST(EstimateListItem, ComparesAsciiLettersWithoutCaseButNeverSecondBytes) {
    EXPECT_LT(CompareListText("000002", "000010"), 0);
    EXPECT_LT(CompareListText("abc", "ABD"), 0);
    EXPECT_EQ(CompareListText("ABC", "abc"), 0);
    EXPECT_LT(CompareListText("abc", "abcd"), 0);
    EXPECT_LT(CompareListText("m", "M_"), 0);
    // ァ (83 41) and ヂ (83 61): second bytes that look like A and a are no letters.
    EXPECT_LT(CompareListText(Sjis("ァ"), Sjis("ヂ")), 0);
    EXPECT_GT(CompareListText(Sjis("ヂ"), Sjis("ァ")), 0);
}

// Prefixes that differ order as CompareListText orders the texts: texts made of the bytes
// where the two can part (letters of both cases and the bytes between them, lead bytes at
// the edges of their ranges, second bytes that look like letters, NUL against a missing
// byte), compared pairwise, many of them alike in their first eight bytes.
TEST(EstimateListItem, ListOrderPrefixesOrderAsTheTextsDo) {
    const std::string pool("aAzZ@[`{_0\x81\x9F\xE0\xFC\x80\xA0\xDF\xFD\x40\x7E\0", 21);
    std::mt19937 random(7);
    std::vector<std::string> texts = {"",   "a",        "A",        "ab",        "AB",
                                      "aB", Sjis("ァ"), Sjis("ヂ"), Sjis("ァa"), Sjis("ヂA")};
    for (int i = 0; i < 600; ++i) {
        std::string text = i % 2 == 0 ? "000001" : "";
        const int length = static_cast<int>(random() % 6);
        for (int k = 0; k < length; ++k) text += pool[random() % pool.size()];
        texts.push_back(text);
    }
    const auto sign = [](int x) { return (x > 0) - (x < 0); };
    int parted = 0;
    for (const std::string& a : texts) {
        for (const std::string& b : texts) {
            const std::uint64_t x = ListOrderPrefix(a);
            const std::uint64_t y = ListOrderPrefix(b);
            if (x == y) continue;
            ++parted;
            ASSERT_EQ(sign(CompareListText(a, b)), x < y ? -1 : 1)
                << testing::PrintToString(a) << " " << testing::PrintToString(b);
        }
    }
    EXPECT_GT(parted, 0);
}

TEST(EstimateList, ListsEveryEstimateFileSortedByNumber) {
    WorkingFolder folder;
    for (const char* number : {"000003", "000001", "000002"}) {
        WriteEstimate(QStringLiteral("DAT/m_%1.dat").arg(number),
                      Header(Sjis("客") + number, "t", "d", 1, ""));
    }
    WriteEstimate("DAT/M_000004.DAT", Header("upper", "t", "d", 1, ""));  // copied from Windows
    WriteAll("DAT/m_abc.dat", "short");
    WriteAll("DAT/x_000005.dat", std::string(1392, '\0'));
    WriteAll("DAT/m_000006.dat.bak", std::string(1392, '\0'));
    WriteAll("DAT/m_000007.tmp", "");
    QDir().mkdir("DAT/m_000008.dat");  // a folder is no estimate

    Environment environment;
    const std::vector<EstimateListEntry> entries = BuildEstimateList(environment);
    std::vector<std::string> numbers;
    std::vector<QString> names;
    for (const EstimateListEntry& entry : entries) {
        numbers.push_back(entry.item.substr(0, 6));
        names.push_back(entry.fileName);
    }
    EXPECT_EQ(numbers,
              (std::vector<std::string>{"000001", "000002", "000003", "000004", "abc.da"}));
    EXPECT_EQ(names, (std::vector<QString>{"m_000001.dat", "m_000002.dat", "m_000003.dat",
                                           "M_000004.DAT", "m_abc.dat"}));
    EXPECT_EQ(entries[0].item.substr(8, 9), Sjis("客") + "000001 ");
    EXPECT_EQ(entries[4].item, "abc.da" + Blanks(5));
}

TEST(EstimateList, ReadsTheDataFolderOfTheEnvironment) {
    WorkingFolder folder;
    QDir().mkdir(QString::fromUtf8("見積データ"));
    WriteEstimate(QString::fromUtf8("見積データ/m_000010.dat"), Header("c", "t", "d", 1, ""));
    WriteEstimate("DAT/m_000001.dat", Header("c", "t", "d", 1, ""));

    Environment environment;
    environment.SetDataFolderSetting(Sjis("見積データ"));
    const std::vector<EstimateListEntry> entries = BuildEstimateList(environment);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(NumberOfListItem(entries[0].item), "000010");

    environment.SetDataFolderSetting(Sjis("無い"));
    EXPECT_TRUE(BuildEstimateList(environment).empty());
}

}  // namespace
}  // namespace quilto
