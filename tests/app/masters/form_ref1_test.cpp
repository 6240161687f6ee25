#include "app/masters/form_ref1.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <map>
#include <memory>
#include <utility>

#include "app/masters/masters_fixture.h"

namespace quilto {
namespace {

using test::Child;
using test::Sjis;
using test::Utf8;

// The editor as the guide sees it: one grid of rows × cells, and a record of the calls.
class FakeEditor : public GuideTarget {
  public:
    std::optional<SheetKind> sheet = SheetKind::Breakdown;
    int row = 1;
    std::map<std::pair<int, int>, std::string> cells;  // (row, column) -> CP932
    std::vector<SheetKind> written;                    // the sheet of every SetCell
    std::vector<std::string> fills;                    // "category/code" per product fill
    int moves = 0;
    int focused = 0;
    int closed = 0;

    std::string At(int atRow, int column) const {
        const auto found = cells.find({atRow, column});
        return found == cells.end() ? std::string() : found->second;
    }
    std::optional<SheetKind> FocusedSheet() const override { return sheet; }
    int CurrentRow(SheetKind) const override { return row; }
    std::string Cell(SheetKind, int atRow, int column) const override { return At(atRow, column); }
    void SetCell(SheetKind of, int atRow, int column, const std::string& text) override {
        written.push_back(of);
        cells[{atRow, column}] = text;
    }
    void FillProduct(const std::string& category, const std::string& code) override {
        fills.push_back(category + "/" + code);
        cells[{row, 3}] = "filled";
    }
    void MoveCurrentRowDown(SheetKind) override {
        ++moves;
        ++row;
    }
    void FocusActiveGrid() override { ++focused; }
    void GuideClosed() override { ++closed; }
};

class Guide : public test::MastersRun {
  protected:
    void SetUp() override {
        MasterLists lists;
        PutConstructionName(lists, "001", Sjis("基礎工事"));
        PutConstructionName(lists, "002", Sjis("内装工事"));
        for (const auto& [construction, code, name] :
             {std::tuple{"001", "000001", "生コン"}, std::tuple{"002", "000001", "石膏ボード"},
              std::tuple{"001", "000002", "型枠"}, std::tuple{"001", "000003", "鉄筋"}}) {
            lists.products.push_back(
                BuildProductLine({construction, code, Sjis(name), "", "", "", "", ""}));
        }
        WriteMasters(lists);
        guide = std::make_unique<TFormRef1>(state);
        guide->SetTarget(&editor);
    }
    QWidget* W() { return guide.get(); }
    void PressInList(Qt::Key key) { QTest::keyClick(Child<QWidget>(W(), "ListBox1"), key); }

