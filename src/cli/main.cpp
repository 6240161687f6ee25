// quilto-cli: the estimate program's core without a display. It works in the current
// directory, the working folder, exactly as the program does.

#include <QCoreApplication>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "cli/cli_command.h"

namespace {

void PrintHelp() {
    std::printf(
        "Usage: quilto-cli COMMAND [ARGS]\n"
        "Works on the Quilto data in the current directory (the working folder).\n\n"
        "Options:\n"
        "  --help       show this help\n"
        "  --version    show the version\n");
    if (!quilto::cli::Commands().empty()) std::printf("\nCommands:\n");
    for (const auto& command : quilto::cli::Commands()) std::printf("  %s\n", command.usage);
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
    for (const auto& command : quilto::cli::Commands()) {
        if (argv[1] == std::string(command.name)) {
            return command.run(std::vector<std::string>(argv + 2, argv + argc));
        }
    }
    std::fprintf(stderr, "quilto-cli: unknown command '%s' (see --help)\n", argv[1]);
    return 2;
}
