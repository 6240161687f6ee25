#pragma once

// The bars above the editor's tabs: PanelB1 with the estimate's four header figures and
// GDisp (which sheet supplies them), and PanelB6 on the detail tab with the current detail
// sheet's totals, the breakdown line it belongs to and UpDown1 to step through the lines.

#include <QFrame>
#include <QLabel>
#include <string>

class QToolButton;

namespace quilto {

class EstimateDocument;

// A read-only figure with its caption above it.
QLabel* MakeFigure(const char* name, const char* caption, const char* hint, QWidget* parent,
                   QWidget** captionOut = nullptr);

class HeaderFigureBar : public QFrame {
    Q_OBJECT

  public:
    explicit HeaderFigureBar(QWidget* parent = nullptr);
    // MGoukei01/11/12/13 and GDisp from the document.
    void Show(const EstimateDocument& document);
    QString TotalText() const { return mGoukei01_->text(); }

  private:
    QLabel* mGoukei01_;
    QLabel* mGoukei11_;
    QLabel* mGoukei12_;
    QLabel* mGoukei13_;
    QLabel* gDisp_;
};

// UpDown1: steps through the breakdown lines (1-300). Its arrows take no focus, so the
// detail grid keeps it while the user steps.
class LineStepper : public QWidget {
    Q_OBJECT

  public:
    explicit LineStepper(QWidget* parent = nullptr);
    int Value() const { return value_; }
    void SetValue(int value);  // clamped to 1-300, no signal

  signals:
    // The user stepped to another line.
    void Stepped(int value);

  private:
    void Step(int delta);
    int value_ = 1;
};

class DetailBar : public QFrame {
    Q_OBJECT

  public:
    explicit DetailBar(QWidget* parent = nullptr);
    // MGoukei21 and MGoukei22 (CP932, as formatted).
    void ShowTotals(const std::string& amount, const std::string& cost);
    // VWGno: the breakdown row followed by "行"; VWName1: its name (CP932) or the
    // "not editable" text.
    void ShowLine(int row, const QString& name);
    LineStepper* UpDown1() const { return upDown1_; }

  private:
    QLabel* mGoukei21_;
    QLabel* mGoukei22_;
    QLabel* vwGno_;
    QLabel* vwName1_;
    LineStepper* upDown1_;
};

}  // namespace quilto
