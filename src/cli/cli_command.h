#pragma once

#include <string>
#include <vector>

namespace quilto::cli {

// One subcommand of quilto-cli. Each command lives in a file of its own and adds itself to
// the table in commands.cpp, with its help: `quilto-cli --help` prints every command's,
// `quilto-cli help NAME` and `quilto-cli NAME --help` the one.
struct CliCommand {
    const char* name;
    const char* usage;                                 // one line: name, arguments, summary
    const char* help;                                  // arguments, options, output, exit status
    int (*run)(const std::vector<std::string>& args);  // exit status
};

const std::vector<CliCommand>& Commands();

}  // namespace quilto::cli
