#include "core/excel/pattern_choice.h"

#include <QFileInfo>

#include "core/foundation/cp932.h"
#include "core/foundation/file_helpers.h"
#include "core/foundation/text_bytes.h"

namespace quilto {

namespace {

// The names a pattern shows when the environment gives it none (UTF-8 here, CP932 out).
constexpr const char* kDefaultPatternNames[kChoosablePatterns] = {"標準パターン ", "パターン １",
                                                                  "パターン ２"};

std::string PatternItem(int index, const std::string& name) {
    const std::string shown =
        Trimmed(name).empty() ? Utf8ToCp932(kDefaultPatternNames[index]).value_or("") : name;
    return std::string(1, ' ').append(std::to_string(index)).append(1, ' ').append(shown);
}

}  // namespace

QString FindTemplate(const QString& stem) {
    for (const QString& extension : {QStringLiteral(".xlsx"), QStringLiteral(".Xls")}) {
        const QString path = ResolveCaseInsensitive(QStringLiteral("XlsBase/") + stem + extension);
        if (QFileInfo(path).isFile()) return path;
    }
    return {};
}

std::vector<std::string> PatternChoiceItems(const std::array<std::string, 3>& names,
                                            bool hasPattern1, bool hasPattern2) {
    std::vector<std::string> items{PatternItem(0, names[0])};
    if (hasPattern1) {
        items.push_back(PatternItem(1, names[1]));
        if (hasPattern2) items.push_back(PatternItem(2, names[2]));
    }
    return items;
}

std::vector<std::string> PatternChoiceItems(const std::array<std::string, 3>& names) {
    return PatternChoiceItems(names, !FindTemplate(QStringLiteral("見積書01")).isEmpty(),
                              !FindTemplate(QStringLiteral("見積書02")).isEmpty());
}

int PatternIndexOfText(const QString& text, int itemCount) {
    bool isNumber = false;
    const int index = text.left(2).trimmed().toInt(&isNumber);
    if (!isNumber) return 0;
    if (index < 0 || index >= kChoosablePatterns || index >= itemCount) return 0;
    return index;
}

std::string PatternCodeOfIndex(int index) { return index == 1 ? "01" : index == 2 ? "02" : "00"; }

}  // namespace quilto
