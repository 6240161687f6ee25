// The welfare-line command of the editor takes its rate from 環境設定 (quilto.conf) and
// asks only when none is set.

#include "app/editor/editor_fixture.h"
#include "core/store/own_settings.h"

namespace quilto {
namespace {

using test::ReadAll;
using test::Sjis;
using test::WriteAll;

class WelfareLineCommand : public test::EditorRun {
  protected:
    // A detail sheet on screen with 10 units at a labour unit price of 1,000: 10,000 labour.
    void OpenSheetWithLabour() {
        Open(EntryMode::kNew);
        Document().Grid(SheetKind::Breakdown).SetCell(1, 3, Sjis("内装工事"));
        Context().pageControl1->setCurrentIndex(kBreakdownTab);
        Focus(SheetKind::Breakdown, 1, 3);
        Key(Qt::Key_F12);
        ASSERT_EQ(Context().VisibleTab(), kDetailTab);
        TextGrid& detail = Document().Grid(SheetKind::Detail);
        detail.SetCell(1, 3, Sjis("クロス貼り"));
        detail.SetCell(1, 6, "10");
        detail.SetCell(1, 7, "2500");
        detail.SetCell(1, 12, "1000");
    }
};

TEST_F(WelfareLineCommand, UsesTheStoredRateAndAsksOnlyWhenNoneIsSet) {
    WriteAll(OwnSettingsPath(), "welfare_rate=15.6\n");
    OpenSheetWithLabour();
    Trigger("Welfare1");  // no question: the scripted questions fail on any
    EXPECT_EQ(CellText(SheetKind::Detail, 2, 8), "1,560");

    // Cleared in the settings: the command asks, and keeps the answer there.
    WriteAll(OwnSettingsPath(), "");
    questions.ExpectText("法定福利費率（労務費に対する％）を入力してください。", "16");
    Trigger("Welfare1");
    questions.Done();
    EXPECT_EQ(CellText(SheetKind::Detail, 2, 8), "1,600");  // the same line, updated
    EXPECT_EQ(CellText(SheetKind::Detail, 3, 3), "");
    EXPECT_EQ(ReadAll(OwnSettingsPath()), "welfare_rate=16\n");
}

}  // namespace
}  // namespace quilto
