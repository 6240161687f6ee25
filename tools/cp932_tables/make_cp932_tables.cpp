// Writes the CP932 conversion tables as a C++ source, at build time, from glibc's iconv.
//
//   make_cp932_tables OUTPUT.cpp
//
// glibc's iconv "CP932", used strictly (no //IGNORE, no //TRANSLIT), decodes every code of
// Microsoft's CP932 table as Windows does and encodes a character that has several codes to
// the code Windows picks. It also has a few habits we must not inherit: it encodes some
// characters one way only (U+00A5 to 0x5C, U+203E to 0x7E, U+2014 to 0x815C: each reads
// back as a different character), it drops the tag characters U+E0000-U+E007F without a
// word, and it maps the user-defined rows F040-F9FC to private-use code points, which
// Microsoft's table leaves undefined.
//
// So iconv is asked here once, code by code, and its answers are kept in two tables:
//  - decoding: every single byte and every double-byte code (lead 0x81-0x9F or 0xE0-0xFC
//    except the user-defined leads 0xF0-0xF9, second byte 0x40-0x7E or 0x80-0xFC) that
//    iconv decodes to exactly one character;
//  - encoding: for each character some code decodes to, the code iconv encodes it to,
//    kept only when that code decodes back to the same character.
// A character outside the encoding table has no CP932 form and is reported, which refuses
// the one-way encodes and the silently dropped characters in one rule. Asking at build time
// rather than at every start keeps a program's start free of some 60,000 iconv calls; the
// tests hold the tables to Microsoft's published table code by code.

#include <iconv.h>

#include <array>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "core/foundation/cp932_tables.h"

namespace {

using quilto::cp932_tables::IsLead;
using quilto::cp932_tables::IsTrail;
using quilto::cp932_tables::IsUserDefinedLead;
using quilto::cp932_tables::kLeadRows;
using quilto::cp932_tables::kNone;
using quilto::cp932_tables::kTrailColumns;
using quilto::cp932_tables::LeadRow;

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
    std::array<std::uint16_t, 256> single{};
    std::vector<std::uint16_t> doubleByte = std::vector<std::uint16_t>(0x10000, kNone);
    std::vector<std::uint16_t> encode = std::vector<std::uint16_t>(0x10000, kNone);
};

bool Build(Tables& t) {
    t.single.fill(kNone);
    Iconv decoder("UTF-32LE", "CP932");
    Iconv encoder("CP932", "UTF-32LE");
    if (!decoder.ok() || !encoder.ok()) {
        std::fprintf(stderr,
                     "make_cp932_tables: iconv has no CP932 converter (errno %d); install "
                     "glibc's converter modules (gconv)\n",
                     errno);
        return false;
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
        t.single[b] = decodeOne(&byte, 1);
        if (t.single[b] != kNone) codes.push_back(static_cast<std::uint16_t>(b));
    }
    for (unsigned lead = 0x81; lead <= 0xFC; ++lead) {
        const auto l = static_cast<unsigned char>(lead);
        if (!IsLead(l) || IsUserDefinedLead(l)) continue;
        for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
            const auto tr = static_cast<unsigned char>(trail);
            if (!IsTrail(tr)) continue;
            const unsigned char pair[2] = {l, tr};
            const unsigned code = lead << 8 | trail;
            t.doubleByte[code] = decodeOne(pair, 2);
            if (t.doubleByte[code] != kNone) codes.push_back(static_cast<std::uint16_t>(code));
        }
    }
    for (const std::uint16_t code : codes) {
        const std::uint16_t ch = code < 0x100 ? t.single[code] : t.doubleByte[code];
        if (t.encode[ch] != kNone) continue;
        const unsigned char utf32[4] = {static_cast<unsigned char>(ch & 0xFF),
                                        static_cast<unsigned char>(ch >> 8), 0, 0};
        std::uint16_t chosen = kNone;
        if (encoder.Convert(utf32, 4, out)) {
            const auto* b = reinterpret_cast<const unsigned char*>(out.data());
            if (out.size() == 1 && t.single[b[0]] == ch) chosen = b[0];
            if (out.size() == 2 && t.doubleByte[b[0] << 8 | b[1]] == ch) {
                chosen = static_cast<std::uint16_t>(b[0] << 8 | b[1]);
            }
        }
        // iconv always answers with a code that reads back; should a future glibc not, the
        // character still gets a code that reads back (its lowest one).
        t.encode[ch] = chosen != kNone ? chosen : code;
    }
    return true;
}

void WriteArray(std::ofstream& out, const std::uint16_t* values, std::size_t count) {
    char hex[8];
    for (std::size_t i = 0; i < count; ++i) {
        std::snprintf(hex, sizeof hex, "0x%04X,", values[i]);
        out << hex << ((i % 12 == 11 || i + 1 == count) ? "\n" : "");
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_cp932_tables OUTPUT.cpp\n");
        return 2;
    }
    Tables t;
    if (!Build(t)) return 1;
    // The converter copies runs of ASCII bytes as they are; that holds only while CP932's
    // single bytes below 0x80 are ASCII itself, as Microsoft's table has them.
    for (unsigned b = 0; b < 0x80; ++b) {
        if (t.single[b] != b || t.encode[b] != b) {
            std::fprintf(stderr,
                         "make_cp932_tables: iconv reads byte 0x%02X as U+%04X, not as "
                         "ASCII; the converter's ASCII runs would be wrong\n",
                         b, t.single[b]);
            return 1;
        }
    }
    std::vector<std::uint16_t> rows(kLeadRows * kTrailColumns, kNone);
    for (unsigned lead = 0x81; lead <= 0xFC; ++lead) {
        const auto l = static_cast<unsigned char>(lead);
        if (!IsLead(l)) continue;
        for (unsigned trail = 0x40; trail <= 0xFF; ++trail)
            rows[LeadRow(l) * kTrailColumns + (trail - 0x40)] = t.doubleByte[lead << 8 | trail];
    }
    std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
    out << "// Generated by make_cp932_tables from glibc's iconv at build time; do not edit.\n"
           "#include \"core/foundation/cp932_tables.h\"\n\n"
           "namespace quilto::cp932_tables {\n\n"
           "const std::uint16_t kSingle[256] = {\n";
    WriteArray(out, t.single.data(), t.single.size());
    out << "};\n\nconst std::uint16_t kDouble[kLeadRows * kTrailColumns] = {\n";
    WriteArray(out, rows.data(), rows.size());
    out << "};\n\nconst std::uint16_t kEncode[0x10000] = {\n";
    WriteArray(out, t.encode.data(), t.encode.size());
    out << "};\n\n}  // namespace quilto::cp932_tables\n";
    out.close();
    if (!out) {
        std::fprintf(stderr, "make_cp932_tables: cannot write %s: %s\n", argv[1],
                     std::strerror(errno));
        return 1;
    }
    return 0;
}
