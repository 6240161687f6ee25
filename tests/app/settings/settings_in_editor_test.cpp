// The settings dialog opened from the estimate editor: what it changes applies to the open
// estimate as soon as the dialog closes.

#include <QComboBox>
#include <QLineEdit>

#include "app/editor/editor_fixture.h"

namespace quilto {
namespace {

using test::Child;
using test::EditorRun;
using test::ModalDriver;
using test::PressKey;

using SettingsInEditor = EditorRun;

TEST_F(SettingsInEditor, ATaxRoundingChangedFromTheEditorRecalculatesTheBreakdownAtOnce) {
    Open(EntryMode::kNew);
    Key(Qt::Key_F12);
    Key(Qt::Key_F12);
    ASSERT_EQ(Context().VisibleTab(), kBreakdownTab);
    for (const char* cell : {"1", "内装", "式", "1", "700001", "", ""}) {
        Cell(QString::fromUtf8(cell));
    }
    Click("SB_Syokei");
    Click("SB_Nakakei");
    Click("SB_Zei");
    Click("SB_Goukei");
    EXPECT_EQ(CellText(SheetKind::Breakdown, 4, 6), "70,000");  // 70,000.1 rounded half up
    EXPECT_EQ(CellText(SheetKind::Breakdown, 5, 6), "770,001");

    // Ctrl+Shift+F1: the settings dialog over the editor; the tax is now rounded up.
    QString opened;
    {
        ModalDriver driver([&](QWidget* dialog) {
            opened = dialog->objectName();
            PressKey(Qt::Key_F12);
            auto* hasu = Child<QComboBox>(dialog, "Hasu");
            hasu->setFocus(Qt::MouseFocusReason);
            hasu->setCurrentIndex(2);  // " 2 切上げ" from the list
            PressKey(Qt::Key_Escape);
        });
        Key(Qt::Key_F1, Qt::ControlModifier | Qt::ShiftModifier);
    }
    EXPECT_EQ(opened, "FormMConf");
    EXPECT_EQ(State().environment.TaxRounding(), 2);
    EXPECT_EQ(CellText(SheetKind::Breakdown, 4, 6), "70,001");
    EXPECT_EQ(CellText(SheetKind::Breakdown, 5, 6), "770,002");
    EXPECT_TRUE(Editor().isVisible());
}

}  // namespace
}  // namespace quilto
