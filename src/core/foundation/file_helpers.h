#pragma once

// File and path helpers. Folder settings are CP932 texts as the environment file stores
// them; they become file-system paths (QString, UTF-8 on disk) through NativePath.
// Failures are the status -1; nothing here shows a message.

#include <QString>
#include <cstdint>
#include <string>
#include <string_view>

namespace quilto {

// The platform's separator; the routines take it as a parameter so the rule for the
// Windows separator (a double-byte character whose second byte is 0x5C is no separator)
// stays testable.
constexpr char kPathSeparator = '/';

std::string AppendSeparator(std::string_view path, char separator = kPathSeparator);

// A CP932 path as a file-system path; bytes with no Unicode form are replaced (such a
// path then simply does not exist).
QString NativePath(std::string_view cp932Path);
// When the exact name is missing, its last component is looked up case-insensitively in
// its folder (files migrated from Windows: xkp00.dat for XKP00.Dat). Returns the path
// unchanged when nothing matches.
QString ResolveCaseInsensitive(const QString& path);

std::int64_t FileSizeOf(const QString& path);
// True when path is a file that can be opened for reading (a folder is no file).
bool CanOpenFile(const QString& path);
// Creates path empty, or empties it; false (the reason noted as the last file failure)
// when it cannot be, its folder missing included.
bool CreateEmptyFile(const QString& path);
// Copies source over target (replacing it whole, never leaving it half-written); false
// (the reason noted as the last file failure) when the copy failed and target is as it was.
[[nodiscard]] bool CopyFileOver(const QString& source, const QString& target);

// Flushes the folder that holds path to disk, so that a name just renamed or linked into it
// survives a power cut (the file's own data is flushed by its writer). False when the
// folder cannot be opened or flushed.
bool SyncFolderOf(const QString& path);

// The file operations here and the atomic save note why they last failed in this thread:
// "<path>: <the system's reason>", for the message of the operation the user started.
QString LastFileFailure();
void ClearFileFailure();
void NoteFileFailure(const QString& path, const QString& reason);
// As NoteFileFailure with the reason errno gives.
void NoteFileFailureErrno(const QString& path, int error);

// Where RemoveRecoverably put a file.
struct Removal {
    bool moved = false;  // false: the file is still where it was (LastFileFailure says why)
    QString movedTo;     // the file's new path
    bool toTrash = false;
};
// Takes path away without destroying it: into the desktop's trash (the freedesktop trash of
// its file system), or where there is no trash for it, into keepFolder (made when missing)
// under its own name, with a date and time added when that name is taken there.
Removal RemoveRecoverably(const QString& path, const QString& keepFolder);

}  // namespace quilto
