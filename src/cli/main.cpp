// quilto-cli: the estimate program's core without a display. It works in the current
// directory, the working folder, exactly as the program does.

#include <QCoreApplication>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "cli/cli_command.h"

namespace {

using quilto::cli::CliCommand;
using quilto::cli::Commands;

const CliCommand* FindCommand(const char* name) {
    for (const CliCommand& command : Commands())
        if (name == std::string(command.name)) return &command;
    return nullptr;
}

void PrintCommandHelp(const CliCommand& command) {
    std::printf("quilto-cli %s\n\n%s", command.usage, command.help);
}

void PrintHelp() {
    std::printf(
        "Usage: quilto-cli COMMAND [ARGS]\n"
        "       quilto-cli help COMMAND     (or COMMAND --help) the help of one command\n"
        "Works on the Quilto data in the current directory (the working folder): the\n"
        "environment file sp_jis.dat, the estimates in DAT/ (or the data folder it names),\n"
        "the master lists in MST/, the table definitions in XlsBase/. Messages go to stderr.\n\n"
        "Options:\n"
        "  --help       show this help\n"
        "  --version    show the version\n\n"
        "Commands:\n");
    for (const CliCommand& command : Commands()) std::printf("  %s\n", command.usage);
    for (const CliCommand& command : Commands()) {
        std::printf("\n");
        PrintCommandHelp(command);
    }
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc < 2 || std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
        PrintHelp();
        return argc < 2 ? 2 : 0;
    }
    if (std::strcmp(argv[1], "--version") == 0) {
        std::printf("quilto-cli %s\n", QUILTO_VERSION);
        return 0;
    }
    if (std::strcmp(argv[1], "help") == 0) {
        if (argc == 2) {
            PrintHelp();
            return 0;
        }
        if (const CliCommand* command = FindCommand(argv[2]); command && argc == 3) {
            PrintCommandHelp(*command);
            return 0;
        }
        std::fprintf(stderr, "quilto-cli: no command '%s' (see --help)\n", argv[2]);
        return 2;
    }
    const CliCommand* command = FindCommand(argv[1]);
    if (command == nullptr) {
        std::fprintf(stderr, "quilto-cli: unknown command '%s' (see --help)\n", argv[1]);
        return 2;
    }
    if (argc == 3 && (std::strcmp(argv[2], "--help") == 0 || std::strcmp(argv[2], "-h") == 0)) {
        PrintCommandHelp(*command);
        return 0;
    }
    return command->run(std::vector<std::string>(argv + 2, argv + argc));
}
