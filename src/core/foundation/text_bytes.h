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

std::string PadRightBytes(std::string_view text, int width);
std::string PadLeftBytes(std::string_view text, int width);
int InsertRepeated(std::string& text, std::string_view piece, int position, int count);
int DeleteBytes(std::string& text, int position, int count);
int DropLeadingBytes(std::string& text, int count);
int DropTrailingBytes(std::string& text, int count);
std::string CopyBytes(std::string_view text, int from, int count);
// Position of piece at or after from (character starts only); -3 from beyond the end,
// -2 empty piece, -9 not found.
int FindText(std::string_view text, std::string_view piece, int from = 1);
// 0 match, -103 mismatch, -102 text shorter than prefix, -101 empty prefix.
int StartsWith(std::string_view text, std::string_view prefix);
int HasText(std::string_view text);
void TrimLeftInPlace(std::string& text);
void TrimRightInPlace(std::string& text);
std::string Trimmed(std::string_view text);
std::string TrimmedRight(std::string_view text);
std::string ConvertCase(char mode, std::string_view text);

// Cut to at most maxBytes without splitting a double-byte character (the cut applied when
// a text is stored into a fixed-width field).
std::string CutToBytes(std::string_view text, int maxBytes);

}  // namespace quilto
