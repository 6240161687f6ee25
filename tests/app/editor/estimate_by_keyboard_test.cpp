// A whole estimate typed by keyboard in the editor, saved, and found again as typed.

#include <QFile>
#include <nlohmann/json.hpp>

#include "app/editor/editor_fixture.h"
#include "core/editor/line_kind.h"
#include "support/cli_runner.h"

namespace quilto {
namespace {

using test::Child;
using test::EditorRun;
using test::ModalDriver;

using EstimateByKeyboard = EditorRun;

class TypedEstimate : public EditorRun {
  protected:
    void TypeAll() {
        // Cover: MName1 has the focus; Enter moves on field by field.
        Type(QStringLiteral("山田工務店"));
        Key(Qt::Key_Return);
        Type(QStringLiteral("外壁塗装工事"));
        Key(Qt::Key_Return);
        Type(QStringLiteral("東京都港区"));
        Key(Qt::Key_Return);

        Key(Qt::Key_F12);  // the summary
        ASSERT_EQ(Context().VisibleTab(), kSummaryTab);
        for (const char* cell : {"1", "仮設工事", "式", "1", "150000", "", "100000", "", ""})
            Cell(QString::fromUtf8(cell));
        ASSERT_EQ(Grid(SheetKind::Summary)->CurrentGridRow(), 2);

        Key(Qt::Key_F12);  // the breakdown
        ASSERT_EQ(Context().VisibleTab(), kBreakdownTab);
        for (const char* cell : {"1", "足場", "式", "1", "", "", "北面のみ"})
            Cell(QString::fromUtf8(cell));
        for (const char* cell : {"2", "内装", "式", "1", "500000", "300000", ""})
            Cell(QString::fromUtf8(cell));
        ASSERT_EQ(Grid(SheetKind::Breakdown)->CurrentGridRow(), 3);
        Click("SB_Syokei");
        questions.ExpectText("値引額を入力してください。", "10000", "値引入力");
        Click("SB_Nebiki");
        Click("SB_Nakakei");
        Click("SB_Zei");
        Click("SB_Goukei");
        ASSERT_EQ(Grid(SheetKind::Breakdown)->CurrentGridRow(), 8);

        // The detail sheet of line 1.
        Key(Qt::Key_Home, Qt::ControlModifier);
        Key(Qt::Key_F12);
        ASSERT_EQ(Context().VisibleTab(), kDetailTab);
        for (const char* cell : {"", "単管足場", "H=10m", "㎡", "150", "1200", "", "800", ""})
            Cell(QString::fromUtf8(cell));
        for (const char* cell : {"", "運搬費", "", "式", "1", "30000", "", "", ""})
            Cell(QString::fromUtf8(cell));
        Key(Qt::Key_F12);  // stores the sheet: its totals become line 1's
        Key(Qt::Key_F12);
        ASSERT_EQ(Context().VisibleTab(), kBreakdownTab);
    }

