// quilto-cli create, show and delete on a real working folder.

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <nlohmann/json.hpp>

#include "core/store/estimate_file.h"
#include "core/store/markers.h"
#include "support/cli_runner.h"
#include "support/scripted_questions.h"
#include "support/working_folder.h"

namespace quilto {
namespace {

using nlohmann::json;
using test::WorkingFolder;

using test::CliRun;

// The working folder is the current directory while it lives.
CliRun Cli(const WorkingFolder&, const QStringList& args) { return test::RunCli(args); }

CliRun Create(const WorkingFolder& folder, const std::string& description) {
    test::WriteAll(folder.FilePath("estimate.json"), description);
    return Cli(folder, {"create", "--json", "estimate.json"});
}

const char* const kEstimate = R"({
  "cover": {"MName1": "山田工務店", "MTitle1": "外壁塗装工事", "ZRitu": "10",
            "CheckBox2": true, "pattern": 1, "MBiko1": "note"},
  "summary": [["", "1", "仮設工事", "式", "1", "", "150,000"], null, ["="]],
  "breakdown": [
    {"cells": ["", "1", "足場", "式", "1", "150,000", "90,000"],
     "details": [null, ["000123", "", "単管足場", "H=10m", "㎡", "1,500", "100"]]},
    null,
    {"cells": ["/"]}
  ]
})";

