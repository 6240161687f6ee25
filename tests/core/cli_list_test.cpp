#include <gtest/gtest.h>

#include <string>

#include "core/store/estimate_file.h"
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

}  // namespace
}  // namespace quilto