    void ExpectEstimate() {
        EXPECT_EQ(test::Utf8(Document().Text(HeaderText::MName1)), "山田工務店");
        EXPECT_EQ(test::Utf8(Document().Text(HeaderText::MTitle1)), "外壁塗装工事");
        EXPECT_EQ(test::Utf8(Document().Text(HeaderText::MBasyo1)), "東京都港区");
        EXPECT_EQ(CellText(SheetKind::Summary, 1, 3), "仮設工事");
        EXPECT_EQ(CellText(SheetKind::Summary, 1, 7), "150,000");
        EXPECT_EQ(CellText(SheetKind::Summary, 1, 9), "100,000");
        const std::vector<std::vector<std::string>> breakdown = {
            {"", "1", "足場", "式", "1", "210,000", "120,000", "北面のみ"},
            {"", "2", "内装", "式", "1", "500,000", "300,000", ""},
            {"=", "", "－  小  計  －", "", "", "710,000", "420,000", ""},
            {"-", "", "－  値  引  －", "", "", "10,000", "", ""},
            {"/", "", "－    計    －", "", "", "700,000", "420,000", ""},
            {"%", "", "－  消費税  －", "", "", "70,000", "", ""},
            {"\\", "", "－  合  計  －", "", "", "770,000", "", ""},
        };
        for (std::size_t r = 0; r < breakdown.size(); ++r) {
            for (std::size_t c = 0; c < breakdown[r].size(); ++c) {
                EXPECT_EQ(CellText(SheetKind::Breakdown, int(r) + 1, int(c) + 1), breakdown[r][c])
                    << "row " << r + 1 << " col " << c + 1;
            }
        }
        EXPECT_EQ(Figure("MGoukei01"), "770,000");
        EXPECT_EQ(Figure("MGoukei11"), "700,000");
        EXPECT_EQ(Figure("MGoukei12"), "420,000");
        EXPECT_EQ(Figure("MGoukei13"), "280,000");
        EXPECT_EQ(Figure("HGoukei01"), "770,000");
    }
};

TEST_F(TypedEstimate, IsSavedClosedAndFoundAgainAsTyped) {
    Open(EntryMode::kNew);
    TypeAll();
    ExpectEstimate();

    // Shift+Esc asks; "保存戻る" saves (the backup first) and closes.
    questions.ExpectButtons("見積作成を終了してメニューに戻ります。", 1);
    Key(Qt::Key_Escape, Qt::ShiftModifier);
    questions.Done();
    EXPECT_FALSE(Editor().isVisible());
    ASSERT_TRUE(QFile::exists("DAT/m_000001.dat"));
    ASSERT_TRUE(QFile::exists("m_BackUp.dat"));
    EXPECT_EQ(test::ReadAll("DAT/m_000001.dat").substr(1392),
              test::ReadAll("m_BackUp.dat").substr(1392));

    // What the file holds, as the command-line tool reads it.
    const test::CliRun shown = test::RunCli({"show", "000001", "--json"});
    ASSERT_EQ(shown.exitCode, 0) << shown.err;
    const nlohmann::json file = nlohmann::json::parse(shown.out);
    EXPECT_EQ(file["header"]["MName1"], "山田工務店");
    EXPECT_EQ(file["header"]["MGoukei01"], "770000");
    EXPECT_EQ(file["header"]["MGoukei11"], "700000");
    ASSERT_EQ(file["breakdown"].size(), 7u);
    EXPECT_EQ(file["breakdown"][0]["amount"], "210000");
    EXPECT_EQ(file["breakdown"][0]["detailCount"], 2);
    EXPECT_EQ(file["breakdown"][0]["details"][0]["unit"], "㎡");
    EXPECT_EQ(file["breakdown"][0]["details"][0]["amount"], "180000");
    EXPECT_EQ(file["breakdown"][1]["amount"], "500000") << "typed on a line without details";
    EXPECT_EQ(file["summary"][0]["amount"], "150000");

    // Opened again for change: every cell and figure as before.
    Open(EntryMode::kCallUp, "000001");
    EXPECT_EQ(test::Utf8(Document().Text(HeaderText::MNo)), "000001");
    ExpectEstimate();
    Key(Qt::Key_F12);
    Key(Qt::Key_F12);
    ASSERT_EQ(Context().VisibleTab(), kBreakdownTab);
    Key(Qt::Key_F12);
    ASSERT_EQ(Context().VisibleTab(), kDetailTab);
    EXPECT_EQ(CellText(SheetKind::Detail, 1, 3), "単管足場");
    EXPECT_EQ(CellText(SheetKind::Detail, 1, 8), "180,000");
    EXPECT_EQ(CellText(SheetKind::Detail, 2, 8), "30,000");
    EXPECT_EQ(Figure("MGoukei21"), "210,000");
    questions.ExpectButtons("見積作成を終了してメニューに戻ります。", 2);
    Trigger("Exit1");
}

}  // namespace
}  // namespace quilto
