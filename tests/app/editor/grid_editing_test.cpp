// Typing into the editor's grids and working on their lines, by keys and buttons.

#include <QInputMethodEvent>
#include <QListWidget>
#include <QMenu>
#include <QTimer>
#include <string>
#include <vector>

#include "app/editor/editor_fixture.h"
#include "app/foundation/typed_line_edit.h"

namespace quilto {
namespace {

using test::EditorRun;
using test::Sjis;
using test::Utf8;

using GridEditing = EditorRun;

// Clicks SubMenu1 and chooses `action` from the pop-up menu it opens. Returns the named
// commands the pop-up offered.
std::vector<std::string> ChooseFromSubMenu(TFormMVell1& editor, const char* action) {
    std::vector<std::string> offered;
    bool chosen = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu || !menu->isVisible()) return;
        poll.stop();
        QAction* target = nullptr;
        for (QAction* a : menu->actions()) {
            if (!a->isVisible() || a->objectName().isEmpty()) continue;
            offered.push_back(a->objectName().toStdString());
            if (a->objectName() == QLatin1String(action)) target = a;
        }
        if (!target) {
            ADD_FAILURE() << action << " is not offered";
            menu->close();
            return;
        }
        // A click on the item, as a user chooses it (a key would act on whatever item the
        // pointer happens to rest on).
        QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(target).center());
        chosen = true;
    });
    poll.start(10);
    auto* button = editor.findChild<QToolButton*>("SubMenu1");
    if (!button || !button->isVisible()) {
        ADD_FAILURE() << "SubMenu1 does not show";
        return offered;
    }
    button->click();
    EXPECT_TRUE(chosen) << "no pop-up menu showed";
    return offered;
}

int TabOf(SheetKind sheet) {
    return sheet == SheetKind::Summary     ? kSummaryTab
           : sheet == SheetKind::Breakdown ? kBreakdownTab
                                           : kDetailTab;
}

TEST_F(GridEditing, EachColumnTakesOnlyItsCharactersAndLength) {
    Open(EntryMode::kNew);
    struct Case {
        SheetKind sheet;
        int col;
        const char* typed;
        const char* cell;
    };
    const Case cases[] = {
        {SheetKind::Breakdown, 5, "12a", "12"},
        {SheetKind::Breakdown, 5, "12345", "1234"},  // the fifth digit is refused
        {SheetKind::Breakdown, 6, "1.5", "15"},      // no "." in an amount
        {SheetKind::Summary, 5, "1.5", "1.5"},
        {SheetKind::Summary, 6, "-300", "-300"},
        {SheetKind::Detail, 6, "2.25", "2.3"},  // one quantity decimal shown
        {SheetKind::Breakdown, 3, "ああああああああああああああああああああああ",
         "ああああああああああああああああああああ"},
        {SheetKind::Breakdown, 4, "abcde", "abcd"},
    };
    int row = 1;
    for (const Case& c : cases) {
        Context().pageControl1->setCurrentIndex(TabOf(c.sheet));
        Focus(c.sheet, row, c.col);
        Type(QString::fromUtf8(c.typed));
        Key(Qt::Key_Return);
        if (c.sheet == SheetKind::Detail) Key(Qt::Key_Down);  // a move shows the row's form
        EXPECT_EQ(CellText(c.sheet, row, c.col), c.cell) << c.typed;
        ++row;
    }
}

