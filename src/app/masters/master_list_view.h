#pragma once

// The lists of the master windows: a model over CP932 lines (a list of 30,000 products costs
// no widget per line) and an owner-drawn look with 18-pixel rows, each line drawn in byte
// columns 2 pixels from the left so that its fixed-width fields line up under the header.

#include <QAbstractListModel>
#include <QColor>
#include <QListView>
#include <QStyledItemDelegate>
#include <string>
#include <vector>

namespace quilto {

class MasterListModel : public QAbstractListModel {
    Q_OBJECT

  public:
    static constexpr int kBytesRole = Qt::UserRole + 1;

    using QAbstractListModel::QAbstractListModel;

    void SetItems(std::vector<std::string> items);
    const std::vector<std::string>& Items() const { return items_; }

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

  private:
    std::vector<std::string> items_;
};

class MasterListDelegate : public QStyledItemDelegate {
    Q_OBJECT

  public:
    // The selected line is filled with focused while the list has the focus, unfocused
    // otherwise.
    MasterListDelegate(QColor focused, QColor unfocused, QObject* parent = nullptr);

    static constexpr int kRowHeight = 18;
    static constexpr int kCellWidth = 8;  // one byte on screen
    static constexpr int kMargin = 2;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

  private:
    QColor focused_;
    QColor unfocused_;
};

// A list view over a model of its own, single selection, uniform rows.
class MasterListView : public QListView {
    Q_OBJECT

  public:
    MasterListView(const char* name, QColor focused, QColor unfocused, QWidget* parent = nullptr);

    MasterListModel& Model() { return *model_; }
    // The selected row, or -1.
    int SelectedRow() const;
    // Selects row (none for -1) without counting as the user's choice.
    void SelectRow(int row);
    int Count() const { return model_->rowCount(); }

  signals:
    // A mouse button went down on a line (it is selected by then).
    void Clicked(int row);
    // A key moved the selection to another line.
    void KeyMoved(int row);

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;

  private:
    MasterListModel* model_;
};

// The fixed-pitch font the lists are drawn with: a half-width character 8 pixels wide.
QFont MasterListFont();

}  // namespace quilto
