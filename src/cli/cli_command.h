#pragma once

#include <string>
#include <vector>

namespace quilto::cli {

// One subcommand of quilto-cli. Each command lives in a file of its own and adds itself to
// the table in commands.cpp.
struct CliCommand {
    const char* name;
    const char* usage;                                 // one line for --help
    int (*run)(const std::vector<std::string>& args);  // exit status
};

const std::vector<CliCommand>& Commands();

}  // namespace quilto::cli
