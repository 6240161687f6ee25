// The editor document announces what changed, and each grid model repaints only its own
// sheet's rows (model row = grid row - 1).

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/editor/editor_document.h"
#include "app/editor/sheet_grid_model.h"

namespace quilto {
namespace {

struct Painted {
    SheetKind sheet;
    int firstModelRow;
    int lastModelRow;
};

class EditorDocumentTest : public ::testing::Test {
  protected:
    EditorDocumentTest() : document_(session_) {
        for (SheetKind sheet : kSheets) {
            auto* model = new SheetGridModel(session_.Document().Grid(sheet), sheet, &owner_);
            model->Follow(document_);
            QObject::connect(model, &QAbstractItemModel::dataChanged,
                             [this, sheet](const QModelIndex& from, const QModelIndex& to) {
                                 painted_.push_back({sheet, from.row(), to.row()});
                             });
        }
        QObject::connect(&document_, &EditorDocument::SheetChanged,
                         [this](SheetKind sheet) { events_.push_back(SheetName(sheet)); });
        QObject::connect(&document_, &EditorDocument::FiguresChanged,
                         [this] { events_.push_back("figures"); });
    }

    static std::string SheetName(SheetKind sheet) {
        return sheet == SheetKind::Breakdown ? "breakdown"
               : sheet == SheetKind::Detail  ? "detail"
                                             : "summary";
    }

    static constexpr SheetKind kSheets[] = {SheetKind::Breakdown, SheetKind::Detail,
                                            SheetKind::Summary};
    EditorSession session_;
    EditorDocument document_;
    QObject owner_;
    std::vector<Painted> painted_;
    std::vector<std::string> events_;
};

TEST_F(EditorDocumentTest, ACellChangeRepaintsOnlyItsRowOnItsSheet) {
    document_.SetCell(SheetKind::Breakdown, 5, 3, "x");
    EXPECT_EQ(session_.Document().Grid(SheetKind::Breakdown).Cell(5, 3), "x");
    ASSERT_EQ(painted_.size(), 1u);
    EXPECT_EQ(painted_[0].sheet, SheetKind::Breakdown);
    EXPECT_EQ(painted_[0].firstModelRow, 4);
    EXPECT_EQ(painted_[0].lastModelRow, 4);
    EXPECT_TRUE(events_.empty()) << "one row is no whole sheet and no new figures";
}

TEST_F(EditorDocumentTest, ACalculationAnnouncesItsSheetThenTheFigures) {
    for (SheetKind sheet : kSheets) {
        painted_.clear();
        events_.clear();
        document_.Calculate(sheet);
        EXPECT_EQ(events_, (std::vector<std::string>{SheetName(sheet), "figures"}));
        ASSERT_EQ(painted_.size(), 1u) << SheetName(sheet);
        EXPECT_EQ(painted_[0].sheet, sheet);
        EXPECT_EQ(painted_[0].firstModelRow, 0);
        EXPECT_EQ(painted_[0].lastModelRow, session_.Document().Grid(sheet).RowCount() - 2);
    }
}

TEST_F(EditorDocumentTest, DroppingTheDetailSheetRepaintsItsRowsButLeavesItsStatus) {
    document_.DropDetailSheet();
    ASSERT_EQ(painted_.size(), 1u);
    EXPECT_EQ(painted_[0].sheet, SheetKind::Detail);
    EXPECT_EQ(painted_[0].firstModelRow, 0);
    EXPECT_EQ(painted_[0].lastModelRow, session_.Document().Grid(SheetKind::Detail).RowCount() - 2);
    EXPECT_TRUE(events_.empty());
}

TEST_F(EditorDocumentTest, EverythingChangedReachesEveryModelAndTheFigures) {
    document_.AllWereChanged();
    ASSERT_EQ(painted_.size(), 3u);
    EXPECT_EQ(events_, (std::vector<std::string>{"breakdown", "detail", "summary", "figures"}));
}

}  // namespace
}  // namespace quilto
