#include "core/output/output_dialog.h"

#include <gtest/gtest.h>

#include "support/output_fixture.h"

namespace quilto {
namespace {

TEST(OutputDialogRules, BoxesAndSourcesClearWhatTheyExclude) {
    const OutputDialogChecks all{true, true, true, true, true, true, FreeFormSource::kSummary};
    OutputDialogChecks checks = all;
    StandardBoxReleased(checks);
    EXPECT_EQ(checks,
              (OutputDialogChecks{true, true, true, true, false, true, FreeFormSource::kSummary}));
    checks = all;
    FreeFormBoxReleased(checks);
    EXPECT_EQ(checks, (OutputDialogChecks{false, false, false, true, true, true,
                                          FreeFormSource::kSummary}));
    checks = OutputDialogChecks{true, true, true, true, false, false, FreeFormSource::kSummary};
    FreeFormSourceReleased(checks, FreeFormSource::kDetails);
    EXPECT_EQ(checks, (OutputDialogChecks{false, false, false, false, true, false,
                                          FreeFormSource::kDetails}));
}

TEST(OutputDialogRules, DefaultsSelectionAndPattern) {
    test::OutputFixture estimate;
    EXPECT_EQ(
        DefaultOutputChecks(estimate.document),
        (OutputDialogChecks{true, false, true, false, false, false, FreeFormSource::kSummary}));
    estimate.document.SetCheckBox1(true);
    EXPECT_TRUE(DefaultOutputChecks(estimate.document).summary);

    // List items map back to their breakdown rows; unselected ones stay out.
    const std::vector<ConstructionEntry> listed = {{2, "a"}, {5, "b"}, {300, "c"}};
    const std::array<bool, kBreakdownSlots> rows =
        SelectedConstructionRows(listed, {true, false, true});
    EXPECT_TRUE(rows[2]);
    EXPECT_FALSE(rows[5]);
    EXPECT_TRUE(rows[300]);
    EXPECT_EQ(std::count(rows.begin(), rows.end(), true), 2);

    // The estimate's pattern when the list has it.
    estimate.document.SetPatternIndex(2);
    EXPECT_EQ(InitialOutputPattern(estimate.document, 3), 2);
    EXPECT_EQ(InitialOutputPattern(estimate.document, 2), 0);
    EXPECT_EQ(PrinterInfoText(""), "【現在のﾌﾟﾘﾝﾀｰ】<>");
}

}  // namespace
}  // namespace quilto
