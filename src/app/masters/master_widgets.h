#pragma once

// Widgets the master windows build alike: buttons and panels named after their component,
// and the column header above a master list.

#include <QString>
#include <initializer_list>
#include <utility>

class QHeaderView;
class QLabel;
class QPushButton;
class QWidget;

namespace quilto {

QPushButton* MakeMasterButton(const char* name, const char* caption, QWidget* parent);
// A sunken panel with centred text.
QLabel* MakeMasterPanel(const char* name, QWidget* parent);
// A fixed header of left-aligned sections; SetHeaderSections gives it its sections.
QHeaderView* MakeListHeader(QWidget* parent);
void SetHeaderSections(QHeaderView* header,
                       std::initializer_list<std::pair<QString, int>> sections);

}  // namespace quilto
