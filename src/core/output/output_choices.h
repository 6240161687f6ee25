#pragma once

// What the user chose for one output run: the output dialog's controls, or the command
// line's options. A plain value, filled by whoever starts the run.

#include <QString>
#include <array>
#include <string>

#include "core/store/estimate_file.h"

namespace quilto {

// What becomes of the filled workbook.
enum class OutputTarget {
    kWorkbook,  // 表出力: saved as Xls/<template>.xlsx for the spreadsheet program
    kPrint,     // 印刷: converted to PDF and sent to the default printer
    kPdf,       // converted to PDF and kept (the command line's --pdf)
};

// The lines a free-form output prints (RadioButton1-3).
enum class FreeFormSource { kSummary, kBreakdown, kDetails };

struct OutputChoices {
    OutputTarget target = OutputTarget::kWorkbook;
    int pattern = 0;  // CBListMS: 1 and 2 choose those patterns, anything else pattern 0

    // Standard output.
    bool cover = true;      // Check_H 表紙
    bool summary = false;   // Check_3 総括書
    bool breakdown = true;  // Check_1 内訳書
    bool cost = false;      // Check_gen 原価印刷: the cost template and the cost cells
    bool itemised = false;  // 材料費等内訳書: the itemised estimate's sheet is added
    // The construction selection: index = breakdown row (1-300); a row whose detail sheet
    // is printed is selected here.
    std::array<bool, kBreakdownSlots> constructions{};

    // Free-form output (かがみ付フリー印刷, Check_sei) instead of the standard one.
    bool freeForm = false;
    FreeFormSource freeFormSource = FreeFormSource::kSummary;
    bool linesTotals = false;    // Chk_ktype: the special lines print as lines, no totals block
    std::string documentNumber;  // ESeiNo 運用番号, CP932
    std::string printDate;       // EYMD4 印刷日, CP932

    // Where a PDF goes (kPdf), or where the workbook is saved when not in Xls/ (empty: the
    // workbook stays Xls/<template>.xlsx).
    QString outputPath;
    // The printer for kPrint; empty: the default printer.
    QString printer;

    void SelectAllConstructions() { constructions.fill(true); }
};

}  // namespace quilto
