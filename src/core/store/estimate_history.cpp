#include "core/store/estimate_history.h"

#include <algorithm>

#include "core/store/estimate_file.h"
#include "core/store/estimate_list.h"

namespace quilto {

bool HistoryList::Add(std::string_view text) {
    const auto at = std::lower_bound(entries_.begin(), entries_.end(), text,
                                     [](const std::string& held, std::string_view wanted) {
                                         return CompareListText(held, wanted) < 0;
                                     });
    if (at != entries_.end() && CompareListText(*at, text) == 0) return false;
    entries_.insert(at, std::string(text));
    return true;
}

EstimateHistories BuildEstimateHistories(Environment& environment) {
    EstimateHistories histories;
    VisitEstimateHeaders(environment, [&histories](const QString&, const EstimateHeader* header) {
        const bool estimate =
            header != nullptr && header->SignatureKind() != EstimateSignature::Foreign;
        histories.customers.Add(estimate ? header->Text(HeaderText::MName1) : std::string());
        histories.titles.Add(estimate ? header->Text(HeaderText::MTitle1) : std::string());
        const std::size_t customers = histories.customers.Size();
        const std::size_t titles = histories.titles.Size();
        const bool enough = (customers > kHistoryEnoughOfBoth && titles > kHistoryEnoughOfBoth) ||
                            customers > kHistoryEnoughOfOne || titles > kHistoryEnoughOfOne;
        return !enough;
    });
    return histories;
}

}  // namespace quilto
