#include "core/editor/edit_history.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <string_view>
#include <unordered_map>

namespace quilto {

// A piece's contents: bytes, or for a detail sheet the store's sheet itself, shared with
// the store (which copies it before writing into it), so the history of a large estimate
// holds no second copy of its detail lines.
struct EditHistory::Blob {
    std::string bytes;
    std::size_t hash = 0;
    DetailStore::SharedSheet sheet;
};

struct EditHistory::Change {
    std::size_t piece;
    BlobPtr before;
    BlobPtr after;
};

struct EditHistory::Recorded {
    EditStep step;
    std::vector<Change> changes;
};

namespace {

using Blob = EditHistory::Blob;
using BlobPtr = EditHistory::BlobPtr;

constexpr SheetKind kGridOrder[] = {SheetKind::Breakdown, SheetKind::Detail, SheetKind::Summary};

// The pieces in order: the cover, the header record, the data rows of the three grids (row
// numbers and headers are drawn, not edited), the summary and breakdown records, the detail
// sheets. A piece is found by its family and its index within the family.
enum Family : int {
    kCoverPiece,
    kHeaderPiece,
    kBreakdownRows,
    kDetailRows,
    kSummaryRows,
    kSummaryRecords,
    kBreakdownRecords,
    kSheetPieces,
    kFamilyCount
};

struct Layout {
    std::size_t first[kFamilyCount + 1] = {};

