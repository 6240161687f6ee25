#pragma once

// The customer-name and title histories the editor offers in its drop-downs: the names and
// titles of the stored estimates, built once at start from the estimate headers.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace quilto {

class Environment;

// The walk over the data folder stops as soon as both histories hold more than this many
// entries ...
inline constexpr std::size_t kHistoryEnoughOfBoth = 300;
// ... or either holds more than this many.
inline constexpr std::size_t kHistoryEnoughOfOne = 600;

// A sorted list without duplicates, in list order (CompareListText: ASCII letters without
// regard to case, so two entries differing only in that count as one; the first kept).
class HistoryList {
  public:
    // False when an equal entry is held already.
    bool Add(std::string_view text);
    void Clear() { entries_.clear(); }
    std::size_t Size() const { return entries_.size(); }
    const std::vector<std::string>& Entries() const { return entries_; }

  private:
    std::vector<std::string> entries_;
};

struct EstimateHistories {
    HistoryList customers;  // MName1 of each estimate, CP932 as stored
    HistoryList titles;     // MTitle1
};

// Both histories from the headers of the files "m_*.dat" of the data folder, in directory
// order. An estimate adds its customer name and its title exactly as stored (trailing blanks
// removed); a file whose header cannot be read or that carries neither estimate signature
// adds two empty entries instead. The walk stops early once both lists hold more than 300
// entries or either more than 600.
EstimateHistories BuildEstimateHistories(Environment& environment);

}  // namespace quilto
