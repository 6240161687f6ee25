// quilto-cli costs NNNNNN --json: the itemised estimate of one estimate, as the sheet
// 材料費等内訳書 prints it: per work type (breakdown line) the six cost classes, the total
// and the days of work, discounts as rows of their own, and the estimate's totals.
// Amounts are decimal strings in shortest form, as `show` gives them.

#include <cstdio>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "cli/cli_support.h"
#include "core/editor/editor_session.h"
#include "core/editor/estimate_io.h"
#include "core/editor/itemised_costs.h"
#include "core/store/environment.h"

namespace quilto::cli {

namespace {

void PutClasses(nlohmann::ordered_json& json, const ClassAmounts& classes) {
    for (int k = 1; k <= kCostColumns; ++k) {
        json[CostClassName(static_cast<CostClass>(k))] =
            Fixed4ToText(classes[static_cast<std::size_t>(k - 1)]);
    }
}

nlohmann::ordered_json CostsJson(const EstimateDocument& document,
                                 const ItemisedEstimate& itemised) {
    nlohmann::ordered_json lines = nlohmann::ordered_json::array();
    for (const ItemisedRow& row : itemised.rows) {
        nlohmann::ordered_json line;
        line["number"] = row.breakdownRow;
        line["kind"] = row.kind == ItemisedRowKind::Discount ? "discount" : "work";
        line["name"] = JsonText(row.name);
        PutClasses(line, row.classes);
        line["unclassified"] = Fixed4ToText(row.unclassified);
        line["days"] = Fixed4ToText(row.days);
        line["total"] = Fixed4ToText(row.total);
        lines.push_back(std::move(line));
    }
    nlohmann::ordered_json totals;
    PutClasses(totals, itemised.classes);
    totals["unclassified"] = Fixed4ToText(itemised.unclassified);
    totals["discounts"] = Fixed4ToText(itemised.discounts);
    totals["total"] = Fixed4ToText(itemised.total);
    totals["tax"] = Fixed4ToText(itemised.tax);
    totals["totalWithTax"] = Fixed4ToText(itemised.TotalWithTax());
    return {{"number", JsonText(document.Text(HeaderText::MNo))},
            {"estimateNumber", JsonText(document.Text(HeaderText::MBango))},
            {"customer", JsonText(document.Text(HeaderText::MName1))},
            {"title", JsonText(document.Text(HeaderText::MTitle1))},
            {"lines", std::move(lines)},
            {"totals", std::move(totals)}};
}

}  // namespace

int RunCosts(const std::vector<std::string>& args) {
    if (args.size() != 2 || args[1] != "--json") {
        PrintError("usage: costs NNNNNN --json");
        return 2;
    }
    Environment environment;
    LoadEnvironment(environment);
    EditorSession session;
    if (!LoadCalculatedEstimate("costs", args[0], environment, session)) return 1;
    EstimateDocument& document = session.Document();
    const ItemisedEstimate itemised = ItemiseEstimate(document, environment.AmountRounding());
    std::printf("%s\n", CostsJson(document, itemised).dump(2).c_str());
    return 0;
}

}  // namespace quilto::cli
