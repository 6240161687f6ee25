#pragma once

// The main menu's own commands that need no other form: deleting leftover markers, the
// timer that closes the version window, and finding the manual.

#include <QString>
#include <string>

namespace quilto {

class ProgramState;
struct LeftoverDeletion;

inline constexpr char kLeftoverQuestion[] = "不要ファイルを削除します。";
inline constexpr char kLeftoverCaption[] = "確 認 (*.tmp)";

// The version window closes itself after this long.
inline constexpr int kVersionWindowMilliseconds = 30000;

// Asks "不要ファイルを削除します。"; on OK deletes every "*.tmp" of the data folder and then of
// the master folder, and the part files of unfinished first saves, that no running copy
// holds, and tells what it did (LeftoverReport). True when the user agreed.
bool DeleteLeftoverMarkersAsked(ProgramState& program);
// "不要ファイルを N 件削除しました。", with a line each for files kept because a running copy
// holds them and for files that could not be deleted, when there are any.
std::string LeftoverReport(const LeftoverDeletion& done);

// The interval the version window's timer runs with: the requested one when it lies
// between 100 and 90000 milliseconds, otherwise 1000.
int VersionWindowInterval(int requestedMilliseconds);

// The user manual, an HTML page with its pictures beside it, ships with the program: in
// <programFolder>/manual/ where the program was built, in
// <programFolder>/../share/quilto/manual/ where it was installed. The page found first, as
// an absolute path; the installed one when neither is there.
QString ManualPath(const QString& programFolder);
// "＊ ファイル読取エラー発生。 ( <the manual's file> )".
std::string ManualErrorMessage(const QString& manualPath);

}  // namespace quilto
