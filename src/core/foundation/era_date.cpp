#include "core/foundation/era_date.h"

#include <algorithm>

#include "core/foundation/clock.h"
#include "core/foundation/number_text.h"
#include "core/foundation/text_bytes.h"

namespace quilto {
namespace {

// The one piece of process-wide state in the foundation: filled at start-up and, should a
// date routine run first, on first use.
EraTable g_eras;

void EnsureEraTable() {
    if (Trimmed(g_eras[0].letter).empty()) FillEraTable();
}

bool AllDigits(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// A normalized date is usable when it is six (yymmdd) or eight (yyyymmdd) digits.
bool IsDateShape(std::string_view digits) {
    return (digits.size() == 6 || digits.size() == 8) && AllDigits(digits);
}

char AsciiUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

}  // namespace

void FillEraTable() {
    // A date belongs to the last era whose boundary sorts strictly before it, comparing
    // eight-digit texts. "20190431" is no calendar day: it sorts between April 30 and May 1,
    // so 2019/05/01 is the first day of Reiwa. "19890115" counts 1989/01/08-15 as Showa 64.
    // These are the program's own boundaries and dates already printed follow them, so they
    // are kept rather than corrected to the calendar.
    g_eras = EraTable{};
    g_eras[0] = {"M", "\x96\xBE\x8E\xA1", "18680101"};  // Meiji
    g_eras[1] = {"T", "\x91\xE5\x90\xB3", "19120101"};  // Taisho
    g_eras[2] = {"S", "\x8F\xBA\x98\x61", "19260101"};  // Showa
    g_eras[3] = {"H", "\x95\xBD\x90\xAC", "19890115"};  // Heisei
    g_eras[4] = {"R", "\x97\xDF\x98\x61", "20190431"};  // Reiwa
}

const EraTable& Eras() {
    EnsureEraTable();
    return g_eras;
}

int FindEra(std::string_view letter) {
    EnsureEraTable();
    const std::string wanted = Trimmed(letter);
    for (int i = 0; i < kEraSlots; ++i) {
        if (Trimmed(g_eras[i].letter) == wanted) return i;
    }
    return -1;
}

std::string NormalizeDate(std::string_view text) {
    EnsureEraTable();
    const std::string trimmed = Trimmed(text);
    if (trimmed.empty()) return {};
    // An era letter in front (h11/05/20) survives, upper-cased; everything after it is
    // cleaned like a number, which drops the separators.
    if (!IsLeadByte(static_cast<unsigned char>(trimmed[0]))) {
        const std::string letter(1, AsciiUpper(trimmed[0]));
        if (FindEra(letter) >= 0) return letter + CleanNumber(std::string_view(trimmed).substr(1));
    }
    return CleanNumber(trimmed);
}

std::string YearPart(std::string_view text) {
    const std::string s = NormalizeDate(Trimmed(text));
    if (!IsDateShape(s)) return {};
    return s.substr(0, s.size() - 4);
}

std::string MonthPart(std::string_view text) {
    const std::string s = NormalizeDate(Trimmed(text));
    if (!IsDateShape(s)) return {};
    return s.substr(s.size() - 4, 2);
}

std::string DayPart(std::string_view text) {
    const std::string s = NormalizeDate(Trimmed(text));
    if (!IsDateShape(s)) return {};
    return s.substr(s.size() - 2);
}

std::string ExpandYear(std::string_view year, int width) {
    const std::string y = Trimmed(year);
    if (y.size() != 2 && y.size() != 4) return {};
    if (width != 2 && width != 4) return {};
    if (static_cast<int>(y.size()) == width) return y;
    if (width == 2) return y.substr(2);
    // Two-digit years: the program was written around 2000, so 00-59 are this century.
    return (y < "60" ? "20" : "19") + y;
}

std::string ReformatDate(std::string_view text, int width) {
    std::string separator;
    if (text.find('-') != std::string_view::npos) {
        separator = "-";
    } else if (text.find('/') != std::string_view::npos) {
        separator = "/";
    }
    if (width != 2 && width != 4) width = 2;

    const std::string s = NormalizeDate(text);
    // Something that is no date has no parts to join; joining empty parts would only
    // produce "//".
    if (!IsDateShape(s)) return {};
    if (s.size() == (width == 4 ? 8u : 6u)) return std::string(text);
    return ExpandYear(YearPart(s), width) + separator + MonthPart(s) + separator + DayPart(s);
}

std::string TodayDigits() {
    return NormalizeDate(Today().toString(QStringLiteral("yyyy/MM/dd")).toStdString());
}

std::string ToEraCode(std::string_view date) {
    EnsureEraTable();
    std::string s = NormalizeDate(date);
    if (!IsDateShape(s)) return {};
    if (s.size() == 6) s = ReformatDate(s, 4);

    std::string letter = "X";
    std::string boundary = "00010101";
    for (const EraSlot& slot : g_eras) {
        if (Trimmed(slot.letter).empty() || slot.boundary >= s) break;
        letter = Trimmed(slot.letter);
        boundary = slot.boundary;
    }
    const int eraYear = std::stoi(s.substr(0, 4)) - std::stoi(boundary.substr(0, 4)) + 1;
    std::string year = "00" + std::to_string(eraYear);
    year = year.substr(year.size() - 2);
    return letter + year + s.substr(4);
}

std::string EraCodeText(std::string_view eraCode) {
    const std::string code = NormalizeDate(eraCode);
    if (code.size() != 7) return {};
    const std::string letter = code.substr(0, 1);
    const int slot = FindEra(letter);
    const std::string name = slot >= 0 ? Eras()[slot].name : letter;
    std::string year = code.substr(1, 2);
    if (year == "01") year = "\x8C\xB3";  // gan-nen: the first year of an era
    return name + year + "\x94\x4E" + code.substr(3, 2) + "\x8C\x8E" + code.substr(5, 2) +
           "\x93\xFA";
}

std::string TodayEraText() { return EraCodeText(ToEraCode(TodayDigits())); }

}  // namespace quilto
