#include "app/foundation/status_panels.h"

#include <QLabel>

namespace quilto {

StatusPanels MakeStatusPanels(QWidget* parent, const std::array<StatusPanel, 3>& looks) {
    StatusPanels made;
    made.bar = new QStatusBar(parent);
    made.bar->setObjectName("StatusBar1");
    made.bar->setSizeGripEnabled(false);
    for (std::size_t i = 0; i < looks.size(); ++i) {
        auto* panel = new QLabel(made.bar);
        panel->setObjectName(QStringLiteral("StatusBar1Panel%1").arg(i));
        panel->setFrameShape(QFrame::Panel);
        panel->setFrameShadow(QFrame::Sunken);
        panel->setAlignment(looks[i].alignment);
        const bool last = i + 1 == looks.size();
        if (last) {
            panel->setMinimumWidth(looks[i].width);
        } else {
            panel->setFixedWidth(looks[i].width);
        }
        made.bar->addWidget(panel, last ? 1 : 0);
        made.panels[i] = panel;
    }
    return made;
}

}  // namespace quilto
