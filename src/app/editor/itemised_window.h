#pragma once

// The window 材料費等内訳: the itemised estimate of the estimate being edited, one line per
// work type with its six cost classes, total and days, discounts as lines of their own
// and the totals at the foot. It follows the editor live: every change to the breakdown
// or the detail sheet on screen shows at once. Shown without waiting, beside the editor.

#include <QDialog>
#include <functional>

#include "core/editor/itemised_costs.h"

class QLabel;
class QTableWidget;
class QTimer;

namespace quilto {

class ItemisedWindow : public QDialog {
    Q_OBJECT

  public:
    // itemise computes the table from the editor's document at the moment of asking.
    ItemisedWindow(std::function<ItemisedEstimate()> itemise, QWidget* parent = nullptr);

    // Asks for a refresh; several requests in one turn of the event loop make one.
    void RefreshSoon();
    void Refresh();

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    std::function<ItemisedEstimate()> itemise_;
    QTableWidget* table_ = nullptr;
    QLabel* note_ = nullptr;
    QTimer* pending_ = nullptr;
};

}  // namespace quilto
