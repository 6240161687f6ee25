#pragma once

// Text that enters the program from outside (typed, pasted, imported from CSV, read from
// the command line's JSON) on its way to CP932 bytes. Linux input methods and pasted text
// bring a few JIS-style code points for characters that CP932 holds under other ones
// (〜 U+301C for ～, − U+2212 for －, ¥ U+00A5 for the yen sign at 0x5C, ...); those are
// mapped to what the user means, control characters are refused, and everything else goes
// through the strict converter. Stored bytes are never passed through here: reading a file
// keeps its bytes exactly.

#include <QString>
#include <optional>
#include <string>
#include <string_view>

namespace quilto {

// The character that stopped a conversion and why.
struct TypedTextRefusal {
    char32_t character = 0;
    bool isControl = false;  // tab, newline and the other control codes
};

// Maps the JIS-style code points to the ones CP932 holds; leaves everything else alone.
QString NormalizeTypedText(const QString& text);

// Normalises, refuses control characters, then converts strictly. On refusal returns
// nothing and tells which character was refused.
std::optional<std::string> TypedTextToCp932(const QString& text,
                                            TypedTextRefusal* refusal = nullptr);
std::optional<std::string> TypedUtf8ToCp932(std::string_view utf8,
                                            TypedTextRefusal* refusal = nullptr);

// The message for a refused character, naming it and the field it was typed into:
// "「😀」は使えない文字です (お客様名)". Control characters are named by their code.
QString TypedTextRefusalMessage(const TypedTextRefusal& refusal, const QString& field);

}  // namespace quilto
