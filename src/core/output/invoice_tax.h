#pragma once

// What a qualified invoice (適格請求書) states per tax rate beside its totals: the rate
// ("10%対象"), the amount the rate applies to, and the consumption tax at that rate. An
// estimate carries one rate (the cover's), so there is one such line. The tax is the one
// figure the document computes on its total, never a sum of taxes per line: rounding each
// line's tax would give another amount than the law allows (one rounding per rate and
// document).

#include <string>

#include "core/foundation/fixed4.h"

namespace quilto {

// The totals the document's lines give, from the special lines of the printed sheet.
struct DocumentTaxTotals {
    bool hasTotal = false;  // a "/" line: its amount is the base the tax line used
    Fixed4 total;
    bool hasTax = false;  // a "%" line: the tax the document computed on that base
    Fixed4 tax;
    Fixed4 net;  // ordinary amounts less discounts: the base when there is no "/" line
};

struct InvoiceTax {
    std::string rateLabel;  // UTF-8: "10%対象", or "10%対象(税込)"; empty when no rate
    Fixed4 base;            // the amount the rate applies to (tax included when so labelled)
    Fixed4 tax;
};

// The base is the "/" line's amount, or the net amount without one. The tax is the
// document's tax line; without one it is computed here, once, on the base: as part of it
// when the document's amounts include the tax (taxIncluded: 消費税含む), else on top of
// it. Rounded to whole yen with the environment's tax rounding. A rate of 0 or less gives
// an empty label and no tax.
InvoiceTax InvoiceTaxOf(const DocumentTaxTotals& totals, Fixed4 ratePercent, bool taxIncluded,
                        int taxRounding);

}  // namespace quilto
