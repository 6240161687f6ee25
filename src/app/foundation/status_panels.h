#pragma once

// The status bar most windows end with: "StatusBar1" holding three sunken panels,
// "StatusBar1Panel0" to "StatusBar1Panel2". The first two keep their width whatever they
// show; the last is at least its width and takes the rest of the bar. A message shown on
// the bar (showMessage) hides the panels while it stands.

#include <QStatusBar>
#include <Qt>
#include <array>

class QLabel;
class QWidget;

namespace quilto {

struct StatusPanel {
    int width = 0;
    Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter;
};

struct StatusPanels {
    QStatusBar* bar = nullptr;
    std::array<QLabel*, 3> panels{};
};

StatusPanels MakeStatusPanels(QWidget* parent, const std::array<StatusPanel, 3>& looks);

}  // namespace quilto
