#include "core/excel/cell_address.h"

#include <cstdio>

namespace quilto {

namespace {

char UpperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

bool IsLetter(char c) { return c >= 'A' && c <= 'Z'; }

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

CellPosition ParseDefinitionAddress(std::string_view address) {
    // At most two letters and three digits: anything longer is invalid without looking
    // further, which also keeps the arithmetic below small.
    if (address.empty() || address.size() > 5) return {};
    std::size_t letters = 0;
    while (letters < address.size() && IsLetter(UpperAscii(address[letters]))) ++letters;
    if (letters < 1 || letters > 2) return {};
    const std::string_view digits = address.substr(letters);
    if (digits.empty() || digits.size() > 3 || digits.front() == '0') return {};
    int row = 0;
    for (char c : digits) {
        if (!IsDigit(c)) return {};
        row = row * 10 + (c - '0');
    }
    int column = UpperAscii(address[0]) - 'A' + 1;
    if (letters == 2) column = column * 26 + (UpperAscii(address[1]) - 'A' + 1);
    return {column, row};
}

std::string CellPositionText(std::string_view address) {
    const CellPosition position = ParseDefinitionAddress(address);
    if (!position.IsValid()) return {};
    char text[32];
    std::snprintf(text, sizeof text, "%3d,%3d", position.column, position.row);
    return text;
}

}  // namespace quilto
