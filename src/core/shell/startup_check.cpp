#include "shell/startup_check.h"

#include <QFileInfo>
#include <cstdint>
#include <string>

#include "excel/table_definition.h"
#include "excel/table_definition_fields.h"
#include "foundation/file_helpers.h"
#include "foundation/questions.h"
#include "masters/master_files.h"
#include "masters/master_lists.h"
#include "store/environment.h"

namespace quilto {

namespace {

constexpr const char* kConfirmCaption = "確 認";
constexpr const char* kTableFolder = "XlsBase";

enum class FileState { kPresent, kMissing, kUnreadable };

FileState StateOf(const QString& path) {
    if (CanOpenFile(path) == 0) return FileState::kPresent;
    return QFileInfo::exists(path) ? FileState::kUnreadable : FileState::kMissing;
}

// Shows "<text>=<code>" and hands back the check's result.
int Fail(Questions& questions, const char* text, int ioResult, int checkResult) {
    questions.Inform(std::string(text) + std::to_string(ioResult));
    return checkResult;
}

int CheckEnvironmentFile(Environment& environment, Questions& questions) {
    constexpr const char* kCreateError = "環境作成エラー =";
    const QString path = EnvironmentFilePath();
    switch (StateOf(path)) {
        case FileState::kUnreadable:
            return Fail(questions, kCreateError, -1, -1);
        case FileState::kMissing:
            break;
        case FileState::kPresent:
            if (FileSizeOf(path) == static_cast<std::int64_t>(kEnvironmentRecordSize)) return 0;
            if (!questions.AskOkCancel("古い環境ファイルです、再作成します。", kConfirmCaption)) {
                return -1;
            }
            break;
    }
    // One crash-safe replace stands for "create empty, then write": should it fail, the old
    // file is still there and the failure is told, never a truncated file left behind.
    const int result = CreateEnvironmentFile(environment);
    return result == 0 ? 0 : Fail(questions, kCreateError, result, -1);
}

struct MasterStep {
    const char* fileName;
    int (*create)(MasterLists&, Environment&);
    const char* createError;
    int checkResult;
};

int CheckMasterFile(const MasterStep& step, Environment& environment, MasterLists& masters,
                    Questions& questions) {
    switch (StateOf(MasterFilePath(environment, step.fileName))) {
        case FileState::kPresent:
            return 0;
        case FileState::kUnreadable:
            return Fail(questions, step.createError, -1, step.checkResult);
        case FileState::kMissing:
            break;
    }
    const int result = step.create(masters, environment);
    return result == 0 ? 0 : Fail(questions, step.createError, result, step.checkResult);
}

struct TableStep {
    TableFile file;
    std::int64_t size;
    const char* createError;  // the file is missing and cannot be made
    const char* question;     // the file has another size
    const char* recreateError;
};

TableFile OtherFile(TableFile file) {
    return file == TableFile::kStandard ? TableFile::kFreeForm : TableFile::kStandard;
}

// Writes pattern 00 cleared into its existing files; 0 when the file of this step now
// has its full size.
int WritePatternZero(const TableStep& step, TableDefinitions& tables) {
    tables.SaveCleared("00");
    return FileSizeOf(TableDefinitionPath(step.file, "00")) == step.size ? 0 : -1;
}

int CheckTableFile(const TableStep& step, TableDefinitions& tables, Questions& questions) {
    const QString path = TableDefinitionPath(step.file, "00");
    switch (StateOf(path)) {
        case FileState::kUnreadable:
            return Fail(questions, step.createError, -1, -6);
        case FileState::kMissing: {
            const int created = CreateEmptyFile(path);
            if (created != 0) return Fail(questions, step.createError, created, -6);
            const int written = WritePatternZero(step, tables);
            return written == 0 ? 0 : Fail(questions, step.createError, written, -6);
        }
        case FileState::kPresent:
            if (FileSizeOf(path) == step.size) return 0;
            break;
    }
    if (!questions.AskOkCancel(step.question, kConfirmCaption)) return -1;
    DeleteFilesWithExt(QString::fromLatin1(kTableFolder), ".dat");
    const int created = CreateEmptyFile(TableDefinitionFileName(step.file, "00"));
    if (created != 0) return Fail(questions, step.recreateError, created, -1);
    // The removal took the other file of pattern 00 too; it is made again with this one, so
    // that no run goes on without pattern 00.
    CreateEmptyFile(TableDefinitionFileName(OtherFile(step.file), "00"));
    const int written = WritePatternZero(step, tables);
    return written == 0 ? 0 : Fail(questions, step.recreateError, written, -1);
}

// Patterns 01 and 02 are optional: what cannot be made here is simply not there.
void CheckFurtherPatterns(TableDefinitions& tables) {
    if (CanOpenFile(TableDefinitionPath(TableFile::kStandard, "01")) == 0) return;
    for (const char* code : {"01", "02"}) {
        for (TableFile file : {TableFile::kStandard, TableFile::kFreeForm}) {
            CreateEmptyFile(TableDefinitionPath(file, code));
        }
    }
    tables.SaveCleared("01");
    tables.SaveCleared("02");
}

}  // namespace

int CheckAndCreate(Environment& environment, MasterLists& masters, TableDefinitions& tables,
                   Questions& questions) {
    if (const int result = CheckEnvironmentFile(environment, questions); result != 0) {
        return result;
    }

    const MasterStep masterSteps[] = {
        {kProductFileName, &CreateProductFile, "商品作成エラー =", -3},
        {kConstructionFileName, &CreateConstructionFile, "工事作成エラー =", -4},
        {kUnitFileName, &CreateUnitFile, "単位作成エラー =", -5},
    };
    for (const MasterStep& step : masterSteps) {
        if (const int result = CheckMasterFile(step, environment, masters, questions);
            result != 0) {
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
        if (const int result = CheckTableFile(step, tables, questions); result != 0) {
            return result;
        }
    }

    CheckFurtherPatterns(tables);
    return 0;
}

}  // namespace quilto
