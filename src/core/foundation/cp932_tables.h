#pragma once

// The CP932 conversion tables, made at build time from glibc's iconv (make_cp932_tables
// explains how) and compiled into the program, so that no process spends its start on
// building them. Only cp932.cpp reads them.

#include <cstddef>
#include <cstdint>

namespace quilto::cp932_tables {

inline constexpr std::uint16_t kNone = 0xFFFF;  // U+FFFF is no character; 0xFFFF no CP932 code

constexpr bool IsLead(unsigned char b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}
constexpr bool IsTrail(unsigned char b) { return b >= 0x40 && b <= 0xFC && b != 0x7F; }
// Rows F0-F9 are the user-defined area (external characters drawn per machine). They have
// no agreed meaning, no font here shows them, and Microsoft's table leaves them out.
constexpr bool IsUserDefinedLead(unsigned char b) { return b >= 0xF0 && b <= 0xF9; }

// The double-byte table has a row for each lead byte (0x81-0x9F, then 0xE0-0xFC) and a
// column for each second byte 0x40-0xFF.
inline constexpr std::size_t kLeadRows = 31 + 29;
inline constexpr std::size_t kTrailColumns = 0xC0;
constexpr std::size_t LeadRow(unsigned char lead) {
    return lead <= 0x9F ? lead - 0x81u : lead - 0xE0u + 31;
}

// byte -> character, kNone where undefined (and for lead bytes). Bytes below 0x80 are ASCII
// both ways (make_cp932_tables refuses to write tables where they are not).
extern const std::uint16_t kSingle[256];
// [LeadRow(lead) * kTrailColumns + trail - 0x40] -> character, kNone where undefined.
extern const std::uint16_t kDouble[kLeadRows * kTrailColumns];
// BMP character -> its code (a single byte as 0x00XX), kNone where CP932 has none.
extern const std::uint16_t kEncode[0x10000];

}  // namespace quilto::cp932_tables
