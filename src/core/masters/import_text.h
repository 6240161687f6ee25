#pragma once

// What a file chosen for the product import holds, before it is read as CSV: CP932 or UTF-8
// text (with or without a byte-order mark, as spreadsheet programs save it), UTF-16 with its
// byte-order mark (converted to UTF-8 here), or no text at all. A file that is not text is
// refused whole: read line by line, binary data would come in as hundreds of products
// nobody typed.

#include <string>
#include <string_view>

namespace quilto {

enum class ImportEncoding {
    kCp932,
    kUtf8,
    kUtf16,  // converted: the text handed on is UTF-8
};

struct ImportText {
    bool isText = true;
    ImportEncoding encoding = ImportEncoding::kCp932;
    // The text to split into records: CP932 bytes for kCp932, UTF-8 otherwise, without its
    // byte-order mark.
    std::string text;
    // Why it is not text (UTF-8), naming the line where that shows: "3 行目に文字でない
    // データ (0x00) があります".
    std::string notTextReason;
};

// Recognises the encoding of a file's bytes. Text is what holds no control byte other
// than tab, the line ends, vertical tab and form feed; one end-of-file mark (0x1A) as the
// last byte, as old programs write it, is dropped.
ImportText DecodeImportText(std::string_view bytes);

// Strict UTF-8: no overlong forms, no surrogates, nothing past U+10FFFF.
bool IsValidUtf8(std::string_view text);

}  // namespace quilto
