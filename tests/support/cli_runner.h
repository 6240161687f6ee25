#pragma once

#include <QStringList>
#include <string>

namespace quilto::test {

// One run of quilto-cli in the current directory.
struct CliRun {
    int exitCode = -1;  // -1 when it did not finish
    std::string out;
    std::string err;
};
CliRun RunCli(const QStringList& args);

}  // namespace quilto::test
