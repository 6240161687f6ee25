#pragma once

// Every rewrite of a data file goes through here: the new content is written to a
// temporary file in the same folder, flushed to disk and renamed over the old file, so a
// crash or a full disk at any moment leaves either the old file or the new one, complete.
// After the rename the folder is flushed too, so that the new name survives a power cut.

#include <QString>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace quilto {

// true when the file now holds exactly bytes. On failure the old file is untouched and
// LastFileFailure() says why.
bool SaveFileAtomically(const QString& path, std::string_view bytes);
// The same for content made piece by piece, so that a large file needs no buffer of its
// size: produce hands each piece to write (which is false, with errno set, when the piece
// cannot be written) and returns false when the content cannot be made whole. Nothing is
// saved then.
bool SaveFileAtomically(
    const QString& path,
    const std::function<bool(const std::function<bool(std::string_view piece)>& write)>& produce);

// The same for a file made again from others whenever it is missing or damaged (an index
// whose reader checks it whole): replaced whole or not at all, but not flushed to disk. A
// power cut can at worst cost such a file, so waiting for the disk would only keep the user
// waiting.
bool SaveRebuildableFileAtomically(
    const QString& path,
    const std::function<bool(const std::function<bool(std::string_view piece)>& write)>& produce);

// The whole file, or nullopt when it cannot be read or is larger than maxBytes.
std::optional<std::string> ReadWholeFile(const QString& path, qint64 maxBytes);

}  // namespace quilto
