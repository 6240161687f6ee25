#include "core/output/invoice_tax.h"

#include <gtest/gtest.h>

#include "core/foundation/number_text.h"

namespace quilto {
namespace {

Fixed4 Yen(std::int64_t yen) { return Fixed4::FromInt(yen); }

TEST(InvoiceTax, OneTaxPerRateOnTheDocumentsTotal) {
    constexpr int kHalfUp = 0, kCut = 1, kUp = 2;
    struct Case {
        const char* what;
        DocumentTaxTotals totals;
        int rate;
        bool included;
        int rounding;
        const char* label;
        std::int64_t base, tax;
    } cases[] = {
        {"the document's tax line, computed on its total line",
         {true, Yen(2500), true, Yen(250), Yen(2500)},
         10,
         false,
         kCut,
         "10%対象",
         2500,
         250},
        // Lines of 1,005 and 1,006: a tax per line (cut) would be 100 + 100.
        {"no tax line: once on the total",
         {true, Yen(2011), false, {}, Yen(2011)},
         10,
         false,
         kCut,
         "10%対象",
         2011,
         201},
        {"no total line: on the net of the lines and discounts",
         {false, {}, false, {}, Yen(2500)},
         10,
         false,
         kHalfUp,
         "10%対象",
         2500,
         250},
        {"first dropped digit only, as the tax line rounds",
         {true, Yen(1001), false, {}, {}},
         8,
         false,
         kUp,
         "8%対象",
         1001,
         80},
        {"amounts with tax: the tax they contain",
         {true, Yen(11000), false, {}, Yen(11000)},
         10,
         true,
         kHalfUp,
         "10%対象(税込)",
         11000,
         1000},
        {"contained tax 91.36 cut",
         {true, Yen(1005), false, {}, {}},
         10,
         true,
         kCut,
         "10%対象(税込)",
         1005,
         91},
        {"contained tax 91.36 up",
         {true, Yen(1005), false, {}, {}},
         10,
         true,
         kUp,
         "10%対象(税込)",
         1005,
         92},
        {"a tax line wins over the included tick",
         {true, Yen(1000), true, Yen(100), {}},
         10,
         true,
         kHalfUp,
         "10%対象",
         1000,
         100},
        {"no rate: nothing to state",
         {true, Yen(1000), false, {}, {}},
         0,
         false,
         kHalfUp,
         "",
         1000,
         0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const InvoiceTax tax = InvoiceTaxOf(c.totals, Yen(c.rate), c.included, c.rounding);
        EXPECT_EQ(tax.rateLabel, c.label);
        EXPECT_EQ(tax.base, Yen(c.base));
        EXPECT_EQ(tax.tax, Yen(c.tax));
    }
}

}  // namespace
}  // namespace quilto
