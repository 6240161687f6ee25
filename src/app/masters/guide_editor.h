#pragma once

// What the lookup guide needs of the estimate editor: the grid that has the focus, its
// current row and cells, the product fill of a detail row, and the step that clears the
// editor's guide-open marker when the guide closes. The editor implements it.

#include <string>

namespace quilto {

class GuideEditor {
  public:
    enum class Grid { kNone, kBreakdown, kDetail, kSummary };

    virtual ~GuideEditor() = default;

    // The editor's focused (or, while the guide has the focus, last focused) grid.
    virtual Grid ActiveGrid() const = 0;
    // The current row of the active grid and its number of rows, fixed rows included.
    virtual int CurrentRow() const = 0;
    virtual int RowCount() const = 0;
    // A cell of the current row of the active grid (CP932).
    virtual std::string Cell(int column) const = 0;
    virtual void SetCell(int column, const std::string& text) = 0;
    virtual void SetCurrentRow(int row) = 0;
    // Fills the current detail row from the product master (category: the construction code).
    virtual void FillProduct(const std::string& category, const std::string& productCode) = 0;
    // Gives the focus back to the active grid.
    virtual void FocusActiveGrid() = 0;
    // The guide closed: the editor clears its guide-open marker.
    virtual void GuideClosed() = 0;
};

}  // namespace quilto
