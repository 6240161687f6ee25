#include "app/excel/pattern_combo.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <array>

#include "core/excel/pattern_choice.h"
#include "core/foundation/cp932.h"
#include "core/store/environment.h"

namespace quilto {

namespace {
constexpr int kTypedLength = 2;
}  // namespace

PatternCombo::PatternCombo(QWidget* parent) : QComboBox(parent) {
    setObjectName("CBListMS");
    setToolTip(QStringLiteral("見積/請求書のファイル選択"));
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    setMinimumWidth(220);
}

void PatternCombo::Fill(const Environment& environment) {
    clear();
    const std::array<std::string, 3> names = {
        environment.PatternName(0), environment.PatternName(1), environment.PatternName(2)};
    for (const std::string& item : PatternChoiceItems(names)) addItem(Cp932ToQStringLossy(item));
}

int PatternCombo::ChosenPattern() const { return PatternIndexOfText(currentText(), count()); }

void PatternCombo::SelectPattern(int pattern) {
    setCurrentIndex(pattern);
    setEditText(itemText(pattern));
}

void PatternCombo::keyPressEvent(QKeyEvent* event) {
    // The items are longer than what may be typed: at most two characters.
    if (!event->text().isEmpty() && event->text().front().isPrint()) {
        const QLineEdit* edit = lineEdit();
        if (edit->text().size() - edit->selectedText().size() + 1 > kTypedLength) return;
    }
    QComboBox::keyPressEvent(event);
}

}  // namespace quilto
