#pragma once

// The open estimate as one thing: the document, the calculator that keeps its figures and
// its edit history. Opening, creating, recalculating and saving an estimate go through
// here, for the editor window and the command line alike, so that both refuse the same
// estimates for the same reasons and write the same bytes.

#include <QString>
#include <optional>
#include <string>

#include "core/editor/edit_history.h"
#include "core/editor/estimate_calculator.h"
#include "core/editor/estimate_document.h"
#include "core/editor/estimate_io.h"

namespace quilto {

class Environment;
class Questions;

inline constexpr char kNoNumberMessage[] = "見積番号が設定されていません。";
inline constexpr char kNoDataMessage[] = "見積データが設定されていません。";

// How a save ended. Checked in this order after everything is recalculated: the number,
// the required fields, read-only (never written), then figures past the fixed-point range
// (which would be stored capped); each stops the save before anything is written.
enum class SaveOutcome {
    kSaved,
    kNoNumber,       // MNo blank
    kMissingFields,  // customer (MName1) or title (MTitle1) blank
    kReadOnly,       // another copy holds it, or the file is no estimate: no message
    kOverflow,       // SaveResult::overflow says where
    kWriteFailed,    // the write's own message was told; SaveResult::written has its code
};

struct SaveResult {
    SaveOutcome outcome = SaveOutcome::kSaved;
    std::optional<CalculationOverflow> overflow;   // with kOverflow
    EstimateResult written = EstimateResult::kOk;  // with kWriteFailed

    bool Saved() const { return outcome == SaveOutcome::kSaved; }
};

// What the user is told when a save stopped before writing (UTF-8): the missing number or
// fields, or the line whose figure ran past the range. Empty for the other outcomes (a
// failed write tells its own message as it fails).
std::string SaveOutcomeMessage(const SaveResult& result);

class EditorSession {
  public:
    // The history keeps nothing until an editor starts it (History().SetEnabled / Reset):
    // the command line has no use for one.
    EditorSession();
    EditorSession(const EditorSession&) = delete;
    EditorSession& operator=(const EditorSession&) = delete;

    EstimateDocument& Document() { return document_; }
    const EstimateDocument& Document() const { return document_; }
    EstimateCalculator& Calculator() { return calculator_; }
    EditHistory& History() { return history_; }
    const EditHistory& History() const { return history_; }

    // Calculates from now on with the environment's rounding, decimals and captions.
    void UseSettings(const Environment& environment);

    // A new, empty estimate (see NewEstimate); the editing session's entry mode is kept.
    void StartNew(const Environment& environment);
    // Starts an editing session in `mode` and loads estimate `number` (see LoadEstimate).
    [[nodiscard]] EstimateResult Open(Environment& environment, const std::string& number,
                                      EntryMode mode);
    // Loads the estimate file at `path` (a recovery snapshot) under the document's number.
    [[nodiscard]] EstimateResult OpenFile(const QString& path);

    // Every figure brought up to date (EstimateCalculator::RecalculateAll): where one first
    // ran past the fixed-point range, if one did.
    std::optional<CalculationOverflow> Recalculate();

    // Recalculates everything, checks, and writes the backup estimate and then the estimate
    // (SaveEstimateWithBackup). The detail sheet on screen is stored first and stays loaded.
    // A save that worked is the history's clean point.
    [[nodiscard]] SaveResult Save(Environment& environment, Questions& questions);

  private:
    EstimateCalculator calculator_;
    EstimateDocument document_;
    EditHistory history_;
};

}  // namespace quilto