TEST(EstimateCli, CreateShowAndDelete) {
    WorkingFolder folder;
    CliRun run = Create(folder, kEstimate);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "000001\n");
    EXPECT_TRUE(QFile::exists(folder.FilePath("m_BackUp.dat")));
    run = Create(folder, kEstimate);
    EXPECT_EQ(run.out, "000002\n");

    run = Cli(folder, {"show", "000001", "--json"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const json shown = json::parse(run.out);
    EXPECT_EQ(shown["signature"], "**$\\??Q-$%%7");
    const json& header = shown["header"];
    EXPECT_EQ(header["MNo"], "000001");
    EXPECT_EQ(header["MName1"], "山田工務店");
    EXPECT_EQ(header["MBiko1"], "note");
    EXPECT_EQ(header["ZRitu"], 10);
    EXPECT_EQ(header["CheckBox1"], false);
    EXPECT_EQ(header["CheckBox2"], true);
    EXPECT_EQ(header["pattern"], "1");
    EXPECT_EQ(header.size(), 31u);
    ASSERT_EQ(shown["summary"].size(), 3u);
    EXPECT_EQ(shown["summary"][0]["amount"], "150000");
    EXPECT_EQ(shown["summary"][0]["kind"], -1);
    EXPECT_EQ(shown["summary"][2]["code"], "=");
    ASSERT_EQ(shown["breakdown"].size(), 3u);
    const json& first = shown["breakdown"][0];
    // Saved after the editor's calculations: the line takes its detail sheet's totals
    // (1,500 x 100, no cost) in place of the typed 150,000 and 90,000.
    EXPECT_EQ(first["amount"], "150000");
    EXPECT_EQ(first["costUnitPrice"], "0");
    EXPECT_EQ(first["detailCount"], 2);
    ASSERT_EQ(first["details"].size(), 2u);
    const json& detail = first["details"][1];
    EXPECT_EQ(detail["kind"], 1);
    EXPECT_EQ(detail["number"], 2);
    EXPECT_EQ(detail["unit"], "㎡");
    EXPECT_EQ(detail["quantity"], "1500");
    EXPECT_EQ(detail["spec"], "H=10m");
    EXPECT_EQ(shown["breakdown"][2]["code"], "/");

    run = Cli(folder, {"show", "BackUp", "--json"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(json::parse(run.out)["header"]["MNo"], "BackUp");

    run = Cli(folder, {"delete", "000001"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_FALSE(QFile::exists(folder.FilePath("DAT/m_000001.dat")));
    EXPECT_NE(Cli(folder, {"show", "000001", "--json"}).exitCode, 0);
    EXPECT_NE(Cli(folder, {"delete", "000001"}).exitCode, 0);
}

TEST(EstimateCli, CreateRefusesWhatTheEditorWouldNotTake) {
    struct Case {
        const char* description;
        const char* error;
    };
    const Case cases[] = {
        {R"({"cover": {"MName1": "a©", "MTitle1": "t"}})", "cover.MName1"},
        {R"({"cover": {"MName1": "12345678901234567890123456789012345678901", "MTitle1": "t"}})",
         "cover.MName1: longer than the 40 bytes"},
        {R"({"cover": {"MName1": "a", "MTitle1": "t", "MNo": "000009"}})", "cover.MNo"},
        {R"({"cover": {"MName1": "a", "MTitle1": "t", "MName9": ""}})", "cover.MName9"},
        {R"({"cover": {"MName1": "a", "MTitle1": "t", "pattern": 3}})", "cover.pattern"},
        {R"({"cover": {"MName1": "a", "MTitle1": "t"}, "summary": [[1]]})", "summary[0][0]"},
        {R"({"cover": {"MName1": "a", "MTitle1": "t"}, "summary": [["", "", "", "", "12345678"]]})",
         "summary[0][4]"},
        {R"({"cover": {"MName1": "a", "MTitle1": "t"},
             "breakdown": [{"cells": ["="], "details": [["x"]]}]})",
         "breakdown[0].details"},
        {R"({"cover": {"MName1": "a", "MTitle1": "t"},
             "breakdown": [{"details": [["", "", "", "", "", "", "", "", "", "", "", "", "5"]]}]})",
         "breakdown[0].details[0][12]"},
        {R"({"cover": {"MName1": "a", "MTitle1": "t"}, "sumary": []})", "sumary"},
        {R"({"cover": {"MName1": "a\tb", "MTitle1": "t"}})",
         "制御文字 (U+0009) は使えません (cover.MName1)"},
        {R"({"cover": {"MName1": "a", "MTitle1": "t"}, "summary": [["", "", "x\ny"]]})",
         "制御文字 (U+000A) は使えません (summary[0][2])"},
        {R"({"cover": {"MName1": "a😀", "MTitle1": "t"}})",
         "「😀」は使えない文字です (cover.MName1)"},
        {R"({"cover": {"MName1": "a", "MTitle1": "t"}, "summary": [["", "", "", "", "abc"]]})",
         "summary[0][4]: \"abc\" is not a number"},
        {R"({"cover": {"MName1": "a", "MTitle1": "t"}, "summary": [["", "", "", "", "1", "1,0,0,0"]]})",
         "summary[0][5]: \"1,0,0,0\" is not a whole number"},
        {R"({"cover": {"MName1": "a", "MTitle1": "t"}, "summary": [["", "", "", "", "1", "1.5"]]})",
         "summary[0][5]"},
        {R"({"cover": {"MName1": "a", "MTitle1": "t"}, "breakdown": [{"cells": ["", "", "", "", "-"]}]})",
         "breakdown[0].cells[4]"},
        {R"({"cover": {"MName1": "a", "MTitle1": "t"},
             "breakdown": [{"details": [["", "", "", "", "", "1.2.3"]]}]})",
         "breakdown[0].details[0][5]"},
        {R"({"cover": {"MName1": "a", "MTitle1": "t"}, "summary": [["", "", "", "", "", "1,234,567,890,123"]]})",
         "summary[0][5]: longer than the 12 characters"},
        {R"({"cover": {"MName1": "a", "MTitle1": "t", "ZRitu": "-5"}})", "cover.ZRitu"},
        {R"({"cover": {"MName1": "a", "MTitle1": "t", "ZRitu": "100"}})", "cover.ZRitu"},
        {R"({"cover": {"MName1": "a", "MTitle1": "t", "pattern": 4294967297}})", "cover.pattern"},
        {R"({"cover": {"MName1": "a", "MTitle1": "t", "pattern": 18446744073709551615}})",
         "cover.pattern"},
        {R"({"cover": {"MName1": "a", "MTitle1": "t", "pattern": -1}})", "cover.pattern"},
        {R"({"cover": {"MName1": "a", "MTitle1": "t", "MGoukei01": "5"}})", "cover.MGoukei01"},
        {R"({"cover": {"MName1": "a"}})", "見積データが設定されていません。"},
        {R"({"cover": )", "not valid JSON"},
    };
    WorkingFolder folder;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.description);
        const CliRun run = Create(folder, c.description);
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_NE(run.err.find(c.error), std::string::npos) << run.err;
        EXPECT_EQ(run.out, "");
    }
    EXPECT_TRUE(QDir(folder.FilePath("DAT")).isEmpty());
    EXPECT_FALSE(QFile::exists(folder.FilePath("m_BackUp.dat")));
}

