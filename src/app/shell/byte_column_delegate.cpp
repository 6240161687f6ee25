#include "app/shell/byte_column_delegate.h"

#include <QApplication>
#include <QPainter>
#include <algorithm>
#include <string_view>
#include <utility>

#include "core/foundation/cp932.h"
#include "core/foundation/text_bytes.h"

namespace quilto {

ByteColumnDelegate::ByteColumnDelegate(int cellWidth, int rowHeight, QObject* parent)
    : QStyledItemDelegate(parent), cellWidth_(cellWidth), rowHeight_(rowHeight) {}

void ByteColumnDelegate::SetFields(std::vector<Field> fields) { fields_ = std::move(fields); }

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
    const QRect area = option.rect;
    const std::vector<Field> fields =
        fields_.empty() ? std::vector<Field>{{0, kMargin, 1 << 20}} : fields_;
    for (std::size_t f = 0; f < fields.size(); ++f) {
        const Field& field = fields[f];
        const std::size_t first = static_cast<std::size_t>(field.firstByte);
        const std::size_t end = f + 1 < fields.size()
                                    ? static_cast<std::size_t>(fields[f + 1].firstByte)
                                    : bytes.size();
        if (field.width <= 0 || first >= bytes.size()) continue;
        const QRect column(area.left() + field.left, area.top(), field.width, area.height());
        painter->setClipRect(column.intersected(area));
        std::size_t at = first;
        while (at < std::min(end, bytes.size())) {
            const std::size_t width =
                (IsLeadByte(static_cast<unsigned char>(bytes[at])) && at + 1 < bytes.size()) ? 2
                                                                                             : 1;
            if (bytes[at] != ' ') {
                const QRect cell(column.left() + static_cast<int>(at - first) * cellWidth_,
                                 area.top(), static_cast<int>(width) * cellWidth_, area.height());
                painter->drawText(cell, Qt::AlignCenter | Qt::TextDontClip,
                                  Cp932ToQStringLossy(bytes.substr(at, width)));
            }
            at += width;
        }
    }
    painter->restore();
}

QSize ByteColumnDelegate::sizeHint(const QStyleOptionViewItem&, const QModelIndex& index) const {
    const int bytes = static_cast<int>(index.data(kBytesRole).toByteArray().size());
    if (fields_.empty()) return {2 * kMargin + bytes * cellWidth_, rowHeight_};
    // As wide as the last field's text reaches, within its section.
    const Field& last = fields_.back();
    const int reach = std::min(last.width, std::max(0, bytes - last.firstByte) * cellWidth_);
    return {last.left + reach, rowHeight_};
}

}  // namespace quilto
