#pragma once

// Backup and restore of the user's data as whole folders: the estimates ("*.dat" of the
// data folder), the master files (which carry a copy of the environment file) and the
// templates and table definitions of XlsBase. A backup folder holds them as DAT/, MST/ and
// XlsBase/. Files of the same name are replaced, others are kept; marker files ("*.tmp")
// are never copied; a restore also brings the environment file back into the program
// folder. A file that cannot be copied does not stop the run: it is reported by name at
// the end.

#include <QString>
#include <functional>
#include <string>
#include <vector>

namespace quilto {

class Environment;
class Questions;

inline constexpr char kSameFolderMessage[] = "同一フォルダーは処理できません。";
inline constexpr char kBackupQuestion[] = "バックアップを実行します。";
inline constexpr char kBackupDoneMessage[] = "バックアップ完了しました。";
inline constexpr char kBackupFailedMessage[] = "バックアップで異常が発生しました。！？";
inline constexpr char kRestoreQuestion[] = "リストアを実行します。";
inline constexpr char kRestoreDoneMessage[] = "リストア完了しました。";
inline constexpr char kRestoreFailedMessage[] = "リストアで異常が発生しました。！？";
inline constexpr char kRestoreEndsMessage[] = "一旦、見積作成を終了します。";
inline constexpr char kRestoreInUseMessage[] =
    "他で使用中の見積またはマスタがあるため、リストアできません。";
inline constexpr char kNoBackupMessage[] = "このフォルダーにはバックアップがありません。";
inline constexpr char kBackupIncompleteMessage[] =
    "このフォルダーのバックアップには完了の記録 (quilto-backup.done) "
    "がないため、リストアできません。"
    "途中で止まったバックアップかもしれません。";
inline constexpr char kRestoreNoSpaceMessage[] = "空き容量が足りないため、リストアできません。";
inline constexpr char kRestoreUnfinishedMessage[] = "前回のリストアは完了していません。";
inline constexpr char kRunButton[] = "実 行";
inline constexpr char kCancelButton[] = "取 消";

// The question before a restore: the backup folder it takes, that the current data is
// replaced by it, and that the program ends afterwards (the restore's first line kept).
std::string RestoreQuestion(const QString& backupFolder);

// The live folders of the program at one moment, as absolute paths.
struct LiveFolders {
    QString program;    // the working folder
    QString data;       // the estimate folder of the environment ("DAT" by default)
    QString master;     // the master folder of the environment ("MST" by default)
    QString templates;  // "XlsBase" in the program folder
};
// The folders of the environment's folder rule, relative ones taken from programFolder.
LiveFolders LiveFoldersOf(Environment& environment, const QString& programFolder);

// What the run shows while it copies: the line of the progress panel (source ≫ target),
// the text of the status bar's first panel, and how far it is (files done of all).
struct CopyObserver {
    std::function<void(const QString& line)> info;
    std::function<void(const QString& text)> status;
    std::function<void(int done, int total)> count;
};

enum class CopyRunResult {
    kDone,       // every file copied
    kFailed,     // the run went through; failures lists what could not be copied
    kRefused,    // nothing copied: same folder, data in use, or no backup there
    kCancelled,  // the user said "取 消"
};

struct CopyRun {
    CopyRunResult result = CopyRunResult::kRefused;
    int copied = 0;
    std::vector<std::string> failures;  // UTF-8, each naming the file and the reason
};

// The whole backup into chosen: same-folder refusal, the question (when ask is set),
// the estimates, the environment file into the live master folder, the masters, the
// templates, and the closing message (done, or failed with every failure named).
CopyRun RunBackup(Questions& questions, const LiveFolders& live, const QString& chosen,
                  const CopyObserver& observer, bool ask = true);

// The whole restore from chosen: refused for the same folder, for a folder that holds no
// backup or one without its completion record, while another running copy holds an
// estimate or the masters (their markers are locked), and when the live folders have not
// the room for it; then the question, and the estimates, masters, templates and the
// environment file: all of them copied beside their targets first, and only when every copy
// succeeded renamed over the live files, so that a failure leaves the live folders as they
// were. A kill while the names are swapped leaves the restore record for the next start.
// The closing message. The caller ends the program after kDone and kFailed.
CopyRun RunRestore(Questions& questions, const LiveFolders& live, const QString& chosen,
                   const CopyObserver& observer, bool ask = true);

// The file a backup writes into its folder last, once everything was copied: a restore
// takes only a backup that has it.
inline constexpr char kBackupDoneRecord[] = "quilto-backup.done";
// The record of a restore going on, in the program folder: it names the backup folder, is
// held while the restore runs and removed when it ends. Found unheld at start-up, it tells
// that a restore was cut off half-way.
inline constexpr char kRestoreRecord[] = "quilto-restore.running";

// When a restore was cut off (its record left behind), says so naming the backup folder and
// offers to run it again (OK runs it, without asking again); Cancel leaves the data as it is
// and forgets the record. True when the restore was run again.
bool OfferUnfinishedRestore(Questions& questions, const LiveFolders& live);

// The markers ("*.tmp") of the data and master folders that a running copy holds.
std::vector<QString> HeldMarkers(const LiveFolders& live);

}  // namespace quilto
