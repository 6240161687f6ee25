#include "app/editor/sheet_grid_delegate.h"

#include <QPainter>

#include "app/editor/sheet_grid_model.h"
#include "app/foundation/typed_line_edit.h"
#include "core/foundation/cp932.h"
#include "core/foundation/text_bytes.h"
#include "core/store/cost_class.h"

namespace quilto {

namespace {

constexpr int kTextInset = 2;

std::string CellBytes(const QModelIndex& index) {
    const QByteArray bytes = index.data(SheetGridModel::kCp932Role).toByteArray();
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

}  // namespace

bool IsTextColumn(SheetKind sheet, int col) {
    switch (sheet) {
        case SheetKind::Breakdown:
            return col == 2 || col == 3 || col == 4 || col == 8;
        case SheetKind::Summary:
            return col == 2 || col == 3 || col == 4 || col == 10;
        case SheetKind::Detail:
            return col == 2 || col == 3 || col == 4 || col == 5 || col == 11;
    }
    return false;
}

SheetGridDelegate::SheetGridDelegate(SheetKind sheet, std::function<PaintSettings()> settings,
                                     QObject* parent)
    : QStyledItemDelegate(parent), sheet_(sheet), settings_(std::move(settings)) {}

TypedLineEdit* SheetGridDelegate::OpenEditor() const { return editor_.data(); }

void SheetGridDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const {
    const auto* model = static_cast<const SheetGridModel*>(index.model());
    const TextGrid& grid = model->Grid();
    const int row = SheetGridModel::GridRow(index);
    const int col = index.column();
    const QRect rect = option.rect;
    painter->save();

    if (col == 0) {
        // The fixed row-number column.
        painter->fillRect(rect, option.palette.button());
        painter->setPen(option.palette.color(QPalette::ButtonText));
        painter->drawText(rect.adjusted(kTextInset, 0, -kTextInset, 0),
                          Qt::AlignLeft | Qt::AlignVCenter, index.data().toString());
        painter->setPen(option.palette.color(QPalette::Mid));
        painter->drawLine(rect.topRight(), rect.bottomRight());
        painter->restore();
        return;
    }

    const bool focused = option.state.testFlag(QStyle::State_HasFocus);
    const bool selected = option.state.testFlag(QStyle::State_Selected);
    QColor background = option.palette.color(QPalette::Base);
    QColor text = option.palette.color(QPalette::Text);
    if (IsPageRow(grid, row)) {
        background = kAqua;
        text = Qt::black;
    }
    if (selected && !focused) background = background.darker(112);
    if (focused) {
        background = kLime;
        text = Qt::black;
    }
    painter->fillRect(rect, background);

    const PaintSettings settings = settings_ ? settings_() : PaintSettings{};
    const QRect inner = rect.adjusted(kTextInset, 0, -kTextInset, 0);
    if (IsPaintedNumberColumn(sheet_, col)) {
        if (IsBelowCost(grid, sheet_, row)) text = kRed;
        painter->setPen(text);
        painter->drawText(inner, Qt::AlignRight | Qt::AlignVCenter | Qt::TextSingleLine,
                          Cp932ToQStringLossy(PaintedCellText(grid, sheet_, row, col, settings)));
    } else {
        painter->setPen(text);
        painter->drawText(inner, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                          Cp932ToQStringLossy(grid.Cell(row, col)));
    }
    painter->restore();
}

QWidget* SheetGridDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&,
                                         const QModelIndex& index) const {
    const CellTyping rule = CellTypingOf(sheet_, index.column());
    const bool numeric = rule.kind != CellTypingKind::Text;
    auto* editor = new TypedLineEdit(parent);
    editor->setObjectName(QStringLiteral("InplaceEdit"));
    editor->setFrame(false);
    editor->SetMaxBytes(rule.maxBytes);
    editor->SetNumeric(numeric, rule.kind == CellTypingKind::DecimalNumber ? QStringLiteral("-.")
                                                                           : QStringLiteral("-"));
    if (!numeric && !IsTextColumn(sheet_, index.column())) {
        editor->setAttribute(Qt::WA_InputMethodEnabled, false);
    }
    editor->SetFieldName(
        index.model()->headerData(index.column(), Qt::Horizontal).toString().simplified());
    editor->SetRefusalHandler(refuse_);
    if (numeric) editor->setAlignment(Qt::AlignRight);
    editor_ = editor;
    return editor;
}

void SheetGridDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const {
    // The padding of a number in display form is not part of what the user edits.
    static_cast<TypedLineEdit*>(editor)->SetCp932Text(Trimmed(CellBytes(index)));
}

void SheetGridDelegate::setModelData(QWidget* editor, QAbstractItemModel* model,
                                     const QModelIndex& index) const {
    std::string text = static_cast<TypedLineEdit*>(editor)->Cp932Text();
    if (index.column() == ColumnsOf(sheet_).costClass) {
        // The class is typed by its key (1-6, 0 or blank for none) or its name, and shown
        // by its short name.
        const std::optional<CostClass> cls = CostClassOfCellText(text);
        if (!cls) {
            if (refuse_) {
                refuse_(
                    QStringLiteral("区分は 1 材料費 / 2 労務費 / 3 法定福利費 / 4 安全衛生経費 / "
                                   "5 建退共掛金 / 6 その他経費 の番号で入力してください"
                                   "（0 または空白で未分類）。"));
            }
            return;
        }
        text = CostClassCellText(*cls);
    }
    // Unchanged text keeps the cell as it was, its padding included.
    if (text == Trimmed(CellBytes(index))) return;
    model->setData(index, QByteArray(text.data(), static_cast<qsizetype>(text.size())),
                   SheetGridModel::kCp932Role);
}

void SheetGridDelegate::updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                                             const QModelIndex&) const {
    editor->setGeometry(option.rect);
}

}  // namespace quilto
