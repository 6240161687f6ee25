#include "core/masters/import_text.h"

#include <cstdio>

namespace quilto {
namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeBom = "\xFF\xFE";
constexpr std::string_view kUtf16BeBom = "\xFE\xFF";
constexpr char kEndOfFileMark = '\x1A';

bool HasHighBytes(std::string_view text) {
    for (const char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80) return true;
    }
    return false;
}

// Control bytes a text file may hold. None of them is ever part of a multi-byte character,
// neither in CP932 (second bytes start at 0x40) nor in UTF-8.
bool IsTextControl(unsigned char byte) {
    return byte == '\t' || byte == '\n' || byte == '\v' || byte == '\f' || byte == '\r';
}

bool IsForeignControl(unsigned char byte) {
    return (byte < 0x20 && !IsTextControl(byte)) || byte == 0x7F;
}

// The line (from 1) that holds offset: CR LF, a lone LF and a lone CR each end a line.
int LineOf(std::string_view text, std::size_t offset) {
    int line = 1;
    for (std::size_t i = 0; i < offset && i < text.size(); ++i) {
        if (text[i] == '\n' || (text[i] == '\r' && (i + 1 >= text.size() || text[i + 1] != '\n')))
            ++line;
    }
    return line;
}

void AppendUtf8(std::string& out, char32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// UTF-16 (after its byte-order mark) as UTF-8; false when the bytes are no UTF-16: an odd
// count, or half of a surrogate pair on its own. brokenAt is then the UTF-8 size reached.
bool Utf16ToUtf8(std::string_view bytes, bool bigEndian, std::string& out, std::size_t& brokenAt) {
    const auto unitAt = [&](std::size_t i) {
        const auto first = static_cast<unsigned char>(bytes[i]);
        const auto second = static_cast<unsigned char>(bytes[i + 1]);
        return static_cast<char16_t>(bigEndian ? (first << 8) | second : (second << 8) | first);
    };
    out.reserve(bytes.size() * 3 / 2);
    std::size_t i = 0;
    for (; i + 1 < bytes.size(); i += 2) {
        const char16_t unit = unitAt(i);
        if (unit >= 0xD800 && unit <= 0xDBFF) {
            if (i + 3 >= bytes.size()) break;
            const char16_t low = unitAt(i + 2);
            if (low < 0xDC00 || low > 0xDFFF) break;
            AppendUtf8(out, 0x10000 + ((static_cast<char32_t>(unit) - 0xD800) << 10) +
                                (static_cast<char32_t>(low) - 0xDC00));
            i += 2;
        } else if (unit >= 0xDC00 && unit <= 0xDFFF) {
            break;
        } else {
            AppendUtf8(out, unit);
        }
    }
    brokenAt = out.size();
    return i == bytes.size();
}

std::string Hex(unsigned char byte) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", byte);
    return text;
}

}  // namespace

bool IsValidUtf8(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        const auto byte = static_cast<unsigned char>(text[i]);
        std::size_t length = 0;
        char32_t least = 0;
        if (byte < 0x80) {
            ++i;
            continue;
        } else if ((byte & 0xE0) == 0xC0) {
            length = 2;
            least = 0x80;
        } else if ((byte & 0xF0) == 0xE0) {
            length = 3;
            least = 0x800;
        } else if ((byte & 0xF8) == 0xF0) {
            length = 4;
            least = 0x10000;
        } else {
            return false;
        }
        if (i + length > text.size()) return false;
        char32_t code = byte & (0x7F >> length);
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) return false;
            code = (code << 6) | (next & 0x3F);
        }
        if (code < least || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
        i += length;
    }
    return true;
}

ImportText DecodeImportText(std::string_view bytes) {
    ImportText result;
    if (bytes.starts_with(kUtf16LeBom) || bytes.starts_with(kUtf16BeBom)) {
        result.encoding = ImportEncoding::kUtf16;
        std::size_t brokenAt = 0;
        if (!Utf16ToUtf8(bytes.substr(2), bytes.starts_with(kUtf16BeBom), result.text, brokenAt)) {
            result.isText = false;
            result.notTextReason = std::to_string(LineOf(result.text, brokenAt)) +
                                   " 行目で UTF-16 の文字が壊れています";
            result.text.clear();
            return result;
        }
    } else if (bytes.starts_with(kUtf8Bom)) {
        result.encoding = ImportEncoding::kUtf8;
        result.text = bytes.substr(kUtf8Bom.size());
    } else {
        // Japanese CP932 text is practically never valid UTF-8, while a file saved as UTF-8
        // is exactly that.
        result.encoding = HasHighBytes(bytes) && IsValidUtf8(bytes) ? ImportEncoding::kUtf8
                                                                    : ImportEncoding::kCp932;
        result.text = bytes;
    }
    if (!result.text.empty() && result.text.back() == kEndOfFileMark) result.text.pop_back();
    for (std::size_t i = 0; i < result.text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(result.text[i]);
        if (!IsForeignControl(byte)) continue;
        result.isText = false;
        result.notTextReason = std::to_string(LineOf(result.text, i)) +
                               " 行目に文字でないデータ (" + Hex(byte) + ") があります";
        result.text.clear();
        break;
    }
    return result;
}

}  // namespace quilto
