#include "core/foundation/cp932.h"

#include <iconv.h>
#include <QtGlobal>
#include <array>
#include <cerrno>
#include <cstdint>
#include <vector>

// How this converter works. glibc's iconv "CP932", used strictly (no //IGNORE, no
// //TRANSLIT), decodes every code of Microsoft's CP932 table as Windows does and encodes a
// character that has several codes to the code Windows picks. It also has a few habits we
// must not inherit: it encodes some characters one way only (U+00A5 to 0x5C, U+203E to
// 0x7E, U+2014 to 0x815C: each reads back as a different character), it drops the tag
// characters U+E0000-U+E007F without a word, and it maps the user-defined rows F040-F9FC
// to private-use code points, which Microsoft's table leaves undefined.
//
// So iconv is asked once, code by code, and its answers are kept in two tables:
//  - decoding: every single byte and every double-byte code (lead 0x81-0x9F or 0xE0-0xFC
//    except the user-defined leads 0xF0-0xF9, second byte 0x40-0x7E or 0x80-0xFC) that
//    iconv decodes to exactly one character;
//  - encoding: for each character some code decodes to, the code iconv encodes it to,
//    kept only when that code decodes back to the same character.
// A character outside the encoding table has no CP932 form and is reported, which refuses
// the one-way encodes and the silently dropped characters in one rule. After that every
// conversion is table lookups: no iconv descriptor is shared between threads, and
// converting thousands of short grid cells costs next to nothing.

