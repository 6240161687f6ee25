#pragma once

// CP932 text handled in bytes. Every width, cut and position counts bytes (positions from
// 1); a double-byte character (lead byte 0x81-0x9F or 0xE0-0xFC and the byte after it) is
// never split. Routines that change a text in place return a status (0 or -1).

#include <string>
#include <string_view>

namespace quilto {

bool IsLeadByte(unsigned char byte);

// 1 lead byte, 2 second byte of a double-byte character, 0 single-byte character,
// 3 single-byte control character (below 32 or 127); -1 when position < 1.
// A position beyond the end gives 0.
int ByteClass(std::string_view text, int position);

// Exactly width bytes: cut (a double-byte character that would be split is dropped whole),
// then blanks appended. Width <= 0 leaves the text as it is; from width 256 on nothing is
// appended, since a short string cannot hold it.
std::string PadRightBytes(std::string_view text, int width);
// Right-aligned in width bytes (at most 255): surplus leading bytes removed, one more when
// a lone second byte would lead, then blanks in front. Width <= 0 gives an empty text.
std::string PadLeftBytes(std::string_view text, int width);
// Inserts count (at most 255) copies of piece before the byte at position; position <= 0
// or past the end appends, a second byte moves one on. -1 (text unchanged) when count <= 0
// or the result would reach 256 bytes.
int InsertRepeated(std::string& text, std::string_view piece, int position, int count);
// Deletes count bytes from position (count <= 0: to the end); a start on a second byte
// moves one on, an end on a lead byte takes its second byte. -1 for an empty text or a
// position past the end; a position below 1 starts at the first byte.
int DeleteBytes(std::string& text, int position, int count);
// Removes the first count bytes (one more when the last of them is a lead byte); -1 for
// an empty text or count <= 0.
int DropLeadingBytes(std::string& text, int count);
// Removes the last count bytes; dropping more than the text holds empties it.
int DropTrailingBytes(std::string& text, int count);
// Plain byte copy: from < 1 is 1, count < 1 or past the end means up to the end.
std::string CopyBytes(std::string_view text, int from, int count);
// Position of piece at or after from (character starts only); -3 from beyond the end,
// -2 empty piece, -9 not found.
int FindText(std::string_view text, std::string_view piece, int from = 1);
// 0 match, -103 mismatch, -102 text shorter than prefix, -101 empty prefix.
int StartsWith(std::string_view text, std::string_view prefix);
// Trimming removes blanks and control characters (bytes up to 0x20 and 0x7F); HasText is
// 1 when trimming would leave something.
int HasText(std::string_view text);
void TrimLeftInPlace(std::string& text);
void TrimRightInPlace(std::string& text);
std::string Trimmed(std::string_view text);
std::string TrimmedRight(std::string_view text);
// The same trims as views into the text, for checks that need no copy.
std::string_view TrimmedView(std::string_view text);
std::string_view TrimmedRightView(std::string_view text);
// Mode 'A'-'Z': ASCII letters to upper case, any other mode to lower case; double-byte
// characters are left alone.
std::string ConvertCase(char mode, std::string_view text);

// Cut to at most maxBytes without splitting a double-byte character (the cut applied when
// a text is stored into a fixed-width field).
std::string CutToBytes(std::string_view text, int maxBytes);
std::string_view CutToBytesView(std::string_view text, int maxBytes);

}  // namespace quilto
