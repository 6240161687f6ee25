#pragma once

// Dates as digit texts and the Japanese era form printed on estimates. The era table is
// the program's own (its boundaries are deliberate, see era_date.cpp).

#include <array>
#include <string>
#include <string_view>

namespace quilto {

struct EraSlot {
    std::string letter;    // at most 1 byte
    std::string name;      // CP932, at most 6 bytes
    std::string boundary;  // eight digits
};
constexpr int kEraSlots = 11;
using EraTable = std::array<EraSlot, kEraSlots>;

void FillEraTable();
const EraTable& Eras();
int FindEra(std::string_view letter);
std::string NormalizeDate(std::string_view text);
std::string YearPart(std::string_view text);
std::string MonthPart(std::string_view text);
std::string DayPart(std::string_view text);
std::string ExpandYear(std::string_view year, int width);
std::string ReformatDate(std::string_view text, int width);
std::string TodayDigits();
std::string ToEraCode(std::string_view date);
std::string EraCodeText(std::string_view eraCode);  // CP932
std::string TodayEraText();                         // CP932

}  // namespace quilto
