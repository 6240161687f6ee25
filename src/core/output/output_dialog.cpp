#include "core/output/output_dialog.h"

#include "core/excel/pattern_choice.h"

namespace quilto {

OutputDialogChecks DefaultOutputChecks(const EstimateDocument& document) {
    OutputDialogChecks checks;
    checks.cover = true;
    checks.breakdown = true;
    checks.summary = document.CheckBox1();
    return checks;
}

void StandardBoxReleased(OutputDialogChecks& checks) { checks.freeForm = false; }

void FreeFormBoxReleased(OutputDialogChecks& checks) {
    checks.cover = false;
    checks.summary = false;
    checks.breakdown = false;
    checks.itemised = false;
}

void FreeFormSourceReleased(OutputDialogChecks& checks, FreeFormSource source) {
    checks.source = source;
    checks.freeForm = true;
    FreeFormBoxReleased(checks);
    checks.cost = false;
}

std::array<bool, kBreakdownSlots> SelectedConstructionRows(
    const std::vector<ConstructionEntry>& listed, const std::vector<bool>& selected) {
    std::array<bool, kBreakdownSlots> rows{};
    for (std::size_t i = 0; i < listed.size() && i < selected.size(); ++i) {
        const int row = listed[i].row;
        if (selected[i] && row >= 0 && row < kBreakdownSlots)
            rows[static_cast<std::size_t>(row)] = true;
    }
    return rows;
}

OutputChoices OutputChoicesOf(const OutputDialogChecks& checks, OutputTarget target, int pattern,
                              const std::array<bool, kBreakdownSlots>& constructions,
                              std::string documentNumber, std::string printDate) {
    OutputChoices choices;
    choices.target = target;
    choices.pattern = pattern;
    choices.cover = checks.cover;
    choices.summary = checks.summary;
    choices.breakdown = checks.breakdown;
    choices.cost = checks.cost;
    choices.itemised = checks.itemised && !checks.freeForm;
    choices.constructions = constructions;
    choices.freeForm = checks.freeForm;
    choices.freeFormSource = checks.source;
    choices.linesTotals = checks.linesTotals;
    choices.documentNumber = std::move(documentNumber);
    choices.printDate = std::move(printDate);
    return choices;
}

int InitialOutputPattern(const EstimateDocument& document, int itemCount) {
    const int stored = document.PatternIndex();
    return stored >= 0 && stored < kChoosablePatterns && stored < itemCount ? stored : 0;
}

std::string PrinterInfoText(const std::string& printer) {
    return "【現在のﾌﾟﾘﾝﾀｰ】<" + printer + ">";
}

std::string OutputDialogTitle(OutputTarget lastTarget) {
    return lastTarget == OutputTarget::kPrint ? "印 刷 処 理" : "EXCEL出力処理";
}

bool FreeFormAvailable() { return !FindTemplate(QStringLiteral("書式F00A")).isEmpty(); }

}  // namespace quilto
