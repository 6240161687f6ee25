#pragma once

// Why a file could not be written or copied, in words for the user (UTF-8): every failure
// message names the file and the reason. The reasons are worked out after the failure from
// what the file system shows, since the copy and save helpers only say -1.

#include <QString>
#include <string>

namespace quilto {

// "<path> (<reason>)" for a file that could not be rewritten (a missing one is a reason).
std::string WriteFailureText(const QString& path);

// "<source> ≫ <target> (<reason>)" for a copy that failed.
std::string CopyFailureText(const QString& source, const QString& target);

// "<folder> (<reason>)" for a folder that is missing or could not be made.
std::string FolderFailureText(const QString& folder, const char* reason);

}  // namespace quilto
