#pragma once

// Draws a line of CP932 text in byte columns: every byte is one half-width cell, so a
// double-byte character takes exactly two cells whatever the font's own widths are, and
// the columns of the estimate list line up under their headers. Each item holds its CP932
// bytes in kBytesRole; what shows is drawn from them.

#include <QStyledItemDelegate>

namespace quilto {

class ByteColumnDelegate : public QStyledItemDelegate {
    Q_OBJECT

  public:
    static constexpr int kBytesRole = Qt::UserRole + 1;

    ByteColumnDelegate(int cellWidth, int rowHeight, QObject* parent = nullptr);

    int CellWidth() const { return cellWidth_; }
    // Space before the first cell.
    static constexpr int kMargin = 2;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

  private:
    int cellWidth_;
    int rowHeight_;
};

}  // namespace quilto
