#pragma once

// The list index: what the estimate list and its search need of every estimate file, kept
// in one file beside them (.quilto-list-index in the data folder), so that a folder of a
// hundred thousand estimates lists without opening each file.
//
// The files are the truth and the index only a memory of them: an entry is used only while
// its file has the same name, size, modification time and inode as when it was read, and
// is read again otherwise; files that are gone drop out; an index that is missing, damaged,
// of another version or unwritable (a read-only share) costs only the time of reading the
// headers. It is written whole and atomically, so two PCs sharing the folder at most
// replace each other's index with another true one.

#include <QString>
#include <vector>

#include "core/store/estimate_search.h"

namespace quilto {

class Environment;

inline constexpr char kListIndexName[] = ".quilto-list-index";

struct IndexedListing {
    std::vector<SearchableListEntry> entries;  // sorted as the list shows them
    int read = 0;    // files whose header was read (not in the index, or changed)
    int reused = 0;  // files taken from the index
    bool folderReadable = true;
    bool indexWritten = false;  // the index was out of date and is now rewritten
};

// The searchable list of the data folder through its index; issued flags come from
// issuedNumbers, never from the index (the archive changes on its own).
IndexedListing ListThroughIndex(Environment& environment, const QSet<QString>& issuedNumbers);

}  // namespace quilto
