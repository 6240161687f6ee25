#include "core/editor/editor_session.h"

#include "core/foundation/text_bytes.h"
#include "core/store/environment.h"

namespace quilto {

std::string SaveOutcomeMessage(const SaveResult& result) {
    switch (result.outcome) {
        case SaveOutcome::kNoNumber:
            return kNoNumberMessage;
        case SaveOutcome::kMissingFields:
            return kNoDataMessage;
        case SaveOutcome::kOverflow:
            return result.overflow ? CalculationOverflowMessage(*result.overflow) : std::string();
        case SaveOutcome::kSaved:
        case SaveOutcome::kReadOnly:
        case SaveOutcome::kWriteFailed:
            break;
    }
    return {};
}

EditorSession::EditorSession() {
    document_.SetCalculations(&calculator_);
    history_.SetEnabled(false);
}

void EditorSession::UseSettings(const Environment& environment) {
    calculator_.SetSettings(CalculationSettingsFrom(environment));
    document_.SetCalculations(&calculator_);
}

void EditorSession::StartNew(const Environment& environment) {
    NewEstimate(document_, environment);
}

EstimateResult EditorSession::Open(Environment& environment, const std::string& number,
                                   EntryMode mode) {
    document_.BeginSession(mode);
    document_.SetText(HeaderText::MNo, number);
    return LoadEstimate(document_, environment);
}

EstimateResult EditorSession::OpenFile(const QString& path) {
    return LoadEstimateFrom(document_, path);
}

std::optional<CalculationOverflow> EditorSession::Recalculate() {
    return calculator_.RecalculateAll(document_);
}

SaveResult EditorSession::Save(Environment& environment, Questions& questions) {
    SaveResult result;
    // Every sheet is calculated before anything is judged: a detail sheet stored while the
    // settings were different, or one past the range that was left without a save, is found
    // here rather than written capped.
    const std::optional<CalculationOverflow> overflow = Recalculate();
    if (!HasText(document_.Text(HeaderText::MNo))) {
        result.outcome = SaveOutcome::kNoNumber;
    } else if (!document_.HasRequiredFields()) {
        result.outcome = SaveOutcome::kMissingFields;
    } else if (document_.ReadOnly()) {
        // Calculated and checked like any other, but never written.
        result.outcome = SaveOutcome::kReadOnly;
    } else if (overflow) {
        result.outcome = SaveOutcome::kOverflow;
        result.overflow = overflow;
    } else {
        result.written = SaveEstimateWithBackup(document_, environment, questions);
        result.outcome =
            result.written == EstimateResult::kOk ? SaveOutcome::kSaved : SaveOutcome::kWriteFailed;
    }
    if (result.Saved() && history_.Enabled()) {
        // The save may have changed the document (a new number, recalculated figures): that
        // state is what was saved.
        history_.Settle(document_);
        history_.MarkClean();
    }
    return result;
}

}  // namespace quilto
