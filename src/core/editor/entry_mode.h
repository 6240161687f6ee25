#pragma once

namespace quilto {

// How the editor is entered: the main menu's buttons choose it, and it decides whether a
// save claims a new number (新規作成, 既存参照作成) or rewrites the estimate it opened
// (呼び出し). The numbers are those the menu has always used for its buttons.
enum class EntryMode : int {
    kNone = 0,
    kNew = 1,     // 新規作成
    kCopy = 2,    // 既存参照作成: a new estimate from an existing one
    kCallUp = 3,  // 呼び出し: change an existing estimate
    kDelete = 4,  // 削 除
    kExit = 5,
    kOutput = 6,  // エクセル出力/印刷
};

// A save of this session gives the estimate a number of its own.
constexpr bool ClaimsNewNumber(EntryMode mode) {
    return mode == EntryMode::kNew || mode == EntryMode::kCopy;
}

}  // namespace quilto
