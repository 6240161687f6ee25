// quilto-cli create and calc: an estimate described in JSON is saved with the editor's
// figures, and calc shows every sheet as the editor's grids show it.

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <unistd.h>

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <nlohmann/json.hpp>

#include "core/store/environment.h"
#include "core/store/markers.h"
#include "support/cli_runner.h"
#include "support/silent_questions.h"
#include "support/working_folder.h"

namespace quilto {
namespace {

using nlohmann::json;
using test::RunCli;
using test::WorkingFolder;
using test::WriteAll;

std::string Trim(const std::string& s) {
    const auto first = s.find_first_not_of(' ');
    return first == std::string::npos ? "" : s.substr(first, s.find_last_not_of(' ') - first + 1);
}

TEST(CliCalc, CreatedEstimateCarriesTheEditorsFigures) {
    WorkingFolder folder;
    ASSERT_EQ(RunCli({"check", "--yes"}).exitCode, 0);
    // The worked example in the breakdown, the amounts coming from detail sheets.
    const json description = {
        {"cover", {{"MName1", "山田建設"}, {"MTitle1", "改修工事"}, {"ZRitu", "5"}}},
        {"breakdown",
         json::array({
             {{"cells", {"001", "", "設備"}},
              {"details", {{"000001", "", "配管", "20A", "m", "4", "250", "", "", "800"}}}},
             {{"cells", {"", "", "電気"}},
              {"details", {{"", "", "配線", "", "式", "1", "2,000", "", "", "900"}}}},
             {{"cells", {"="}}},
             {{"cells", {"-", "", "", "", "", "500"}}},
             {{"cells", {"/"}}},
             {{"cells", {"%"}}},
             {{"cells", {"\\"}}},
         })},
        {"summary", {{"", "", "一式", "式", "2.5", "333"}}}};
    WriteAll("estimate.json", description.dump());
    const auto created = RunCli({"create", "--json", "estimate.json"});
    ASSERT_EQ(created.exitCode, 0) << created.err;
    EXPECT_EQ(created.out, "000001\n");

    const auto shown = RunCli({"show", "000001", "--json"});
    ASSERT_EQ(shown.exitCode, 0) << shown.err;
    const json file = json::parse(shown.out);
    EXPECT_EQ(file["header"]["MGoukei01"], "2625") << "saved with the calculated figures";
    EXPECT_EQ(file["breakdown"][0]["amount"], "1000");
    EXPECT_EQ(file["breakdown"][0]["details"][0]["amount"], "1000");

    const auto calc = RunCli({"calc", "000001", "--json"});
    ASSERT_EQ(calc.exitCode, 0) << calc.err;
    const json result = json::parse(calc.out);
    EXPECT_EQ(result["header"]["MGoukei01"], "2625");
    EXPECT_EQ(result["header"]["MGoukei11"], "2500");
    EXPECT_EQ(result["header"]["MGoukei12"], "1700");
    EXPECT_EQ(result["header"]["MGoukei13"], "800");
    const json& breakdown = result["breakdown"];
    ASSERT_EQ(breakdown.size(), 7u);
    EXPECT_EQ(breakdown[0][5], "         1,000") << "display form, trailing blanks kept";
    EXPECT_EQ(Trim(breakdown[2][5]), "3,000");
    EXPECT_EQ(Trim(breakdown[4][5]), "2,500");
    EXPECT_EQ(Trim(breakdown[5][5]), "125");
    EXPECT_EQ(Trim(breakdown[6][5]), "2,625");
    EXPECT_EQ(Trim(result["details"]["1"][0][7]), "1,000");
    EXPECT_EQ(Trim(result["summary"][0][6]), "833") << "2.5 x 333 = 832.5, half up";
    EXPECT_EQ(result["details"].size(), 2u);
}

TEST(CliCalc, RefusesWhatItCannotRead) {
    WorkingFolder folder;
    ASSERT_EQ(RunCli({"check", "--yes"}).exitCode, 0);
    const auto missing = RunCli({"calc", "000009", "--json"});
    EXPECT_EQ(missing.exitCode, 1);
    // The file, as show names it, and why.
    EXPECT_NE(
        missing.err.find(folder.FilePath("DAT/m_000009.dat").toStdString() + ": no such file"),
        std::string::npos)
        << missing.err;
    WriteAll("DAT/m_000002.dat", std::string(1392 + 192, 'x'));
    const auto foreign = RunCli({"calc", "000002", "--json", "--save"});
    EXPECT_EQ(foreign.exitCode, 1);
    EXPECT_NE(foreign.err.find("not an estimate"), std::string::npos) << foreign.err;
    EXPECT_EQ(RunCli({"calc", "--json"}).exitCode, 2);
}

// Estimate 000001 with one typed breakdown line; its file's bytes.
std::string OneLineEstimate(const WorkingFolder& folder) {
    WriteAll(folder.FilePath("e.json"), R"({"cover":{"MName1":"a","MTitle1":"b"},
        "breakdown":[{"cells":["","","pipe","","","1000"]}]})");
    EXPECT_EQ(RunCli({"create", "--json", "e.json"}).exitCode, 0);
    return test::ReadAll(folder.FilePath("DAT/m_000001.dat"));
}

// A save past the file-size limit (ulimit -f) fails as a write, with the path and the
// reason, and the estimate stays as it was: the program is not ended by SIGXFSZ. The child
// gets the limit and the signal's default action, as a login shell with ulimit -f gives it.
TEST(CliCalc, ASavePastTheFileSizeLimitIsReportedNotKilled) {
    WorkingFolder folder;
    const std::string before = OneLineEstimate(folder);
    ASSERT_GT(before.size(), 1024u);

    QProcess cli;
    cli.setChildProcessModifier([] {
        std::signal(SIGXFSZ, SIG_DFL);
        const rlimit limit{1024, 1024};
        setrlimit(RLIMIT_FSIZE, &limit);
    });
    cli.start(QUILTO_CLI_PATH, {"calc", "000001", "--json", "--save"});
    ASSERT_TRUE(cli.waitForFinished(60000));
    const std::string err = cli.readAllStandardError().toStdString();
    EXPECT_EQ(cli.exitStatus(), QProcess::NormalExit) << "ended by a signal";
    EXPECT_EQ(cli.exitCode(), 1) << err;
    // The file that could not be written (the backup estimate is written first) and why.
    EXPECT_NE(err.find("/m_BackUp.dat: "), std::string::npos) << err;
    EXPECT_NE(err.find(std::strerror(EFBIG)), std::string::npos) << err;
    EXPECT_EQ(test::ReadAll(folder.FilePath("DAT/m_000001.dat")), before);
}

// A save from the command line is a read-modify-write under the estimate's marker: while
// another copy (this test process, the command a second one) holds it, the save is refused
// naming the marker and its holder, and so are a deletion and a restore; the estimate stays
// as that copy has it. Once the other copy has let go, the save goes through and leaves no
// marker behind.
TEST(CliCalc, ASaveTakesTheEstimatesMarkerAndIsRefusedWhileAnotherCopyHoldsIt) {
    WorkingFolder folder;
    const std::string before = OneLineEstimate(folder);
    ASSERT_EQ(RunCli({"check", "--yes"}).exitCode, 0);
    const auto backup = RunCli({"backup", "backup"});
    ASSERT_EQ(backup.exitCode, 0) << backup.err;
    {
        test::SilentQuestions silent;
        Environment environment;
        Markers other(silent, MarkerFoldersOf(environment));
        ASSERT_EQ(other.HoldEstimateMarker("000001"), MarkerHold::kDone);
        const std::string pid = "（プロセス " + std::to_string(getpid()) + "、";
        const auto run = RunCli({"calc", "000001", "--json", "--save"});
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_NE(run.err.find("m_000001.tmp"), std::string::npos) << run.err;
        EXPECT_NE(run.err.find(pid), std::string::npos) << run.err;
        const auto deletion = RunCli({"delete", "000001"});
        EXPECT_EQ(deletion.exitCode, 1);
        EXPECT_NE(deletion.err.find(pid), std::string::npos) << deletion.err;
        EXPECT_NE(RunCli({"restore", "backup", "--yes"}).exitCode, 0);
        EXPECT_EQ(test::ReadAll(folder.FilePath("DAT/m_000001.dat")), before);
    }
    const auto run = RunCli({"calc", "000001", "--json", "--save"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_FALSE(QFileInfo::exists(folder.FilePath("DAT/m_000001.tmp")));
}

}  // namespace
}  // namespace quilto
