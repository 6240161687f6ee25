#include "core/shell/estimate_list_actions.h"

#include <QDir>
#include <QFileInfo>

#include "core/editor/estimate_io.h"
#include "core/foundation/cp932.h"
#include "core/foundation/file_helpers.h"
#include "core/foundation/text_bytes.h"
#include "core/shell/program_state.h"
#include "core/store/estimate_list_index.h"

namespace quilto {
namespace {

void TakeNumber(ProgramState& program, const EstimateListEntry& selected) {
    program.shell.selectedNumber = NumberOfListItem(selected.item);
}

QString ListedFilePath(Environment& environment, const QString& fileName) {
    return QDir(NativePath(DataFolder(environment))).filePath(fileName);
}

// True when the estimate file of `number` is the file the line was built from.
bool NumberNamesFile(Environment& environment, const std::string& number, const QString& fileName) {
    const QString numbered = QFileInfo(EstimateFilePath(environment, number)).canonicalFilePath();
    const QString listed = QFileInfo(ListedFilePath(environment, fileName)).canonicalFilePath();
    return !numbered.isEmpty() && numbered == listed;
}

}  // namespace

std::string DeleteQuestionFor(Environment& environment, const EstimateListEntry& entry) {
    std::string question =
        std::string(kDeleteEstimateQuestion) + "\n\n管理No : " + NumberOfListItem(entry.item);
    EstimateHeader header;
    if (ReadHeaderAt(ListedFilePath(environment, entry.fileName), header) &&
        header.SignatureKind() != EstimateSignature::Foreign) {
        question +=
            "\nお客様名 : " + Cp932ToQStringLossy(header.Text(HeaderText::MName1)).toStdString();
        question +=
            "\n工事名称 : " + Cp932ToQStringLossy(header.Text(HeaderText::MTitle1)).toStdString();
    }
    return question;
}

std::string ModePanelText(EntryMode entryMode) {
    switch (entryMode) {
        case EntryMode::kCopy:
            return "既存参照作成";
        case EntryMode::kCallUp:
            return "呼び出し";
        case EntryMode::kDelete:
            return "削 除";
        case EntryMode::kOutput:
            return "エクセル出力/印刷";
        default:
            return {};
    }
}

ShownEstimateList ShowEstimateList(ProgramState& program) {
    program.shell.selectedNumber.clear();
    ShownEstimateList shown;
    shown.archive = ReadIssuedArchive(IssuedArchiveFolder(program.environment));
    shown.entries = ListThroughIndex(program.environment, IssuedNumbers(shown.archive)).entries;
    return shown;
}

ListOutcome ChooseListEntry(ProgramState& program, const EstimateListEntry* selected) {
    const EntryMode mode = program.shell.entryMode;
    if (mode == EntryMode::kDelete) return DeleteListEntry(program, selected);
    if (selected == nullptr) return ListOutcome::kStay;
    switch (mode) {
        case EntryMode::kCopy:
            TakeNumber(program, *selected);
            return ListOutcome::kClose;
        case EntryMode::kCallUp:
            TakeNumber(program, *selected);
            if (program.markers.CheckEstimateMarker(program.shell.selectedNumber) !=
                MarkerCheck::kPresent) {
                return ListOutcome::kClose;
            }
            if (program.questions.AskOkCancel(
                    NamingHolder(kReferenceModeQuestion,
                                 program.markers.EstimateHolder(program.shell.selectedNumber)),
                    kConfirmCaption)) {
                return ListOutcome::kClose;  // the editor opens read-only
            }
            program.shell.selectedNumber.clear();
            program.markers.ClearEstimateInUse();
            return ListOutcome::kStay;
        case EntryMode::kOutput:
            // An estimate in use elsewhere is output read-only, without a question.
            TakeNumber(program, *selected);
            // The check leaves its answer in the marker state the output reads.
            (void)program.markers.CheckEstimateMarker(program.shell.selectedNumber);
            return ListOutcome::kClose;
        default:
            return ListOutcome::kStay;
    }
}

std::string DeletedMessage(Environment& environment, const Removal& removal) {
    const QString file = QFileInfo(removal.movedTo).fileName();
    const QString data = QDir(NativePath(DataFolder(environment))).absolutePath();
    if (removal.toTrash)
        return QStringLiteral(
                   "ごみ箱に移しました (%1)。\n元に戻すには、ごみ箱から"
                   "データフォルダ %2 に戻してください。")
            .arg(file, data)
            .toStdString();
    return QStringLiteral(
               "削除済みフォルダに移しました。\n%1\n元に戻すには、このファイルを"
               "データフォルダ %2 に m_NNNNNN.dat の名前で戻してください。")
        .arg(QFileInfo(removal.movedTo).absoluteFilePath(), data)
        .toStdString();
}

ListOutcome DeleteListEntry(ProgramState& program, const EstimateListEntry* selected) {
    if (selected == nullptr) {
        program.questions.Inform(kNothingSelectedMessage);
        return ListOutcome::kStay;
    }
    const std::string number = NumberOfListItem(selected->item);
    program.document.SetText(HeaderText::MNo, number);
    if (program.markers.CheckEstimateMarker(number) == MarkerCheck::kPresent) {
        program.questions.Inform(
            NamingHolder(kEstimateInUseMessage, program.markers.EstimateHolder(number)));
        program.markers.ClearEstimateInUse();
        return ListOutcome::kStay;
    }
    const ButtonAnswer answer =
        program.questions.AskButtons(DeleteQuestionFor(program.environment, *selected), {},
                                     kDeleteButtonCaption, kCancelButtonCaption, {});
    if (answer != ButtonAnswer::kFirst) return ListOutcome::kStay;
    if (!NumberNamesFile(program.environment, number, selected->fileName))
        return ListOutcome::kRebuild;
    Removal removal;
    if (DeleteEstimate(program.document, program.environment, &removal) != EstimateResult::kOk) {
        program.questions.Inform(std::string(kDeleteFailedMessage) + "\n" +
                                 LastFileFailure().toStdString());
    } else {
        program.questions.Inform(DeletedMessage(program.environment, removal));
    }
    return ListOutcome::kRebuild;
}

ListOutcome ModePanelDoubleClicked(ProgramState& program) {
    if (program.shell.entryMode != EntryMode::kCopy) return ListOutcome::kStay;
    program.shell.selectedNumber = std::string(kBackupNumber);
    return ListOutcome::kClose;
}

QString DataFolderPanelText(Environment& environment) {
    const std::string setting = environment.DataFolderSetting();
    if (Trimmed(setting).empty() || IsWindowsFolderSetting(setting)) {
        return QStringLiteral(" ") + QDir::currentPath() + QStringLiteral("/DAT/");
    }
    return QStringLiteral(" ") + Cp932ToQStringLossy(setting);
}

}  // namespace quilto
