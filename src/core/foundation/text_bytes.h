#pragma once

// CP932 text handled in bytes. Every width, cut and position counts bytes (positions from
// 1); a double-byte character (lead byte 0x81-0x9F or 0xE0-0xFC and the byte after it) is
// never split.

#include <string>
#include <string_view>

namespace quilto {

bool IsLeadByte(unsigned char byte);

// What the byte at a 1-based position of a CP932 text is, found by walking the text
// from its start. A position beyond the end is kSingle.
enum class ByteKind {
    kBeforeText,  // position < 1
    kSingle,      // a single-byte character
    kLead,        // the first byte of a double-byte character
    kSecond,      // the second byte of a double-byte character
    kControl,     // a single-byte control character (below 32 or 127)
};
ByteKind ByteClass(std::string_view text, int position);

// Exactly width bytes: cut (a double-byte character that would be split is dropped whole),
// then blanks appended. Width <= 0 leaves the text as it is; from width 256 on nothing is
// appended, since a short string cannot hold it.
std::string PadRightBytes(std::string_view text, int width);
// PadRightBytes appended to out, for a line built field by field without a text for each.
void AppendPaddedRight(std::string& out, std::string_view text, int width);
// Right-aligned in width bytes (at most 255): surplus leading bytes removed, one more when
// a lone second byte would lead, then blanks in front. Width <= 0 gives an empty text.
std::string PadLeftBytes(std::string_view text, int width);
// Trimming removes blanks and control characters (bytes up to 0x20 and 0x7F); HasText is
// true when trimming would leave something.
bool HasText(std::string_view text);
void TrimRightInPlace(std::string& text);
std::string Trimmed(std::string_view text);
std::string TrimmedRight(std::string_view text);
// The same trims as views into the text, for checks that need no copy.
std::string_view TrimmedView(std::string_view text);
std::string_view TrimmedRightView(std::string_view text);
// Cut to at most maxBytes without splitting a double-byte character (the cut applied when
// a text is stored into a fixed-width field).
std::string CutToBytes(std::string_view text, int maxBytes);
std::string_view CutToBytesView(std::string_view text, int maxBytes);

}  // namespace quilto
