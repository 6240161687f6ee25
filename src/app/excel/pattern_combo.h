#pragma once

// The print pattern's combo box (CBListMS) of the definition editor and the output dialog:
// items " 0 ", " 1 ", " 2 " with the pattern names, at most two characters typed, and a
// typed number taken as the pattern when the list has it.

#include <QComboBox>

namespace quilto {

class Environment;

class PatternCombo : public QComboBox {
    Q_OBJECT

  public:
    explicit PatternCombo(QWidget* parent = nullptr);

    // The patterns whose templates exist, named as the environment names them.
    void Fill(const Environment& environment);
    // The pattern the text names (0 when it names none the list has).
    int ChosenPattern() const;
    // Selects a pattern and shows its item.
    void SelectPattern(int pattern);

  protected:
    void keyPressEvent(QKeyEvent* event) override;
};

}  // namespace quilto
