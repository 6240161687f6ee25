#pragma once

// What the estimate list does, apart from showing it: building its lines when it is shown,
// choosing a line in each entry mode, deleting, and picking the backup estimate. The form
// only passes on the selected line and acts on the outcome.

#include <QString>
#include <string>
#include <vector>

#include "core/editor/entry_mode.h"
#include "core/foundation/file_helpers.h"
#include "core/store/estimate_list.h"
#include "core/store/estimate_search.h"
#include "core/store/issued_archive.h"

namespace quilto {

class Environment;
class ProgramState;

inline constexpr char kNothingSelectedMessage[] = "見積書が選択されていません。";
inline constexpr char kEstimateInUseMessage[] = "この見積は使用中です。";
inline constexpr char kDeleteEstimateQuestion[] = "指定の見積書を削除します。";
inline constexpr char kDeleteFailedMessage[] = "見積書を削除できませんでした。";
inline constexpr char kDeleteButtonCaption[] = "削 除";
inline constexpr char kCancelButtonCaption[] = "キャンセル";
inline constexpr char kReferenceModeQuestion[] = "参照モードで入ります。";
inline constexpr char kConfirmCaption[] = "確 認";

// What the list does next.
enum class ListOutcome {
    kStay,     // stays open as it is
    kClose,    // closes; the selected number says what was picked
    kRebuild,  // stays open with its lines built again
};

// The mode panel's text for an entry mode (UTF-8; blank for the modes the list is not
// shown in).
std::string ModePanelText(EntryMode entryMode);

// What the list shows: every estimate with what its search looks at, and the archive of
// issued documents (which estimates were issued, and their history).
struct ShownEstimateList {
    std::vector<SearchableListEntry> entries;
    ArchiveReading archive;
};

// Each time the list is shown: the selected number is cleared and the lines are built
// (through the list index: a large folder lists without opening every file).
ShownEstimateList ShowEstimateList(ProgramState& program);

// MlistEnt, a double click or Enter. Mode 2 takes the number and closes. Mode 3 takes it
// and checks the marker: when another copy uses the estimate the user is asked to go on
// read-only, and declining clears the number and the marker state and keeps the list open.
// Mode 6 takes it, checks the marker without asking, and closes. Mode 4 deletes. Nothing
// selected (null) does nothing, except in mode 4, which says so.
ListOutcome ChooseListEntry(ProgramState& program, const EstimateListEntry* selected);

// Deletes the selected estimate once the user agrees; refused with a message when nothing
// is selected or the estimate is in use. The question names the estimate (its number, and
// the customer and title when the file is an estimate). The file goes to the trash (or the
// data folder's 削除済み folder), never away for good; a deletion that fails is told with
// the file and the reason. Only the file the line was built from is ever deleted: a line
// whose number part names another file (m_abc.dat reads as "000000") deletes nothing. The
// list is built again either way.
ListOutcome DeleteListEntry(ProgramState& program, const EstimateListEntry* selected);
// What is said once an estimate went to the trash or the keep folder: where, and how to
// get it back (UTF-8).
std::string DeletedMessage(Environment& environment, const Removal& removal);
// The question asked before deleting entry (UTF-8).
std::string DeleteQuestionFor(Environment& environment, const EstimateListEntry& entry);

// A double click on the mode panel: in mode 2 the backup estimate is picked ("BackUp") and
// the list closes; in any other mode nothing happens.
ListOutcome ModePanelDoubleClicked(ProgramState& program);

// The data folder as the status bar shows it: a blank, then the folder setting as stored,
// or, when it is blank (or a Windows folder, which is not used here), the working folder
// followed by "DAT/".
QString DataFolderPanelText(Environment& environment);

}  // namespace quilto
