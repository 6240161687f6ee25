#include "core/store/estimate_search.h"

#include <gtest/gtest.h>

#include <QSet>
#include <random>
#include <vector>

#include "core/store/estimate_file.h"
#include "support/sjis.h"

namespace quilto {
namespace {

EstimateHeader Header(const char* customer, const char* title, const char* place, const char* date,
                      std::int64_t amount) {
    EstimateHeader h;
    h.SetSignature(kEstimateSignature);
    h.SetText(HeaderText::MName1, test::Sjis(customer));
    h.SetText(HeaderText::MTitle1, test::Sjis(title));
    h.SetText(HeaderText::MBasyo1, test::Sjis(place));
    h.SetText(HeaderText::MYMD1, test::Sjis(date));
    h.SetFigure(HeaderFigure::MGoukei01, Fixed4::FromInt(amount));
    return h;
}

QString FullFold(const QString& text) {
    return text.normalized(QString::NormalizationForm_KC).toCaseFolded();
}

// Every BMP unit FoldAlone claims folds alone as the whole fold folds it, and can neither
// join the character before it (its decomposition starts with a starter that is no second
// part of any canonical composition) nor, being a starter, let a mark after it move across.
TEST(FoldForSearch, UnitsThatFoldAloneAreFoldedAsTheWholeFoldFoldsThem) {
    QSet<char32_t> secondParts;
    for (char32_t c = 0; c <= 0x10FFFF; ++c) {
        if (QChar::decompositionTag(c) != QChar::Canonical) continue;
        const QList<uint> parts = QChar::decomposition(c).toUcs4();
        for (qsizetype k = 1; k < parts.size(); ++k) secondParts.insert(parts[k]);
    }
    // The set holds what it must: the voiced sound mark and a Hangul vowel.
    ASSERT_TRUE(secondParts.contains(0x3099));
    ASSERT_TRUE(secondParts.contains(0x1161));

    int claimed = 0;
    for (char32_t u = 0; u <= 0xFFFF; ++u) {
        const char32_t alone = FoldAlone(static_cast<char16_t>(u));
        if (alone == kFoldsWithNeighbours) continue;
        ++claimed;
        const QString unit(QChar(static_cast<char16_t>(u)));
        ASSERT_EQ(FullFold(unit), QString(QChar(static_cast<char16_t>(alone))))
            << std::hex << static_cast<unsigned>(u);
        const char16_t first = unit.normalized(QString::NormalizationForm_KD).at(0).unicode();
        ASSERT_EQ(QChar::combiningClass(first), 0) << std::hex << static_cast<unsigned>(u);
        ASSERT_FALSE(secondParts.contains(first)) << std::hex << static_cast<unsigned>(u);
    }
    // ASCII, kana and the ideographs at least.
    EXPECT_GT(claimed, 0x80 + 0x56 + 0x5E + 0x5200);
}

// Texts that mix units folding alone with those that do not (half-width kana and their
// sound marks, combining marks, compatibility jamo, ligatures, letters whose case folding
// grows, surrogate pairs) fold exactly as the whole fold folds them, null and empty alike.
TEST(FoldForSearch, MixedTextsFoldAsTheWholeFoldFoldsThem) {
    const QString pool = QStringLiteral(
        "aZ09 ~\n山田建設かがカガヴー・「」○■、。　ＡＺａｚ０～"
        "ｶﾞﾊﾟﾞﾟ\u3099\u309A\u0301é㈱①㍻ßΣςДﬁㄱㅏ가\U0002000B\U0001D400");
    const QList<uint> units = pool.toUcs4();
    std::mt19937 random(11);
    std::vector<QString> texts = {QString(), QString(QLatin1StringView("")), pool};
    for (int i = 0; i < 3000; ++i) {
        QList<uint> picked;
        const int length = static_cast<int>(random() % 8);
        for (int k = 0; k < length; ++k) picked.push_back(units[random() % units.size()]);
        texts.push_back(QString::fromUcs4(reinterpret_cast<const char32_t*>(picked.constData()),
                                          picked.size()));
    }
    for (const QString& text : texts) {
        const QString folded = FoldForSearch(text);
        ASSERT_EQ(folded, FullFold(text)) << text.toStdString();
        ASSERT_EQ(folded.isNull(), FullFold(text).isNull()) << text.toStdString();
    }
}

TEST(EstimateSearch, TextIsFoundInAnyFieldWhateverItsWidthOrCase) {
    const EstimateHeader h = Header("ｶﾌﾞｼｷｶﾞｲｼｬ ABC建設", "外構工事　Ｂ棟", "東京都港区", "", 1);
    const SearchableEstimate e = SearchableOf("000123", &h, false);
    struct Case {
        const char* text;
        bool found;
    } cases[] = {
        {"", true},         {"  ", true},    {"カブシキ", true}, {"ａｂｃ", true},
        {"abc建設", true},  {"b棟", true},   {"港区", true},     {"000123", true},
        {"０１２３", true}, {"渋谷", false}, {"ABCD", false},    {"124", false},
    };
    for (const Case& c : cases) {
        EstimateSearch s;
        s.text = QString::fromUtf8(c.text);
        EXPECT_EQ(Matches(s, e), c.found) << c.text;
    }
}

TEST(EstimateSearch, DateBoundsAreInclusiveAndAnUnreadableDateNeverMatchesThem) {
    struct Case {
        const char* stored;
        EstimateDateState state;
        bool inDecember;  // matches 2026-12-01 .. 2026-12-10
    } cases[] = {
        {"令和8年12月1日", EstimateDateState::kRead, true},
        {"R8.12.10", EstimateDateState::kRead, true},
        {"2026/11/30", EstimateDateState::kRead, false},
        {"2026-12-11", EstimateDateState::kRead, false},
        {"", EstimateDateState::kBlank, false},
        {"未定", EstimateDateState::kUnreadable, false},
    };
    EstimateSearch december;
    december.from = QDate(2026, 12, 1);
    december.to = QDate(2026, 12, 10);
    EstimateSearch any;
    for (const Case& c : cases) {
        const EstimateHeader h = Header("", "", "", c.stored, 0);
        const SearchableEstimate e = SearchableOf("000001", &h, false);
        EXPECT_EQ(e.dateState, c.state) << c.stored;
        EXPECT_EQ(Matches(december, e), c.inDecember) << c.stored;
        EXPECT_TRUE(Matches(any, e)) << c.stored;
    }
    EstimateSearch onlyFrom;
    onlyFrom.from = QDate(2026, 12, 10);
    const EstimateHeader h = Header("", "", "", "R8.12.10", 0);
    EXPECT_TRUE(Matches(onlyFrom, SearchableOf("000001", &h, false)));
}

TEST(EstimateSearch, AmountBoundsAreInclusiveAndTypedAsUsersTypeThem) {
    EstimateSearch s;
    s.minAmount = ReadAmountBound(QStringLiteral("33,000"));
    s.maxAmount = ReadAmountBound(QStringLiteral("¥１００,０００"));
    ASSERT_TRUE(s.minAmount && s.maxAmount);
    for (const auto& [amount, inside] :
         {std::pair{32999, false}, {33000, true}, {100000, true}, {100001, false}}) {
        const EstimateHeader h = Header("", "", "", "", amount);
        EXPECT_EQ(Matches(s, SearchableOf("000001", &h, false)), inside) << amount;
    }
    // An estimate whose header could not be read has no amount to compare.
    EXPECT_FALSE(Matches(s, SearchableOf("000001", nullptr, false)));
    for (const char* bad : {"", "abc", "1.5", "1e3"})
        EXPECT_FALSE(ReadAmountBound(QString::fromUtf8(bad)).has_value()) << bad;
}

TEST(EstimateSearch, EveryFieldMustMatch) {
    const EstimateHeader h = Header("山田建設", "外構工事", "", "R8.12.10", 50000);
    const SearchableEstimate issued = SearchableOf("000007", &h, true);
    const SearchableEstimate notIssued = SearchableOf("000007", &h, false);
    EstimateSearch all;
    all.text = QStringLiteral("山田");
    all.from = QDate(2026, 12, 10);
    all.to = QDate(2026, 12, 10);
    all.minAmount = Fixed4::FromInt(50000);
    all.maxAmount = Fixed4::FromInt(50000);
    all.issuedOnly = true;
    EXPECT_TRUE(Matches(all, issued));
    EXPECT_FALSE(Matches(all, notIssued));
    EstimateSearch s = all;
    s.text = QStringLiteral("田中");
    EXPECT_FALSE(Matches(s, issued));
    s = all;
    s.to = QDate(2026, 12, 9);
    EXPECT_FALSE(Matches(s, issued));
    s = all;
    s.minAmount = Fixed4::FromInt(50001);
    EXPECT_FALSE(Matches(s, issued));
    EXPECT_FALSE(all.IsEmpty());
    EXPECT_TRUE(EstimateSearch{}.IsEmpty());
    // A file that is not an estimate is found by its number only.
    EstimateHeader foreign = h;
    foreign.SetSignature("something else");
    EXPECT_EQ(SearchableOf("000008", &foreign, false).customer, QString());
}

TEST(EstimateSearch, RowsComeInTheOrderOfTheColumnAskedForWithMissingKeysLast) {
    const EstimateHeader a = Header("B社", "z", "", "R8.12.10", 300);
    const EstimateHeader b = Header("A社", "y", "", "未定", 100);
    const EstimateHeader c = Header("C社", "x", "", "2025/1/1", 200);
    std::vector<SearchableListEntry> entries = {
        {{"", QStringLiteral("m_000001.dat")}, SearchableOf("000001", &a, false)},
        {{"", QStringLiteral("m_000002.dat")}, SearchableOf("000002", &b, false)},
        {{"", QStringLiteral("m_000003.dat")}, SearchableOf("000003", &c, false)},
        {{"", QStringLiteral("m_000004.dat")}, SearchableOf("000004", nullptr, false)},
    };
    struct Case {
        ListSortColumn column;
        bool descending;
        std::vector<int> rows;
    } cases[] = {
        {ListSortColumn::kNumber, false, {0, 1, 2, 3}},
        {ListSortColumn::kNumber, true, {3, 2, 1, 0}},
        {ListSortColumn::kCustomer, false, {3, 1, 0, 2}},  // the unreadable one has no name
        {ListSortColumn::kTitle, true, {0, 1, 2, 3}},
        {ListSortColumn::kDate, false, {2, 0, 1, 3}},
        {ListSortColumn::kDate, true, {0, 2, 1, 3}},
        {ListSortColumn::kAmount, false, {1, 2, 0, 3}},
        {ListSortColumn::kAmount, true, {0, 2, 1, 3}},
    };
    for (const Case& k : cases)
        EXPECT_EQ(SearchRows(entries, {}, k.column, k.descending), k.rows)
            << static_cast<int>(k.column) << " " << k.descending;
    EstimateSearch s;
    s.minAmount = Fixed4::FromInt(150);
    EXPECT_EQ(SearchRows(entries, s, ListSortColumn::kAmount), (std::vector<int>{2, 0}));
}

}  // namespace
}  // namespace quilto
