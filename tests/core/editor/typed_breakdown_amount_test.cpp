// A breakdown line without detail lines keeps the amount and cost typed on it when the
// command-line tools calculate and save an estimate (estimates carried over from the old
// program have many such lines); a line with details still takes its sheet's totals.

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "support/cli_runner.h"
#include "support/working_folder.h"

namespace quilto {
namespace {

using nlohmann::json;

json Breakdown(const char* number) {
    const test::CliRun run = test::RunCli({"show", number, "--json"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    return json::parse(run.out)["breakdown"];
}

TEST(TypedBreakdownAmount, SurvivesCreateAndCalcSave) {
    test::WorkingFolder folder;
    test::WriteAll(folder.FilePath("e.json"), R"({"cover":{"MName1":"a","MTitle1":"b"},
        "breakdown":[{"cells":["","","typed","","","1000","300"]},
                     {"cells":["","","with details","","","5000","4000"],
                      "details":[["000001","","pipe","","m","2","300","","100"]]}]})");
    test::CliRun run = test::RunCli({"create", "--json", "e.json"});
    ASSERT_EQ(run.exitCode, 0) << run.err;

    json lines = Breakdown("000001");
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0]["amount"], "1000");
    EXPECT_EQ(lines[0]["costUnitPrice"], "300") << "the breakdown cost field";
    EXPECT_EQ(lines[1]["amount"], "600") << "details replace what was typed";
    EXPECT_EQ(lines[1]["costUnitPrice"], "200");

    run = test::RunCli({"calc", "000001", "--json", "--save"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(json::parse(run.out)["header"]["MGoukei01"], "1600");
    lines = Breakdown("000001");
    EXPECT_EQ(lines[0]["amount"], "1000");
    EXPECT_EQ(lines[0]["costUnitPrice"], "300");
}

}  // namespace
}  // namespace quilto
