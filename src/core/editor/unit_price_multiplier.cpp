#include "core/editor/unit_price_multiplier.h"

#include <string>

#include "core/editor/line_kind.h"
#include "core/foundation/cp932.h"
#include "core/foundation/fixed4_arithmetic.h"
#include "core/foundation/number_text.h"
#include "core/foundation/text_bytes.h"

namespace quilto {

namespace {

constexpr int kDetailStride = kDetailLines + 1;

std::size_t DetailIndex(int sheet, int line) {
    return static_cast<std::size_t>(sheet * kDetailStride + line);
}

bool TakesPart(std::string_view marker) { return !IsSpecialLine(LineKindOfMarker(marker)); }

unsigned RowChangesOf(const EstimateDocument& document) {
    return document.Grid(SheetKind::Breakdown).RowChanges() +
           document.Grid(SheetKind::Detail).RowChanges() +
           document.Grid(SheetKind::Summary).RowChanges();
}

}  // namespace

UnitPriceMultiplier::UnitPriceMultiplier() { Reset(); }

void UnitPriceMultiplier::Reset() {
    detailPrices_.assign(static_cast<std::size_t>((kBreakdownLines + 1) * kDetailStride), {});
    summaryPrices_.assign(static_cast<std::size_t>(kSummaryLines + 1), {});
    applied_ = false;
}

int UnitPriceMultiplier::AskRate(Questions& questions, const char* title) {
    const std::optional<std::string> answer =
        questions.AskText(title, "掛率を入力して下さい。(1-200%)", "");
    if (!answer) return 0;
    // Lengths count the bytes of the text as the program keeps it.
    const std::string text = Utf8ToCp932(*answer).value_or(*answer);
    if (text.empty() || text.size() >= 4) {
        questions.Inform("桁数エラーです。");
        return 0;
    }
    const long long rate = ToInt(text);
    if (rate < 1 || rate > 200) {
        questions.Inform("入力が正しくありません。");
        return 0;
    }
    const std::string confirm = "単価掛率計算を行います。( 掛率: " + std::to_string(rate) + "% )";
    if (!questions.AskOkCancel(confirm, "確 認")) return 0;
    return static_cast<int>(rate);
}

void UnitPriceMultiplier::MarkApplied(const EstimateDocument& document) {
    applied_ = true;
    rowChangesWhenApplied_ = RowChangesOf(document);
}

bool UnitPriceMultiplier::CanUndo(const EstimateDocument& document, Questions& questions) {
    if (applied_ && RowChangesOf(document) == rowChangesWhenApplied_) return true;
    applied_ = false;
    questions.Inform("単価処理はされてません。");
    return false;
}

void UnitPriceMultiplier::RecalculateEveryDetailSheet(EstimateDocument& document,
                                                      EstimateCalculator& calculator) {
    const TextGrid& breakdown = document.Grid(SheetKind::Breakdown);
    for (int row = 1; row <= kBreakdownLines; ++row) {
        if (!GridRowUsed(breakdown, row) || IsSpecialLine(LineKindOf(breakdown, row))) continue;
        document.LoadDetailSheet(row);
        document.StoreDetailSheet();
        calculator.CalculateBreakdown(document);
    }
    document.DropDetailSheet();
}

bool UnitPriceMultiplier::ApplyToBreakdown(EstimateDocument& document,
                                           EstimateCalculator& calculator, Questions& questions) {
    const int rate = AskRate(questions, "単価掛率設定");
    if (rate == 0) return false;
    document.StoreDetailSheet();
    DetailStore& details = document.Stores().details;
    for (int sheet = 1; sheet <= kBreakdownLines; ++sheet) {
        if (!details.HasSheet(sheet)) continue;
        for (int line = 1; line <= kDetailLines; ++line) {
            const LineRecord& held = details.Line(sheet, line);
            if (!TakesPart(held.Code())) continue;
            const Fixed4 price = held.UnitPrice();
            detailPrices_[DetailIndex(sheet, line)] = price;
            // Only prices that change are written: sheets without any stay shared.
            const Fixed4 scaled = PercentOf(price, Fixed4::FromInt(rate));
            if (scaled.raw != price.raw) details.MutableLine(sheet, line).SetUnitPrice(scaled);
        }
    }
    MarkApplied(document);
    RecalculateEveryDetailSheet(document, calculator);
    return true;
}

bool UnitPriceMultiplier::UndoBreakdown(EstimateDocument& document, EstimateCalculator& calculator,
                                        Questions& questions) {
    if (!CanUndo(document, questions)) return false;
    if (!questions.AskOkCancel("単価処理を元に戻します。", "確 認")) return false;
    document.StoreDetailSheet();
    DetailStore& details = document.Stores().details;
    for (int sheet = 1; sheet <= kBreakdownLines; ++sheet) {
        if (!details.HasSheet(sheet)) continue;
        for (int line = 1; line <= kDetailLines; ++line) {
            const LineRecord& held = details.Line(sheet, line);
            const Fixed4 price = detailPrices_[DetailIndex(sheet, line)];
            if (TakesPart(held.Code()) && held.UnitPrice().raw != price.raw)
                details.MutableLine(sheet, line).SetUnitPrice(price);
        }
    }
    applied_ = false;
    RecalculateEveryDetailSheet(document, calculator);
    return true;
}

bool UnitPriceMultiplier::ApplyToSummary(EstimateDocument& document, EstimateCalculator& calculator,
                                         Questions& questions) {
    const int rate = AskRate(questions, "総括書の単価掛率設定");
    if (rate == 0) return false;
    TextGrid& summary = document.Grid(SheetKind::Summary);
    const int priceColumn = ColumnsOf(SheetKind::Summary).unitPrice;
    for (int row = 1; row <= kSummaryLines; ++row) {
        if (!TakesPart(summary.Cell(row, 1))) continue;
        const Fixed4 price = TextToFixed4(summary.Cell(row, priceColumn));
        summaryPrices_[static_cast<std::size_t>(row)] = price;
        if (price.raw != 0 || HasText(summary.Cell(row, priceColumn)))
            summary.SetCell(row, priceColumn,
                            Fixed4ToText(PercentOf(price, Fixed4::FromInt(rate))));
    }
    MarkApplied(document);
    calculator.CalculateSummary(document);
    return true;
}

bool UnitPriceMultiplier::UndoSummary(EstimateDocument& document, EstimateCalculator& calculator,
                                      Questions& questions) {
    if (!CanUndo(document, questions)) return false;
    if (!questions.AskOkCancel("単価処理を元に戻します。", "確 認")) return false;
    TextGrid& summary = document.Grid(SheetKind::Summary);
    const int priceColumn = ColumnsOf(SheetKind::Summary).unitPrice;
    for (int row = 1; row <= kSummaryLines; ++row) {
        if (!TakesPart(summary.Cell(row, 1))) continue;
        const Fixed4 price = summaryPrices_[static_cast<std::size_t>(row)];
        if (price.raw != 0 || HasText(summary.Cell(row, priceColumn)))
            summary.SetCell(row, priceColumn, Fixed4ToText(price));
    }
    applied_ = false;
    calculator.CalculateSummary(document);
    return true;
}

}  // namespace quilto
