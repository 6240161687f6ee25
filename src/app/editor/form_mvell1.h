#pragma once

// The estimate editor FormMVell1: one estimate on four tabs (cover, summary, breakdown,
// detail sheet of the current breakdown line), with the header figures above and the three
// status texts below. Shown modally by the main menu for the shell's entry mode; it sees
// every key before its controls. The form only builds and wires its parts: the grid
// handlers live in GridController (with its navigation, line commands, unit list and sheet
// display), opening, saving and closing in EstimateSession.

#include <QDialog>
#include <memory>

#include "app/editor/editor_context.h"
#include "app/foundation/lookup_guide_link.h"

namespace quilto {

class EstimateSession;
class GridController;
class RecoveryController;
class UndoController;
class ItemisedWindow;

class TFormMVell1 : public QDialog, public GuideTarget {
    Q_OBJECT

  public:
    explicit TFormMVell1(ProgramState& program, QWidget* parent = nullptr);
    ~TFormMVell1() override;

    // Runs the shell's entry mode and shows the editor until it closes.
    void Open();
    // Runs the entry mode and shows the editor without waiting for it (Open does this first);
    // false in entry mode 5, which leaves the editor closed.
    bool Begin();

    // Hooks for the forms of other parts of the program. Each enables its command.
    void SetOutputDialog(std::function<void()> open);      // XlsPrint1, SB_xls, mode 6
    void SetSettingsDialog(std::function<void()> open);    // SConf1
    void SetNameRegistration(std::function<void()> open);  // SSyo1
    void SetTableSetup(std::function<void()> open);        // XlsSetup1, GroupMS
    void SetVersionWindow(std::function<void()> open);     // About1
    void SetLookupGuide(LookupGuide* guide);
    // The environment settings command: the settings dialog, then the breakdown calculation.
    // The main menu's SetBtn2 runs it too.
    void SConf1Click();
    // The window 材料費等内訳, made at its first use and following the editor from then on.
    void ShowItemisedWindow();
    // Adds or updates the statutory welfare line of the detail sheet on screen at the rate
    // set in 環境設定 (quilto.conf); asks for the rate only when none is set.
    void WelfareLineCommand();

    EditorContext& Context() { return *context_; }
    GridController& Grids() { return *grids_; }
    EstimateSession& Session() { return *session_; }
    UndoController& Undo() { return *undo_; }
    RecoveryController& Recovery() { return *recovery_; }

    // GuideTarget.
    std::optional<SheetKind> FocusedSheet() const override;
    int CurrentRow(SheetKind sheet) const override;
    std::string Cell(SheetKind sheet, int row, int col) const override;
    void SetCell(SheetKind sheet, int row, int col, const std::string& text) override;
    void FillProduct(const std::string& category, const std::string& productCode) override;
    void MoveCurrentRowDown(SheetKind sheet) override;
    void FocusActiveGrid() override;
    void GuideClosed() override;

  public slots:
    void reject() override;
    void done(int result) override;

  protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // The entry mode run and the keys watched; false in entry mode 5.
    bool Prepare();
    QWidget* BuildTabs();
    void Connect();
    // FormKeyDown: true when the key went no further.
    bool FormKeyDown(QWidget* target, QKeyEvent* event);
    bool CoverKey(QWidget* target, QKeyEvent* event);
    void TryClose();
    void RefreshHookedActions();

    std::unique_ptr<EditorContext> context_;
    GridController* grids_ = nullptr;
    EstimateSession* session_ = nullptr;
    UndoController* undo_ = nullptr;
    RecoveryController* recovery_ = nullptr;
    bool closing_ = false;
    ItemisedWindow* itemisedWindow_ = nullptr;
};

}  // namespace quilto
