#include "core/foundation/text_bytes.h"

#include <algorithm>
#include <cstddef>

namespace quilto {
namespace {

// Short strings hold at most 255 bytes; no routine here grows a text to 256 or more.
constexpr std::size_t kShortStringLimit = 256;

bool IsTrimmedByte(unsigned char byte) { return byte <= 0x20 || byte == 0x7F; }

// Byte class of the zero-based index, found by walking character by character from the
// start: a lead byte swallows the byte after it.
ByteKind ClassAt(std::string_view text, std::size_t index) {
    if (index >= text.size()) return ByteKind::kSingle;
    std::size_t i = 0;
    while (i < index) i += IsLeadByte(static_cast<unsigned char>(text[i])) ? 2 : 1;
    if (i > index) return ByteKind::kSecond;
    const auto byte = static_cast<unsigned char>(text[index]);
    if (IsLeadByte(byte)) return ByteKind::kLead;
    if (byte < 0x20 || byte == 0x7F) return ByteKind::kControl;
    return ByteKind::kSingle;
}

// Length of the longest prefix of at most maxBytes that does not end inside a double-byte
// character.
std::size_t SafeCutLength(std::string_view text, std::size_t maxBytes) {
    if (text.size() <= maxBytes) return text.size();
    if (maxBytes == 0) return 0;
    // Byte maxBytes (1-based) is the last one kept; a lead byte there would be split.
    return ClassAt(text, maxBytes - 1) == ByteKind::kLead ? maxBytes - 1 : maxBytes;
}

}  // namespace

bool IsLeadByte(unsigned char byte) {
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

ByteKind ByteClass(std::string_view text, int position) {
    if (position < 1) return ByteKind::kBeforeText;
    return ClassAt(text, static_cast<std::size_t>(position) - 1);
}

std::string PadRightBytes(std::string_view text, int width) {
    std::string result;
    AppendPaddedRight(result, text, width);
    return result;
}

void AppendPaddedRight(std::string& out, std::string_view text, int width) {
    if (width <= 0) {
        out.append(text);
        return;
    }
    const auto n = static_cast<std::size_t>(width);
    const std::size_t kept = SafeCutLength(text, n);
    out.append(text.substr(0, kept));
    // Padding up to 256 or more bytes would overflow a short string: leave the text short.
    if (n < kShortStringLimit) out.append(n - kept, ' ');
}

std::string PadLeftBytes(std::string_view text, int width) {
    if (width <= 0) return {};
    const auto n = std::min<std::size_t>(static_cast<std::size_t>(width), 255);
    std::size_t drop = text.size() > n ? text.size() - n : 0;
    // Never start the result with the second half of a double-byte character.
    if (drop > 0 && ClassAt(text, drop) == ByteKind::kSecond) ++drop;
    std::string result(n - (text.size() - drop), ' ');
    result.append(text.substr(drop));
    return result;
}

bool HasText(std::string_view text) {
    return std::any_of(text.begin(), text.end(),
                       [](char c) { return !IsTrimmedByte(static_cast<unsigned char>(c)); });
}

void TrimRightInPlace(std::string& text) {
    std::size_t n = text.size();
    while (n > 0 && IsTrimmedByte(static_cast<unsigned char>(text[n - 1]))) --n;
    text.resize(n);
}

std::string_view TrimmedRightView(std::string_view text) {
    std::size_t n = text.size();
    while (n > 0 && IsTrimmedByte(static_cast<unsigned char>(text[n - 1]))) --n;
    return text.substr(0, n);
}

std::string_view TrimmedView(std::string_view text) {
    text = TrimmedRightView(text);
    std::size_t i = 0;
    while (i < text.size() && IsTrimmedByte(static_cast<unsigned char>(text[i]))) ++i;
    return text.substr(i);
}

std::string Trimmed(std::string_view text) { return std::string(TrimmedView(text)); }

std::string TrimmedRight(std::string_view text) { return std::string(TrimmedRightView(text)); }

std::string_view CutToBytesView(std::string_view text, int maxBytes) {
    if (maxBytes <= 0) return {};
    return text.substr(0, SafeCutLength(text, static_cast<std::size_t>(maxBytes)));
}

std::string CutToBytes(std::string_view text, int maxBytes) {
    return std::string(CutToBytesView(text, maxBytes));
}

}  // namespace quilto
