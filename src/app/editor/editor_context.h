#pragma once

// What the parts of the estimate editor share: the document with its calculations, the
// editing state, and the widgets the handlers act on. The form owns it and builds the
// widgets; the grid controller and the estimate session work through it.

#include <QLabel>
#include <QListWidget>
#include <QTabWidget>
#include <array>
#include <functional>

#include "app/editor/editor_document.h"
#include "app/editor/header_bars.h"
#include "app/editor/sheet_grid_model.h"
#include "app/editor/sheet_grid_view.h"
#include "core/editor/editor_session.h"
#include "core/editor/grid_operations.h"
#include "core/editor/unit_price_multiplier.h"
#include "core/shell/program_state.h"

class QAction;
class QPushButton;
class QStatusBar;
class QToolButton;
class QTimer;

namespace quilto {

class CoverPanel;
class LookupGuide;

enum EditorTab : int { kCoverTab = 0, kSummaryTab = 1, kBreakdownTab = 2, kDetailTab = 3 };

// Which grid opened the lookup guide that is showing, so that a choice made there goes back
// to that grid.
enum class GuideOpener { kNone, kBreakdown, kDetail, kSummary };

// The hooks through which forms of other parts of the program are opened from the editor.
// A command whose hook is not set stays disabled.
struct EditorHooks {
    std::function<void()> outputDialog;      // FormMXls2: XlsPrint1, SB_xls, entry mode 6
    std::function<void()> settingsDialog;    // FormMConf: SConf1
    std::function<void()> nameRegistration;  // FormMSyo: SSyo1
    std::function<void()> tableSetup;        // FormMXls1: XlsSetup1, a click on GroupMS
    std::function<void()> versionWindow;     // FormAbout: About1
};

struct EditorActions {
    QAction* save1 = nullptr;
    QAction* new1 = nullptr;
    QAction* cancel = nullptr;
    QAction* exit1 = nullptr;
    QAction* xlsPrint1 = nullptr;
    QAction* xlsSetup1 = nullptr;
    QAction* issueHistory1 = nullptr;
    QAction* sConf1 = nullptr;
    QAction* sSyo1 = nullptr;
    QAction* about1 = nullptr;
    QAction* undo1 = nullptr;
    QAction* redo1 = nullptr;
    QAction* lins = nullptr;
    QAction* ldel = nullptr;
    QAction* lCopy = nullptr;
    QAction* lPast = nullptr;
    QAction* lDup = nullptr;
    QAction* syokei = nullptr;
    QAction* nebiki = nullptr;
    QAction* nakakei = nullptr;
    QAction* zei = nullptr;
    QAction* goukei = nullptr;
    QAction* guid1 = nullptr;
    QAction* hyousi1 = nullptr;
    QAction* meisai1 = nullptr;
    QAction* mx = nullptr;
    QAction* kakeSet = nullptr;
    QAction* kakeRet = nullptr;
    QAction* kakeSetS = nullptr;
    QAction* kakeRetS = nullptr;
    QAction* itemised1 = nullptr;  // the window 材料費等内訳
    QAction* welfare1 = nullptr;   // the statutory welfare line of the detail sheet
    // The speed buttons.
    QToolButton* saveBtn = nullptr;
    QToolButton* cancelBtn = nullptr;
    QToolButton* sbIns = nullptr;
    QToolButton* sbDel = nullptr;
    QToolButton* sbSyokei = nullptr;
    QToolButton* sbNebiki = nullptr;
    QToolButton* sbNakakei = nullptr;
    QToolButton* sbZei = nullptr;
    QToolButton* sbGoukei = nullptr;
    QToolButton* meisyoBtn1 = nullptr;
    QToolButton* mxBtn = nullptr;
    QToolButton* sbXls = nullptr;
    QToolButton* subMenu1 = nullptr;
    QMenu* popupMenu1 = nullptr;
};

struct EditorContext {
    explicit EditorContext(ProgramState& state)
        : program(state),
          session(state.editor),
          document(session.Document()),
          calculator(session.Calculator()),
          history(session.History()),
          editorDocument(session) {}

    ProgramState& program;
    // The open estimate: every load and save goes through it.
    EditorSession& session;
    EstimateDocument& document;
    EstimateCalculator& calculator;
    EditHistory& history;
    // Changes applied through it are announced to the grids, the header bars and the status
    // panels, which repaint themselves.
    EditorDocument editorDocument;
    UnitPriceMultiplier multiplier;
    LineClipboard clipboard;
    EditorHooks hooks;
    LookupGuide* guide = nullptr;

    // Rows per page of the chosen print pattern: summary, breakdown, detail.
    int rowsPerPage[3] = {20, 20, 20};
    GuideOpener guideOpener = GuideOpener::kNone;
    bool unitListInUse = false;

    // Widgets (owned by the form).
    QWidget* form = nullptr;
    QTabWidget* pageControl1 = nullptr;
    CoverPanel* cover = nullptr;
    HeaderFigureBar* panelB1 = nullptr;
    DetailBar* panelB6 = nullptr;
    std::array<QLabel*, 3> statusPanels{};
    QStatusBar* statusBar = nullptr;  // says for a while what a command did ("保存しました")
    QListWidget* lbUnit = nullptr;
    QTimer* timer1 = nullptr;
    EditorActions actions;
    SheetGridView* views[3] = {};  // by SheetKind: breakdown, detail, summary

    SheetGridView* View(SheetKind sheet) const { return views[static_cast<int>(sheet)]; }
    SheetGridModel* Model(SheetKind sheet) const { return View(sheet)->Model(); }
    int RowsPerPage(SheetKind sheet) const {
        return sheet == SheetKind::Summary     ? rowsPerPage[0]
               : sheet == SheetKind::Breakdown ? rowsPerPage[1]
                                               : rowsPerPage[2];
    }
    int VisibleTab() const { return pageControl1->currentIndex(); }
    // The grid of the tab that shows; the cover counts as the summary.
    SheetKind VisibleSheet() const {
        switch (VisibleTab()) {
            case kBreakdownTab:
                return SheetKind::Breakdown;
            case kDetailTab:
                return SheetKind::Detail;
            default:
                return SheetKind::Summary;
        }
    }
    bool ReadOnly() const { return document.ReadOnly(); }
};

}  // namespace quilto
