#pragma once

// The print pattern as the user chooses it: the combo box CBListMS of the definition
// editor and the output dialog. Its items are " 0 ", " 1 ", " 2 " followed by the
// pattern's name; a pattern beyond 0 is offered only when its estimate template exists.

#include <QString>
#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace quilto {

// The patterns a user can choose from; 03 and 04 exist only as definition files.
inline constexpr int kChoosablePatterns = 3;

// The template of a stem ("見積書01", "書式F00A") in XlsBase/ of the working folder:
// XlsBase/<stem>.xlsx, or else the legacy XlsBase/<stem>.Xls, either found whatever the
// letter case of its name. Empty when there is neither.
QString FindTemplate(const QString& stem);

// The combo items (CP932): " 0 " + the name of pattern 0 or "標準パターン " when blank;
// " 1 " + name or "パターン １" when hasPattern1; " 2 " + name or "パターン ２" when
// hasPattern1 and hasPattern2. names are the environment's pattern names (CP932).
std::vector<std::string> PatternChoiceItems(const std::array<std::string, 3>& names,
                                            bool hasPattern1, bool hasPattern2);
// The same with the templates of the working folder deciding: 見積書01 and 見積書02.
std::vector<std::string> PatternChoiceItems(const std::array<std::string, 3>& names);

// The pattern a combo text names: the whole number in its first two characters (blanks
// around it allowed); outside 0..2, not a number, or not below itemCount it is 0.
int PatternIndexOfText(const QString& text, int itemCount);

// The two-digit code of a pattern index: 1 "01", 2 "02", anything else "00".
std::string PatternCodeOfIndex(int index);

}  // namespace quilto
