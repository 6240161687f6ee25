#include "core/excel/typed_cell_value.h"

namespace quilto {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

std::optional<std::string> TypedNumber(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    // Integer part, possibly grouped: the first group 1-3 digits, every later one 3.
    std::string integer;
    std::size_t i = 0;
    std::size_t groupLength = 0;
    bool grouped = false;
    while (i < text.size() && (IsDigit(text[i]) || text[i] == ',')) {
        if (text[i] == ',') {
            if (groupLength == 0 || (grouped ? groupLength != 3 : groupLength > 3))
                return std::nullopt;
            grouped = true;
            groupLength = 0;
        } else {
            integer += text[i];
            ++groupLength;
        }
        ++i;
    }
    if (grouped && groupLength != 3) return std::nullopt;
    std::string fraction;
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && IsDigit(text[i])) fraction += text[i++];
    }
    if (i != text.size() || (integer.empty() && fraction.empty())) return std::nullopt;

    const std::size_t firstNonZero = integer.find_first_not_of('0');
    integer = firstNonZero == std::string::npos ? "0" : integer.substr(firstNonZero);
    const std::size_t lastNonZero = fraction.find_last_not_of('0');
    fraction = lastNonZero == std::string::npos ? "" : fraction.substr(0, lastNonZero + 1);
    std::string number;
    if (negative && (integer != "0" || !fraction.empty())) number = "-";
    number += integer;
    if (!fraction.empty()) number += "." + fraction;
    return number;
}

}  // namespace quilto
