#include "app/masters/master_widgets.h"

#include <QHeaderView>
#include <QLabel>
#include <QStandardItemModel>

#include "app/foundation/typed_line_edit.h"

namespace quilto {

TypedLineEdit* MakeMasterTextEdit(const char* name, int maxBytes, const QString& field,
                                  const std::function<void(const QString&)>& refused,
                                  QWidget* parent) {
    auto* edit = new TypedLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->SetMaxBytes(maxBytes);
    edit->SetFieldName(field);
    edit->SetRefusalHandler(refused);
    return edit;
}

QLabel* MakeMasterPanel(const char* name, QWidget* parent) {
    auto* panel = new QLabel(parent);
    panel->setObjectName(QString::fromLatin1(name));
    panel->setFrameShape(QFrame::Panel);
    panel->setFrameShadow(QFrame::Sunken);
    panel->setAlignment(Qt::AlignCenter);
    return panel;
}

QHeaderView* MakeListHeader(QWidget* parent) {
    auto* header = new QHeaderView(Qt::Horizontal, parent);
    header->setObjectName("HeaderControl1");
    header->setModel(new QStandardItemModel(0, 0, header));
    header->setSectionsClickable(false);
    header->setHighlightSections(false);
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    header->setStretchLastSection(false);
    header->setFixedHeight(22);
    return header;
}

void SetHeaderSections(QHeaderView* header,
                       std::initializer_list<std::pair<QString, int>> sections) {
    auto* model = static_cast<QStandardItemModel*>(header->model());
    model->setColumnCount(0);
    model->setColumnCount(static_cast<int>(sections.size()));
    int column = 0;
    for (const auto& [text, width] : sections) {
        model->setHeaderData(column, Qt::Horizontal, text);
        header->setSectionResizeMode(column, QHeaderView::Fixed);
        header->resizeSection(column, width);
        ++column;
    }
}

}  // namespace quilto
