#pragma once

// A filled shape painted behind other widgets (the main menu's logo ellipse, the list's
// header panel), with the colours the forms use given as the classic BGR colour values.

#include <QColor>
#include <QWidget>

namespace quilto {

// A colour value written as 0x00BBGGRR (blue in the high byte), as the original colour
// constants were.
QColor FromBgr(unsigned int bgr);

class ShapeWidget : public QWidget {
    Q_OBJECT

  public:
    enum class Shape { kEllipse, kRoundRect };

    explicit ShapeWidget(Shape shape, QWidget* parent = nullptr);

    QColor BrushColor() const { return brush_; }
    void SetBrushColor(QColor color);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    Shape shape_;
    QColor brush_;
};

}  // namespace quilto