TEST_F(GridEditing, CompositionStartsEditingAndKeepsEveryCharacter) {
    Open(EntryMode::kNew);
    Context().pageControl1->setCurrentIndex(kBreakdownTab);
    Focus(SheetKind::Breakdown, 1, 3);
    SheetGridView* grid = Grid(SheetKind::Breakdown);
    EXPECT_TRUE(grid->testAttribute(Qt::WA_InputMethodEnabled)) << "name column: on";

    QInputMethodEvent preedit(QStringLiteral("こうじ"), {});
    QApplication::sendEvent(QApplication::focusWidget(), &preedit);
    ASSERT_TRUE(grid->IsEditing()) << "composition opens the cell";
    QInputMethodEvent commit;
    commit.setCommitString(QStringLiteral("工事"));
    QApplication::sendEvent(QApplication::focusWidget(), &commit);
    QInputMethodEvent more(QStringLiteral("めい"), {});
    QApplication::sendEvent(QApplication::focusWidget(), &more);
    QInputMethodEvent commit2;
    commit2.setCommitString(QStringLiteral("名"));
    QApplication::sendEvent(QApplication::focusWidget(), &commit2);
    Key(Qt::Key_Return);
    EXPECT_EQ(CellText(SheetKind::Breakdown, 1, 3), "工事名");

    Focus(SheetKind::Breakdown, 1, 5);
    EXPECT_FALSE(grid->testAttribute(Qt::WA_InputMethodEnabled)) << "quantity column: off";
}

TEST_F(GridEditing, CharactersCp932CannotHoldAreRefusedWithAMessage) {
    Open(EntryMode::kNew);
    Context().pageControl1->setCurrentIndex(kBreakdownTab);
    Focus(SheetKind::Breakdown, 1, 3);
    Type(QStringLiteral("足場"));
    const std::size_t askedBefore = questions.History().size();
    questions.ExpectInform("「😀」は使えない文字です (工 事 名)");
    QTest::sendKeyEvent(QTest::Click, Editor().windowHandle(), Qt::Key_unknown, QStringLiteral("😀"),
                        Qt::NoModifier);
    Type(QStringLiteral("〜"));  // the wave dash a Linux input method sends is taken as ～
    Key(Qt::Key_Return);
    // The refusal is said from the event loop.
    EXPECT_TRUE(QTest::qWaitFor([&] { return questions.History().size() > askedBefore; }));
    EXPECT_EQ(CellText(SheetKind::Breakdown, 1, 3), "足場～");
}

TEST_F(GridEditing, LineOperationsRefuseWhatCannotApply) {
    Open(EntryMode::kNew);
    TextGrid& breakdown = Document().Grid(SheetKind::Breakdown);
    breakdown.SetCell(300, 3, "last");
    breakdown.SetCell(5, 3, "five");
    Context().pageControl1->setCurrentIndex(kBreakdownTab);
    Focus(SheetKind::Breakdown, 5, 3);
    Key(Qt::Key_Insert, Qt::ControlModifier);
    EXPECT_EQ(CellText(SheetKind::Breakdown, 5, 3), "five") << "full grid: nothing moves";
    breakdown.SetCell(300, 3, "");
    Key(Qt::Key_Insert, Qt::ControlModifier);
    EXPECT_EQ(CellText(SheetKind::Breakdown, 6, 3), "five");
    EXPECT_EQ(CellText(SheetKind::Breakdown, 5, 3), "");

    // Copy in the summary, paste refused in the breakdown.
    Context().pageControl1->setCurrentIndex(kSummaryTab);
    Document().Grid(SheetKind::Summary).SetCell(1, 3, "copied");
    Focus(SheetKind::Summary, 1, 3);
    Key(Qt::Key_F1, Qt::ControlModifier);
    Key(Qt::Key_Down);
    Key(Qt::Key_F2, Qt::ControlModifier);
    EXPECT_EQ(CellText(SheetKind::Summary, 2, 3), "copied");
    // Duplicate on row 1 only moves the cursor.
    Key(Qt::Key_Home, Qt::ControlModifier);
    Key(Qt::Key_F3, Qt::ControlModifier);
    EXPECT_EQ(Grid(SheetKind::Summary)->CurrentGridRow(), 2);
    EXPECT_EQ(CellText(SheetKind::Summary, 1, 3), "copied");
    Trigger("LCopy");
    Context().pageControl1->setCurrentIndex(kBreakdownTab);
    Focus(SheetKind::Breakdown, 1, 3);
    Trigger("LPast");
    EXPECT_EQ(CellText(SheetKind::Breakdown, 1, 3), "") << "the clipboard is emptied on a tab";
    Focus(SheetKind::Breakdown, 2, 3);
    Key(Qt::Key_F1, Qt::ControlModifier);
    Key(Qt::Key_Down);
    Key(Qt::Key_F2, Qt::ControlModifier);
    EXPECT_EQ(CellText(SheetKind::Breakdown, 3, 3), "") << "no paste into the breakdown";

    // Hiding the remarks twice puts two prefixes in front.
    breakdown.SetCell(4, 8, "abc");
    Focus(SheetKind::Breakdown, 4, 8);
    QTest::mouseClick(Grid(SheetKind::Breakdown)->viewport(), Qt::LeftButton, {},
                      Grid(SheetKind::Breakdown)->CellRect(4, 8).center());
    Click("MXBtn");
    Click("MXBtn");
    EXPECT_EQ(CellText(SheetKind::Breakdown, 4, 8), "////abc");
}

