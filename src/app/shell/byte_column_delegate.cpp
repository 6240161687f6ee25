#include "shell/byte_column_delegate.h"

#include <QApplication>
#include <QPainter>
#include <string_view>

#include "foundation/byte_columns.h"

namespace quilto {

ByteColumnDelegate::ByteColumnDelegate(int cellWidth, int rowHeight, QObject* parent)
    : QStyledItemDelegate(parent), cellWidth_(cellWidth), rowHeight_(rowHeight) {}

void ByteColumnDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                               const QModelIndex& index) const {
    QStyleOptionViewItem look(option);
    initStyleOption(&look, index);
    look.text.clear();
    const QWidget* widget = option.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    style->drawPrimitive(QStyle::PE_PanelItemViewItem, &look, painter, widget);

    const QByteArray stored = index.data(kBytesRole).toByteArray();
    const std::string_view bytes(stored.constData(), static_cast<std::size_t>(stored.size()));
    const bool selected = option.state.testFlag(QStyle::State_Selected);
    painter->save();
    painter->setFont(option.font);
    painter->setPen(option.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
    DrawByteColumns(painter, option.rect, bytes, cellWidth_, kMargin);
    painter->restore();
}

QSize ByteColumnDelegate::sizeHint(const QStyleOptionViewItem&, const QModelIndex& index) const {
    const int bytes = static_cast<int>(index.data(kBytesRole).toByteArray().size());
    return {2 * kMargin + bytes * cellWidth_, rowHeight_};
}

}  // namespace quilto
