#pragma once

#include <QString>

class QApplication;

namespace quilto {

// The program's name as the user sees it.
inline constexpr char kApplicationName[] = "QuiltoⅡ";

// The look every window shares, and the desktop id (QUILTO_APP_ID, that of the menu entry
// and the icon) with the icon of the installed program: Fusion style, and a Japanese font for the
// whole program so that no caption falls back to a font without kana and kanji. Returns the font
// family chosen, empty when none of the Japanese fonts is installed.
QString SetUpApplication(QApplication& app);

// Qt's Japanese translations (qt6-translations-l10n), whatever the session's language;
// false when they are not installed (Qt's dialogs then speak English).
bool LoadQtJapanese(QApplication& app);

}  // namespace quilto
