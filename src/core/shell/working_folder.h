#pragma once

// Which folder a run works in. The program and quilto-cli work in a working folder (the
// environment file sp_jis.dat, DAT/, MST/, XlsBase/, Xls/); an installed program is
// started from the desktop's menu, where the current directory means nothing, so the
// folder is chosen once, laid out from the installation's skeleton and remembered for the
// user in $XDG_CONFIG_HOME/quilto/.

#include <QString>
#include <optional>

namespace quilto {

class Questions;

// Where the folder of a run comes from, strongest first.
enum class WorkingFolderSource {
    kCommandLine,    // named when the program was started (quilto --folder DIR)
    kCurrentFolder,  // started in a working folder: it holds sp_jis.dat
    kRemembered,     // the folder chosen before, when it is there
    kNone,           // nothing decides: the program asks, quilto-cli stays where it is
};

struct WorkingFolderDecision {
    WorkingFolderSource source = WorkingFolderSource::kNone;
    QString folder;  // absolute and clean; empty for kNone
};

// The rules, in this order: a folder named on the command line (made relative to current
// when it is relative; it need not exist yet); current when it holds sp_jis.dat; remembered
// when it is a folder that exists (a shared folder that is not mounted does not count);
// otherwise kNone. Empty texts name nothing.
WorkingFolderDecision DecideWorkingFolder(const QString& commandLine, const QString& current,
                                          const QString& remembered);

// The user's configuration file: $XDG_CONFIG_HOME/quilto/quilto.conf (~/.config when the
// variable is not set).
QString UserConfigFile();
// The working folder remembered in configFile; empty when none is.
QString RememberedWorkingFolder(const QString& configFile);
// Remembers folder in configFile (made with its folder when missing, other entries kept).
// On failure error says why.
[[nodiscard]] bool RememberWorkingFolder(const QString& configFile, const QString& folder,
                                         QString* error);

// The folder proposed at the first start: "Quilto" in the user's documents folder as the
// desktop names it: what `xdg-user-dir DOCUMENTS` says (XDG_DOCUMENTS_DIR of user-dirs.dirs,
// else the home folder), or Qt's documents folder where that tool is not installed.
QString ProposedWorkingFolder();

// The installation's working-folder skeleton for a program in programFolder: "skeleton"
// beside it where it is built, ../share/quilto/skeleton where it is installed.
QString SkeletonFolder(const QString& programFolder);

// What the program's start needs to settle its folder.
struct FolderStart {
    QString commandLine;  // the folder named on the command line, or empty
    QString current;      // the current directory
    QString configFile;   // UserConfigFile() unless a test names another
    QString skeleton;     // SkeletonFolder(...)
    QString proposal;     // ProposedWorkingFolder() unless a test names another
};

// The working folder of this run, laid out from the skeleton (only what is missing is
// added). A folder from the command line or the current folder is used as it is decided;
// without one the remembered folder is used, or the user is asked (AskFolder, proposing the
// remembered folder that is not there, or start.proposal), again after a folder that cannot
// be laid out. A folder named on the command line, or asked for, is remembered when no
// folder is remembered yet or it was asked for. nullopt when the user cancels or the
// skeleton is missing (said first): the program ends.
std::optional<QString> SettleWorkingFolder(const FolderStart& start, Questions& questions);

// The menu command that points the program at another folder: asks (proposing inUse), lays
// the chosen folder out and remembers it. nullopt when the user cancels or the folder cannot
// be laid out (said first): the program stays where it is.
std::optional<QString> ChangeWorkingFolder(const QString& inUse, const QString& configFile,
                                           const QString& skeleton, Questions& questions);

// The main menu's caption with the folder in use: "見積作成 (Quilto) - NAME (PARENT)", the
// folder's own name first so that a narrow title bar still shows it, the home folder in
// PARENT written "~". Without a folder the caption is "見積作成 (Quilto)".
QString MainMenuCaption(const QString& folder, const QString& home);

// The caption of the folder question and its messages.
inline constexpr char kFolderQuestionCaption[] = "作業フォルダの選択";
inline constexpr char kFirstStartQuestion[] =
    "見積データを置く作業フォルダを選んでください。\n"
    "足りないフォルダとひな形 (表定義・エクセル表) はここに用意します。\n"
    "事務所の共有フォルダ (NAS など) も選べます。";
inline constexpr char kChangeFolderQuestion[] =
    "これから使う作業フォルダを選んでください。\n"
    "足りないフォルダとひな形 (表定義・エクセル表) はここに用意します。";
// The remembered folder that is not there: the question starts with this.
std::string MissingRememberedMessage(const QString& remembered);

}  // namespace quilto
