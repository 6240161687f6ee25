#include "core/foundation/cp932.h"

#include <cstdint>
#include <cstring>

#include "core/foundation/cp932_tables.h"

// The one converter between CP932 and Unicode is a set of table lookups: the tables are
// made at build time from glibc's iconv, with its one-way and silent habits left out
// (make_cp932_tables says which and why). A character outside the encoding table has no
// CP932 form and is reported. No converter state is shared between threads, and converting
// thousands of short grid cells costs next to nothing.

namespace quilto {
namespace {

using cp932_tables::IsLead;
using cp932_tables::IsTrail;
using cp932_tables::kNone;

void SetError(Cp932Error* error, std::size_t offset) {
    if (error) error->offset = offset;
}

// Decodes one character at i. Returns the character and its length in bytes, or kNone with
// the number of bytes an undefined sequence spans (1 when the byte after a lead byte cannot
// be a second byte, so that byte is looked at again on its own).
std::uint16_t DecodeAt(std::string_view in, std::size_t i, std::size_t& len) {
    const auto b = static_cast<unsigned char>(in[i]);
    if (!IsLead(b)) {
        len = 1;
        return cp932_tables::kSingle[b];
    }
    if (i + 1 >= in.size()) {
        len = 1;
        return kNone;
    }
    const auto trail = static_cast<unsigned char>(in[i + 1]);
    if (!IsTrail(trail)) {
        len = 1;
        return kNone;
    }
    len = 2;
    return cp932_tables::kDouble[cp932_tables::LeadRow(b) * cp932_tables::kTrailColumns +
                                 (trail - 0x40u)];
}

template <typename Out>
bool Decode(std::string_view in, Cp932Error* error, Out&& sink) {
    for (std::size_t i = 0; i < in.size();) {
        std::size_t len = 0;
        const std::uint16_t ch = DecodeAt(in, i, len);
        if (ch == kNone) {
            SetError(error, i);
            return false;
        }
        sink(ch);
        i += len;
    }
    return true;
}

// The end of the run of ASCII bytes that starts at i.
std::size_t AsciiRunEnd(std::string_view in, std::size_t i) {
    while (i + 8 <= in.size()) {
        std::uint64_t word = 0;
        std::memcpy(&word, in.data() + i, 8);
        if ((word & 0x8080808080808080u) != 0) break;
        i += 8;
    }
    while (i < in.size() && static_cast<unsigned char>(in[i]) < 0x80) ++i;
    return i;
}

// Writes one BMP character as UTF-8 at out; returns the position after it.
char* PutUtf8(char* out, std::uint16_t ch) {
    if (ch < 0x80) {
        *out++ = static_cast<char>(ch);
    } else if (ch < 0x800) {
        *out++ = static_cast<char>(0xC0 | (ch >> 6));
        *out++ = static_cast<char>(0x80 | (ch & 0x3F));
    } else {
        *out++ = static_cast<char>(0xE0 | (ch >> 12));
        *out++ = static_cast<char>(0x80 | ((ch >> 6) & 0x3F));
        *out++ = static_cast<char>(0x80 | (ch & 0x3F));
    }
    return out;
}

// Appends the code of one character; false when it has none.
bool AppendCode(std::string& out, char32_t ch) {
    if (ch > 0xFFFF) return false;  // CP932 holds nothing beyond the BMP
    const std::uint16_t code = cp932_tables::kEncode[ch];
    if (code == kNone) return false;
    if (code > 0xFF) out += static_cast<char>(code >> 8);
    out += static_cast<char>(code & 0xFF);
    return true;
}

// Strict UTF-8: no overlong forms, no surrogates, nothing past U+10FFFF, no truncation.
// Returns the code point and sets len, or returns 0xFFFFFFFF.
char32_t NextUtf8(std::string_view in, std::size_t i, std::size_t& len) {
    constexpr char32_t kBad = 0xFFFFFFFF;
    const auto b0 = static_cast<unsigned char>(in[i]);
    if (b0 < 0x80) {
        len = 1;
        return b0;
    }
    char32_t cp = 0;
    char32_t min = 0;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        len = 2, cp = b0 & 0x1F, min = 0x80;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        len = 3, cp = b0 & 0x0F, min = 0x800;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        len = 4, cp = b0 & 0x07, min = 0x10000;
    } else {
        return kBad;
    }
    if (i + len > in.size()) return kBad;
    for (std::size_t k = 1; k < len; ++k) {
        const auto b = static_cast<unsigned char>(in[i + k]);
        if ((b & 0xC0) != 0x80) return kBad;
        cp = cp << 6 | (b & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return kBad;
    return cp;
}

}  // namespace

std::optional<std::string> Cp932ToUtf8(std::string_view cp932, Cp932Error* error) {
    // No CP932 character takes more than three bytes in UTF-8 (a double-byte one at most
    // three, a half-width katakana byte three), so the text is written into room made once.
    std::string out(cp932.size() * 3, '\0');
    char* end = out.data();
    for (std::size_t i = 0; i < cp932.size();) {
        // Runs of ASCII (most of a padded line) are the same bytes in UTF-8; they are found
        // eight bytes at a time.
        const std::size_t run = i;
        i = AsciiRunEnd(cp932, i);
        std::memcpy(end, cp932.data() + run, i - run);
        end += i - run;
        if (i == cp932.size()) break;
        std::size_t len = 0;
        const std::uint16_t ch = DecodeAt(cp932, i, len);
        if (ch == kNone) {
            SetError(error, i);
            return std::nullopt;
        }
        end = PutUtf8(end, ch);
        i += len;
    }
    out.resize(static_cast<std::size_t>(end - out.data()));
    return out;
}

// Each byte gives at most one UTF-16 unit, so the text is written into room made once (for
// an empty text that is an empty, not a null, string, as it always was).
std::optional<QString> Cp932ToQString(std::string_view cp932, Cp932Error* error) {
    QString out(static_cast<qsizetype>(cp932.size()), Qt::Uninitialized);
    QChar* end = out.data();
    if (!Decode(cp932, error, [&](std::uint16_t ch) { *end++ = QChar(ch); })) {
        return std::nullopt;
    }
    out.resize(end - out.constData());
    return out;
}

QString Cp932ToQStringLossy(std::string_view cp932) {
    QString out(static_cast<qsizetype>(cp932.size()), Qt::Uninitialized);
    QChar* end = out.data();
    for (std::size_t i = 0; i < cp932.size();) {
        std::size_t len = 0;
        const std::uint16_t ch = DecodeAt(cp932, i, len);
        *end++ = ch == kNone ? QChar(QChar::ReplacementCharacter) : QChar(ch);
        i += len;
    }
    out.resize(end - out.constData());
    return out;
}

std::optional<std::string> Utf8ToCp932(std::string_view utf8, Cp932Error* error) {
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        std::size_t len = 1;
        const char32_t cp = NextUtf8(utf8, i, len);
        if (!AppendCode(out, cp)) {
            SetError(error, i);
            return std::nullopt;
        }
        i += len;
    }
    return out;
}

std::optional<std::string> QStringToCp932(const QString& text, Cp932Error* error) {
    std::string out;
    out.reserve(static_cast<std::size_t>(text.size()) * 2);
    const auto n = static_cast<std::size_t>(text.size());
    for (std::size_t i = 0; i < n;) {
        const char16_t u = text[static_cast<qsizetype>(i)].unicode();
        char32_t cp = u;
        std::size_t len = 1;
        if (QChar::isHighSurrogate(u) && i + 1 < n &&
            QChar::isLowSurrogate(text[static_cast<qsizetype>(i + 1)].unicode())) {
            cp = QChar::surrogateToUcs4(u, text[static_cast<qsizetype>(i + 1)].unicode());
            len = 2;
        } else if (QChar::isSurrogate(u)) {
            cp = 0xFFFFFFFF;  // a lone surrogate is no character
        }
        if (!AppendCode(out, cp)) {
            SetError(error, i);
            return std::nullopt;
        }
        i += len;
    }
    return out;
}

}  // namespace quilto
