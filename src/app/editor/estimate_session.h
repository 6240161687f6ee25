#pragma once

// Opening, saving and closing an estimate in the editor: the entry modes, the next
// management number, loading by number, clearing the document, the required fields, the
// save with its backup estimate first, the output command and the close question. The
// marker of an estimate opened for change is held until the editor really closes.

#include <QObject>
#include <optional>
#include <string>

#include "app/editor/editor_context.h"

namespace quilto {

class GridController;
class RecoveryController;
class UndoController;
struct RecoveryRecord;

inline constexpr char kCloseQuestion[] = "見積作成を終了してメニューに戻ります。";
inline constexpr char kSaveAndReturn[] = "保存戻る";
inline constexpr char kDiscardAndReturn[] = "破棄戻る";
inline constexpr char kReenter[] = "再入力";
inline constexpr int kSavedMessageMilliseconds = 8000;
inline constexpr char kOutputMissingMessage[] = "エクセル出力はまだ使えません。見積を開きます。";

class EstimateSession : public QObject {
    Q_OBJECT

  public:
    EstimateSession(EditorContext& context, GridController& grids, QObject* parent = nullptr);

    // When the editor is shown: the entry mode of the shell, then the set-up of the pattern.
    // False in entry mode 5 (the editor closes again at once).
    bool FormShow();
    // Caption, SaveBTN, pattern choice and rows per page.
    void FormActivate();
    // The print pattern was chosen (CBListMS) or its definitions edited: grids set up again.
    void PatternChosen(int index);

    // Save1Click. True when the estimate was written.
    bool Save();
    // XlsPrint1Click.
    void Output();
    // New1Click.
    void NewEstimateCommand();
    // FormClose: true when the editor may close.
    bool Close();
    // The end of entry mode 6: the output dialog, then closing without a question.
    void RunOutputMode();

    // The caption of the window.
    QString Caption() const;

    // The history and the snapshots of what is opened here (set once by the form).
    void SetHistory(UndoController* undo, RecoveryController* recovery) {
        undo_ = undo;
        recovery_ = recovery;
    }

  private:
    std::string NewNumber();
    void ClearDocument();
    void LoadByNumber(const std::string& number, bool copy);
    // After a save that worked: the history's clean point, the snapshot gone, a new
    // estimate's marker held, the number and a word in the status bar.
    void Saved(bool wasNew);
    void ReleaseMarker();
    void FocusVisibleTab();
    void ShowCover();
    void ShowDocument();
    // Puts the snapshot at `path` into the document in place of the stored estimate.
    std::optional<RecoveryRecord> RecoverFrom(const QString& path);
    void StartHistory(const std::optional<RecoveryRecord>& recovered);

    EditorContext& c_;
    GridController& grids_;
    std::string heldNumber_;  // the estimate whose marker this editor holds
    UndoController* undo_ = nullptr;
    RecoveryController* recovery_ = nullptr;
};

}  // namespace quilto