TEST_F(GridEditing, TheSubMenuOffersItsGridsMultiplierAndUndoesIt) {
    using Names = std::vector<std::string>;
    Open(EntryMode::kNew);
    TextGrid& summary = Document().Grid(SheetKind::Summary);
    summary.SetCell(1, 3, "walls");
    summary.SetCell(1, 5, "2");
    summary.SetCell(1, 6, "1000");
    Context().pageControl1->setCurrentIndex(kSummaryTab);
    Focus(SheetKind::Summary, 1, 3);

    questions.ExpectText("掛率を入力して下さい。(1-200%)", "110")
        .ExpectOkCancel("単価掛率計算を行います。( 掛率: 110% )", true);
    EXPECT_EQ(ChooseFromSubMenu(Editor(), "KakeSet_s"),
              (Names{"LCopy", "LPast", "LDup", "KakeSet_s", "KakeRet_s"}));
    EXPECT_EQ(CellText(SheetKind::Summary, 1, 6), "1,100");
    EXPECT_EQ(CellText(SheetKind::Summary, 1, 7), "2,200");

    // The pop-up took the keyboard for a moment; the grid did not count that as leaving it,
    // so the undo is still there.
    questions.ExpectOkCancel("単価処理を元に戻します。", true);
    ChooseFromSubMenu(Editor(), "KakeRet_s");
    EXPECT_EQ(CellText(SheetKind::Summary, 1, 6), "1,000");
    EXPECT_EQ(CellText(SheetKind::Summary, 1, 7), "2,000");

    Context().pageControl1->setCurrentIndex(kBreakdownTab);
    Focus(SheetKind::Breakdown, 1, 3);
    questions.ExpectInform("単価処理はされてません。");
    EXPECT_EQ(ChooseFromSubMenu(Editor(), "KakeRet"), (Names{"KakeSet", "KakeRet"}));
}

TEST_F(GridEditing, PageMarkersStatusAndTheSheetOfASpecialLine) {
    Open(EntryMode::kNew);
    const TextGrid& summary = Document().Grid(SheetKind::Summary);
    EXPECT_EQ(summary.Cell(1, 0), "   1*");
    EXPECT_EQ(summary.Cell(20, 0), "  20 ");
    EXPECT_EQ(summary.Cell(21, 0), "  21*");
    EXPECT_EQ(Document().Grid(SheetKind::Breakdown).Cell(41, 0), " 41*");
    Context().pageControl1->setCurrentIndex(kSummaryTab);
    EXPECT_EQ(Context().statusPanels[0]->text(), "総括書 ( 1行 1頁 /使用行数=0行 /max=1000行)");
    Context().pageControl1->setCurrentIndex(kBreakdownTab);
    Focus(SheetKind::Breakdown, 45, 3);
    Key(Qt::Key_Down);
    Key(Qt::Key_Up);
    EXPECT_EQ(Context().statusPanels[1]->text(), "内訳書 ( 45行 3頁 /使用行数=0行 /max=300行)");

    // A subtotal line owns no detail sheet.
    Focus(SheetKind::Breakdown, 1, 2);
    Click("SB_Syokei");
    Focus(SheetKind::Breakdown, 1, 2);
    Key(Qt::Key_F12);
    EXPECT_EQ(Editor().findChild<QLabel*>("VWName1")->text(), "* 編集不可データ *");
    EXPECT_FALSE(Grid(SheetKind::Detail)->isEnabled());
    EXPECT_EQ(Grid(SheetKind::Detail)->palette().color(QPalette::Base), QColor(192, 192, 192));
}

