#pragma once

// The tabs of the definition editor: which field sits on which tab, in which group, under
// which label. The fields themselves are made by the editor (makeField), which gives them
// their behaviour.

#include <functional>

class QLineEdit;
class QTabWidget;
class QWidget;

namespace quilto {

using DefinitionFieldMaker = std::function<QLineEdit*(const char* name, QWidget* parent)>;

struct DefinitionPages {
    QTabWidget* pages = nullptr;  // 表 紙, 総括書, 内訳書, 明細書, the two free-form tabs
    QTabWidget* freePages = nullptr;  // かがみ部, 明細部 on the first free-form tab
};

DefinitionPages BuildDefinitionPages(QWidget* parent, const DefinitionFieldMaker& makeField);

}  // namespace quilto
