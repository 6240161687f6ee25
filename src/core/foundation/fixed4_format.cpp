#include "core/foundation/fixed4_format.h"

#include <algorithm>
#include <cstdint>

#include "core/foundation/number_text.h"
#include "core/foundation/text_bytes.h"

namespace quilto {

namespace {

constexpr int kBufferSize = 256;

// The formatted text at the end of buffer, padding included; nullptr when FormatNumber
// would not give status 0.
const char* FormatInto(char (&buffer)[kBufferSize], Fixed4 value, int width, int decimals,
                       bool grouped) {
    if (decimals < 0 || decimals > 4 || width > 255) return nullptr;
    const int integerWidth = decimals > 0 ? width - decimals - 1 : width;
    if (integerWidth <= 0 || integerWidth < decimals) return nullptr;

    const bool negative = value.raw < 0;
    std::uint64_t magnitude = negative ? 0 - static_cast<std::uint64_t>(value.raw)
                                       : static_cast<std::uint64_t>(value.raw);
    constexpr std::uint64_t kPowersOfTen[] = {1, 10, 100, 1000, 10000};
    const std::uint64_t unit = kPowersOfTen[4 - decimals];
    const std::uint64_t remainder = magnitude % unit;
    magnitude = magnitude / unit + (remainder * 2 >= unit ? 1 : 0);

    const std::uint64_t places = kPowersOfTen[decimals];
    std::uint64_t integer = magnitude / places;
    std::uint64_t fraction = magnitude % places;

    // Built right to left, padding included, so that the text is made in one go.
    int pos = kBufferSize;
    for (int i = 0; i < decimals; ++i) {
        buffer[--pos] = static_cast<char>('0' + fraction % 10);
        fraction /= 10;
    }
    if (decimals > 0) buffer[--pos] = '.';
    int group = 0;
    do {
        if (grouped && group == 3) {
            buffer[--pos] = ',';
            group = 0;
        }
        buffer[--pos] = static_cast<char>('0' + integer % 10);
        integer /= 10;
        ++group;
    } while (integer != 0);
    if (negative && magnitude != 0) buffer[--pos] = '-';

    const int length = kBufferSize - pos;
    if (length > width) return nullptr;
    std::fill(buffer + pos - (width - length), buffer + pos, ' ');
    return buffer + pos - (width - length);
}

}  // namespace

std::optional<std::string> FormatFixed4(Fixed4 value, int width, int decimals, bool grouped) {
    char buffer[kBufferSize];
    const char* text = FormatInto(buffer, value, width, decimals, grouped);
    if (text == nullptr) return std::nullopt;
    return std::string(text, static_cast<std::size_t>(width));
}

std::string DisplayNumber(Fixed4 value, int width, int decimals, bool grouped) {
    if (auto quick = FormatFixed4(value, width, decimals, grouped)) return std::move(*quick);
    const std::string text = Fixed4ToText(value);
    FormattedNumber formatted = FormatNumber(width, decimals, text, grouped);
    if (formatted.status == NumberFormatStatus::kOk) return formatted.text;
    if (grouped) {
        formatted = FormatNumber(width, decimals, text, false);
        if (formatted.status == NumberFormatStatus::kOk) return formatted.text;
    }
    constexpr int kWideEnough = 40;
    formatted = FormatNumber(kWideEnough, decimals, text, false);
    return formatted.status == NumberFormatStatus::kOk ? Trimmed(formatted.text) : text;
}

void AssignDisplayNumber(std::string& text, Fixed4 value, int width, int decimals, bool grouped) {
    char buffer[kBufferSize];
    if (const char* quick = FormatInto(buffer, value, width, decimals, grouped)) {
        text.assign(quick, static_cast<std::size_t>(width));
    } else {
        text = DisplayNumber(value, width, decimals, grouped);
    }
}

}  // namespace quilto
