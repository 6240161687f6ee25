// quilto-cli: the estimate program's core without a display. It works in the working folder
// the program would: the one named with --folder, the current directory when it holds
// sp_jis.dat, or the folder the user chose at the program's first start.

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "cli/cli_command.h"
#include "core/foundation/process_setup.h"
#include "core/shell/working_folder.h"

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
        "Usage: quilto-cli [--folder DIR] COMMAND [ARGS]\n"
        "       quilto-cli help COMMAND     (or COMMAND --help) the help of one command\n"
        "Works on the Quilto data in the working folder: the environment file sp_jis.dat,\n"
        "the estimates in DAT/ (or the data folder it names), the master lists in MST/, the\n"
        "table definitions in XlsBase/. The working folder is DIR when --folder names it,\n"
        "else the current directory when it holds sp_jis.dat, else the folder chosen at the\n"
        "program's first start (remembered in $XDG_CONFIG_HOME/quilto/quilto.conf), else\n"
        "the current directory. Messages go to stderr.\n\n"
        "Options:\n"
        "  --folder DIR  work in the working folder DIR (it must exist)\n"
        "  --help        show this help\n"
        "  --version     show the version\n\n"
        "Commands:\n");
    for (const CliCommand& command : Commands()) std::printf("  %s\n", command.usage);
    for (const CliCommand& command : Commands()) {
        std::printf("\n");
        PrintCommandHelp(command);
    }
}

// Takes --folder DIR (or --folder=DIR) out of args, wherever it stands. False, said on
// stderr, when DIR is missing.
bool TakeFolderOption(std::vector<std::string>& args, QString& folder) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--folder") {
            if (i + 1 == args.size()) {
                std::fprintf(stderr, "quilto-cli: --folder needs a folder (see --help)\n");
                return false;
            }
            folder = QString::fromLocal8Bit(args[i + 1].c_str());
            args.erase(args.begin() + static_cast<std::ptrdiff_t>(i),
                       args.begin() + static_cast<std::ptrdiff_t>(i) + 2);
            return true;
        }
        if (args[i].starts_with("--folder=")) {
            folder = QString::fromLocal8Bit(args[i].c_str() + std::strlen("--folder="));
            args.erase(args.begin() + static_cast<std::ptrdiff_t>(i));
            return true;
        }
    }
    return true;
}

// Moves into the working folder the program would use. False, said on stderr, when the
// folder named is not there.
bool EnterWorkingFolder(const QString& named) {
    const quilto::WorkingFolderDecision decision = quilto::DecideWorkingFolder(
        named, QDir::currentPath(), quilto::RememberedWorkingFolder(quilto::UserConfigFile()));
    if (decision.source == quilto::WorkingFolderSource::kNone) return true;
    if (!QFileInfo(decision.folder).isDir() || !QDir::setCurrent(decision.folder)) {
        std::fprintf(stderr, "quilto-cli: the working folder %s is not there; name one that is\n",
                     decision.folder.toLocal8Bit().constData());
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    quilto::IgnoreFileSizeSignal();
    QCoreApplication app(argc, argv);
    std::vector<std::string> all(argv + 1, argv + argc);
    QString folder;
    if (!TakeFolderOption(all, folder)) return 2;
    std::vector<char*> kept{argv[0]};
    for (std::string& arg : all) kept.push_back(arg.data());
    argc = static_cast<int>(kept.size());
    argv = kept.data();
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
    if (!EnterWorkingFolder(folder)) return 2;
    return command->run(std::vector<std::string>(argv + 2, argv + argc));
}
