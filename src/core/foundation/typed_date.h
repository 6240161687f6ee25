#pragma once

// Dates as users type them on a cover. The cover's date fields are free text, so twenty years
// of estimates hold every form an office uses: "令和8年12月10日", "R8.12.10", "H30/1/5",
// "平成元年2月1日", "2026/12/10", "2026-12-10", "2026年12月10日", "20261210", in either
// width, with blanks, sometimes with the weekday after it ("(木)"). Reading them is what
// lets a search find estimates by date.

#include <QDate>
#include <QString>
#include <optional>
#include <string_view>

namespace quilto {

// The calendar day the text names, or nullopt when it names none (blank, garbage, a month
// or year alone, 2026/2/30, a two-digit year without an era). An era year counts from the
// era's first year: 令和1 is 2019, 平成1 is 1989 (the month and day are taken as typed, even
// where the era had not begun or had ended, as people write such dates).
std::optional<QDate> ReadTypedDate(const QString& text);
// The same for a CP932 text as stored in an estimate.
std::optional<QDate> ReadTypedDateCp932(std::string_view cp932);

}  // namespace quilto