    explicit Layout(const EstimateDocument& document) {
        const std::size_t counts[kFamilyCount] = {
            1,
            1,
            static_cast<std::size_t>(document.Grid(SheetKind::Breakdown).RowCount() - 1),
            static_cast<std::size_t>(document.Grid(SheetKind::Detail).RowCount() - 1),
            static_cast<std::size_t>(document.Grid(SheetKind::Summary).RowCount() - 1),
            document.Stores().summary.size(),
            document.Stores().breakdown.size(),
            static_cast<std::size_t>(kDetailSheets)};
        for (int f = 0; f < kFamilyCount; ++f) first[f + 1] = first[f] + counts[f];
    }
    std::size_t Count() const { return first[kFamilyCount]; }
    Family FamilyOf(std::size_t piece) const {
        int f = 0;
        while (piece >= first[f + 1]) ++f;
        return static_cast<Family>(f);
    }
};

Family RowsFamily(SheetKind sheet) {
    return sheet == SheetKind::Breakdown ? kBreakdownRows
           : sheet == SheetKind::Detail  ? kDetailRows
                                         : kSummaryRows;
}

void AppendText(std::string& out, std::string_view text) {
    const auto size = static_cast<std::uint32_t>(text.size());
    char length[4];
    std::memcpy(length, &size, sizeof size);
    out.append(length, sizeof length);
    out.append(text);
}

std::string_view NextText(std::string_view& in) {
    if (in.size() < 4) {
        in = {};
        return {};
    }
    std::uint32_t size = 0;
    std::memcpy(&size, in.data(), sizeof size);
    in.remove_prefix(4);
    const std::string_view text = in.substr(0, std::min<std::size_t>(size, in.size()));
    in.remove_prefix(text.size());
    return text;
}

void CoverBytes(const EstimateDocument& document, std::string& out) {
    for (int i = 0; i < kHeaderTextCount; ++i)
        AppendText(out, document.Text(static_cast<HeaderText>(i)));
    for (int i = 0; i < kHeaderFigureCount; ++i)
        AppendText(out, document.Figure(static_cast<HeaderFigure>(i)));
    AppendText(out, document.TaxRateText());
    AppendText(out, document.CheckBox1() ? "1" : "0");
    AppendText(out, document.CheckBox2() ? "1" : "0");
    AppendText(out, std::to_string(document.DetailSheetRow()));
}

void RestoreCover(EstimateDocument& document, std::string_view in) {
    for (int i = 0; i < kHeaderTextCount; ++i)
        document.SetText(static_cast<HeaderText>(i), std::string(NextText(in)));
    for (int i = 0; i < kHeaderFigureCount; ++i)
        document.SetFigure(static_cast<HeaderFigure>(i), std::string(NextText(in)));
    document.SetTaxRateText(std::string(NextText(in)));
    document.SetCheckBox1(NextText(in) == "1");
    document.SetCheckBox2(NextText(in) == "1");
    document.RestoreDetailSheetRow(std::atoi(std::string(NextText(in)).c_str()));
}

void RowBytes(const TextGrid& grid, int row, std::string& out) {
    for (int col = 1; col < grid.ColCount(); ++col) AppendText(out, grid.Cell(row, col));
}

void RestoreRow(TextGrid& grid, int row, std::string_view in) {
    for (int col = 1; col < grid.ColCount(); ++col) {
        const std::string_view text = NextText(in);
        if (grid.Cell(row, col) != text) grid.SetCell(row, col, std::string(text));
    }
}

bool SameBytes(const BlobPtr& a, const BlobPtr& b) {
    return a == b || (a && b && a->hash == b->hash && a->bytes == b->bytes &&
                      DetailStore::SameRecords(a->sheet, b->sheet));
}

}  // namespace

EditHistory::EditHistory(int limit) : limit_(std::max(limit, 1)) {}
EditHistory::~EditHistory() = default;

void EditHistory::SetEnabled(bool enabled) {
    enabled_ = enabled;
    if (!enabled) {
        steps_.clear();
        done_ = 0;
        clean_ = 0;
        mergeOpen_ = false;
    }
}

void EditHistory::Reset(EstimateDocument& document, bool changed) {
    steps_.clear();
    done_ = 0;
    clean_ = changed ? SIZE_MAX : 0;
    mergeOpen_ = false;
    pieces_.assign(Layout(document).Count(), nullptr);
    std::fill(std::begin(gridIdentity_), std::end(gridIdentity_), 0);
    sheetStamps_.assign(kDetailSheets, 0);
    document.SyncDetailSheet();
    Capture(document, nullptr);
}

void EditHistory::TakeStamps(const EstimateDocument& document) {
    for (int g = 0; g < 3; ++g) {
        const TextGrid& grid = document.Grid(kGridOrder[g]);
        gridIdentity_[g] = grid.Identity();
        gridVersion_[g] = grid.Version();
    }
    sheetStamps_.resize(kDetailSheets);
    for (int k = 0; k < kDetailSheets; ++k)
        sheetStamps_[static_cast<std::size_t>(k)] = document.Stores().details.SheetStamp(k);
}

void EditHistory::Capture(EstimateDocument& document, std::vector<Change>* changes) {
    const Layout layout(document);
    if (pieces_.size() != layout.Count()) pieces_.assign(layout.Count(), nullptr);
    // Contents of the copy by hash, per family, made when the family first has a change:
    // a line that moved finds its contents there and shares them.
    std::unordered_multimap<std::size_t, BlobPtr> known[kFamilyCount];
    bool knownBuilt[kFamilyCount] = {};
    std::string bytes;

    auto examine = [&](Family family, std::size_t index, const auto& write) {
        const std::size_t piece = layout.first[family] + index;
        bytes.clear();
        write(bytes);
        const BlobPtr& old = pieces_[piece];
        if (old && old->bytes == bytes) return;
        const std::size_t hash = std::hash<std::string_view>{}(bytes);
        if (!knownBuilt[family]) {
            knownBuilt[family] = true;
            for (std::size_t p = layout.first[family]; p < layout.first[family + 1]; ++p)
                if (pieces_[p]) known[family].emplace(pieces_[p]->hash, pieces_[p]);
        }
        BlobPtr now;
        for (auto [it, end] = known[family].equal_range(hash); it != end; ++it) {
            if (it->second->bytes == bytes) {
                now = it->second;
                break;
            }
        }
        if (!now) {
            now = std::make_shared<const Blob>(Blob{bytes, hash, nullptr});
            known[family].emplace(hash, now);
        }
        if (changes && old) changes->push_back({piece, old, now});
        pieces_[piece] = now;
    };

    examine(kCoverPiece, 0, [&](std::string& out) { CoverBytes(document, out); });
    examine(kHeaderPiece, 0, [&](std::string& out) { out = document.Header().Bytes(); });
    for (int g = 0; g < 3; ++g) {
        const TextGrid& grid = document.Grid(kGridOrder[g]);
        if (gridIdentity_[g] == grid.Identity() && gridVersion_[g] == grid.Version()) continue;
        for (int row = 1; row < grid.RowCount(); ++row) {
            examine(RowsFamily(kGridOrder[g]), static_cast<std::size_t>(row - 1),
                    [&](std::string& out) { RowBytes(grid, row, out); });
        }
    }
    const EstimateStores& stores = document.Stores();
    for (std::size_t i = 0; i < stores.summary.size(); ++i)
        examine(kSummaryRecords, i, [&](std::string& out) { out = stores.summary[i].View(); });
    for (std::size_t i = 0; i < stores.breakdown.size(); ++i)
        examine(kBreakdownRecords, i, [&](std::string& out) { out = stores.breakdown[i].View(); });
    // Sheets are compared as the store holds them. One that moved (lines inserted or
    // deleted) is the same shared sheet under another number, so it costs nothing here.
    for (int k = 0; k < kDetailSheets; ++k) {
        if (sheetStamps_.size() == static_cast<std::size_t>(kDetailSheets) &&
            sheetStamps_[static_cast<std::size_t>(k)] == stores.details.SheetStamp(k))
            continue;
        const std::size_t piece = layout.first[kSheetPieces] + static_cast<std::size_t>(k);
        DetailStore::SharedSheet sheet = stores.details.Share(k);
        const BlobPtr& old = pieces_[piece];
        if (old && DetailStore::SameRecords(old->sheet, sheet)) continue;
        BlobPtr now = std::make_shared<const Blob>(Blob{{}, 0, std::move(sheet)});
        if (changes && old) changes->push_back({piece, old, now});
        pieces_[piece] = std::move(now);
    }
    TakeStamps(document);
}

bool EditHistory::Record(EstimateDocument& document, EditStep step) {
    if (!enabled_) return false;
    document.SyncDetailSheet();
    std::vector<Change> changes;
    Capture(document, &changes);
    if (changes.empty()) return false;

    const bool merge = mergeOpen_ && done_ == steps_.size() && done_ > 0 && clean_ != done_ &&
                       !step.mergeKey.empty() && steps_.back()->step.mergeKey == step.mergeKey;
    if (merge) {
        std::vector<Change>& into = steps_.back()->changes;
        for (Change& change : changes) {
            auto same = std::find_if(into.begin(), into.end(),
                                     [&](const Change& c) { return c.piece == change.piece; });
            if (same != into.end()) {
                same->after = change.after;
            } else {
                into.push_back(std::move(change));
            }
        }
        std::erase_if(into, [](const Change& c) { return SameBytes(c.before, c.after); });
        if (into.empty()) {
            // Typed and typed away again: the cell is as it was, no step remains.
            steps_.pop_back();
            --done_;
            mergeOpen_ = false;
        }
        return true;
    }

    steps_.resize(done_);
    if (clean_ != SIZE_MAX && clean_ > done_) clean_ = SIZE_MAX;
    auto recorded = std::make_unique<Recorded>();
    recorded->step = std::move(step);
    recorded->changes = std::move(changes);
    steps_.push_back(std::move(recorded));
    ++done_;
    while (steps_.size() > static_cast<std::size_t>(limit_)) {
        steps_.erase(steps_.begin());
        --done_;
        clean_ = clean_ == 0 || clean_ == SIZE_MAX ? SIZE_MAX : clean_ - 1;
    }
    mergeOpen_ = true;
    return true;
}

void EditHistory::Settle(EstimateDocument& document) {
    document.SyncDetailSheet();
    Capture(document, nullptr);
}

void EditHistory::Apply(EstimateDocument& document, const Recorded& step, bool after) {
    const Layout layout(document);
    for (const Change& change : step.changes) {
        const BlobPtr& blob = after ? change.after : change.before;
        const std::string_view bytes = blob->bytes;
        const Family family = layout.FamilyOf(change.piece);
        const int index = static_cast<int>(change.piece - layout.first[family]);
        switch (family) {
            case kCoverPiece:
                RestoreCover(document, bytes);
                break;
            case kHeaderPiece:
                document.Header().Assign(bytes);
                break;
            case kBreakdownRows:
                RestoreRow(document.Grid(SheetKind::Breakdown), index + 1, bytes);
                break;
            case kDetailRows:
                RestoreRow(document.Grid(SheetKind::Detail), index + 1, bytes);
                break;
            case kSummaryRows:
                RestoreRow(document.Grid(SheetKind::Summary), index + 1, bytes);
                break;
            case kSummaryRecords:
                document.Stores().summary[static_cast<std::size_t>(index)].Assign(bytes);
                break;
            case kBreakdownRecords:
                document.Stores().breakdown[static_cast<std::size_t>(index)].Assign(bytes);
                break;
            case kSheetPieces:
                document.Stores().details.Restore(index, blob->sheet);
                break;
            case kFamilyCount:
                break;
        }
        pieces_[change.piece] = blob;
    }
    TakeStamps(document);
    mergeOpen_ = false;
}

std::optional<EditStep> EditHistory::Undo(EstimateDocument& document) {
    if (!CanUndo()) return std::nullopt;
    Settle(document);
    const Recorded& step = *steps_[done_ - 1];
    Apply(document, step, false);
    --done_;
    return step.step;
}

std::optional<EditStep> EditHistory::Redo(EstimateDocument& document) {
    if (!CanRedo()) return std::nullopt;
    Settle(document);
    const Recorded& step = *steps_[done_];
    Apply(document, step, true);
    ++done_;
    return step.step;
}

std::string EditHistory::UndoName() const { return CanUndo() ? steps_[done_ - 1]->step.name : ""; }

std::string EditHistory::RedoName() const { return CanRedo() ? steps_[done_]->step.name : ""; }

void EditHistory::MarkClean() {
    clean_ = done_;
    mergeOpen_ = false;
}

}  // namespace quilto