// The breakdown's amount and cost come from the detail sheet: the arrow keys step over
// them and a click on one lands on the remarks; the detail's last visible column stays put.
TEST_F(GridEditing, TheCursorPassesOverTheColumnsASheetWorksOut) {
    Open(EntryMode::kNew);
    Context().pageControl1->setCurrentIndex(kBreakdownTab);
    SheetGridView* grid = Grid(SheetKind::Breakdown);
    Focus(SheetKind::Breakdown, 1, 5);
    Key(Qt::Key_Right);
    EXPECT_EQ(grid->CurrentCol(), 8);
    Key(Qt::Key_Left);
    EXPECT_EQ(grid->CurrentCol(), 5);
    Key(Qt::Key_Left);
    EXPECT_EQ(grid->CurrentCol(), 4) << "an ordinary column is the grid's own move";
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->CellRect(3, 6).center());
    EXPECT_EQ(grid->CurrentGridRow(), 3);
    EXPECT_EQ(grid->CurrentCol(), 8);

    // On the detail sheet Right from the remarks passes the hidden labour columns to the
    // cost class, the last visible column, where it stays.
    Context().pageControl1->setCurrentIndex(kDetailTab);
    Focus(SheetKind::Detail, 1, 11);
    Key(Qt::Key_Right);
    EXPECT_EQ(Grid(SheetKind::Detail)->CurrentCol(), 14);
    Key(Qt::Key_Right);
    EXPECT_EQ(Grid(SheetKind::Detail)->CurrentCol(), 14);
}

TEST_F(GridEditing, DetailSheetsFollowTheirLineAndTypedAmountsStayWhenTheirEmptySheetIsStored) {
    Open(EntryMode::kNew);
    TextGrid& breakdown = Document().Grid(SheetKind::Breakdown);
    breakdown.SetCell(2, 3, Sjis("手入力"));
    breakdown.SetCell(2, 6, "5000");
    Context().pageControl1->setCurrentIndex(kBreakdownTab);
    Focus(SheetKind::Breakdown, 1, 3);
    Key(Qt::Key_F12);
    ASSERT_EQ(Context().VisibleTab(), kDetailTab);
    for (const char* cell : {"", "pipe", "", "m", "2", "300", "", "", ""})
        Cell(QString::fromUtf8(cell));
    Key(Qt::Key_F12);  // summary: the sheet is stored
    EXPECT_EQ(CellText(SheetKind::Breakdown, 1, 2), "(未)") << "details without a name";
    EXPECT_EQ(CellText(SheetKind::Breakdown, 1, 6), "600");
    EXPECT_EQ(CellText(SheetKind::Breakdown, 2, 6), "5,000") << "typed amount stands";

    // UpDown1 steps to line 2: its empty sheet is stored on leaving, and the amount typed on
    // the line stays (an empty sheet never replaces it).
    Key(Qt::Key_F12);
    Focus(SheetKind::Breakdown, 1, 3);
    Key(Qt::Key_F12);
    Editor().findChild<QToolButton*>("UpDown1Down")->click();
    EXPECT_EQ(Grid(SheetKind::Breakdown)->CurrentGridRow(), 2);
    EXPECT_EQ(Editor().findChild<QLabel*>("VWGno")->text(), "2行");
    EXPECT_EQ(Editor().findChild<QLabel*>("VWName1")->text(), "手入力");
    Key(Qt::Key_F11);
    EXPECT_EQ(CellText(SheetKind::Breakdown, 2, 6), "5,000") << "the typed amount stays";
    EXPECT_EQ(CellText(SheetKind::Breakdown, 1, 6), "600");

    // Insert above line 1: its details move down with it.
    Context().pageControl1->setCurrentIndex(kBreakdownTab);
    Focus(SheetKind::Breakdown, 1, 3);
    Click("SB_Ins");
    EXPECT_EQ(Document().Stores().details.Line(2, 1).Name(), "pipe");
    EXPECT_EQ(CellText(SheetKind::Breakdown, 2, 6), "600");
}

