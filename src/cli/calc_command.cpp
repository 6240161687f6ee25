// quilto-cli calc NNNNNN --json [--save]: an estimate as the editor calculates it.

#include <cstdio>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "cli/cli_support.h"
#include "core/editor/editor_session.h"
#include "core/foundation/number_text.h"
#include "core/foundation/text_bytes.h"
#include "core/store/environment.h"
#include "core/store/markers.h"

namespace quilto::cli {

namespace {

// The rows 1 .. last used of a grid, each its cells from column 1 in display form.
nlohmann::json RowsOf(const TextGrid& grid) {
    nlohmann::json rows = nlohmann::json::array();
    const int last = LastUsedGridRow(grid);
    for (int row = 1; row <= last; ++row) {
        nlohmann::json cells = nlohmann::json::array();
        for (int col = 1; col < grid.ColCount(); ++col)
            cells.push_back(JsonText(grid.Cell(row, col)));
        rows.push_back(std::move(cells));
    }
    return rows;
}

nlohmann::json CalculatedJson(EstimateDocument& document) {
    nlohmann::json header = nlohmann::json::object();
    for (HeaderFigure f : {HeaderFigure::MGoukei01, HeaderFigure::MGoukei11,
                           HeaderFigure::MGoukei12, HeaderFigure::MGoukei13}) {
        const std::string plain = CleanNumber(document.Figure(f));
        header[ControlNameOf(f)] = plain.empty() ? "0" : plain;
    }
    nlohmann::json details = nlohmann::json::object();
    for (int row = 1; row <= kBreakdownLines; ++row) {
        if (DetailCount(document.Stores(), row) == 0) continue;
        document.LoadDetailSheet(row);
        details[std::to_string(row)] = RowsOf(document.Grid(SheetKind::Detail));
        document.DropDetailSheet();
    }
    return nlohmann::json{{"header", header},
                          {"summary", RowsOf(document.Grid(SheetKind::Summary))},
                          {"breakdown", RowsOf(document.Grid(SheetKind::Breakdown))},
                          {"details", details}};
}

}  // namespace

int RunCalc(const std::vector<std::string>& args) {
    std::string number;
    bool json = false;
    bool save = false;
    for (const std::string& arg : args) {
        if (arg == "--json") {
            json = true;
        } else if (arg == "--save") {
            save = true;
        } else if (number.empty() && !arg.starts_with("--")) {
            number = arg;
        } else {
            PrintError("calc: unexpected argument '" + arg + "'");
            return 2;
        }
    }
    if (number.empty() || !json) {
        PrintError("usage: calc NNNNNN --json [--save]");
        return 2;
    }
    Environment environment;
    LoadEnvironment(environment);
    CliQuestions questions(Answer::kNo);
    // A save is a read, a calculation and a write: the estimate's marker is held across all
    // three, as the editor holds it, so that a restore or a deletion meanwhile is refused
    // rather than undone, and a copy that holds it already keeps this one out.
    Markers markers(questions, MarkerFoldersOf(environment));
    if (save && number != kBackupNumber) {
        markers.HoldEstimateMarker(number);
        if (markers.EstimateState() != MarkerState::kHeld) {
            const std::string holder = markers.EstimateHolder(number);
            PrintError("calc: estimate " + number + " is in use by another copy of the program (" +
                       Markers::EstimateMarkerName(number).toStdString() + " is held" +
                       (holder.empty() ? "" : " by " + holder) + "); nothing was saved");
            return 1;
        }
    }
    EditorSession session;
    session.UseSettings(environment);
    EstimateDocument& document = session.Document();
    if (session.Open(environment, number, EntryMode::kCallUp) != EstimateResult::kOk) {
        PrintError("calc: estimate " + number + " cannot be read (" +
                   EstimateReadFailure(EstimateFilePath(environment, number)) + ")");
        return 1;
    }
    if (document.ForeignFile()) {
        PrintError("calc: " + number + " is not an estimate file");
        return 1;
    }
    // The save is the editor's: the same checks, the same figures, the same bytes. Figures
    // past the fixed-point range are shown capped; such an estimate is never saved.
    if (save) {
        const SaveResult result = session.Save(environment, questions);
        if (result.outcome == SaveOutcome::kWriteFailed) return 1;  // told as it failed
        if (!result.Saved()) {
            PrintError("calc: " + SaveOutcomeMessage(result) + " Nothing was saved.");
            std::printf("%s\n", CalculatedJson(document).dump(2).c_str());
            return 1;
        }
    } else if (const auto overflow = session.Recalculate()) {
        PrintError("calc: " + CalculationOverflowMessage(*overflow));
        std::printf("%s\n", CalculatedJson(document).dump(2).c_str());
        return 1;
    }
    std::printf("%s\n", CalculatedJson(document).dump(2).c_str());
    return 0;
}

}  // namespace quilto::cli
