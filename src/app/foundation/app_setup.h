#pragma once

#include <QString>

class QApplication;

namespace quilto {

// The program's name as the user sees it.
inline constexpr char kApplicationName[] = "QuiltoⅡ";

// The look every window shares: Fusion style, and a Japanese font for the whole program so
// that no caption falls back to a font without kana and kanji. Returns the font family
// chosen, empty when none of the Japanese fonts is installed.
QString SetUpApplication(QApplication& app);

}  // namespace quilto
