#include "app/shell/shape_widget.h"

#include <QPainter>

namespace quilto {

QColor FromBgr(unsigned int bgr) {
    return QColor(static_cast<int>(bgr & 0xFF), static_cast<int>((bgr >> 8) & 0xFF),
                  static_cast<int>((bgr >> 16) & 0xFF));
}

ShapeWidget::ShapeWidget(Shape shape, QWidget* parent)
    : QWidget(parent), shape_(shape), brush_(Qt::white) {}

void ShapeWidget::SetBrushColor(QColor color) {
    if (brush_ == color) return;
    brush_ = color;
    update();
}

void ShapeWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(palette().color(QPalette::WindowText), 1));
    painter.setBrush(brush_);
    const QRectF area = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    if (shape_ == Shape::kEllipse) {
        painter.drawEllipse(area);
    } else {
        painter.drawRoundedRect(area, 6, 6);
    }
}

}  // namespace quilto
