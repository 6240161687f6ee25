// quilto-cli show NNNNNN --json: one estimate file as JSON, every header field by the name
// of the cover control that shows it and every line record the file holds. Fixed-point
// values are decimal strings in shortest form, texts UTF-8 without trailing blanks.

#include <cstdio>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "cli/cli_support.h"
#include "core/editor/estimate_io.h"
#include "core/foundation/text_bytes.h"
#include "core/store/environment.h"

namespace quilto::cli {

namespace {

nlohmann::ordered_json RecordJson(const LineRecord& r) {
    return {
        {"kind", r.Kind()},
        {"number", r.Number()},
        {"detailCount", r.DetailCount()},
        {"code", JsonText(r.Code())},
        {"numberText", JsonText(r.NumberText())},
        {"name", JsonText(r.Name())},
        {"spec", JsonText(r.Spec())},
        {"unit", JsonText(r.Unit())},
        {"quantity", Fixed4ToText(r.Quantity())},
        {"unitPrice", Fixed4ToText(r.UnitPrice())},
        {"amount", Fixed4ToText(r.Amount())},
        {"costUnitPrice", Fixed4ToText(r.CostUnitPrice())},
        {"cost", Fixed4ToText(r.Cost())},
        {"labourRate", Fixed4ToText(r.LabourRate())},
        {"remarks", JsonText(r.Remarks())},
    };
}

nlohmann::ordered_json HeaderJson(const EstimateHeader& header) {
    nlohmann::ordered_json json = nlohmann::ordered_json::object();
    for (int i = 0; i < kHeaderTextCount; ++i) {
        const auto field = static_cast<HeaderText>(i);
        json[LayoutOf(field).control] = JsonText(header.Text(field));
    }
    for (int i = 0; i < kHeaderFigureCount; ++i) {
        const auto figure = static_cast<HeaderFigure>(i);
        json[ControlNameOf(figure)] = Fixed4ToText(header.Figure(figure));
    }
    json["pattern"] = Fixed4ToText(header.PatternValue());
    json["ZRitu"] = header.TaxRate();
    json["CheckBox1"] = header.CheckBox1() != 0;
    json["CheckBox2"] = header.CheckBox2() != 0;
    return json;
}

// The lines as the program sees them, which are the records a save writes: the summary up
// to its last used line, each breakdown line up to the last with its detail lines.
nlohmann::ordered_json EstimateJson(const EstimateHeader& header, const EstimateStores& stores) {
    nlohmann::ordered_json summary = nlohmann::ordered_json::array();
    const int n = std::max(1, LastSummaryLine(stores));
    for (int i = 1; i <= n; ++i)
        summary.push_back(RecordJson(stores.summary[static_cast<std::size_t>(i)]));
    nlohmann::ordered_json breakdown = nlohmann::ordered_json::array();
    const int m = std::max(1, LastBreakdownLine(stores));
    for (int i = 1; i <= m; ++i) {
        nlohmann::ordered_json line = RecordJson(stores.breakdown[static_cast<std::size_t>(i)]);
        nlohmann::ordered_json details = nlohmann::ordered_json::array();
        const int e = DetailCount(stores, i);
        for (int j = 1; j <= e; ++j) details.push_back(RecordJson(stores.details.Line(i, j)));
        line["details"] = std::move(details);
        breakdown.push_back(std::move(line));
    }
    return {{"signature", JsonText(header.Signature())},
            {"header", HeaderJson(header)},
            {"summary", std::move(summary)},
            {"breakdown", std::move(breakdown)}};
}

bool IsManagementNumber(const std::string& text) {
    if (text == kBackupNumber) return true;
    return text.size() == 6 &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

}  // namespace

int RunShow(const std::vector<std::string>& args) {
    if (args.size() != 2 || args[1] != "--json" || !IsManagementNumber(args[0])) {
        PrintError("usage: show NNNNNN|BackUp --json");
        return 2;
    }
    const std::string& number = args[0];
    Environment environment;
    LoadEnvironment(environment);
    const QString path = EstimateFilePath(environment, number);
    EstimateHeader header;
    EstimateStores stores;
    if (ReadEstimateFile(path, header, stores) != EstimateResult::kOk) {
        PrintError("show: estimate " + number + " cannot be read (" + path.toStdString() + ")");
        return 1;
    }
    if (header.SignatureKind() == EstimateSignature::Foreign) {
        PrintError("show: " + path.toStdString() + " is not an estimate file (signature \"" +
                   JsonText(header.Signature()) + "\")");
        return 1;
    }
    std::printf("%s\n", EstimateJson(header, stores).dump(2).c_str());
    return 0;
}

}  // namespace quilto::cli
