#pragma once

// The rules of the output dialog (EXCEL出力) apart from its widgets: the ticks it starts
// with, how its check boxes and radio buttons answer each other, the construction
// selection, and the texts it shows. The dialog reads its widgets into OutputDialogChecks,
// applies a rule, and shows the result.

#include <array>
#include <string>
#include <vector>

#include "core/editor/estimate_document.h"
#include "core/output/output_choices.h"
#include "core/output/output_source.h"

namespace quilto {

// The choice group as the user sees it.
struct OutputDialogChecks {
    bool cover = false;                                // Check_H 表紙
    bool summary = false;                              // Check_3 総括書
    bool breakdown = false;                            // Check_1 内訳書
    bool cost = false;                                 // Check_gen 原価印刷
    bool freeForm = false;                             // Check_sei かがみ付フリー印刷
    bool linesTotals = false;                          // Chk_ktype
    FreeFormSource source = FreeFormSource::kSummary;  // RadioButton1-3
    bool itemised = false;                             // Check_itemised 材料費等内訳書

    friend bool operator==(const OutputDialogChecks&, const OutputDialogChecks&) = default;
};

// Every activation: 表紙 and 内訳書 ticked, 総括書 too when the estimate's summary supplies
// its totals (the editor's CheckBox1), the free-form choices off, 総括書 as their source.
OutputDialogChecks DefaultOutputChecks(const EstimateDocument& document);

// After the mouse is released on a box (which has toggled itself):
// 表紙, 総括書, 内訳書 or 材料費等内訳書: the free-form output is unticked.
void StandardBoxReleased(OutputDialogChecks& checks);
// かがみ付フリー印刷 or Chk_ktype: 表紙, 総括書, 内訳書 and 材料費等内訳書 are unticked.
void FreeFormBoxReleased(OutputDialogChecks& checks);
// A radio button (which chose its source): the free-form output is ticked, 表紙, 総括書,
// 内訳書, 材料費等内訳書 and 原価印刷 unticked.
void FreeFormSourceReleased(OutputDialogChecks& checks, FreeFormSource source);

// The constructions the list offers (the breakdown lines with a detail sheet of their own,
// special lines left out), and the rows chosen before a run: selected[i] is whether list
// item i is selected.
std::array<bool, kBreakdownSlots> SelectedConstructionRows(
    const std::vector<ConstructionEntry>& listed, const std::vector<bool>& selected);

// The run's choices from the dialog.
OutputChoices OutputChoicesOf(const OutputDialogChecks& checks, OutputTarget target, int pattern,
                              const std::array<bool, kBreakdownSlots>& constructions,
                              std::string documentNumber, std::string printDate);

// The pattern shown first: the estimate's stored one when the list has it, else 0.
int InitialOutputPattern(const EstimateDocument& document, int itemCount);

// Prn_info: "【現在のﾌﾟﾘﾝﾀｰ】<" + the printer's name + ">" (UTF-8).
std::string PrinterInfoText(const std::string& printer);

// PTitle1 after the last run's kind: "印 刷 処 理" after printing, else "EXCEL出力処理".
std::string OutputDialogTitle(OutputTarget lastTarget);

// The free-form output needs its template 書式F00A (whatever the pattern).
bool FreeFormAvailable();

}  // namespace quilto