namespace quilto {
namespace {

constexpr std::uint16_t kNone = 0xFFFF;  // U+FFFF is no character; 0xFFFF is no CP932 code

bool IsLead(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }
bool IsTrail(unsigned char b) { return b >= 0x40 && b <= 0xFC && b != 0x7F; }
// Rows F0-F9 are the user-defined area (external characters drawn per machine). They have
// no agreed meaning, no font here shows them, and Microsoft's table leaves them out.
bool IsUserDefinedLead(unsigned char b) { return b >= 0xF0 && b <= 0xF9; }

class Iconv {
  public:
    Iconv(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Iconv() {
        if (ok()) iconv_close(cd_);
    }
    Iconv(const Iconv&) = delete;
    Iconv& operator=(const Iconv&) = delete;

    bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

    // Converts the whole input or returns false; strict, from a clean state each time.
    bool Convert(const void* in, std::size_t inSize, std::string& out) {
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        std::string input(static_cast<const char*>(in), inSize);
        char* inPtr = input.data();
        std::size_t inLeft = input.size();
        std::array<char, 32> buffer{};
        char* outPtr = buffer.data();
        std::size_t outLeft = buffer.size();
        if (iconv(cd_, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<std::size_t>(-1)) {
            return false;
        }
        if (iconv(cd_, nullptr, nullptr, &outPtr, &outLeft) == static_cast<std::size_t>(-1)) {
            return false;
        }
        out.assign(buffer.data(), static_cast<std::size_t>(outPtr - buffer.data()));
        return inLeft == 0;
    }

  private:
    iconv_t cd_;
};

struct Tables {
    std::array<std::uint16_t, 256> single{};  // byte -> character, kNone if undefined
    std::vector<std::uint16_t> doubleByte;    // (lead << 8 | trail) -> character
    std::vector<std::uint16_t> encode;        // BMP character -> code (0x00XX single)

    Tables() : doubleByte(0x10000, kNone), encode(0x10000, kNone) {
        single.fill(kNone);
        Iconv decoder("UTF-32LE", "CP932");
        Iconv encoder("CP932", "UTF-32LE");
        if (!decoder.ok() || !encoder.ok()) {
            // Without glibc's converter modules nothing can be trusted: every character
            // outside ASCII then fails to convert rather than being guessed.
            qCritical("CP932 converter unavailable (iconv_open failed, errno %d)", errno);
            for (unsigned b = 0; b < 0x80; ++b) {
                single[b] = static_cast<std::uint16_t>(b);
                encode[b] = static_cast<std::uint16_t>(b);
            }
            return;
        }
        std::string out;
        const auto decodeOne = [&](const unsigned char* bytes, std::size_t n) -> std::uint16_t {
            if (!decoder.Convert(bytes, n, out) || out.size() != 4) return kNone;
            const auto* u = reinterpret_cast<const unsigned char*>(out.data());
            const std::uint32_t cp =
                u[0] | (u[1] << 8) | (u[2] << 16) | (static_cast<std::uint32_t>(u[3]) << 24);
            return cp < 0xFFFF ? static_cast<std::uint16_t>(cp) : kNone;
        };
        std::vector<std::uint16_t> codes;  // every defined code, in code order
        for (unsigned b = 0; b < 0x100; ++b) {
            if (IsLead(static_cast<unsigned char>(b))) continue;
            const unsigned char byte = static_cast<unsigned char>(b);
            single[b] = decodeOne(&byte, 1);
            if (single[b] != kNone) codes.push_back(static_cast<std::uint16_t>(b));
        }
        for (unsigned lead = 0x81; lead <= 0xFC; ++lead) {
            const auto l = static_cast<unsigned char>(lead);
            if (!IsLead(l) || IsUserDefinedLead(l)) continue;
            for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
                const auto t = static_cast<unsigned char>(trail);
                if (!IsTrail(t)) continue;
                const unsigned char pair[2] = {l, t};
                const unsigned code = lead << 8 | trail;
                doubleByte[code] = decodeOne(pair, 2);
                if (doubleByte[code] != kNone) codes.push_back(static_cast<std::uint16_t>(code));
            }
        }
        for (const std::uint16_t code : codes) {
            const std::uint16_t ch = code < 0x100 ? single[code] : doubleByte[code];
            if (encode[ch] != kNone) continue;
            const unsigned char utf32[4] = {static_cast<unsigned char>(ch & 0xFF),
                                            static_cast<unsigned char>(ch >> 8), 0, 0};
            std::uint16_t chosen = kNone;
            if (encoder.Convert(utf32, 4, out)) {
                const auto* b = reinterpret_cast<const unsigned char*>(out.data());
                if (out.size() == 1 && single[b[0]] == ch) chosen = b[0];
                if (out.size() == 2 && doubleByte[b[0] << 8 | b[1]] == ch) {
                    chosen = static_cast<std::uint16_t>(b[0] << 8 | b[1]);
                }
            }
            // iconv always answers with a code that reads back; should a future glibc not,
            // the character still gets a code that reads back (its lowest one).
            encode[ch] = chosen != kNone ? chosen : code;
        }
    }
};

const Tables& T() {
    static const Tables tables;
    return tables;
}

void SetError(Cp932Error* error, std::size_t offset) {
    if (error) error->offset = offset;
}

// Decodes one character at i. Returns the character and its length in bytes, or kNone with
// the number of bytes an undefined sequence spans (1 when the byte after a lead byte cannot
// be a second byte, so that byte is looked at again on its own).
std::uint16_t DecodeAt(const Tables& t, std::string_view in, std::size_t i, std::size_t& len) {
    const auto b = static_cast<unsigned char>(in[i]);
    if (!IsLead(b)) {
        len = 1;
        return t.single[b];
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
    return t.doubleByte[b << 8 | trail];
}

template <typename Out>
bool Decode(std::string_view in, Cp932Error* error, Out&& sink) {
    const Tables& t = T();
    for (std::size_t i = 0; i < in.size();) {
        std::size_t len = 0;
        const std::uint16_t ch = DecodeAt(t, in, i, len);
        if (ch == kNone) {
            SetError(error, i);
            return false;
        }
        sink(ch);
        i += len;
    }
    return true;
}

void AppendUtf8(std::string& out, std::uint16_t ch) {
    if (ch < 0x80) {
        out += static_cast<char>(ch);
    } else if (ch < 0x800) {
        out += static_cast<char>(0xC0 | (ch >> 6));
        out += static_cast<char>(0x80 | (ch & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (ch >> 12));
        out += static_cast<char>(0x80 | ((ch >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (ch & 0x3F));
    }
}

// Appends the code of one character; false when it has none.
bool AppendCode(const Tables& t, std::string& out, char32_t ch) {
    if (ch > 0xFFFF) return false;  // CP932 holds nothing beyond the BMP
    const std::uint16_t code = t.encode[ch];
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
    std::string out;
    out.reserve(cp932.size() * 3 / 2);
    if (!Decode(cp932, error, [&](std::uint16_t ch) { AppendUtf8(out, ch); })) {
        return std::nullopt;
    }
    return out;
}

std::optional<QString> Cp932ToQString(std::string_view cp932, Cp932Error* error) {
    QString out;
    out.reserve(static_cast<qsizetype>(cp932.size()));
    if (!Decode(cp932, error, [&](std::uint16_t ch) { out.append(QChar(ch)); })) {
        return std::nullopt;
    }
    return out;
}

QString Cp932ToQStringLossy(std::string_view cp932) {
    const Tables& t = T();
    QString out;
    out.reserve(static_cast<qsizetype>(cp932.size()));
    for (std::size_t i = 0; i < cp932.size();) {
        std::size_t len = 0;
        const std::uint16_t ch = DecodeAt(t, cp932, i, len);
        out.append(ch == kNone ? QChar(QChar::ReplacementCharacter) : QChar(ch));
        i += len;
    }
    return out;
}

std::optional<std::string> Utf8ToCp932(std::string_view utf8, Cp932Error* error) {
    const Tables& t = T();
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        std::size_t len = 1;
        const char32_t cp = NextUtf8(utf8, i, len);
        if (!AppendCode(t, out, cp)) {
            SetError(error, i);
            return std::nullopt;
        }
        i += len;
    }
    return out;
}

std::optional<std::string> QStringToCp932(const QString& text, Cp932Error* error) {
    const Tables& t = T();
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
        if (!AppendCode(t, out, cp)) {
            SetError(error, i);
            return std::nullopt;
        }
        i += len;
    }
    return out;
}

}  // namespace quilto