    FakeEditor editor;
    std::unique_ptr<TFormRef1> guide;
};

TEST_F(Guide, ConstructionNamesGoIntoAnEmptyLineOfTheFocusedGridAndTheCursorMovesDown) {
    editor.sheet = SheetKind::Summary;
    guide->ShowConstructionGuide(Sjis("検索 ( 工事選択 )"), Sjis("工事選択"));
    EXPECT_EQ(guide->windowTitle(), "検索 ( 工事選択 )");
    EXPECT_EQ(Child<QLabel>(W(), "Panel2")->text(), "工事選択");
    EXPECT_TRUE(guide->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_FALSE(guide->ProductMode());
    EXPECT_FALSE(Child<QWidget>(W(), "KojiListBox")->isVisible());
    EXPECT_FALSE(Child<QWidget>(W(), "ChkJyun")->isVisible());
    EXPECT_EQ(Child<QHeaderView>(W(), "HeaderControl1")->count(), 1);
    EXPECT_EQ(Items(W(), "ListBox1").size(), 2u);

    ClickRow(W(), "ListBox1", 1);
    EXPECT_EQ(editor.At(1, 1), "002");
    EXPECT_EQ(Utf8(editor.At(1, 3)), "内装工事");
    EXPECT_EQ(editor.At(1, 5), "1");
    EXPECT_EQ(Utf8(editor.At(1, 4)), "式");
    EXPECT_EQ(editor.written, std::vector<SheetKind>(4, SheetKind::Summary));
    EXPECT_EQ(editor.moves, 1);

    // A line that already has a name is left alone and the cursor stays.
    editor.cells[{2, 3}] = "x";
    ClickRow(W(), "ListBox1", 0);
    EXPECT_EQ(editor.At(2, 1), "");
    EXPECT_EQ(editor.moves, 1);

    // Enter chooses too.
    editor.row = 8;
    PressInList(Qt::Key_Return);
    EXPECT_EQ(editor.At(8, 1), "001");
    EXPECT_EQ(editor.moves, 2);

    PressInList(Qt::Key_Escape);
    EXPECT_FALSE(guide->isVisible());
    EXPECT_EQ(editor.closed, 1);
    EXPECT_EQ(editor.focused, 1);
}

TEST_F(Guide, ProductsOfTheCodeAreFilledInByCodeWhateverTheOrderShown) {
    editor.sheet = SheetKind::Detail;
    guide->ShowProductGuide(Sjis("検索 ( 商品選択 )"), Sjis("商品選択"), "001");
    EXPECT_EQ(guide->windowTitle(), "検索 ( 商品選択 )");
    EXPECT_EQ(Child<QLabel>(W(), "Panel2")->text(), "商品選択");
    EXPECT_EQ(Child<QLabel>(W(), "KojiPanel")->text(), "工事名");
    EXPECT_TRUE(guide->ProductMode());
    EXPECT_TRUE(Child<QWidget>(W(), "ChkJyun")->isVisible());
    EXPECT_EQ(Child<QComboBox>(W(), "KojiListBox")->currentText(), "基礎工事");
    EXPECT_EQ(Child<QHeaderView>(W(), "HeaderControl1")->count(), 2);
    const std::vector<std::string> byCode = Items(W(), "ListBox1");
    ASSERT_EQ(byCode.size(), 3u);
    EXPECT_EQ(byCode[0].substr(byCode[0].size() - 6), "000001");

    // By name: 型 (0x8C5E) before 生 (0x90B6) before 鉄 (0x9353); the code still decides.
    QTest::mouseClick(Child<QCheckBox>(W(), "ChkJyun"), Qt::LeftButton);
    ClickRow(W(), "ListBox1", 0);
    EXPECT_EQ(editor.fills, std::vector<std::string>{"001/000002"});
    EXPECT_EQ(editor.moves, 1);
    // A detail line with a name already: nothing happens.
    editor.cells[{2, 3}] = "x";
    ClickRow(W(), "ListBox1", 1);
    EXPECT_EQ(editor.fills.size(), 1u);
    EXPECT_EQ(editor.moves, 1);

    // Another construction name from the drop-down lists its products.
    auto* koji = Child<QComboBox>(W(), "KojiListBox");
    koji->setFocus();
    koji->setCurrentIndex(1);
    QTest::keyClick(koji, Qt::Key_Return);
    EXPECT_EQ(guide->ConstructionCode(), "002");
    EXPECT_EQ(Items(W(), "ListBox1").size(), 1u);
    EXPECT_EQ(guide->focusWidget(), Child<QWidget>(W(), "ListBox1"));

    Child<QPushButton>(W(), "Button1")->click();
    EXPECT_FALSE(guide->isVisible());
    EXPECT_EQ(guide->ConstructionCode(), "");
    EXPECT_EQ(editor.closed, 1);

    // With no construction code the product list is empty.
    guide->ShowProductGuide({}, {}, "");
    EXPECT_TRUE(Items(W(), "ListBox1").empty());
}

// By keyboard the line the cursor is on is the one chosen: Enter at once takes the first
// product, and the first Down goes to the second, never past it.
TEST_F(Guide, TheCurrentLineIsTheChosenLineByKeyboard) {
    editor.sheet = SheetKind::Detail;
    guide->ShowProductGuide({}, {}, "001");
    PressInList(Qt::Key_Return);
    PressInList(Qt::Key_Down);
    PressInList(Qt::Key_Return);
    EXPECT_EQ(editor.fills, (std::vector<std::string>{"001/000001", "001/000002"}));

    // Another construction's list starts at its own first line.
    PressInList(Qt::Key_Escape);
    guide->ShowProductGuide({}, {}, "002");
    PressInList(Qt::Key_Return);
    EXPECT_EQ(editor.fills.back(), "002/000001");
}

TEST_F(Guide, NameRegistrationHidesTheGuideAndSetsItUpAgainAfterwards) {
    editor.sheet = SheetKind::Detail;
    bool hiddenMeanwhile = false;
    guide->SetRegistrationOpener([&] {
        hiddenMeanwhile = !guide->isVisible();
        MasterLists lists;
        LoadMasterLists(lists, state.environment);
        lists.products.push_back(BuildProductLine({"001", "000004", "new", "", "", "", "", ""}));
        EXPECT_EQ(WriteProducts(lists, state.environment), MasterFileResult::kOk);
    });
    guide->ShowProductGuide({}, {}, "001");
    EXPECT_EQ(Items(W(), "ListBox1").size(), 3u);
    Child<QPushButton>(W(), "Button2")->click();
    EXPECT_TRUE(hiddenMeanwhile);
    EXPECT_TRUE(guide->isVisible());
    EXPECT_EQ(Items(W(), "ListBox1").size(), 4u);
    EXPECT_EQ(editor.closed, 0);
}

}  // namespace
}  // namespace quilto
