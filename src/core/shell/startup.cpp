#include "core/shell/startup.h"

#include <QDir>
#include <string>
#include <string_view>

#include "core/foundation/cp932.h"
#include "core/foundation/era_date.h"
#include "core/masters/master_files.h"
#include "core/settings/backup.h"
#include "core/shell/archive_check.h"
#include "core/shell/interrupted_writes.h"
#include "core/shell/program_state.h"
#include "core/shell/startup_check.h"
#include "core/store/estimate_history.h"

namespace quilto {
namespace {

std::string WindowsFolderMessage(const char* setting, std::string_view folder,
                                 const char* fallback) {
    return std::string("環境設定の") + setting + "「" + Cp932ToQStringLossy(folder).toStdString() +
           "」は Windows のフォルダです。このコンピュータにはありません。\n" + "代わりに " +
           fallback + " を使います。環境設定で" + setting + "を変更してください。";
}

void TellWindowsFolders(ProgramState& program) {
    const std::string data = program.environment.DataFolderSetting();
    if (IsWindowsFolderSetting(data)) {
        program.questions.Inform(WindowsFolderMessage("データフォルダ", data, "DAT/"));
    }
    const std::string master = program.environment.MasterFolderSetting();
    if (IsWindowsFolderSetting(master)) {
        program.questions.Inform(WindowsFolderMessage("マスタフォルダ", master, "MST/"));
    }
}

}  // namespace

StartUpCheckResult RunStartUp(ProgramState& program) {
    // A missing or short file is the check's to deal with.
    ReadEnvironment(program.environment);
    // A settings file brought over from Windows may name folders that are not here.
    TellWindowsFolders(program);
    // A restore cut off half-way leaves old and restored files side by side: say so before
    // anything is read, and run it again when the user wants.
    if (OfferUnfinishedRestore(program.questions,
                               LiveFoldersOf(program.environment, QDir::currentPath())))
        ReadEnvironment(program.environment);

    EstimateHistories histories = BuildEstimateHistories(program.environment);
    program.shell.customerHistory = histories.customers.Entries();
    program.shell.titleHistory = histories.titles.Entries();

    const StartUpCheckResult checked =
        CheckAndCreate(program.environment, program.masters, program.tables, program.questions);
    if (checked != StartUpCheckResult::kOk) {
        program.questions.Inform(kEnvironmentBrokenMessage);
        return checked;
    }

    // The check may have written any of these; what the run works with is what is on disk.
    // A file that cannot be read now leaves its list empty: the check made sure it exists.
    ReadEnvironment(program.environment);
    LoadMasterLists(program.masters, program.environment);
    program.tables.Load("00");
    FillEraTable();
    const InterruptedWrites leftovers =
        RemoveInterruptedWrites(WrittenFolders(program.environment));
    if (const std::string note = InterruptedWritesMessage(leftovers); !note.empty())
        program.questions.Inform(note);
    if (const std::string note = CheckIssuedArchive(program); !note.empty())
        program.questions.Inform(note);
    return StartUpCheckResult::kOk;
}

}  // namespace quilto
