// The lookup guide and the name registration reached from the estimate editor.

#include <QPushButton>

#include "app/editor/editor_fixture.h"
#include "app/masters/form_msyo.h"
#include "app/masters/form_ref1.h"
#include "app/masters/master_list_view.h"
#include "core/masters/master_files.h"

namespace quilto {
namespace {

using test::Child;
using test::ModalDriver;
using test::Sjis;

class GuideInEditor : public test::EditorRun {
  protected:
    void WriteMasters() {
        MasterLists lists;
        PutConstructionName(lists, "001", Sjis("基礎工事"));
        PutConstructionName(lists, "002", Sjis("内装工事"));
        PutProduct(lists, {"002", "000001", Sjis("石膏ボード"), Sjis("9.5mm"), Sjis("枚"), "420",
                           "680", ""});
        PutProduct(lists, {"002", "000002", Sjis("クロス"), "SP-2001", Sjis("㎡"), "380", "900",
                           Sjis("量産品")});
        ASSERT_EQ(WriteConstructionNames(lists, State().environment), MasterFileResult::kOk);
        ASSERT_EQ(WriteProducts(lists, State().environment), MasterFileResult::kOk);
    }
    TFormRef1& Guide() { return program->FormRef1(); }
    // The user's next key goes to the editor again (the guide took the activation).
    void BackToEditor() {
        Editor().activateWindow();
        ASSERT_TRUE(QTest::qWaitFor([this] { return QApplication::activeWindow() == &Editor(); }));
    }
    void ChooseInGuide(int row) {
        auto* list = Child<MasterListView>(&Guide(), "ListBox1");
        ASSERT_LT(row, list->Count());
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualRect(list->model()->index(row, 0)).center());
    }
};

TEST_F(GuideInEditor, F4ShowsTheGuideForTheFocusedGridAndChoicesFillItsLines) {
    WriteMasters();
    Open(EntryMode::kNew);
    Key(Qt::Key_F12);
    Key(Qt::Key_F12);
    ASSERT_EQ(Context().VisibleTab(), kBreakdownTab);
    Focus(SheetKind::Breakdown, 1, 3);

    Key(Qt::Key_F4);
    ASSERT_TRUE(Guide().isVisible());
    EXPECT_FALSE(Guide().ProductMode());
    EXPECT_EQ(Guide().windowTitle(), "検索 ( 工事選択 )");
    ChooseInGuide(1);
    EXPECT_EQ(CellText(SheetKind::Breakdown, 1, 1), "002");
    EXPECT_EQ(CellText(SheetKind::Breakdown, 1, 3), "内装工事");
    EXPECT_EQ(CellText(SheetKind::Breakdown, 1, 4), "式");
    EXPECT_EQ(CellText(SheetKind::Breakdown, 1, 5), "1");
    EXPECT_EQ(Grid(SheetKind::Breakdown)->CurrentGridRow(), 2);

    // The guide key again hides it.
    BackToEditor();
    Key(Qt::Key_F4);
    EXPECT_FALSE(Guide().isVisible());

    // The detail sheet of line 1 offers the products of its construction code, 002.
    BackToEditor();
    Focus(SheetKind::Breakdown, 1, 3);
    Key(Qt::Key_F12);
    ASSERT_EQ(Context().VisibleTab(), kDetailTab);
    Focus(SheetKind::Detail, 1, 3);
    Click("MeisyoBtn1");
    ASSERT_TRUE(Guide().isVisible());
    EXPECT_TRUE(Guide().ProductMode());
    EXPECT_EQ(Guide().ConstructionCode(), "002");
    ChooseInGuide(1);
    EXPECT_EQ(CellText(SheetKind::Detail, 1, 1), "000002");
    EXPECT_EQ(CellText(SheetKind::Detail, 1, 3), "クロス");
    EXPECT_EQ(CellText(SheetKind::Detail, 1, 5), "㎡");
    EXPECT_EQ(Grid(SheetKind::Detail)->CurrentGridRow(), 2);

    // Closing the guide gives the editor back its grid.
    Child<QPushButton>(&Guide(), "Button1")->click();
    EXPECT_FALSE(Guide().isVisible());
    EXPECT_EQ(Context().guideOpener, GuideOpener::kNone);
}

TEST_F(GuideInEditor, TheProductRegistrationCommandOpensTheNameRegistration) {
    Open(EntryMode::kNew);
    bool shown = false;
    {
        ModalDriver driver([&](QWidget* modal) {
            shown = modal->objectName() == "FormMSyo";
            Child<QPushButton>(modal, "Button1")->click();
        });
        Trigger("SSyo1");
    }
    EXPECT_TRUE(shown);
}

}  // namespace
}  // namespace quilto
