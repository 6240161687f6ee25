#pragma once

// The estimate list: one line per file "m_*.dat" of the data folder, built from the file
// name and the estimate header alone. The lines are CP932 text laid out in byte columns
// (one byte is one half-width cell on screen):
//
//   number 6 | 2 blanks | customer 30 | title 30 | date 25 | amount 15 | 3 blanks | print date 25
//
// The amount is the estimate amount including tax, grouped and right-aligned in 14 bytes
// and followed by one blank; a figure too wide for that is shown as the editor shows it
// (without separators, or unpadded), never as 0. A file whose header cannot be read shows only its
// number and the separators; a file that carries neither estimate signature is marked as not being
// an estimate. Such files are listed rather than skipped so that the user sees them.
//
// Only the 1392-byte header of each file is read, never the whole file: a data folder of
// ten thousand estimates lists quickly.

#include <QString>
#include <algorithm>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/store/estimate_file.h"

namespace quilto {

class Environment;

inline constexpr int kListNumberBytes = 6;
inline constexpr int kListCustomerBytes = 30;
inline constexpr int kListTitleBytes = 30;
inline constexpr int kListDateBytes = 25;
inline constexpr int kListAmountWidth = 14;
inline constexpr int kListAmountBytes = 15;
inline constexpr int kListPrintDateBytes = 25;
// The print date shown in the status bar is taken from this many bytes at the end of a line.
inline constexpr int kListPrintDateTailBytes = 26;
// A line's number part when it is not a number (a file such as m_abc.dat).
inline constexpr std::string_view kNoListNumber = "000000";

struct EstimateListEntry {
    std::string item;  // the line as listed, CP932
    QString fileName;  // the file in the data folder the line was built from
};

// The line for the file `fileName` (CP932 bytes of its name); header is null when the
// header could not be read.
std::string EstimateListItem(std::string_view fileName, const EstimateHeader* header);

// The number part of a line: its first six bytes trimmed, or "000000" when that is not a
// number.
std::string NumberOfListItem(std::string_view item);
// The print date part of a line: its last 26 bytes (never starting inside a double-byte
// character), trimmed; empty for the short form of an unreadable or foreign file.
std::string PrintDateOfListItem(std::string_view item);

// The order of the list and of the histories: byte order, except that ASCII letters count
// without regard to their case (as names copied from Windows were compared). Second bytes
// of double-byte characters are never folded. Returns <0, 0 or >0.
int CompareListText(std::string_view a, std::string_view b);
// The first eight bytes of a text folded as CompareListText folds them, as one big-endian
// number (missing bytes count as 0). Texts whose prefixes differ order as their prefixes, so
// sorting thousands of lines, which part within their numbers, seldom compares the lines
// themselves.
std::uint64_t ListOrderPrefix(std::string_view text);

// The name of a file as the list shows it, CP932. Names are UTF-8 on disk; a character
// with no CP932 form shows as "?".
std::string FileNameAsCp932(const QString& fileName);

// Calls visit for every file "m_*.dat" (letters in any case) of the data folder, in
// directory order, with its name and its header (null when the header cannot be read);
// the walk stops when visit returns false. Only plain files (or links to them) count.
// False when the data folder cannot be read.
bool VisitEstimateHeaders(
    Environment& environment,
    const std::function<bool(const QString& fileName, const EstimateHeader* header)>& visit);

// What tells one state of an estimate file from another without reading it: a save
// renames a new file over the old one, so the inode changes even where the size does not
// and the file system keeps coarse times.
struct EstimateFileStamp {
    qint64 size = 0;
    qint64 modifiedNs = 0;
    quint64 inode = 0;
    friend bool operator==(const EstimateFileStamp&, const EstimateFileStamp&) = default;
};

// As VisitEstimateHeaders, with each file's stamp; the header is read only when
// readHeader is called (null when it cannot be read), so a caller that knows the file
// already reads nothing. The header of a file for which readAhead is true (one the caller
// does not know) is read before visit is called, with the stamp taken from the opened
// file, which spares looking the name up a second time.
bool VisitEstimateFiles(
    Environment& environment, const std::function<bool(const QString& fileName)>& readAhead,
    const std::function<bool(const QString& fileName, const EstimateFileStamp& stamp,
                             const std::function<const EstimateHeader*()>& readHeader)>& visit);

// Every file "m_*.dat" of the data folder as a line, sorted in list order (lines equal in
// that order keep byte order). Empty when the data folder cannot be read.
std::vector<EstimateListEntry> BuildEstimateList(Environment& environment);
void SortEstimateList(std::vector<EstimateListEntry>& entries);
// The order SortEstimateList sorts in.
bool ListsBefore(const EstimateListEntry& a, const EstimateListEntry& b);
// Sorts what holds entries (entryOf gives the entry of one) in list order.
template <typename T, typename EntryOf>
void SortInListOrder(std::vector<T>& items, EntryOf entryOf);

// The header at the start of the file at path; false when the file cannot be opened or
// holds less than a header. Reads the header's bytes and nothing more.
[[nodiscard]] bool ReadHeaderAt(const QString& path, EstimateHeader& header);

template <typename T, typename EntryOf>
void SortInListOrder(std::vector<T>& items, EntryOf entryOf) {
    struct Keyed {
        std::uint64_t prefix;
        std::size_t at;
    };
    std::vector<Keyed> keyed(items.size());
    for (std::size_t i = 0; i < items.size(); ++i)
        keyed[i] = {ListOrderPrefix(entryOf(items[i]).item), i};
    std::sort(keyed.begin(), keyed.end(), [&](const Keyed& a, const Keyed& b) {
        if (a.prefix != b.prefix) return a.prefix < b.prefix;
        return ListsBefore(entryOf(items[a.at]), entryOf(items[b.at]));
    });
    std::vector<T> sorted;
    sorted.reserve(items.size());
    for (const Keyed& k : keyed) sorted.push_back(std::move(items[k.at]));
    items = std::move(sorted);
}

}  // namespace quilto
