#include <gtest/gtest.h>

#include <QProcess>

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
