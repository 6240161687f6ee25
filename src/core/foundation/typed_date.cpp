#include "core/foundation/typed_date.h"

#include <QRegularExpression>

#include "core/foundation/cp932.h"

namespace quilto {
namespace {

struct Era {
    const char* name;
    char letter;
    int firstYear;
};
constexpr Era kEras[] = {{"明治", 'M', 1868},
                         {"大正", 'T', 1912},
                         {"昭和", 'S', 1926},
                         {"平成", 'H', 1989},
                         {"令和", 'R', 2019}};

std::optional<int> FirstYearOfEra(const QString& era) {
    for (const Era& e : kEras)
        if (era == QString::fromUtf8(e.name) || era == QChar(e.letter)) return e.firstYear;
    return std::nullopt;
}

std::optional<QDate> DayOf(int year, int month, int day) {
    const QDate date(year, month, day);
    if (!date.isValid()) return std::nullopt;
    return date;
}

}  // namespace

std::optional<QDate> ReadTypedDate(const QString& text) {
    // Full-width digits, letters and punctuation become their ASCII forms; blanks go.
    // Lists of estimates are searched by date as the user types: no pattern is built here.
    const QString normal = text.normalized(QString::NormalizationForm_KC).toUpper();
    QString t;
    t.reserve(normal.size());
    for (const QChar c : normal)
        if (!c.isSpace()) t += c;
    // A weekday after the date: "(木)", "（木曜日）".
    static const QRegularExpression weekday(QStringLiteral("\\([月火水木金土日](曜日?)?\\)$"));
    t.remove(weekday);
    if (t.isEmpty()) return std::nullopt;

    static const QRegularExpression withEra(QStringLiteral(
        "^(明治|大正|昭和|平成|令和|[MTSHR])(\\d{1,2}|元)[年./-](\\d{1,2})[月./-](\\d{1,2})日?$"));
    static const QRegularExpression western(
        QStringLiteral("^(\\d{4})[年./-](\\d{1,2})[月./-](\\d{1,2})日?$"));
    static const QRegularExpression digitsOnly(QStringLiteral("^(\\d{4})(\\d{2})(\\d{2})$"));

    if (const auto m = withEra.match(t); m.hasMatch()) {
        const std::optional<int> first = FirstYearOfEra(m.captured(1));
        if (!first) return std::nullopt;
        const int eraYear = m.captured(2) == QStringLiteral("元") ? 1 : m.captured(2).toInt();
        if (eraYear < 1) return std::nullopt;
        return DayOf(*first + eraYear - 1, m.captured(3).toInt(), m.captured(4).toInt());
    }
    for (const QRegularExpression* form : {&western, &digitsOnly})
        if (const auto m = form->match(t); m.hasMatch())
            return DayOf(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
    return std::nullopt;
}

std::optional<QDate> ReadTypedDateCp932(std::string_view cp932) {
    return ReadTypedDate(Cp932ToQStringLossy(cp932));
}

}  // namespace quilto
