#pragma once

// The undo and redo history of an open estimate. Every change the user makes is recorded as
// one step after it happened: the history keeps its own copy of the document cut into pieces
// (the cover, each grid row, each line record, each detail sheet) and a step holds, for the
// pieces that differ from that copy, their contents before and after. Pieces that moved
// (inserted or deleted lines) share their contents with the copy, so a line command costs
// little more than a cell edit.
//
// The sheet calculations change figures after every edit; those are not steps of their own:
// they either travel with the next step or are taken into the copy by Settle (after a load,
// a save, an undo), since they follow from what the user typed.
//
// The detail sheet on screen counts as stored: before a step is taken the loaded sheet is
// written back to the detail store (and stays loaded), so undoing a step brings back the
// store as it was and the screen can always be refilled from it.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/editor/estimate_document.h"

namespace quilto {

// Where a step happened, so that undoing it shows that place again.
struct EditPlace {
    enum class Page { Cover, Summary, Breakdown, Detail };
    Page page = Page::Cover;
    int row = 1;  // the grid cell of the step
    int col = 2;
    int line = 0;       // on the detail page: the breakdown line whose sheet it is
    std::string field;  // on the cover: the control's name (MName1, ZRitu, ...)
};

struct EditStep {
    std::string name;  // what the edit menu shows after 元に戻す: / やり直し: (UTF-8)
    EditPlace place;
    // Steps of the same non-empty kind that follow each other directly are one step: the
    // characters typed into one cell or one cover field.
    std::string mergeKey;
    // The step changed the unit prices through the multiplier (applied or taken back).
    bool multiplier = false;
};

class EditHistory {
  public:
    static constexpr int kDefaultLimit = 200;
    explicit EditHistory(int limit = kDefaultLimit);
    ~EditHistory();
    EditHistory(const EditHistory&) = delete;
    EditHistory& operator=(const EditHistory&) = delete;

    // A document opened, created or recovered: the history is emptied and starts from it.
    // Unless `changed`, that state is the clean point (nothing unsaved).
    void Reset(EstimateDocument& document, bool changed = false);
    // Read-only documents keep no history: Record and Undo do nothing.
    void SetEnabled(bool enabled);
    bool Enabled() const { return enabled_; }

    // After a change: records what differs from the history's copy as one step (or adds it
    // to the previous step when the merge keys match). False when nothing differed.
    bool Record(EstimateDocument& document, EditStep step);
    // Takes what differs into the history's copy without a step (recalculated figures).
    void Settle(EstimateDocument& document);

    // Brings the document back to before the last step (after the next undone step) and
    // returns that step, so the caller can show its place and recalculate. Pending
    // differences are settled first.
    std::optional<EditStep> Undo(EstimateDocument& document);
    std::optional<EditStep> Redo(EstimateDocument& document);
    bool CanUndo() const { return enabled_ && done_ > 0; }
    bool CanRedo() const { return enabled_ && done_ < steps_.size(); }
    std::string UndoName() const;  // empty when there is nothing to undo
    std::string RedoName() const;

    // The document was saved: this point of the history is clean.
    void MarkClean();
    // Whether the document differs from what was last saved, as far as the steps tell.
    bool Modified() const { return clean_ != done_; }

    std::size_t StepCount() const { return steps_.size(); }
    int Limit() const { return limit_; }

    struct Blob;
    using BlobPtr = std::shared_ptr<const Blob>;
    struct Change;
    struct Recorded;

  private:
    void Capture(EstimateDocument& document, std::vector<Change>* changes);
    void Apply(EstimateDocument& document, const Recorded& step, bool after);
    void TakeStamps(const EstimateDocument& document);

    int limit_;
    bool enabled_ = true;
    std::vector<std::unique_ptr<Recorded>> steps_;
    std::size_t done_ = 0;  // steps_[0, done_) are in effect
    // The step count at the last save; SIZE_MAX when that point can no longer be reached.
    std::size_t clean_ = 0;
    bool mergeOpen_ = false;  // the last step may take the next one of its kind

    // The history's copy of the document, piece by piece (see the .cpp for the order).
    std::vector<BlobPtr> pieces_;
    // What tells cheaply that a piece cannot have changed since the copy.
    std::uint64_t gridIdentity_[3] = {};
    std::uint64_t gridVersion_[3] = {};
    std::vector<std::uint64_t> sheetStamps_;
};

}  // namespace quilto
