#pragma once

// The main menu's own commands that need no other form: deleting leftover markers, the
// timer that closes the version window, and finding the manual.

#include <QString>

namespace quilto {

class ProgramState;

inline constexpr char kLeftoverQuestion[] = "不要ファイルを削除します。";
inline constexpr char kLeftoverCaption[] = "確 認 (*.tmp)";
inline constexpr char kManualFileName[] = "マニュアル.exe";
inline constexpr char kManualErrorMessage[] = "＊ ファイル読取エラー発生。 ( マニュアル.exe )";

// The version window closes itself after this long.
inline constexpr int kVersionWindowMilliseconds = 30000;

// Asks "不要ファイルを削除します。"; on OK deletes every "*.tmp" of the data folder and then of
// the master folder that no running copy holds (a held marker is skipped silently). True
// when the user agreed.
bool DeleteLeftoverMarkersAsked(ProgramState& program);

// The interval the version window's timer runs with: the requested one when it lies
// between 100 and 90000 milliseconds, otherwise 1000.
int VersionWindowInterval(int requestedMilliseconds);

// The manual in the working folder (its name matched without regard to letter case), as an
// absolute path; empty when there is no such file.
QString ManualPath();

}  // namespace quilto