// What Linux input methods and keyboards type for CP932's characters is stored as the
// character meant; numbers may carry thousands separators and blanks around them.
TEST(EstimateCli, CreateTakesWhatAnInputMethodTypes) {
    WorkingFolder folder;
    const CliRun run = Create(folder, R"({"cover": {"MName1": "1\u301c3 \u2212 \u00a5 \u2014",
                                                    "MTitle1": "t", "ZRitu": "8"},
        "summary": [["", "", "x", "", " .5 ", "  1,234 "]]})");
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const json shown = json::parse(Cli(folder, {"show", "000001", "--json"}).out);
    EXPECT_EQ(shown["header"]["MName1"], "1～3 － \\ ―");
    EXPECT_EQ(shown["header"]["ZRitu"], 8);
    EXPECT_EQ(shown["summary"][0]["amount"], "617");
}

TEST(EstimateCli, CreateRefusesFiguresPastTheRangeNamingTheLine) {
    WorkingFolder folder;
    const CliRun run = Create(folder, R"({"cover": {"MName1": "a", "MTitle1": "t"},
        "breakdown": [null, {"cells": ["", "", "huge"],
                             "details": [["000001", "", "x", "", "", "9999999", "999999999"]]}]})");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("内訳書 2 行目の明細 1 行目"), std::string::npos) << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_TRUE(QDir(folder.FilePath("DAT")).isEmpty());
    EXPECT_FALSE(QFile::exists(folder.FilePath("m_BackUp.dat")));
}

TEST(EstimateCli, DeleteIsRefusedWhileTheEstimateIsInUse) {
    WorkingFolder folder;
    ASSERT_EQ(Create(folder, kEstimate).exitCode, 0);
    test::ScriptedQuestions questions;
    Markers markers(questions,
                    {[] { return QStringLiteral("DAT/"); }, [] { return QStringLiteral("MST/"); }});
    ASSERT_EQ(markers.HoldEstimateMarker("000001"), MarkerHold::kDone);
    ASSERT_EQ(markers.EstimateState(), MarkerState::kHeld);

    CliRun run = Cli(folder, {"delete", "000001"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("この見積は使用中です。"), std::string::npos) << run.err;
    EXPECT_TRUE(QFile::exists(folder.FilePath("DAT/m_000001.dat")));

    ASSERT_EQ(markers.ReleaseEstimateMarker("000001"), MarkerRelease::kReleased);
    run = Cli(folder, {"delete", "000001"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_FALSE(QFile::exists(folder.FilePath("DAT/m_000001.dat")));
}

TEST(EstimateCli, ShowRefusesWhatIsNotAnEstimate) {
    WorkingFolder folder;
    std::string foreign(kEstimateHeaderSize, 'z');
    foreign[0] = 3;
    test::WriteAll(folder.FilePath("DAT/m_000004.dat"), foreign);
    CliRun run = Cli(folder, {"show", "000004", "--json"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("not an estimate"), std::string::npos) << run.err;
    EXPECT_EQ(Cli(folder, {"show", "12345", "--json"}).exitCode, 2);
    EXPECT_EQ(Cli(folder, {"show", "000004"}).exitCode, 2);
}

}  // namespace
}  // namespace quilto
