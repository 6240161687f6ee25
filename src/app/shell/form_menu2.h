#pragma once

// The estimate list: every estimate file of the data folder, one line each, from which the
// user picks one for what the main menu's entry mode says (create from it, call it up,
// delete it, output it). Shown modally by the main menu; it leaves the pick in the shell's
// selected number. What choosing does lives in shell/estimate_list_actions.

#include <QDialog>
#include <QLabel>
#include <array>
#include <vector>

#include "core/shell/estimate_list_actions.h"

class QCheckBox;
class QHeaderView;
class QLineEdit;
class QListWidget;
class QPushButton;
class QStandardItemModel;
class QStatusBar;

namespace quilto {

class ByteColumnDelegate;
class ProgramState;
class ShapeWidget;

// The mode panel, which answers a double click.
class ModePanel : public QLabel {
    Q_OBJECT

  public:
    using QLabel::QLabel;

  signals:
    void DoubleClicked();

  protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;
};

class TFormMenu2 : public QDialog {
    Q_OBJECT

  public:
    explicit TFormMenu2(ProgramState& program, QWidget* parent = nullptr);

    // Status panel 0: the data folder. Set when the program has started in a working folder.
    void ShowDataFolder();

    // The lines shown (those the search finds, in the order chosen).
    std::vector<EstimateListEntry> Entries() const;
    // The selected line, or -1.
    int SelectedRow() const;
    // The width of one byte of a list line on screen.
    int CellWidth() const;

  protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QWidget* MakeSearchBar();
    void RebuildHeader();
    void BuildList();
    // Shows the lines the search finds, keeping the chosen estimate chosen where it stays.
    void ApplySearch();
    void ClearSearch();
    void SortBy(int section);
    void SaveCsv();
    void ShowIssueHistory();
    void PaintModePanel();
    void Choose();
    void ModePanelDoubleClicked();
    void SelectionChanged();
    void Act(ListOutcome outcome);
    const EstimateListEntry* Selected() const;

    ProgramState& program_;
    ShownEstimateList shown_;
    std::vector<int> rows_;  // index into shown_.entries of each line of the list
    ListSortColumn sortColumn_ = ListSortColumn::kNumber;
    bool sortDescending_ = false;
    QLineEdit* searchText_ = nullptr;
    QLineEdit* searchFrom_ = nullptr;
    QLineEdit* searchTo_ = nullptr;
    QLineEdit* searchMin_ = nullptr;
    QLineEdit* searchMax_ = nullptr;
    QCheckBox* searchIssued_ = nullptr;
    QLabel* searchCount_ = nullptr;
    QPushButton* csvButton_ = nullptr;
    QPushButton* historyButton_ = nullptr;
    ShapeWidget* shape2_ = nullptr;
    ModePanel* eMode_ = nullptr;
    QPushButton* mlistRet_ = nullptr;
    QPushButton* mlistEnt_ = nullptr;
    QStandardItemModel* headerModel_ = nullptr;
    QHeaderView* headerControl1_ = nullptr;
    QListWidget* listBox1_ = nullptr;
    ByteColumnDelegate* delegate_ = nullptr;
    QStatusBar* statusBar1_ = nullptr;
    std::array<QLabel*, 3> statusPanels_{};
};

}  // namespace quilto
