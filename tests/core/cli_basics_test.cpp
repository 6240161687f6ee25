#include <gtest/gtest.h>

#include <QProcess>
#include <string>

#include "support/cli_runner.h"
#include "support/working_folder.h"

// The headless program starts and answers --version and --help.
TEST(Cli, VersionAndHelp) {
    QProcess cli;
    cli.start(QUILTO_CLI_PATH, {"--version"});
    ASSERT_TRUE(cli.waitForFinished(30000));
    EXPECT_EQ(cli.exitCode(), 0);
    EXPECT_TRUE(cli.readAllStandardOutput().startsWith("quilto-cli "));

    cli.start(QUILTO_CLI_PATH, {"--help"});
    ASSERT_TRUE(cli.waitForFinished(30000));
    EXPECT_EQ(cli.exitCode(), 0);
    EXPECT_TRUE(cli.readAllStandardOutput().contains("Usage: quilto-cli"));

    cli.start(QUILTO_CLI_PATH, {"no-such-command"});
    ASSERT_TRUE(cli.waitForFinished(30000));
    EXPECT_EQ(cli.exitCode(), 2);
}

namespace quilto {
namespace {

// The help describes every command, and the example of the JSON format is one that create
// takes as it stands.
TEST(Cli, HelpDescribesEveryCommandAndItsExampleWorks) {
    const test::CliRun all = test::RunCli({"--help"});
    ASSERT_EQ(all.exitCode, 0);
    for (const char* name :
         {"check", "list", "show", "create", "calc", "delete", "export", "print"}) {
        const test::CliRun one = test::RunCli({"help", name});
        ASSERT_EQ(one.exitCode, 0) << name;
        EXPECT_TRUE(one.out.starts_with(std::string("quilto-cli ") + name)) << one.out;
        EXPECT_NE(one.out.find("Exit status"), std::string::npos) << name;
        EXPECT_NE(all.out.find(one.out), std::string::npos) << name << " is missing from --help";
        EXPECT_EQ(test::RunCli({name, "--help"}).out, one.out) << name;
    }
    EXPECT_EQ(test::RunCli({"help", "no-such-command"}).exitCode, 2);

    const std::string create = test::RunCli({"help", "create"}).out;
    const std::size_t from = create.find("Example:\n");
    ASSERT_NE(from, std::string::npos);
    const std::size_t start = from + std::string("Example:\n").size();
    const std::string example = create.substr(start, create.find("\n\n", start) - start);

    test::WorkingFolder folder;
    test::WriteAll("example.json", example);
    const test::CliRun created = test::RunCli({"create", "--json", "example.json"});
    EXPECT_EQ(created.exitCode, 0) << example << "\n" << created.err;
    EXPECT_EQ(created.out, "000001\n");
}

}  // namespace
}  // namespace quilto
