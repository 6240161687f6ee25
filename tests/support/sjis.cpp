#include "support/sjis.h"

#include <cstdio>
#include <cstdlib>

#include "core/foundation/cp932.h"

namespace quilto::test {

std::string Sjis(std::string_view utf8) {
    Cp932Error error;
    if (auto bytes = Utf8ToCp932(utf8, &error)) return *bytes;
    std::fprintf(stderr, "Sjis(\"%.*s\"): no CP932 form for the character at byte %zu\n",
                 static_cast<int>(utf8.size()), utf8.data(), error.offset);
    std::abort();
}

std::string Utf8(std::string_view cp932) {
    std::string out;
    while (!cp932.empty()) {
        Cp932Error error;
        if (auto text = Cp932ToUtf8(cp932, &error)) return out + *text;
        if (error.offset > 0) out += *Cp932ToUtf8(cp932.substr(0, error.offset));
        char escaped[5];
        std::snprintf(escaped, sizeof escaped, "\\x%02X",
                      static_cast<unsigned char>(cp932[error.offset]));
        out += escaped;
        cp932.remove_prefix(error.offset + 1);
    }
    return out;
}

}  // namespace quilto::test
