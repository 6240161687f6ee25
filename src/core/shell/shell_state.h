#pragma once

// What the main menu, the estimate list and the editor share for the whole run: how the
// editor is to be entered, which estimate the list picked, and the histories of customer
// names and titles. Texts shown on screen are UTF-8; texts from files are CP932.

#include <string>
#include <string_view>
#include <vector>

#include "core/editor/entry_mode.h"

namespace quilto {

// The program's name in the captions of the main menu and the editor.
inline constexpr char kProgramName[] = "Quilto";

// Field labels the editor, the list, the name registration and the guides use as captions
// and column headers (UTF-8).
inline constexpr char kKojiNameLabel[] = "工事名称";
inline constexpr char kKojiPlaceLabel[] = "工事場所";
inline constexpr char kKojiPeriodLabel[] = "工事期間";
inline constexpr char kKojiLabel[] = "工事";
inline constexpr char kKojiGridHeader[] = "   工      事      名";
inline constexpr char kKojiListHeader[] = "  工 事 名 称";

struct ShellState {
    EntryMode entryMode = EntryMode::kNone;
    // The management number picked in the list (CP932 digits), "BackUp" for the backup
    // estimate, or empty when nothing was picked.
    std::string selectedNumber;
    // A snapshot of unsaved edits the user chose to bring back when the program started
    // (path, UTF-8): the editor opens it instead of the stored estimate. Empty otherwise.
    std::string recoverySnapshot;
    // Sorted, without duplicates; CP932 as stored in the estimates.
    std::vector<std::string> customerHistory;
    std::vector<std::string> titleHistory;
};

}  // namespace quilto
