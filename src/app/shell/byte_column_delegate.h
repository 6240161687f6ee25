#pragma once

// Draws a line of CP932 text in byte columns: every byte is one half-width cell, so a
// double-byte character takes exactly two cells whatever the font's own widths are. The
// line is split into fields, each drawn from the left edge of its header section and
// clipped to it, so the fields line up under their headers and a full field never runs
// into the next one. Each item holds its CP932 bytes in kBytesRole; what shows is drawn
// from them.

#include <QStyledItemDelegate>
#include <vector>

namespace quilto {

class ByteColumnDelegate : public QStyledItemDelegate {
    Q_OBJECT

  public:
    static constexpr int kBytesRole = Qt::UserRole + 1;

    ByteColumnDelegate(int cellWidth, int rowHeight, QObject* parent = nullptr);

    int CellWidth() const { return cellWidth_; }

    // A field: the bytes from firstByte up to the next field's first byte, drawn in the
    // pixels [left, left + width) of the line. Without fields the line is one field.
    struct Field {
        int firstByte;
        int left;
        int width;
    };
    void SetFields(std::vector<Field> fields);
    // Space before the first cell.
    static constexpr int kMargin = 2;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

  private:
    int cellWidth_;
    int rowHeight_;
    std::vector<Field> fields_;
};

}  // namespace quilto
