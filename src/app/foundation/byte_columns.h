#pragma once

// Draws CP932 text in byte columns: every byte one cell of cellWidth pixels, so a
// double-byte character takes exactly two cells whatever the font's own widths are, and
// fixed-width fields line up under their headers. Blanks are skipped.

#include <QRect>
#include <string_view>

class QPainter;

namespace quilto {

void DrawByteColumns(QPainter* painter, const QRect& area, std::string_view bytes, int cellWidth,
                     int margin);

}  // namespace quilto
