#pragma once

// How the estimate editor and the lookup guide (the construction-name and product selection
// window) talk to each other. The editor opens, toggles and hides the guide through
// LookupGuide; the guide writes its choice into the editor's current grid line through
// GuideTarget, which the editor implements. Texts are CP932.

#include <optional>
#include <string>

#include "core/editor/sheet_layout.h"

namespace quilto {

// Implemented by the guide window.
class LookupGuide {
  public:
    virtual ~LookupGuide() = default;
    virtual bool IsGuideVisible() const = 0;
    // Hidden, not closed (the editor's grid lost the focus, or the guide key toggled it).
    virtual void HideGuide() = 0;
    // Shown modeless and on top. Construction-name mode from the breakdown or summary grid;
    // product mode from the detail grid, listing the products of constructionCode.
    // caption: "検索 ( 工事選択 )" or "検索 ( 商品選択 )"; panel: "工事選択" or "商品選択".
    virtual void ShowConstructionGuide(const std::string& caption, const std::string& panel) = 0;
    virtual void ShowProductGuide(const std::string& caption, const std::string& panel,
                                  const std::string& constructionCode) = 0;
};

// Implemented by the editor, called by the guide.
class GuideTarget {
  public:
    virtual ~GuideTarget() = default;
    // The grid that has (or last had) the focus in the editor: the guide's mode follows it.
    virtual std::optional<SheetKind> FocusedSheet() const = 0;
    virtual int CurrentRow(SheetKind sheet) const = 0;
    virtual std::string Cell(SheetKind sheet, int row, int col) const = 0;
    virtual void SetCell(SheetKind sheet, int row, int col, const std::string& text) = 0;
    // Fills the current detail row from the product master (category = construction code).
    virtual void FillProduct(const std::string& category, const std::string& productCode) = 0;
    // The current row one down, while it is above the grid's last but one row.
    virtual void MoveCurrentRowDown(SheetKind sheet) = 0;
    // The focus goes back to the editor's active grid.
    virtual void FocusActiveGrid() = 0;
    // The guide closed: the editor forgets that a grid opened it.
    virtual void GuideClosed() = 0;
};

}  // namespace quilto