TEST_F(GridEditing, EnterOnADetailDiscountLineAsksForTheAmountAgain) {
    Open(EntryMode::kNew);
    Context().pageControl1->setCurrentIndex(kBreakdownTab);
    Document().Grid(SheetKind::Breakdown).SetCell(1, 3, "work");
    Focus(SheetKind::Breakdown, 1, 3);
    Key(Qt::Key_F12);
    Focus(SheetKind::Detail, 1, 3);
    Cell(QStringLiteral("pipe"));
    Focus(SheetKind::Detail, 2, 2);
    questions.ExpectText("値引額を入力してください。", "12a", "値引入力")
        .ExpectInform("数字ではありません ！！")
        .ExpectText("値引額を入力してください。", "300", "値引入力");
    Trigger("Grid_Nebiki");
    EXPECT_EQ(CellText(SheetKind::Detail, 2, 8), "300");
    Focus(SheetKind::Detail, 2, 3);
    questions.ExpectText("値引額を入力してください。", "500", "値引入力");
    Key(Qt::Key_Return);
    questions.Done();
    EXPECT_EQ(CellText(SheetKind::Detail, 2, 8), "500");

    // In the breakdown Enter only moves; the button reopens the dialog.
    Key(Qt::Key_F12);
    Key(Qt::Key_F12);
    Focus(SheetKind::Breakdown, 2, 2);
    questions.ExpectText("値引額を入力してください。", std::nullopt, "値引入力");
    Click("SB_Nebiki");
    Focus(SheetKind::Breakdown, 2, 3);
    Key(Qt::Key_Return);
    EXPECT_EQ(Grid(SheetKind::Breakdown)->CurrentCol(), 4);
}

TEST_F(GridEditing, UnitListFillsTheUnitAndKeepsTheDetailSheetAndCursor) {
    Open(EntryMode::kNew);
    Context().pageControl1->setCurrentIndex(kBreakdownTab);
    Document().Grid(SheetKind::Breakdown).SetCell(1, 3, "work");
    Focus(SheetKind::Breakdown, 1, 3);
    Key(Qt::Key_F12);
    Focus(SheetKind::Detail, 1, 3);
    for (const char* cell : {"pipe", "", "", "2", "300"}) Cell(QString::fromUtf8(cell));
    Focus(SheetKind::Detail, 1, 5);
    Key(Qt::Key_F4);
    auto* list = Editor().findChild<QListWidget*>("LBUnit");
    ASSERT_TRUE(list->isVisible());
    EXPECT_EQ(list->count(), 8);
    EXPECT_TRUE(list->selectedItems().isEmpty());
    list->setCurrentRow(6);  // ㎡
    QTest::keyClick(list, Qt::Key_Return);
    EXPECT_FALSE(list->isVisible());
    EXPECT_EQ(CellText(SheetKind::Detail, 1, 5), "㎡");
    EXPECT_EQ(CellText(SheetKind::Detail, 1, 3), "pipe");
    EXPECT_EQ(CellText(SheetKind::Detail, 1, 8), "600");
    EXPECT_EQ(Grid(SheetKind::Detail)->CurrentGridRow(), 1);
    EXPECT_EQ(Grid(SheetKind::Detail)->CurrentCol(), 5);
    EXPECT_EQ(Utf8(Document().Stores().details.Line(1, 1).Unit()), "㎡");

    // A product code the master does not know empties code and name.
    Focus(SheetKind::Detail, 1, 3);
    Editor().FillProduct("001", "999999");
    EXPECT_EQ(CellText(SheetKind::Detail, 1, 1), "");
    EXPECT_EQ(CellText(SheetKind::Detail, 1, 3), "");
}

}  // namespace
}  // namespace quilto
