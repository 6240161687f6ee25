#pragma once

// Finding estimates in the list: a search of optional fields, all of which must match. Each
// estimate is prepared once (its texts folded, its date read) so that a list of tens of
// thousands can be searched again on every key the user types.

#include <QDate>
#include <QSet>
#include <QString>
#include <optional>
#include <string_view>
#include <vector>

#include "core/foundation/fixed4.h"
#include "core/store/estimate_list.h"
#include "core/store/issued_archive.h"

namespace quilto {

class EstimateHeader;
class Environment;

struct EstimateSearch {
    // Found in the number, customer, title or place, without regard to full or half width
    // or letter case; blank matches everything.
    QString text;
    // The estimate date (the cover's first date), bounds inclusive. An estimate whose date
    // cannot be read never matches a date bound.
    std::optional<QDate> from;
    std::optional<QDate> to;
    // The estimate amount including tax, as listed; bounds inclusive.
    std::optional<Fixed4> minAmount;
    std::optional<Fixed4> maxAmount;
    // Only estimates of which a document was issued to a client.
    bool issuedOnly = false;

    bool IsEmpty() const {
        return text.trimmed().isEmpty() && !from && !to && !minAmount && !maxAmount && !issuedOnly;
    }
};

enum class EstimateDateState { kBlank, kRead, kUnreadable };

// What a search looks at in one estimate, and what the command line prints of it.
struct SearchableEstimate {
    QString number;
    QString customer;
    QString title;
    QString place;
    QString dateText;  // as typed on the cover
    QString printDate;
    QString foldedText;  // number, customer, title and place, folded, one per line
    EstimateDateState dateState = EstimateDateState::kBlank;
    QDate date;                    // when read
    std::optional<Fixed4> amount;  // none when the header could not be read
    bool issued = false;
};

// Full and half width made one (NFKC) and letter case folded: how texts are compared.
QString FoldForSearch(const QString& text);
// The fold of one UTF-16 unit where it needs no neighbour: NFKC and case folding make it
// one character whatever stands before or after it, so a text of such units folds unit by
// unit. kFoldsWithNeighbours for every other unit (those the whole fold must see).
inline constexpr char32_t kFoldsWithNeighbours = 0xFFFFFFFF;
char32_t FoldAlone(char16_t unit);

// header: null when it could not be read, or is not an estimate's (only the number is
// searchable then).
SearchableEstimate SearchableOf(std::string_view number, const EstimateHeader* header, bool issued);

struct SearchableListEntry {
    EstimateListEntry listed;  // the line as the list shows it
    SearchableEstimate searchable;
};

// The columns the list can be sorted by (a click on a column's header).
enum class ListSortColumn { kNumber, kCustomer, kTitle, kDate, kAmount };

// The indexes into entries of the estimates the search finds, in the order asked for: the
// list order for the number column; a date that cannot be read and a missing amount sort
// after every other; equal keys keep the list order.
std::vector<int> SearchRows(const std::vector<SearchableListEntry>& entries,
                            const EstimateSearch& search,
                            ListSortColumn column = ListSortColumn::kNumber,
                            bool descending = false);

// The list as CSV for a spreadsheet program: UTF-8 with a byte-order mark and one header
// line, then one line per estimate (number, customer, title, place, date as typed, amount
// including tax as a plain number, print date, 1 when issued, file name).
std::string EstimateListCsvHeader();
std::string EstimateListCsvLine(const SearchableListEntry& entry);

// The archive folder of the data folder, and the numbers it holds issues of.
QString IssuedArchiveFolder(Environment& environment);
QSet<QString> IssuedNumbers(const ArchiveReading& archive);

// A search made ready to run over many estimates: its text is folded once, not once for
// each estimate. It refers to the search, which must outlive it.
class SearchMatcher {
  public:
    explicit SearchMatcher(const EstimateSearch& search);
    bool operator()(const SearchableEstimate& estimate) const;

  private:
    const EstimateSearch& search_;
    QString foldedText_;
};

// One estimate against a search (a list of them goes through one SearchMatcher).
bool Matches(const EstimateSearch& search, const SearchableEstimate& estimate);

// A bound typed into a search field: an amount such as "33,000", "¥1,200,000" or "５００００"
// (nullopt for blank or not a whole amount), a date in any form ReadTypedDate reads.
std::optional<Fixed4> ReadAmountBound(const QString& text);

}  // namespace quilto
