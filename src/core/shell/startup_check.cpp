#include "core/shell/startup_check.h"

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstdint>
#include <string>

#include "core/excel/table_definition.h"
#include "core/excel/table_definition_fields.h"
#include "core/foundation/atomic_file.h"
#include "core/foundation/clock.h"
#include "core/foundation/file_helpers.h"
#include "core/foundation/questions.h"
#include "core/masters/master_files.h"
#include "core/masters/master_lists.h"
#include "core/store/environment.h"

namespace quilto {

namespace {

constexpr const char* kConfirmCaption = "確 認";

enum class FileState { kPresent, kMissing, kUnreadable };

FileState StateOf(const QString& path) {
    if (CanOpenFile(path)) return FileState::kPresent;
    if (!QFileInfo::exists(path)) return FileState::kMissing;
    // Noted for the message: why the file that is there cannot be read.
    QFile file(path);
    if (QFileInfo(path).isDir()) {
        NoteFileFailureErrno(path, EISDIR);
    } else if (!file.open(QIODevice::ReadOnly)) {
        NoteFileFailure(path, file.errorString());
    }
    return FileState::kUnreadable;
}

// Shows "<text>=<code>" and, on a line of its own, the file and the system's reason, and
// hands back the check's result. A step clears the noted failure before it starts, so what
// is shown is this step's.
StartUpCheckResult Fail(Questions& questions, const char* text, int ioResult,
                        StartUpCheckResult checkResult, const QString& path) {
    const QString why = LastFileFailure();
    std::string message = std::string(text) + std::to_string(ioResult) + "\n" +
                          (why.isEmpty() ? QFileInfo(path).absoluteFilePath() : why).toStdString();
    // The program never makes DAT, MST or XlsBase: a missing one means the program was
    // started outside its working folder, or a folder setting points nowhere.
    const QString folder = QFileInfo(path).absolutePath();
    if (!QFileInfo(folder).isDir()) message.append(1, '\n').append(MissingFolderAdvice(folder));
    questions.Inform(message);
    return checkResult;
}

// sp_jis.dat.<date-time>.bak beside the environment file: where an outdated file is kept
// before it is made again.
QString EnvironmentBackupPath(const QString& path) {
    return path + QLatin1Char('.') + Now().toString(QStringLiteral("yyyyMMdd-hhmmss")) +
           QStringLiteral(".bak");
}

StartUpCheckResult CheckEnvironmentFile(Environment& environment, Questions& questions) {
    constexpr const char* kCreateError = "環境作成エラー =";
    const QString path = EnvironmentFilePath();
    ClearFileFailure();
    switch (StateOf(path)) {
        case FileState::kUnreadable:
            return Fail(questions, kCreateError, -1, StartUpCheckResult::kFailed, path);
        case FileState::kMissing:
            break;
        case FileState::kPresent: {
            if (FileSizeOf(path) == static_cast<std::int64_t>(kEnvironmentRecordSize))
                return StartUpCheckResult::kOk;
            // Whatever the file holds, it is kept: a damaged copy may still hold the
            // company's data.
            const QString backup = EnvironmentBackupPath(path);
            const std::string question = "古い環境ファイルです、再作成します。\n元のファイルは " +
                                         QFileInfo(backup).fileName().toStdString() +
                                         " として残します。";
            if (!questions.AskOkCancel(question, kConfirmCaption))
                return StartUpCheckResult::kFailed;
            if (!CopyFileOver(path, backup))
                return Fail(questions, kCreateError, -1, StartUpCheckResult::kFailed, backup);
            break;
        }
    }
    // One crash-safe replace stands for "create empty, then write": should it fail, the old
    // file is still there and the failure is told, never a truncated file left behind.
    const EnvironmentFileResult result = CreateEnvironmentFile(environment);
    return result == EnvironmentFileResult::kOk
               ? StartUpCheckResult::kOk
               : Fail(questions, kCreateError, static_cast<int>(result),
                      StartUpCheckResult::kFailed, path);
}

struct MasterStep {
    const char* fileName;
    MasterFileResult (*create)(MasterLists&, Environment&);
    const char* createError;
    StartUpCheckResult checkResult;
};

StartUpCheckResult CheckMasterFile(const MasterStep& step, Environment& environment,
                                   MasterLists& masters, Questions& questions) {
    const QString path = MasterFilePath(environment, step.fileName);
    ClearFileFailure();
    switch (StateOf(path)) {
        case FileState::kPresent:
            return StartUpCheckResult::kOk;
        case FileState::kUnreadable:
            return Fail(questions, step.createError, -1, step.checkResult, path);
        case FileState::kMissing:
            break;
    }
    // The message shows the write's code, as it always has.
    const MasterFileResult result = step.create(masters, environment);
    return result == MasterFileResult::kOk ? StartUpCheckResult::kOk
                                           : Fail(questions, step.createError,
                                                  static_cast<int>(result), step.checkResult, path);
}

struct TableStep {
    TableFile file;
    std::int64_t size;
    const char* createError;  // the file is missing and cannot be made
    const char* question;     // the file has another size
    const char* recreateError;
};

// Writes this file of pattern 00 with the definitions the program ships, crash-safely,
// leaving every other definition as it is. The free-form record's invoice placements come
// with it when there are none: a placements file that is there may be the firm's own.
bool WriteShipped(const TableStep& step, const QString& path) {
    const TableDefinitions shipped = ShippedTableDefinitions();
    if (!SaveFileAtomically(path, shipped.Record(step.file))) return false;
    const QString invoice = TableDefinitionPath(TableFile::kInvoice, "00");
    if (step.file == TableFile::kFreeForm && !QFileInfo::exists(invoice)) {
        // A failure here names the placements file (LastFileFailure).
        return SaveFileAtomically(invoice, InvoicePlacementsText(shipped.Invoice()));
    }
    return true;
}

StartUpCheckResult CheckTableFile(const TableStep& step, Questions& questions) {
    constexpr StartUpCheckResult kTableFailed = StartUpCheckResult::kTableDefinitionFailed;
    const QString path = TableDefinitionPath(step.file, "00");
    ClearFileFailure();
    switch (StateOf(path)) {
        case FileState::kUnreadable:
            return Fail(questions, step.createError, -1, kTableFailed, path);
        case FileState::kMissing:
            return WriteShipped(step, path)
                       ? StartUpCheckResult::kOk
                       : Fail(questions, step.createError, -1, kTableFailed, path);
        case FileState::kPresent:
            if (FileSizeOf(path) == step.size) return StartUpCheckResult::kOk;
            break;
    }
    if (!questions.AskOkCancel(step.question, kConfirmCaption)) return StartUpCheckResult::kFailed;
    // Only the damaged file is made again; it is kept beside as .bak (a user's own cells
    // may be read off it), and the other definitions, customised ones included, stay.
    const QString kept = path + QStringLiteral(".bak");
    QFile::remove(kept);
    if (!QFile::copy(path, kept)) {
        NoteFileFailure(kept, QStringLiteral("壊れた表定義を残せません"));
        return Fail(questions, step.recreateError, -1, StartUpCheckResult::kFailed, path);
    }
    return WriteShipped(step, path)
               ? StartUpCheckResult::kOk
               : Fail(questions, step.recreateError, -1, StartUpCheckResult::kFailed, path);
}

// Patterns 01 and 02 are optional: what cannot be made here is simply not there.
void CheckFurtherPatterns(TableDefinitions& tables) {
    if (CanOpenFile(TableDefinitionPath(TableFile::kStandard, "01"))) return;
    for (const char* code : {"01", "02"}) {
        for (TableFile file : {TableFile::kStandard, TableFile::kFreeForm}) {
            CreateEmptyFile(TableDefinitionPath(file, code));
        }
    }
    tables.SaveCleared("01");
    tables.SaveCleared("02");
}

}  // namespace

std::string MissingFolderAdvice(const QString& folder) {
    return std::string("フォルダ ")
        .append(folder.toStdString())
        .append(
            " がありません。DAT・MST・XlsBase のある作業フォルダで起動するか、"
            "環境設定のフォルダ設定を確かめてください。");
}

StartUpCheckResult CheckAndCreate(Environment& environment, MasterLists& masters,
                                  TableDefinitions& tables, Questions& questions) {
    if (const StartUpCheckResult result = CheckEnvironmentFile(environment, questions);
        result != StartUpCheckResult::kOk) {
        return result;
    }

    const MasterStep masterSteps[] = {
        {kProductFileName, &CreateProductFile,
         "商品作成エラー =", StartUpCheckResult::kProductFileFailed},
        {kConstructionFileName, &CreateConstructionFile,
         "工事作成エラー =", StartUpCheckResult::kConstructionFileFailed},
        {kUnitFileName, &CreateUnitFile, "単位作成エラー =", StartUpCheckResult::kUnitFileFailed},
    };
    for (const MasterStep& step : masterSteps) {
        if (const StartUpCheckResult result =
                CheckMasterFile(step, environment, masters, questions);
            result != StartUpCheckResult::kOk) {
            return result;
        }
    }

    const TableStep tableSteps[] = {
        {TableFile::kStandard, static_cast<std::int64_t>(kXkpRecordSize), "XlsDat作成エラー =",
         "古い XKP00.Dat ファイルです、再作成します。", "XKP00.Dat 作成エラー ="},
        {TableFile::kFreeForm, static_cast<std::int64_t>(kXkpSeiRecordSize), "XlsDat 作成エラー =",
         "古い XKPSei00.Dat ファイルです、再作成します。", "XKPSei00.Dat 作成エラー ="},
    };
    for (const TableStep& step : tableSteps) {
        if (const StartUpCheckResult result = CheckTableFile(step, questions);
            result != StartUpCheckResult::kOk) {
            return result;
        }
    }

    CheckFurtherPatterns(tables);
    return StartUpCheckResult::kOk;
}

}  // namespace quilto
