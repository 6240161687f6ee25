#include "app/foundation/byte_columns.h"

#include <QPainter>

#include "core/foundation/cp932.h"
#include "core/foundation/text_bytes.h"

namespace quilto {

void DrawByteColumns(QPainter* painter, const QRect& area, std::string_view bytes, int cellWidth,
                     int margin) {
    std::size_t at = 0;
    while (at < bytes.size()) {
        const std::size_t width =
            (IsLeadByte(static_cast<unsigned char>(bytes[at])) && at + 1 < bytes.size()) ? 2 : 1;
        if (bytes[at] != ' ') {
            const QRect cell(area.left() + margin + static_cast<int>(at) * cellWidth, area.top(),
                             static_cast<int>(width) * cellWidth, area.height());
            painter->drawText(cell, Qt::AlignCenter | Qt::TextDontClip,
                              Cp932ToQStringLossy(bytes.substr(at, width)));
        }
        at += width;
    }
}

}  // namespace quilto
