#include "core/output/invoice_tax.h"

#include "core/foundation/fixed4_arithmetic.h"
#include "core/foundation/number_text.h"

namespace quilto {

namespace {

// base x rate / (100 + rate), to four decimals (cut): the tax contained in a tax-included
// amount, before the rounding to yen.
Fixed4 ContainedTax(Fixed4 base, Fixed4 ratePercent) {
    const __int128 divisor = static_cast<__int128>(Fixed4::FromInt(100).raw) + ratePercent.raw;
    return Fixed4::FromRaw(
        static_cast<std::int64_t>(static_cast<__int128>(base.raw) * ratePercent.raw / divisor));
}

}  // namespace

InvoiceTax InvoiceTaxOf(const DocumentTaxTotals& totals, Fixed4 ratePercent, bool taxIncluded,
                        int taxRounding) {
    InvoiceTax invoice;
    invoice.base = totals.hasTotal ? totals.total : totals.net;
    if (ratePercent.raw <= 0) return invoice;
    const bool contained = !totals.hasTax && taxIncluded;
    invoice.rateLabel = Fixed4ToText(ratePercent) + "%対象" + (contained ? "(税込)" : "");
    if (totals.hasTax) {
        invoice.tax = totals.tax;
    } else if (contained) {
        invoice.tax = RoundFixed(0, taxRounding, ContainedTax(invoice.base, ratePercent));
    } else {
        invoice.tax = RoundFixed(0, taxRounding, PercentOf(invoice.base, ratePercent));
    }
    return invoice;
}

}  // namespace quilto
