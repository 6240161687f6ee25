#include "core/store/estimate_history.h"

#include <gtest/gtest.h>

#include <QString>
#include <string>
#include <vector>

#include "core/store/environment.h"
#include "core/store/estimate_file.h"
#include "support/sjis.h"
#include "support/working_folder.h"

namespace quilto {
namespace {

using test::Sjis;
using test::WorkingFolder;
using test::WriteAll;

void WriteEstimate(int number, const std::string& customer, const std::string& title,
                   std::string_view signature = kEstimateSignature) {
    EstimateHeader header;
    header.SetSignature(signature);
    header.SetText(HeaderText::MName1, customer);
    header.SetText(HeaderText::MTitle1, title);
    WriteAll(QStringLiteral("DAT/m_%1.dat").arg(number, 6, 10, QLatin1Char('0')),
             header.Bytes() + std::string(2 * kLineRecordSize, '\0'));
}

TEST(EstimateHistories, SortedWithoutDuplicatesAndEmptyForFilesThatAreNoEstimates) {
    WorkingFolder folder;
    WriteEstimate(1, Sjis("山田建設"), Sjis("外壁塗装"));
    WriteEstimate(2, Sjis("山田建設"), Sjis("屋根改修"));
    WriteEstimate(3, "ABC", "t");
    WriteEstimate(4, "abc", "t");  // differs only in case: held once
    WriteEstimate(5, "zzz", "old layout", kOldEstimateSignature);
    WriteEstimate(6, "foreign", "foreign", "SOMETHING ELSE");
    WriteAll("DAT/m_000007.dat", "too short for a header");

    Environment environment;
    const EstimateHistories histories = BuildEstimateHistories(environment);
    EXPECT_EQ(histories.customers.Entries(),
              (std::vector<std::string>{"", "ABC", "zzz", Sjis("山田建設")}));
    EXPECT_EQ(
        histories.titles.Entries(),
        (std::vector<std::string>{"", "old layout", "t", Sjis("屋根改修"), Sjis("外壁塗装")}));
}

TEST(EstimateHistories, StopEarlyOnceEitherRuleIsMet) {
    struct Case {
        int files;
        bool distinctTitles;
        std::size_t customers;
        std::size_t titles;
    };
    const std::vector<Case> cases = {
        {1000, true, 301, 301},  // both past 300
        {700, false, 601, 1},    // one past 600
        {400, false, 400, 1},    // neither rule met: every file read
    };
    for (const Case& c : cases) {
        WorkingFolder folder;
        for (int i = 1; i <= c.files; ++i) {
            const std::string text = std::to_string(i);
            WriteEstimate(i, "c" + text, c.distinctTitles ? "t" + text : "same");
        }
        Environment environment;
        const EstimateHistories histories = BuildEstimateHistories(environment);
        EXPECT_EQ(histories.customers.Size(), c.customers) << c.files;
        EXPECT_EQ(histories.titles.Size(), c.titles) << c.files;
    }
}

TEST(EstimateHistories, EmptyWithoutEstimates) {
    WorkingFolder folder;
    Environment environment;
    const EstimateHistories histories = BuildEstimateHistories(environment);
    EXPECT_EQ(histories.customers.Size(), 0u);
    EXPECT_EQ(histories.titles.Size(), 0u);
}

}  // namespace
}  // namespace quilto
