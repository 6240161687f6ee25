#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>

#include "core/store/estimate_file.h"
#include "core/store/issued_archive.h"
#include "support/cli_runner.h"
#include "support/sjis.h"
#include "support/working_folder.h"

namespace quilto {
namespace {

using test::Sjis;
using test::WorkingFolder;
using test::WriteAll;

using test::CliRun;

CliRun List() { return test::RunCli({"list"}); }

TEST(CliList, PrintsTheSortedListLinesInUtf8) {
    WorkingFolder folder;
    EstimateHeader header;
    header.SetSignature(kEstimateSignature);
    header.SetText(HeaderText::MName1, Sjis("山田建設"));
    // A byte that starts no CP932 character still prints, as a replacement character.
    header.SetText(HeaderText::MTitle1, "\xA0title");
    header.SetFigure(HeaderFigure::MGoukei01, Fixed4::FromInt(1234567));
    WriteAll("DAT/m_000002.dat", header.Bytes());
    WriteAll("DAT/m_000001.dat", "short");

    const CliRun run = List();
    EXPECT_EQ(run.exitCode, 0) << run.err;
    const std::string second = std::string("000002  ") + "山田建設" + std::string(22, ' ') +
                               "\uFFFDtitle" + std::string(24, ' ') + std::string(25, ' ') +
                               "     1,234,567 " + std::string(3, ' ') + std::string(25, ' ');
    EXPECT_EQ(run.out, "000001     \n" + second + "\n");
}

TEST(CliList, SaysSoWhenTheDataFolderIsMissing) {
    WorkingFolder folder(false);
    const CliRun run = List();
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("DAT"), std::string::npos) << run.err;
    EXPECT_EQ(run.out, "");
}

// Three estimates and an issue of one of them; every filter, alone and together, and the
// three output forms.
class CliListSearch : public ::testing::Test {
  protected:
    void SetUp() override {
        Write("000001", "山田建設", "外構工事", "令和8年12月1日", 33000);
        Write("000002", "ﾀﾅｶ工務店", "ABC棟 改修", "2026/12/10", 880421);
        Write("000003", "山田ハウス", "解体", "未定", 100000);
        IssueEntry issue;
        issue.number = QStringLiteral("000002");
        ASSERT_EQ(ArchiveIssuedPdf(QStringLiteral("DAT/発行済み"), "%PDF", issue).result,
                  ArchiveResult::kArchived);
    }
    static void Write(const char* number, const char* customer, const char* title, const char* date,
                      int amount) {
        EstimateHeader header;
        header.SetSignature(kEstimateSignature);
        header.SetText(HeaderText::MName1, Sjis(customer));
        header.SetText(HeaderText::MTitle1, Sjis(title));
        header.SetText(HeaderText::MYMD1, Sjis(date));
        header.SetFigure(HeaderFigure::MGoukei01, Fixed4::FromInt(amount));
        WriteAll(QStringLiteral("DAT/m_%1.dat").arg(QString::fromLatin1(number)), header.Bytes());
    }
    // The numbers of the lines a search prints, in order.
    static std::string Numbers(const QStringList& options) {
        const CliRun run = test::RunCli(QStringList{QStringLiteral("list")} + options);
        EXPECT_EQ(run.exitCode, 0) << run.err;
        std::string numbers;
        for (std::size_t at = 0; at < run.out.size(); at = run.out.find('\n', at) + 1)
            numbers += run.out.substr(at, 6) + " ";
        return numbers;
    }
    WorkingFolder folder_;
};

TEST_F(CliListSearch, EveryFilterAloneAndTogether) {
    struct Case {
        QStringList options;
        std::string numbers;
    } cases[] = {
        {{}, "000001 000002 000003 "},
        {{"--text", "山田"}, "000001 000003 "},
        {{"--text", "タナカ"}, "000002 "},        // half-width kana typed in full width
        {{"--text", "abc"}, "000002 "},           // case
        {{"--text", "０００００３"}, "000003 "},  // the number, full width
        {{"--from", "2026-12-02"}, "000002 "},    // 未定 never matches a date bound
        {{"--to", "R8.12.1"}, "000001 "},
        {{"--from", "令和8年12月1日", "--to", "2026/12/10"}, "000001 000002 "},
        {{"--min", "33,000", "--max", "100000"}, "000001 000003 "},
        {{"--min", "33001"}, "000002 000003 "},
        {{"--issued"}, "000002 "},
        {{"--text", "山田", "--min", "50000"}, "000003 "},
        {{"--text", "山田", "--issued"}, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Numbers(c.options), c.numbers) << c.options.join(' ').toStdString();
}

TEST_F(CliListSearch, JsonAndCsvCarryTheFieldsAndWrongOptionsAreRefused) {
    const CliRun json = test::RunCli({"list", "--issued", "--json"});
    ASSERT_EQ(json.exitCode, 0) << json.err;
    const nlohmann::json parsed = nlohmann::json::parse(json.out);
    ASSERT_EQ(parsed.size(), 1u);
    EXPECT_EQ(parsed[0]["number"], "000002");
    EXPECT_EQ(parsed[0]["customer"], "ﾀﾅｶ工務店");
    EXPECT_EQ(parsed[0]["dateRead"], "2026-12-10");
    EXPECT_EQ(parsed[0]["amount"], 880421);
    EXPECT_EQ(parsed[0]["issued"], true);

    const CliRun csv = test::RunCli({"list", "--text", "山田", "--csv"});
    ASSERT_EQ(csv.exitCode, 0) << csv.err;
    EXPECT_EQ(csv.out,
              "\xEF\xBB\xBF見積番号,得意先,件名,場所,見積日,金額(税込),印刷日,発行済み,ファイル\n"
              "000001,山田建設,外構工事,,令和8年12月1日,33000,,0,m_000001.dat\n"
              "000003,山田ハウス,解体,,未定,100000,,0,m_000003.dat\n");

    for (const QStringList& wrong :
         {QStringList{"list", "--from", "yesterday"}, QStringList{"list", "--min", "1.5"},
          QStringList{"list", "--json", "--csv"}, QStringList{"list", "--text"}}) {
        const CliRun run = test::RunCli(wrong);
        EXPECT_EQ(run.exitCode, 2) << wrong.join(' ').toStdString();
        EXPECT_EQ(run.out, "");
        EXPECT_FALSE(run.err.empty());
    }
}

}  // namespace
}  // namespace quilto
