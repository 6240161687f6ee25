#pragma once

#include <string>
#include <string_view>

namespace quilto::test {

// CP932 bytes of a UTF-8 literal, for writing fixtures as readable text. A literal with no
// CP932 form is a mistake in the test itself: it is reported on stderr and the test program
// aborts, rather than comparing against a substituted text.
std::string Sjis(std::string_view utf8);

// UTF-8 of CP932 bytes, for readable failure messages and comparisons. Never fails: a byte
// that starts no defined character is shown as \xNN, so it can never equal real text.
std::string Utf8(std::string_view cp932);

}  // namespace quilto::test
