#pragma once

// The commands that change lines of the grid that has the focus: clearing a cell, insert,
// delete, copy and paste, duplicate, the special lines, 摘要隠し, the discount, the
// unit-price multiplier and a product filled in from the lookup guide. Each change is
// announced through Edited so that the history records it.

#include <QObject>
#include <QPoint>
#include <QString>

#include "app/editor/editor_context.h"
#include "core/editor/line_kind.h"

namespace quilto {

class GridNavigation;
class SheetDisplay;

class GridLineCommands : public QObject {
    Q_OBJECT

  public:
    GridLineCommands(EditorContext& context, SheetDisplay& display,
                     const GridNavigation& navigation, QObject* parent = nullptr);

    void ClearCell(SheetGridView* view);  // Shift+Delete
    void InsertLine();
    void DeleteLine();
    void CopyLine();
    void PasteLine();
    void DuplicateLine();
    void HideRemarks();
    void SpecialLine(LineKind kind);
    void Discount();
    void PopUpSubMenu(const QPoint& at);
    void ApplyMultiplier(SheetKind sheet);
    void UndoMultiplier(SheetKind sheet);
    void FillProduct(const std::string& category, const std::string& productCode);

  signals:
    // The same as GridController::Edited.
    void Edited(const QString& name, SheetKind sheet, int row, int col, const QString& mergeKey,
                bool multiplier);

  private:
    EditorContext& c_;
    SheetDisplay& display_;
    const GridNavigation& navigation_;
};

}  // namespace quilto
