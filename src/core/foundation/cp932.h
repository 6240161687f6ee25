#pragma once

// The one converter between CP932 bytes and Unicode. It reproduces Windows' code page 932
// in both directions and reports what it cannot convert instead of substituting.

#include <QString>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace quilto {

struct Cp932Error {
    // Where conversion stopped: the byte offset of the undefined sequence or character in
    // CP932 or UTF-8 input; for QString input, the index of the UTF-16 code unit.
    std::size_t offset = 0;
};

// CP932 -> UTF-8 / QString. Fails on undefined or truncated byte sequences.
std::optional<std::string> Cp932ToUtf8(std::string_view cp932, Cp932Error* error = nullptr);
std::optional<QString> Cp932ToQString(std::string_view cp932, Cp932Error* error = nullptr);
// For display of untrusted bytes: each undefined code becomes one U+FFFD. A lead byte whose
// next byte cannot follow it (or that ends the text) is replaced on its own, and that next
// byte is read as itself, so "\x81 abc" still shows " abc".
QString Cp932ToQStringLossy(std::string_view cp932);

// UTF-8 / QString -> CP932. Fails on characters with no CP932 form (and on the one-way
// best-fit mappings such as U+00A5 -> 0x5C, which would not read back the same).
std::optional<std::string> Utf8ToCp932(std::string_view utf8, Cp932Error* error = nullptr);
std::optional<std::string> QStringToCp932(const QString& text, Cp932Error* error = nullptr);

}  // namespace quilto
