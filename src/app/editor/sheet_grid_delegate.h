#pragma once

// Paints the cells of an estimate grid and makes its in-place editor. Page rows are aqua,
// the focused cell lime, the figures of a line sold below cost red; numbers are drawn in
// their display form, right-aligned. The editor limits each column to its length in CP932
// bytes and number columns to their characters.

#include <QPointer>
#include <QStyledItemDelegate>
#include <functional>

#include "core/editor/cell_painting.h"
#include "core/editor/sheet_layout.h"

namespace quilto {

class TypedLineEdit;

// The colours of the grids (as the original palette names them).
inline const QColor kAqua(0, 255, 255);
inline const QColor kLime(0, 255, 0);
inline const QColor kRed(255, 0, 0);
inline const QColor kSilver(192, 192, 192);

// Text columns have the input method on; everything else has it off.
bool IsTextColumn(SheetKind sheet, int col);

class SheetGridDelegate : public QStyledItemDelegate {
    Q_OBJECT

  public:
    SheetGridDelegate(SheetKind sheet, std::function<PaintSettings()> settings,
                      QObject* parent = nullptr);

    void SetRefusalHandler(std::function<void(const QString&)> handler) {
        refuse_ = std::move(handler);
    }
    // The editor open at the moment, if any.
    TypedLineEdit* OpenEditor() const;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override;
    void updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const override;

  private:
    SheetKind sheet_;
    std::function<PaintSettings()> settings_;
    std::function<void(const QString&)> refuse_;
    mutable QPointer<TypedLineEdit> editor_;
};

}  // namespace quilto
